#pragma once
#include <string>

namespace orlinda {

// The key of every stored password (and of the update-check moment).
inline constexpr const char* kPasswordKey = "Tulvex";

// Base64 of the text's bytes XORed with the key's bytes in turn.
std::string Scramble(const std::string& text, const std::string& key);
// The reverse: Base64-decodes, then XORs with the key from its first byte.
std::string Unscramble(const std::string& text, const std::string& key);

} // namespace orlinda
