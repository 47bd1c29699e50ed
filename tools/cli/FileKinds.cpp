#include "FileKinds.h"

#include <algorithm>

namespace orlinda::cli {

namespace {

std::vector<FileKind>& Table()
{
    static std::vector<FileKind> table;
    return table;
}

} // namespace

void RegisterFileKind(FileKind kind)
{
    Table().push_back(std::move(kind));
}

std::vector<const FileKind*> FileKinds()
{
    std::vector<const FileKind*> result;
    for (const auto& k : Table())
        result.push_back(&k);
    std::sort(result.begin(), result.end(), [](const FileKind* a, const FileKind* b) { return a->name < b->name; });
    return result;
}

const FileKind* FindFileKind(const std::string& name)
{
    for (const auto& k : Table())
        if (k.name == name)
            return &k;
    return nullptr;
}

std::string FileKindsHelp()
{
    size_t width = 0;
    for (const FileKind* k : FileKinds())
        width = std::max(width, k->name.size());
    std::string text;
    for (const FileKind* k : FileKinds())
        text += "  " + k->name + std::string(width - k->name.size() + 2, ' ') + k->summary + "\n";
    return text;
}

} // namespace orlinda::cli
