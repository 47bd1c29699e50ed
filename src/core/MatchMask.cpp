#include "core/MatchMask.h"

namespace orlinda {

namespace {

bool IsSpecial(char c) { return c == '#' || c == '*' || c == '?' || c == '['; }

// The literal run of mask characters starting at from, up to the next special one.
std::string LiteralRun(const std::string& mask, size_t from)
{
    size_t end = from;
    while (end < mask.size() && !IsSpecial(mask[end]))
        ++end;
    return mask.substr(from, end - from);
}

bool HasForbiddenPair(const std::string& mask)
{
    static constexpr const char* kPairs[] = {"*?", "*#", "*[", "**", "]?", "]#", "][", "]*"};
    for (const char* pair : kPairs)
        if (mask.find(pair) != std::string::npos)
            return true;
    return false;
}

} // namespace

bool MatchMask(const std::string& text, const std::string& mask)
{
    if (text.empty() || mask.empty() || HasForbiddenPair(mask))
        return false;
    const size_t n = text.size(), m = mask.size();
    size_t mi = 0, p = 0;

    // The last '*' met: where its run starts in the mask, the run, and where it was
    // found in the text. When the rest of the mask fails, the run is tried again at its
    // next occurrence, so "*a" matches "banana".
    bool starSeen = false;
    size_t starRunStart = 0, starFound = 0;
    std::string starRun;
    auto retryStar = [&]() {
        if (!starSeen)
            return false;
        size_t next = text.find(starRun, starFound + 1);
        if (next == std::string::npos)
            return false;
        starFound = next;
        mi = starRunStart;
        p = next;
        return true;
    };

    for (;;) {
        // Here both the mask and the text have characters left.
        const char c = mask[mi];
        bool ok = true;
        if (c == '#') {
            ok = text[p] >= '0' && text[p] <= '9';
            ++mi;
            ++p;
        } else if (c == '?') {
            ++mi;
            ++p;
        } else if (c == '*') {
            if (mi + 1 == m)
                return true;
            // The forbidden pairs make sure a literal run follows.
            std::string run = LiteralRun(mask, mi + 1);
            size_t at = text.find(run, p);
            if (at == std::string::npos)
                return false; // later occurrences of an earlier run cannot help either
            starSeen = true;
            starRun = run;
            starRunStart = mi + 1;
            starFound = at;
            mi = mi + 1;
            p = at;
        } else if (c == '[') {
            size_t close = mask.find(']', mi + 1);
            if (close == std::string::npos)
                return false;
            size_t setStart = mi + 1;
            bool negated = setStart < close && mask[setStart] == '!';
            if (negated)
                ++setStart;
            if (setStart >= close)
                return false;
            const std::string set = mask.substr(setStart, close - setStart);
            std::string run = LiteralRun(mask, close + 1);
            size_t end = run.empty() ? std::string::npos : text.find(run, p);
            if (end == std::string::npos)
                end = n;
            for (size_t k = p; k < end && ok; ++k)
                ok = (set.find(text[k]) != std::string::npos) != negated;
            mi = close + 1;
            p = end;
        } else {
            ok = text[p] == c;
            ++mi;
            ++p;
        }

        if (ok) {
            if (mi < m && p < n)
                continue;
            // Used up together, or one of them with exactly one character to spare.
            if ((mi == m && p == n) || (mi + 1 == m && p == n) || (mi == m && p + 1 == n))
                return true;
        }
        if (!retryStar())
            return false;
    }
}

} // namespace orlinda
