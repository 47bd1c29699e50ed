#pragma once
#include "core/DateTime.h"

#include <map>
#include <string>

namespace orlinda {

// Data files that did not load whole. A file that fails part way keeps the records read
// before the failure in memory; the first save would then overwrite the unread rest. So
// the original bytes are kept here and, just before that save, written beside the file as
// "<file>.bad-YYYY-MM-DD" (with "-2", "-3" … when that name is taken). A file that exists
// but could not be read at all is moved to that name instead.
class TDamagedFiles {
public:
    // The file was read but failed part way; bytes are its whole original content.
    void NoteDamaged(const std::string& fileName, std::string bytes);
    // The file exists but could not be read.
    void NoteUnreadable(const std::string& fileName);

    // Called before every save of a file: keeps the original of a damaged one beside it.
    // False when that failed, so the save must not overwrite the file.
    bool BeforeSave(const std::string& fileName);

    bool IsDamaged(const std::string& fileName) const { return files_.count(fileName) != 0; }
    // The name the copy of a file gets on that day, the first one not taken.
    static std::string CopyName(const std::string& fileName, TDateTime day);

private:
    struct Entry {
        bool unreadable = false;
        std::string bytes;
    };
    std::map<std::string, Entry> files_;
};

} // namespace orlinda
