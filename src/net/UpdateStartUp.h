#pragma once
// The updater's side of the program's start: the configuration (model/StartUp.h) cannot
// see the networking layer, so the program installs this hook before it starts the
// configuration:
//
//     InstallUpdaterStartUp();
//     StartConfiguration(arguments);   // creates the updater; "/autoupdate" installs first
//     ...
//     workers.updaterProxy = SetProgramUpdaterProxy;
//
// StopConfiguration stops and destroys the updater through the same hook.
#include "model/StartUp.h"
#include "net/AutoUpdater.h"

#include <memory>

namespace orlinda {

struct TProxySettings;

// The folders of an updater for the configuration's setup and a base address.
TUpdateFolders UpdateFoldersFor(const TUpdaterSetup& setup, const std::string& baseAddress);

// The staged update at start: logs "Updating program files...", installs silently and
// polls every 200 ms until the updater is idle again. False when that took longer than
// timeoutMs ("Update timeout" is logged; the caller ends the process); otherwise the
// result is logged as "%s (%d)" and true is returned.
bool PerformStagedUpdate(TAutoUpdater& updater, int timeoutMs = 180000);

class TUpdaterStartUp final : public TUpdaterHook {
public:
    // Creates the updater with the base address in force (UpdateBaseAddress with the
    // settings); with autoUpdate, performs the staged update and ends the process at
    // once when it does not finish in time.
    void Start(const TUpdaterSetup& setup, bool autoUpdate) override;
    // Terminates the updater, waits for it and destroys it.
    void Stop() override;

    TAutoUpdater* Updater() const { return updater_.get(); }

    // Time the staged update may take at start.
    int StagedUpdateTimeout = 180000;

private:
    std::unique_ptr<TAutoUpdater> updater_;
};

// The program's instance of the hook, and the hook installed as the configuration's.
TUpdaterStartUp& UpdaterStartUp();
void InstallUpdaterStartUp();

// The program's updater: created by the configuration's start, null before and after.
TAutoUpdater* ProgramUpdater();
// Hands the project's proxy settings to the program's updater (for TProjectWorkers).
void SetProgramUpdaterProxy(const TProxySettings& proxy);

} // namespace orlinda
