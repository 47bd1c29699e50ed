#include "core/Windows1251.h"

#include <array>

namespace orlinda {

namespace {

// Bytes 0x80-0xBF of Windows-1251; 0x98 is unassigned there and maps to U+0098.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

char16_t Cp1251CharToUtf16(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    return kHigh[byte - 0x80];
}

char Utf16CharToCp1251(char16_t ch)
{
    if (ch < 0x80)
        return static_cast<char>(ch);
    if (ch >= 0x0410 && ch <= 0x044F)
        return static_cast<char>(0xC0 + (ch - 0x0410));
    for (size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == ch)
            return static_cast<char>(0x80 + i);
    return '?';
}

std::u16string Cp1251ToUtf16(const std::string& text)
{
    std::u16string result;
    result.reserve(text.size());
    for (char c : text)
        result.push_back(Cp1251CharToUtf16(static_cast<unsigned char>(c)));
    return result;
}

std::string Utf16ToCp1251(const std::u16string& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        // A surrogate pair is one character outside the code page: one '?'.
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            ++i;
        result.push_back(Utf16CharToCp1251(c));
    }
    return result;
}

} // namespace orlinda
