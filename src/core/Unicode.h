#pragma once
#include <string>

namespace orlinda {

// Proper UTF-8 for the outside world (JSON, the command line, file names).
// Surrogate pairs are combined into one code point; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);
// Every invalid, overlong, truncated or out-of-range sequence becomes U+FFFD;
// code points above U+FFFF become surrogate pairs.
std::u16string Utf8ToUtf16(const std::string& text);

// Windows-1251 text to and from UTF-8 (characters with no 1251 byte become '?').
std::string Cp1251ToUtf8(const std::string& text);
std::string Utf8ToCp1251(const std::string& text);

} // namespace orlinda
