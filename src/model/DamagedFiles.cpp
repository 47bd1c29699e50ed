#include "model/DamagedFiles.h"

#include "core/AtomicFile.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "platform/Folders.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orlinda {

void TDamagedFiles::NoteDamaged(const std::string& fileName, std::string bytes)
{
    auto& e = files_[fileName];
    // A second failed load of the same file keeps the bytes of the first.
    if (!e.unreadable && !e.bytes.empty())
        return;
    e.unreadable = false;
    e.bytes = std::move(bytes);
}

void TDamagedFiles::NoteUnreadable(const std::string& fileName)
{
    auto& e = files_[fileName];
    if (e.bytes.empty())
        e.unreadable = true;
}

std::string TDamagedFiles::CopyName(const std::string& fileName, TDateTime day)
{
    CivilDate d = DecodeDate(day);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, ".bad-%04d-%02d-%02d", d.year, d.month, d.day);
    std::string base = fileName + stamp;
    std::string name = base;
    for (int n = 2; IsExistingFile(name) && n < 1000; ++n)
        name = base + "-" + std::to_string(n);
    return name;
}

bool TDamagedFiles::BeforeSave(const std::string& fileName)
{
    auto it = files_.find(fileName);
    if (it == files_.end())
        return true;
    const std::string copy = CopyName(fileName, Now());
    if (it->second.unreadable) {
        if (std::rename(fileName.c_str(), copy.c_str()) != 0 && errno != ENOENT) {
            Log("Project: cannot move the unreadable " + fileName + " aside to " + copy + ": " + std::strerror(errno)
                + "; it is not overwritten");
            return false;
        }
    } else {
        try {
            WriteFileAtomic(copy, it->second.bytes);
        } catch (const std::exception& e) {
            Log("Project: cannot keep the damaged " + fileName + " as " + copy + ": " + e.what()
                + "; it is not overwritten");
            return false;
        }
    }
    Log("Project: the damaged " + fileName + " was kept as " + copy + " before it was written anew");
    files_.erase(it);
    return true;
}

} // namespace orlinda
