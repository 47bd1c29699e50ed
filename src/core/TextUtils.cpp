#include "core/TextUtils.h"

#include "core/Random.h"
#include "core/Windows1251.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace orlinda {

std::string GetField(const std::string& text, int n, char separator)
{
    if (n < 0)
        return {};
    size_t start = 0;
    for (int i = 0; i < n; ++i) {
        size_t next = text.find(separator, start);
        if (next == std::string::npos)
            return {};
        start = next + 1;
    }
    size_t end = text.find(separator, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int FieldCount(const std::string& text, char separator)
{
    if (text.empty())
        return 0;
    return 1 + static_cast<int>(std::count(text.begin(), text.end(), separator));
}

std::string ReplaceAll(const std::string& text, const std::string& find, const std::string& replacement)
{
    if (find.empty())
        return text;
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (;;) {
        size_t at = text.find(find, from);
        if (at == std::string::npos)
            break;
        out.append(text, from, at - from);
        out += replacement;
        from = at + find.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

namespace {
char FoldAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
} // namespace

int PosFrom(const std::string& find, const std::string& text, int start, bool caseSensitive)
{
    if (find.empty())
        return 0;
    size_t from = start < 1 ? 0 : static_cast<size_t>(start) - 1;
    if (from >= text.size() || find.size() > text.size() - from)
        return 0;
    size_t at;
    if (caseSensitive) {
        at = text.find(find, from);
    } else {
        auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), find.begin(), find.end(),
                              [](char a, char b) { return FoldAscii(a) == FoldAscii(b); });
        at = it == text.end() ? std::string::npos : static_cast<size_t>(it - text.begin());
    }
    return at == std::string::npos ? 0 : static_cast<int>(at + 1);
}

std::string CollapseBlanks(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    bool inRun = false;
    for (char c : text) {
        if (static_cast<unsigned char>(c) <= 0x20) {
            inRun = true;
            continue;
        }
        if (inRun)
            out.push_back(' ');
        inRun = false;
        out.push_back(c);
    }
    return out;
}

std::string AddTrailingBackslash(const std::string& folder)
{
    if (folder.empty() || folder.back() == '\\')
        return folder;
    return folder + '\\';
}

std::string AddTrailingSeparator(const std::string& folder)
{
    if (folder.empty() || folder.back() == '/')
        return folder;
    return folder + '/';
}

std::u16string TrimWide(const std::u16string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && text[begin] <= u' ')
        ++begin;
    while (end > begin && text[end - 1] <= u' ')
        --end;
    return text.substr(begin, end - begin);
}

std::string UrlEncodeForm(const std::string& text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    auto keep = [](unsigned char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '!' || c == '$' ||
               c == '&' || c == '\'' || c == '(' || c == ')' || c == '*' || c == ',' || c == '-' || c == '.' ||
               c == '=' || c == '_';
    };
    std::string out;
    out.reserve(text.size() * 3);
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out.push_back('+');
        } else if (keep(c)) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

namespace {

// The two keyboard layouts, key by key: the Latin characters and, written in UTF-16,
// the Russian characters on the same keys.
constexpr char kLatinLayout[] = "`qwertyuiop[]asdfghjkl;'zxcvbnm,./~@#$^&|QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>?";
constexpr char16_t kRussianLayout[] =
    u"ёйцукенгшщзхъфывапролджэячсмитьбю.Ё\"№;:?/ЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮ,";
constexpr size_t kLayoutKeys = sizeof(kLatinLayout) - 1;
static_assert(kLayoutKeys == 74 && sizeof(kRussianLayout) / sizeof(char16_t) - 1 == kLayoutKeys);

// Index of the key of a Latin character, or -1.
int LayoutKey(char16_t c)
{
    if (c >= 0x80)
        return -1;
    for (size_t i = 0; i < kLayoutKeys; ++i)
        if (static_cast<char16_t>(kLatinLayout[i]) == c)
            return static_cast<int>(i);
    return -1;
}

} // namespace

std::u16string LatinToCyrillicLayout(const std::u16string& text)
{
    std::u16string out = text;
    for (auto& c : out) {
        int key = LayoutKey(c);
        if (key >= 0)
            c = kRussianLayout[key];
    }
    return out;
}

std::string LatinToCyrillicLayout(const std::string& text)
{
    std::string out = text;
    for (auto& c : out) {
        int key = LayoutKey(static_cast<unsigned char>(c));
        if (key >= 0)
            c = Utf16CharToCp1251(kRussianLayout[key]);
    }
    return out;
}

namespace {

// The string list's quicksort: the pivot in the middle, i and j scanning towards each
// other. The scans stop at the ends of the range, so any comparison — even one that
// answers at random — keeps the indices in bounds, and every pass shrinks the range,
// so the sort always ends. The smaller part is sorted by recursion and the larger one
// by the loop, which keeps the stack depth logarithmic.
void QuickSort(std::vector<std::string>& list, std::ptrdiff_t left, std::ptrdiff_t right,
               const std::function<int(std::ptrdiff_t, std::ptrdiff_t)>& compare)
{
    while (left < right) {
        std::ptrdiff_t i = left, j = right, p = left + (right - left) / 2;
        do {
            while (i < right && compare(i, p) < 0)
                ++i;
            while (j > left && compare(j, p) > 0)
                --j;
            if (i <= j) {
                std::swap(list[static_cast<size_t>(i)], list[static_cast<size_t>(j)]);
                if (p == i)
                    p = j;
                else if (p == j)
                    p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        // Now j < right and i > left: both parts are smaller than the range.
        if (j - left < right - i) {
            QuickSort(list, left, j, compare);
            left = i;
        } else {
            QuickSort(list, i, right, compare);
            right = j;
        }
    }
}

} // namespace

void ShuffleStrings(std::vector<std::string>& list)
{
    if (list.size() < 2)
        return;
    auto randomOrder = [](std::ptrdiff_t, std::ptrdiff_t) {
        int r = RandomInt(9999);
        if (r > 6666)
            return 0;
        return r < 3334 ? -1 : 1;
    };
    QuickSort(list, 0, static_cast<std::ptrdiff_t>(list.size()) - 1, randomOrder);
}

} // namespace orlinda
