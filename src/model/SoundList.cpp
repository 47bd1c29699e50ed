#include "model/SoundList.h"

#include "core/AtomicFile.h"
#include "core/FileStream.h"
#include "model/Paths.h"
#include "platform/Folders.h"

#include <algorithm>
#include <exception>

namespace orlinda {

namespace {

unsigned char Fold(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

bool HasWavExtension(const std::string& name)
{
    if (name.size() < 5)  // a name of its own before ".wav"
        return false;
    return CompareSoundPaths(name.substr(name.size() - 4), ".wav") == 0;
}

} // namespace

int CompareSoundPaths(const std::string& a, const std::string& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = Fold(static_cast<unsigned char>(a[i]));
        unsigned char y = Fold(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool TSoundList::Add(const std::string& path)
{
    if (path.empty())
        return false;
    auto it = std::lower_bound(items_.begin(), items_.end(), path,
                               [](const std::string& x, const std::string& y) { return CompareSoundPaths(x, y) < 0; });
    if (it != items_.end() && CompareSoundPaths(*it, path) == 0)
        return false;
    items_.insert(it, path);
    return true;
}

void TSoundList::Delete(int index)
{
    if (index >= 0 && index < Count())
        items_.erase(items_.begin() + index);
}

int TSoundList::IndexOf(const std::string& path) const
{
    auto it = std::lower_bound(items_.begin(), items_.end(), path,
                               [](const std::string& x, const std::string& y) { return CompareSoundPaths(x, y) < 0; });
    if (it != items_.end() && CompareSoundPaths(*it, path) == 0)
        return static_cast<int>(it - items_.begin());
    return -1;
}

std::string TSoundList::Text() const
{
    std::string text;
    for (const std::string& item : items_)
        text += item + "\r\n";
    return text;
}

void TSoundList::SetText(const std::string& text)
{
    items_.clear();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        Add(text.substr(pos, end - pos));
        pos = end + 1;
        if (end < text.size() && text[end] == '\r' && pos < text.size() && text[pos] == '\n')
            ++pos;
    }
}

void TSoundList::LoadFromFile(const std::string& fileName)
{
    SetText(ReadWholeFile(fileName));
}

void TSoundList::SaveToFile(const std::string& fileName) const
{
    WriteFileAtomic(fileName, Text());
}

TSoundList& SoundList()
{
    static TSoundList list;
    return list;
}

void RefreshSoundList()
{
    TSoundList& list = SoundList();
    const TAppPaths& paths = AppPaths();
    try {
        if (IsExistingFile(paths.SoundsFile)) {
            try {
                list.LoadFromFile(paths.SoundsFile);
            } catch (const std::exception&) {
                // An unreadable list is rebuilt from the media folder.
            }
        }
        for (int i = list.Count() - 1; i >= 0; --i)
            if (!IsExistingFile(list[i]))
                list.Delete(i);
        if (!paths.MediaFolder.empty())
            for (const std::string& name : FilesInFolder(paths.MediaFolder))
                if (HasWavExtension(name))
                    list.Add(paths.MediaFolder + name);
        list.SaveToFile(paths.SoundsFile);
    } catch (const std::exception&) {
    }
}

bool AddSound(const std::string& file)
{
    if (!IsExistingFile(file))
        return false;
    SoundList().Add(file);
    try {
        SoundList().SaveToFile(AppPaths().SoundsFile);
    } catch (const std::exception&) {
    }
    return true;
}

} // namespace orlinda
