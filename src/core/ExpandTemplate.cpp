#include "core/ExpandTemplate.h"

namespace orlinda {

namespace {

// Nesting deeper than this is not written by anyone; the limit keeps hostile text from
// exhausting the stack.
constexpr int maxDepth = 16;

std::string ReplaceAll(std::string text, const std::string& find, const std::string& replacement)
{
    for (size_t at = text.find(find); at != std::string::npos; at = text.find(find, at + replacement.size()))
        text.replace(at, find.size(), replacement);
    return text;
}

std::string Expand(const std::string& text, const TOptionsList& values, int depth)
{
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    for (;;) {
        size_t open = text.find("{{", pos);
        if (open == std::string::npos)
            break;
        size_t close = text.find("}}", open + 2);
        if (close == std::string::npos)
            break;
        out.append(text, pos, open - pos);
        const std::string name = text.substr(open + 2, close - open - 2);
        if (depth < maxDepth && name.find("|{") != std::string::npos && name.find("}|") != std::string::npos)
            out += Expand(ReplaceAll(ReplaceAll(name, "|{", "{{"), "}|", "}}"), values, depth + 1);
        else
            out += values.GetValue(name);
        pos = close + 2;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

} // namespace

std::string ExpandTemplate(const std::string& text, const TOptionsList& values)
{
    return Expand(text, values, 0);
}

} // namespace orlinda
