#pragma once
#include <string>
#include <vector>

namespace orlinda {

// Where the desktop keeps per-user files, following the XDG base directory rules.
// A variable that is unset, empty or not an absolute path is ignored.

// $HOME, else the home folder of the password database; "/" as the last resort.
std::string HomeFolder();
// $XDG_DATA_HOME, else ~/.local/share. Without a trailing '/'.
std::string XdgDataHome();
// $XDG_CONFIG_HOME, else ~/.config. Without a trailing '/'.
std::string XdgConfigHome();

// Full path of the running executable (/proc/self/exe); empty when it cannot be read.
std::string ExecutablePath();

// The folder part of a path, ending with '/'; empty when the path has no folder.
std::string FolderOfPath(const std::string& path);
// The folder text with one trailing '/' (an empty text stays empty).
std::string WithTrailingSlash(const std::string& folder);

// Creates a folder and all of its missing parents; true when the folder exists afterwards.
bool CreateFolderWithParents(const std::string& folder);

bool IsExistingFile(const std::string& path);    // a regular file (links followed)
bool IsExistingFolder(const std::string& path);  // a directory (links followed)

// Names (without folder) of the regular files in a folder, in no particular order;
// empty when the folder cannot be read.
std::vector<std::string> FilesInFolder(const std::string& folder);

// Replaces a file's content so that a crash or a full disk never leaves it half written:
// the bytes go to a temporary file beside it, which is flushed and renamed over it.
// False (target untouched) on any failure.
bool ReplaceFileContent(const std::string& path, const std::string& bytes);

// Whole file as bytes; false when it cannot be opened or read.
bool ReadFileContent(const std::string& path, std::string& bytes);

} // namespace orlinda
