#include "core/MultiOptions.h"

#include "core/Error.h"

#include <unordered_map>

namespace orlinda {

TOptionsList* TMultiOptions::Find(const std::string& name) const
{
    for (const auto& item : FItems) {
        auto* section = static_cast<TOptionsList*>(item.get());
        if (section->FSectionName == name)
            return section;
    }
    return nullptr;
}

TOptionsList* TMultiOptions::FindOrAdd(const std::string& name)
{
    if (auto* section = Find(name))
        return section;
    auto* section = AddSection();
    section->FSectionName = name;
    return section;
}

TOptionsList* TMultiOptions::AddSection()
{
    auto* section = static_cast<TOptionsList*>(AddNew());
    section->FSectionIndex = Count() - 1;
    return section;
}

TOptionsList* TMultiOptions::Get(int index) const
{
    auto* section = dynamic_cast<TOptionsList*>(Item(index));
    if (section)
        section->FSectionIndex = index;
    return section;
}

std::unique_ptr<TPersistObj> TMultiOptions::CreateItem()
{
    auto section = std::make_unique<TOptionsList>();
    section->FSections = this;
    return section;
}

std::string TMultiOptions::Text() const
{
    std::string text;
    for (const auto& item : FItems) {
        const auto* section = dynamic_cast<const TOptionsList*>(item.get());
        if (!section)
            continue;
        text += '[';
        text += section->FSectionName;
        text += "]\r\n";
        text += section->Text();
        text += "\r\n";
    }
    return text;
}

void TMultiOptions::SetText(std::string_view text)
{
    Clear();
    TOptionsList* current = nullptr;
    std::unordered_map<std::string, TOptionsList*> byName;
    size_t start = 0;
    const size_t n = text.size();
    while (start < n) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = n;
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (end < n && text[end] == '\r' && start < n && text[start] == '\n')
            ++start;
        if (line.empty())
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            // FindOrAdd through a map: every section here was made by this load.
            std::string name(line.substr(1, line.size() - 2));
            auto it = byName.find(name);
            if (it == byName.end())
                it = byName.emplace(name, FindOrAdd(name)).first;
            current = it->second;
            current->Clear();
            continue;
        }
        if (current)
            current->Add(std::string(line));
    }
}

void TMultiOptions::SaveToStream(TStream& stream) const
{
    const std::string text = Text();
    if (!text.empty() && stream.Write(text) != static_cast<int64_t>(text.size()))
        throw Error("Error writing data to stream");
}

void TMultiOptions::LoadFromStream(TStream& stream)
{
    std::string text;
    char buffer[65536];
    for (int64_t got; (got = stream.Read(buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    SetText(text);
}

} // namespace orlinda
