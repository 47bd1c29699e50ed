#pragma once
#include <string>

namespace orlinda {

// Where the program and its files live. Every folder text ends with '/'.
//
// The per-user application-data folder is the value "AppData" of the program's INI file
// ($XDG_CONFIG_HOME/Tarvell/Orlinda.ini, in place of the registry key) when it is not
// empty, else $XDG_DATA_HOME. The all-users folder is "Common AppData" of the same file
// when it is not empty, else the same data home (the desktop has no machine-wide folder
// that a user may write). A data root set with SetDataRoot replaces both.
struct TAppPaths {
    std::string ExecutablePath;   // full path of the running executable
    std::string ProgramFolder;    // its folder
    std::string UserDataRoot;     // the per-user application-data folder itself
    std::string CommonDataRoot;   // the all-users application-data folder itself
    std::string UserFolder;       // UserDataRoot + "Tarvell/Orlinda/"
    std::string SharedFolder;     // CommonDataRoot + "Tarvell/Orlinda/"
    std::string SkinsFolder;      // CommonDataRoot + "Tarvell/Skins/"
    std::string UpdateFolder;     // UserFolder + "update/"
    std::string HistoryFolder;    // SharedFolder + "history/"
    std::string DataFolder;       // the data delivered with the program (holidays.dat, smtp.dat, …)
    std::string MediaFolder;      // the program's sounds: DataFolder + "media/"

    // Files of the user folder.
    std::string ConfigFile;           // config.dat
    std::string LogFile;              // assertions.dat
    std::string UsersFile;            // users.dat
    std::string RemindersFile;        // reminders.dat
    std::string HolidayBindingsFile;  // holidays.tmp
    std::string HistoryFile;          // history.dat
    std::string SoundsFile;           // sounds.dat
    // Files of the shared folder.
    std::string HolidaysFile;         // holidays.dat
    std::string SmtpFile;             // smtp.dat
    std::string HelpFile;             // help.dat
};

// The folders and file names in force; settled on first use.
const TAppPaths& AppPaths();

// Works the folders and file names out afresh from the data root, the INI file and the
// environment. Without a data root the INI file is created empty when it is missing (as
// the registry key is). Creates none of the data folders.
void SettleFolders();

// Creates UserFolder, SharedFolder and SkinsFolder with all their parents; false when
// one of them could not be made.
bool CreateFolders();

// Makes dir the root of both the per-user and the all-users folders (so people are kept
// in dir/Tarvell/Orlinda/users.dat) and settles the folders again; an empty text goes
// back to the INI file and the environment. For the command line's --data and for tests.
void SetDataRoot(const std::string& dir);
const std::string& DataRoot();

// Uses dir in place of the delivered data folder found beside the executable (empty:
// find it again) and settles the folders again. For tests.
void SetDeliveredDataFolder(const std::string& dir);

// Path of the INI file that stands in for the registry key.
std::string IniFilePath();

// The delivered data folder for an executable in exeFolder: the nearest "share/orlinda/"
// in exeFolder or in one of its three nearest parents, so that PREFIX/bin finds
// PREFIX/share/orlinda/ when installed and a program in the build tree finds the build's
// share/orlinda/; empty when there is none.
std::string FindDeliveredDataFolder(const std::string& exeFolder);

} // namespace orlinda
