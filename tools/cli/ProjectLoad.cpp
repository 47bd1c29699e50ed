#include "ProjectLoad.h"

#include "model/Paths.h"
#include "platform/Folders.h"

#include <iostream>

namespace orlinda::cli {

std::unique_ptr<LoadedProject> LoadProject(bool writable)
{
    TProjectFiles files = TProjectFiles::FromAppPaths();
    const TAppPaths& paths = AppPaths();
    if (!IsExistingFile(files.HolidaysFile) && !paths.DataFolder.empty()
        && IsExistingFile(paths.DataFolder + "holidays.dat"))
        files.HolidaysFile = paths.DataFolder + "holidays.dat";

    auto loaded = std::make_unique<LoadedProject>();
    loaded->project = std::make_unique<TProject>(files, TProjectWorkers{}, &loaded->settings);
    TProject& p = *loaded->project;
    p.SetReadOnly(!writable);
    p.SetNotificationWindow(&loaded->window);
    p.SetDelayMenu(&loaded->menu);

    auto load = [&](bool (TProject::*op)(), const std::string& file) {
        if (!(p.*op)() && IsExistingFile(file))
            loaded->problems.push_back(file + ": damaged or unreadable; the records before the damage were used");
    };
    load(&TProject::LoadIdentities, files.UsersFile);
    load(&TProject::LoadReminders, files.RemindersFile);
    load(&TProject::LoadBindings, files.BindingsFile);
    load(&TProject::LoadHolidays, files.HolidaysFile);
    return loaded;
}

bool ReportProblems(const LoadedProject& loaded)
{
    for (const auto& problem : loaded.problems)
        std::cerr << "orlinda-cli: " << problem << "\n";
    return !loaded.problems.empty();
}

} // namespace orlinda::cli
