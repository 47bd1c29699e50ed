#include "platform/IniFile.h"

#include "platform/Folders.h"

#include <algorithm>

namespace orlinda {

namespace {

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<unsigned char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

std::string Trim(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.substr(begin, end - begin);
}

} // namespace

bool TIniFile::Load()
{
    std::string bytes;
    if (!ReadFileContent(fileName_, bytes)) {
        sections_.clear();
        return false;
    }
    LoadFromText(bytes);
    return true;
}

bool TIniFile::Save() const
{
    return ReplaceFileContent(fileName_, Text());
}

void TIniFile::LoadFromText(const std::string& text)
{
    sections_.clear();
    std::string current;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (end < text.size() && text[end] == '\r' && pos < text.size() && text[pos] == '\n')
            ++pos;
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            current = Trim(line.substr(1, line.size() - 2));
            SectionFor(current);
            continue;
        }
        auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string name = Trim(line.substr(0, eq));
        std::string value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (!name.empty())
            WriteString(current, name, value);
    }
}

std::string TIniFile::Text() const
{
    std::string text;
    for (const Section& section : sections_) {
        if (section.name.empty() && section.entries.empty())
            continue;
        if (!text.empty())
            text += '\n';
        if (!section.name.empty())
            text += "[" + section.name + "]\n";
        for (const Entry& entry : section.entries) {
            const std::string& v = entry.value;
            bool quote = v != Trim(v) || (v.size() >= 2 && v.front() == '"' && v.back() == '"');
            text += entry.name + "=" + (quote ? "\"" + v + "\"" : v) + "\n";
        }
    }
    return text;
}

const TIniFile::Section* TIniFile::FindSection(const std::string& name) const
{
    auto it = std::find_if(sections_.begin(), sections_.end(),
                           [&](const Section& s) { return SameText(s.name, name); });
    return it == sections_.end() ? nullptr : &*it;
}

TIniFile::Section& TIniFile::SectionFor(const std::string& name)
{
    if (const Section* found = FindSection(name))
        return const_cast<Section&>(*found);
    // The unnamed section always comes first, so that its lines stay before any header.
    if (name.empty())
        return *sections_.insert(sections_.begin(), Section{});
    sections_.push_back(Section{name, {}});
    return sections_.back();
}

bool TIniFile::HasValue(const std::string& section, const std::string& name) const
{
    if (const Section* s = FindSection(section))
        for (const Entry& e : s->entries)
            if (SameText(e.name, name))
                return true;
    return false;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& name,
                                 const std::string& defaultValue) const
{
    if (const Section* s = FindSection(section))
        for (const Entry& e : s->entries)
            if (SameText(e.name, name))
                return e.value;
    return defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& name, const std::string& value)
{
    Section& s = SectionFor(section);
    for (Entry& e : s.entries)
        if (SameText(e.name, name)) {
            e.value = value;
            return;
        }
    s.entries.push_back(Entry{name, value});
}

void TIniFile::DeleteValue(const std::string& section, const std::string& name)
{
    if (const Section* found = FindSection(section)) {
        auto& entries = const_cast<Section*>(found)->entries;
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const Entry& e) { return SameText(e.name, name); }),
                      entries.end());
    }
}

} // namespace orlinda
