#include "model/StartUp.h"

#include "core/AtomicFile.h"
#include "core/FileStream.h"
#include "core/Log.h"
#include "core/Logging.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SoundList.h"
#include "model/SystemInfoText.h"
#include "platform/Folders.h"

#include <exception>

namespace orlinda {

namespace {

// The log never grows beyond this across starts.
constexpr int64_t LogKeepBytes = 262144;
constexpr int64_t LogTailLimit = 60000;

const char* const DeliveredFiles[] = {"holidays.dat", "smtp.dat", "help.dat"};

TUpdaterHook* updaterHook = nullptr;
bool updaterStarted = false;

} // namespace

void SetUpdaterHook(TUpdaterHook* hook)
{
    updaterHook = hook;
}

bool IsAutoUpdateStart(const std::vector<std::string>& arguments)
{
    return !arguments.empty() && arguments[0] == "/autoupdate";
}

std::vector<std::string> InstallDeliveredData(std::vector<std::string>* failed)
{
    std::vector<std::string> copied;
    const TAppPaths& paths = AppPaths();
    if (paths.DataFolder.empty())
        return copied;
    for (const char* name : DeliveredFiles) {
        const std::string source = paths.DataFolder + name;
        const std::string target = paths.SharedFolder + name;
        if (IsExistingFile(target) || !IsExistingFile(source))
            continue;
        try {
            WriteFileAtomic(target, ReadWholeFile(source));
            copied.push_back(name);
        } catch (const std::exception&) {
            if (failed)
                failed->push_back(name);
        }
    }
    return copied;
}

void StartConfiguration(const std::vector<std::string>& arguments)
{
    // 1. Folders.
    SettleFolders();
    CreateFolders();
    const TAppPaths& paths = AppPaths();

    // 2. The log: open it, trim it, and let Log write into it.
    OpenLog(paths.LogFile, false, true);
    LogTail(LogKeepBytes, LogTailLimit);
    SetLogWriter(MainLogWriter);

    // 3. What runs where, at the head of this session's lines.
    Log(SystemInfoText());

    // 4. A first start gets the calendar and the mail presets delivered with the program.
    std::vector<std::string> failed;
    for (const std::string& name : InstallDeliveredData(&failed))
        Log("Configuration: delivered " + name + " copied to " + paths.SharedFolder);
    for (const std::string& name : failed)
        Log("Configuration: cannot copy delivered " + name + " to " + paths.SharedFolder);
    if (paths.DataFolder.empty())
        Log("Configuration: delivered data folder not found beside " + paths.ProgramFolder);

    // 5. Settings with their defaults.
    LoadSettings();

    // 6. Sounds.
    SoundList().Clear();
    RefreshSoundList();

    // 7. The updater (the networking layer fills this in through the hook).
    if (updaterHook) {
        TUpdaterSetup setup;
        setup.AppDir = paths.ProgramFolder;
        setup.CommonDir = paths.CommonDataRoot;
        setup.UserDir = paths.UserDataRoot;
        setup.WorkFolder = paths.UpdateFolder;
        updaterHook->Start(setup, IsAutoUpdateStart(arguments));
        updaterStarted = true;
    }
}

void StopConfiguration()
{
    if (updaterHook && updaterStarted)
        updaterHook->Stop();
    updaterStarted = false;
    SoundList().Clear();
    Settings().OnChange = nullptr;
    Settings().Clear();
}

} // namespace orlinda
