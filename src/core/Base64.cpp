#include "core/Base64.h"

namespace orlinda {

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int ValueOf(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+' || c == ' ')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Appends the bytes of a group of count (2, 3 or 4) values.
void Flush(std::string& out, const int* v, int count)
{
    if (count >= 2)
        out.push_back(static_cast<char>((v[0] << 2) | (v[1] >> 4)));
    if (count >= 3)
        out.push_back(static_cast<char>(((v[1] & 0x0F) << 4) | (v[2] >> 2)));
    if (count >= 4)
        out.push_back(static_cast<char>(((v[2] & 0x03) << 6) | v[3]));
}
} // namespace

std::string Base64Encode(const std::string& bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    auto b = [&](size_t k) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[k])); };
    for (; i + 3 <= bytes.size(); i += 3) {
        unsigned n = (b(i) << 16) | (b(i + 1) << 8) | b(i + 2);
        out.push_back(kAlphabet[(n >> 18) & 63]);
        out.push_back(kAlphabet[(n >> 12) & 63]);
        out.push_back(kAlphabet[(n >> 6) & 63]);
        out.push_back(kAlphabet[n & 63]);
    }
    size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned n = b(i) << 16;
        if (rest == 2)
            n |= b(i + 1) << 8;
        out.push_back(kAlphabet[(n >> 18) & 63]);
        out.push_back(kAlphabet[(n >> 12) & 63]);
        out.push_back(rest == 2 ? kAlphabet[(n >> 6) & 63] : '=');
        out.push_back('=');
    }
    return out;
}

std::string Base64Decode(const std::string& text)
{
    std::string out;
    out.reserve(text.size() / 4 * 3 + 2);
    int group[4];
    int count = 0;
    for (char c : text) {
        if (c == '=')
            break;
        int v = ValueOf(c);
        if (v < 0)
            continue;
        group[count++] = v;
        if (count == 4) {
            Flush(out, group, 4);
            count = 0;
        }
    }
    // The group ended by '=' or by the end of the text.
    if (count < 4)
        Flush(out, group, count);
    return out;
}

} // namespace orlinda
