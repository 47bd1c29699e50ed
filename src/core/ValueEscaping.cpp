#include "core/ValueEscaping.h"

namespace orlinda {

namespace {

const char hexDigits[] = "0123456789ABCDEF";

// Value of an upper-case hexadecimal digit, -1 for anything else.
int UpperHexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Value of a hexadecimal digit of either case, -1 for anything else.
int AnyHexValue(char c)
{
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return UpperHexValue(c);
}

std::string UnescapeNormal(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    const size_t n = s.size();
    for (size_t i = 0; i < n;) {
        char c = s[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        int hi = i + 1 < n ? UpperHexValue(s[i + 1]) : -1;
        if (hi < 0) { // '%' before anything else, or at the end, stays
            out += '%';
            ++i;
            continue;
        }
        int lo = i + 2 < n ? UpperHexValue(s[i + 2]) : -1;
        if (lo < 0) { // one digit: '%' and the digit stay
            out += '%';
            out += s[i + 1];
            i += 2;
            continue;
        }
        out += static_cast<char>(hi * 16 + lo);
        i += 3;
    }
    return out;
}

// The older enclosed form: '%' ... '%'.
std::string UnescapeEnclosed(std::string_view s)
{
    // Step 1: an intermediate text quoted with '%', built from the characters between
    // the outer signs.
    std::string quoted = "%";
    quoted.reserve(s.size() + 2);
    const size_t end = s.size() - 1; // index of the closing '%'
    for (size_t i = 1; i < end;) {
        char c = s[i];
        if (c != '%') {
            quoted += c;
            ++i;
            continue;
        }
        if (i + 1 < end && s[i + 1] == '%') {
            quoted += "%%";
            i += 2;
            continue;
        }
        int hi = i + 1 < end ? AnyHexValue(s[i + 1]) : -1;
        int lo = i + 2 < end ? AnyHexValue(s[i + 2]) : -1;
        if (hi >= 0 && lo >= 0) {
            quoted += static_cast<char>(hi * 16 + lo);
            i += 3;
            continue;
        }
        quoted += "%%";
        ++i;
    }
    quoted += '%';

    // Step 2: read the quoted text; "%%" is one '%', the first single '%' ends it.
    std::string text;
    text.reserve(quoted.size());
    for (size_t i = 1; i < quoted.size(); ++i) {
        if (quoted[i] == '%') {
            if (i + 1 < quoted.size() && quoted[i + 1] == '%') {
                text += '%';
                ++i;
                continue;
            }
            break;
        }
        text += quoted[i];
    }

    // Step 3: the marker of a zero byte.
    static const std::string marker = std::string("=>\x01NULL\x01<=", 10);
    if (text.find(marker) == std::string::npos)
        return text;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, marker.size(), marker) == 0) {
            out += '\0';
            i += marker.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

} // namespace

std::string EscapeValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char ch : value) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x80 || c == '%') {
            out += '%';
            out += hexDigits[c >> 4];
            out += hexDigits[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string UnescapeValue(std::string_view stored)
{
    if (!stored.empty() && stored.front() == '%' && stored.back() == '%')
        return UnescapeEnclosed(stored);
    if (stored.find('%') == std::string::npos)
        return std::string(stored);
    return UnescapeNormal(stored);
}

} // namespace orlinda
