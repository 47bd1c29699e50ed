#pragma once
#include <string>

namespace orlinda {

// Case-sensitive wildcard match: '#' a digit, '?' any character, '*' any run,
// "[set]" / "[!set]" a run of characters from (not from) the set. An empty text or
// mask, and the pairs "*?", "*#", "*[", "**", "]?", "]#", "][", "]*" never match.
bool MatchMask(const std::string& text, const std::string& mask);

} // namespace orlinda
