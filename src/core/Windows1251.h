#pragma once
#include "core/Unicode.h"

#include <string>

namespace orlinda {

// Exact Windows-1251 conversion of every byte. The byte 0x98, unassigned in the code
// page, maps to U+0098 and back, so every 8-bit text survives a round trip.
std::u16string Cp1251ToUtf16(const std::string& text);
// Characters that have no 1251 byte become '?'.
std::string Utf16ToCp1251(const std::u16string& text);

// One character each way: the wide character of a byte, and the byte of a wide
// character ('?' when it has none).
char16_t Cp1251CharToUtf16(unsigned char byte);
char Utf16CharToCp1251(char16_t ch);

} // namespace orlinda
