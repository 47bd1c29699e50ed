#include "net/UpdateStartUp.h"

#include "core/Clock.h"
#include "core/Log.h"
#include "model/ProjectWorkers.h"
#include "model/Settings.h"

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace orlinda {

TUpdateFolders UpdateFoldersFor(const TUpdaterSetup& setup, const std::string& baseAddress)
{
    TUpdateFolders folders;
    folders.AppDir = setup.AppDir;
    folders.CommonDir = setup.CommonDir;
    folders.UserDir = setup.UserDir;
    folders.StagingFolder = setup.WorkFolder;
    folders.BaseAddress = baseAddress;
    for (std::string* f : {&folders.AppDir, &folders.CommonDir, &folders.UserDir, &folders.StagingFolder}) {
        if (f->empty())
            continue;
        if (f->front() != '/') {
            std::error_code ec;
            auto absolute = std::filesystem::absolute(*f, ec);
            if (!ec)
                *f = absolute.string();
        }
        if (f->back() != '/')
            *f += '/';
    }
    if (!folders.BaseAddress.empty() && folders.BaseAddress.back() != '/')
        folders.BaseAddress += '/';
    return folders;
}

bool PerformStagedUpdate(TAutoUpdater& updater, int timeoutMs)
{
    Log("Updating program files...");
    const uint32_t start = TickCount();
    if (updater.Install(true)) {
        // The updater leaves its suspended state at once; wait until it is back.
        for (;;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (updater.Suspended() || updater.Finished())
                break;
            if (TickCount() - start > static_cast<uint32_t>(timeoutMs)) {
                Log("Update timeout");
                return false;
            }
        }
    }
    char line[64];
    std::snprintf(line, sizeof line, " (%d)", updater.ResultCode());
    Log(updater.ResultMessage() + line);
    return true;
}

void TUpdaterStartUp::Start(const TUpdaterSetup& setup, bool autoUpdate)
{
    Stop();
    updater_ = std::make_unique<TAutoUpdater>(UpdateFoldersFor(setup, UpdateBaseAddress(&Settings())));
    if (autoUpdate && !PerformStagedUpdate(*updater_, StagedUpdateTimeout))
        std::_Exit(EXIT_FAILURE);
}

void TUpdaterStartUp::Stop()
{
    if (!updater_)
        return;
    updater_->Terminate();
    updater_->WaitFor();
    updater_.reset();
}

TUpdaterStartUp& UpdaterStartUp()
{
    static TUpdaterStartUp instance;
    return instance;
}

void InstallUpdaterStartUp()
{
    SetUpdaterHook(&UpdaterStartUp());
}

TAutoUpdater* ProgramUpdater()
{
    return UpdaterStartUp().Updater();
}

void SetProgramUpdaterProxy(const TProxySettings& proxy)
{
    if (TAutoUpdater* updater = ProgramUpdater())
        updater->SetProxy(proxy);
}

} // namespace orlinda
