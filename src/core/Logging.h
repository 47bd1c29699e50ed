#pragma once
#include "core/CriticalSection.h"
#include "core/DateTime.h"

#include <cstdint>
#include <string>

namespace orlinda {

// The settings of one log file: the main log (empty FLogName) or a named one.
struct TLogItem {
    explicit TLogItem(const std::string& logName = {});

    std::string FLogName;   // key of a named log: "messages" for "messages.log"
    TCriticalSection FLock; // "unitLog." + FLogName; serialises writing to this log
    std::string FFolder;    // with a trailing '/'
    std::string FBaseName;  // without extension
    std::string FExtension; // with the dot, ".dat"
    bool FDaily = false;    // one file per day, lines stamped with the time only
    bool FOpen = false;     // the settings have been given
    bool FWithUser = true;  // lines carry the user's name

    // The file the log writes to at that moment: folder + base + extension, or for a daily
    // log folder + base + "(dd-mm-yyyy)" + extension.
    std::string FileName(TDateTime moment) const;
    // "<stamp> [(<user>) ]<message>"; the stamp is "dd-mm-yyyy hh:nn:ss" or, daily, "hh:nn:ss".
    std::string FormatLine(const std::string& message, TDateTime moment) const;
};

// Start of the logging unit: reads the user name, sets the default folder to the folder of
// the executable, installs the main-log writer as the process-wide writer and enables it.
void StartLogging();
// End of the logging unit: sets the closing flag (the main-log writer then drops every
// message), destroys the named logs and forgets the main log's settings.
void StopLogging();

// The folder used when a log is given no folder of its own (with a trailing '/').
void SetDefaultLogFolder(const std::string& folder);
std::string DefaultLogFolder();
// The folder of the running executable, with a trailing '/'; empty when it cannot be read.
std::string ExecutableFolder();

// Gives the main log its settings. The folder is the file's folder, else the folder the
// main log had, else the default folder; a folder that cannot be created gives way to the
// default folder. A file name without a name part leaves the main log as it was.
void OpenLog(const std::string& file, bool daily, bool withUser);
// The main log's current file; empty while it is not open.
std::string MainLogFileName();
// The writer StartLogging installs: appends the line to the main log's file. Drops the
// message while logging is not started, is closing, or the main log is not open.
void MainLogWriter(const std::string& message);

// Registers (or updates) the named log whose key is name without folder and extension.
// Folder, base name and extension come from file, else from the log's previous settings,
// else from the default folder, the key and name's extension.
void RegisterLog(const std::string& name, bool daily, bool withUser, const std::string& file = {});
// The current file of a named log; empty when it is not registered.
std::string NamedLogFileName(const std::string& name);
// Writes to the named log: to the main log (through Log) while that is open, else to the
// named log's own file. A name never registered writes nothing.
void WriteNamedLog(const std::string& name, const std::string& message);

// Appends line + CR LF to the file (created when missing), opening and closing it each time;
// a file that cannot be opened is tried again after 10 ms, 10 attempts in all. False when
// the line was lost.
bool AppendLine(const std::string& file, const std::string& line);

// Trims the main log to its last `keep` bytes and returns the Base64 of a gzip stream of the
// end of it that fits into `limit` bytes (at most three tries, each taking about nine tenths
// of what fitted before), or an empty text when limit < 1024, the log is missing or empty,
// or no tail fits.
std::string LogTail(int64_t keep, int64_t limit);

} // namespace orlinda
