#pragma once
#include <string>
#include <vector>

namespace orlinda {

// What the auto-updater is given at start.
struct TUpdaterSetup {
    std::string AppDir;      // ProgramFolder
    std::string CommonDir;   // the all-users application-data folder itself
    std::string UserDir;     // the per-user application-data folder itself
    std::string WorkFolder;  // UserFolder + "update/"
};

// The auto-updater lives in the networking layer, which the configuration cannot see;
// the program installs it here before StartConfiguration.
class TUpdaterHook {
public:
    virtual ~TUpdaterHook() = default;
    // Creates the updater. With autoUpdate (the program was restarted with "/autoupdate")
    // it first finishes the staged update and logs its outcome; it may end the process
    // when the update does not finish in time.
    virtual void Start(const TUpdaterSetup& setup, bool autoUpdate) = 0;
    // Stops the updater (terminate, release its wait, resume, wait for it) and destroys it.
    virtual void Stop() = 0;
};

// Installs the hook (not owned; null: no updater).
void SetUpdaterHook(TUpdaterHook* hook);

// The configuration's start, before the main window exists; arguments are the program's
// command-line arguments without the program name. The logging unit must have been
// started (StartLogging). In order:
//  1. settles the folders and file names and creates the user, shared and skins folders;
//  2. opens the log assertions.dat, trims it to its last 256 KiB, and makes the main log
//     the writer of Log;
//  3. writes the system description into the log;
//  4. gives a shared folder without holidays.dat, smtp.dat or help.dat the copies
//     delivered with the program, so that a first start has a calendar;
//  5. loads the settings with their defaults;
//  6. builds the sound list;
//  7. starts the updater through the hook, finishing a staged update first when the first
//     argument is exactly "/autoupdate".
void StartConfiguration(const std::vector<std::string>& arguments);

// The configuration's end: stops the updater, empties the sound list and the settings.
void StopConfiguration();

// Copies each delivered data file (holidays.dat, smtp.dat, help.dat in AppPaths().DataFolder)
// that the shared folder lacks into it, atomically. Returns the names copied; failed is
// given the names that could not be copied.
std::vector<std::string> InstallDeliveredData(std::vector<std::string>* failed = nullptr);

// The arguments that ask the program to finish a staged update first.
bool IsAutoUpdateStart(const std::vector<std::string>& arguments);

} // namespace orlinda
