#include "net/Url.h"

#include <cctype>

namespace orlinda {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

bool IsIPv6Literal(const std::string& host)
{
    return host.find(':') != std::string::npos;
}

std::string UrlHost(const std::string& host)
{
    return IsIPv6Literal(host) ? "[" + host + "]" : host;
}

TURL ParseURL(const std::string& url)
{
    TURL u;
    std::string rest = url;
    // Surrounding blanks are never part of a URL.
    size_t b = rest.find_first_not_of(" \t\r\n");
    size_t e = rest.find_last_not_of(" \t\r\n");
    rest = b == std::string::npos ? std::string() : rest.substr(b, e - b + 1);

    if (size_t hash = rest.find('#'); hash != std::string::npos)
        rest.erase(hash);

    if (size_t sep = rest.find("://"); sep != std::string::npos) {
        u.Prot = rest.substr(0, sep);
        rest.erase(0, sep + 3);
    } else {
        u.Prot = "http";
    }
    std::string scheme = Lower(u.Prot);
    if (scheme == "http")
        u.Port = "80";
    else if (scheme == "https")
        u.Port = "443";

    // The authority runs up to the first "/" or "?".
    size_t authEnd = rest.find_first_of("/?");
    std::string authority = rest.substr(0, authEnd);
    std::string pathAndQuery = authEnd == std::string::npos ? std::string() : rest.substr(authEnd);

    // Credentials stand before the last "@" of the authority.
    if (size_t at = authority.rfind('@'); at != std::string::npos) {
        std::string credentials = authority.substr(0, at);
        authority.erase(0, at + 1);
        size_t colon = credentials.find(':');
        u.User = PercentDecode(credentials.substr(0, colon));
        if (colon != std::string::npos)
            u.Pass = PercentDecode(credentials.substr(colon + 1));
    }

    if (!authority.empty() && authority[0] == '[') {
        size_t close = authority.find(']');
        if (close == std::string::npos) {
            u.Host = authority.substr(1);
        } else {
            u.Host = authority.substr(1, close - 1);
            std::string after = authority.substr(close + 1);
            if (after.size() > 1 && after[0] == ':')
                u.Port = after.substr(1);
        }
    } else {
        size_t colon = authority.find(':');
        if (colon != std::string::npos && authority.find(':', colon + 1) != std::string::npos) {
            u.Host = authority;  // a bare IPv6 address without brackets and without a port
        } else if (colon != std::string::npos) {
            u.Host = authority.substr(0, colon);
            if (colon + 1 < authority.size())
                u.Port = authority.substr(colon + 1);
        } else {
            u.Host = authority;
        }
    }

    size_t q = pathAndQuery.find('?');
    u.Path = pathAndQuery.substr(0, q);
    if (q != std::string::npos)
        u.Para = pathAndQuery.substr(q + 1);
    if (u.Path.empty())
        u.Path = "/";
    u.URI = u.Path;
    if (!u.Para.empty())
        u.URI += "?" + u.Para;
    return u;
}

} // namespace orlinda
