#include "core/Utf8.h"

#include "core/Windows1251.h"

#include <cstdint>

namespace orlinda {

std::string Utf8EncodeWide(const std::u16string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// A well-formed 4-byte sequence (U+10000 ... U+10FFFF) at text[i]; its code point.
bool FourByteSequence(const std::string& text, size_t i, char32_t& cp)
{
    if (i + 3 >= text.size())
        return false;
    auto b = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    if (b(0) < 0xF0 || b(0) > 0xF4 || !IsContinuation(b(1)) || !IsContinuation(b(2)) || !IsContinuation(b(3)))
        return false;
    cp = (char32_t(b(0) & 0x07) << 18) | (char32_t(b(1) & 0x3F) << 12) | (char32_t(b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    return cp >= 0x10000 && cp <= 0x10FFFF;
}

} // namespace

std::u16string Utf8DecodeWide(const std::string& text)
{
    std::u16string out;
    out.reserve(text.size());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        char32_t cp;
        if (FourByteSequence(text, i, cp)) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
            i += 4;
            continue;
        }
        // Any other byte from 0x80 up leads a sequence: three bytes when its bit 0x20 is
        // set, otherwise two; the value keeps the low bits that fit in one code unit.
        size_t length = (lead & 0x20) ? 3 : 2;
        if (i + length > n)
            return Cp1251ToUtf16(text);
        uint32_t value = lead & 0x3F;
        for (size_t k = 1; k < length; ++k) {
            auto c = static_cast<unsigned char>(text[i + k]);
            if (!IsContinuation(c))
                return Cp1251ToUtf16(text);
            value = (value << 6) | (c & 0x3F);
        }
        out.push_back(static_cast<char16_t>(value & 0xFFFF));
        i += length;
    }
    return out;
}

} // namespace orlinda
