#pragma once
#include <string>
#include <string_view>

namespace orlinda {

// Values of option lists are stored escaped so that any bytes fit on one printable
// ASCII line: every byte below 0x20, every byte from 0x80 up and '%' itself become '%'
// and two upper-case hexadecimal digits ("50%" -> "50%25", CR LF -> "%0D%0A").
std::string EscapeValue(std::string_view value);

// The reverse of EscapeValue. Malformed escapes never fail: they stay in the text
// ("%4G" -> "%4G", "100%" -> "100%"). A stored value that both begins and ends with '%'
// is read in the older enclosed form, which EscapeValue never writes: the text between
// the outer '%' signs, with "%%" standing for '%', escapes of either case decoded, the
// first single '%' ending the text, and the marker "=>\x01NULL\x01<=" standing for a
// zero byte.
std::string UnescapeValue(std::string_view stored);

} // namespace orlinda
