#pragma once
#include <string>

namespace orlinda {

// Standard Base64 (A-Z a-z 0-9 + /, padded with '='), no line breaks.
std::string Base64Encode(const std::string& bytes);

// Lenient decoder: a space counts as '+' (text whose '+' became a space in a URL
// still decodes), other characters outside the alphabet are skipped, and decoding
// stops at the first '='. A trailing group without padding gives its whole bytes.
std::string Base64Decode(const std::string& text);

} // namespace orlinda
