#pragma once
// The project as the program has it after its start-up load, for the commands that look at
// the coming events (upcoming, due).
#include "core/OptionsList.h"
#include "model/NotificationWindow.h"
#include "model/Project.h"
#include "model/SnoozeMenu.h"

#include <memory>
#include <string>
#include <vector>

namespace orlinda::cli {

struct LoadedProject {
    TOptionsList settings;              // the commands need none of the user's settings
    THeadlessNotificationWindow window;
    TSnoozeMenu menu;
    std::unique_ptr<TProject> project;
    std::vector<std::string> problems;  // files that exist but did not load whole
};

// Loads users.dat, reminders.dat, holidays.tmp and holidays.dat of the data folders in
// force, in the program's order, and rebuilds the bindings. Without writable nothing is
// written. holidays.dat comes from the shared folder, or, while that has none yet, from
// the data delivered with the program (as the program's first start would copy it).
std::unique_ptr<LoadedProject> LoadProject(bool writable);

// Writes the problems to standard error; true when there were any.
bool ReportProblems(const LoadedProject& loaded);

} // namespace orlinda::cli
