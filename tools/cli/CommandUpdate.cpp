// orlinda-cli update: the program's auto-updater, headless.
#include "Cli.h"

#include "core/Scramble.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "net/AutoUpdater.h"
#include "net/ResultText.h"
#include "net/UpdateStartUp.h"

#include <iostream>
#include <stdexcept>

namespace orlinda::cli {

namespace {

std::string Help()
{
    return "Usage: orlinda-cli update [--base URL] [--optional] [--install] [--app-dir DIR]\n\n"
           "Runs Orlinda's auto-updater without a window, over the data folder (--data)\n"
           "and the program folder. Without --install it checks the server for an update,\n"
           "downloads what differs from the installed files into the staging folder and\n"
           "installs it, answering the confirmation with yes. Sections that need a\n"
           "restart of the program are installed with \".bak\" backups of the files they\n"
           "replace, and the rest waits for the restart: run the command again with\n"
           "--install, as the program does when it restarts with \"/autoupdate\".\n"
           "Prints the phase reached and the result with its code; the exit code is 0\n"
           "when the update went through or there was nothing to update.\n\n"
           "Options:\n"
           "  --base URL     the update server's base address (default: the environment\n"
           "                 variable ORLINDA_UPDATE_URL, the setting \"Update Address\",\n"
           "                 or the vendor's server); the index is URL + \"index.dat\"\n"
           "  --optional     take the optional sections too (default: the setting\n"
           "                 \"Update Optional\")\n"
           "  --install      only install the update staged before\n"
           "  --app-dir DIR  the program folder to update (default: this tool's folder)\n\n"
           "The proxy of the settings (\"UseProxy\", \"ProxyHost\", ...) is used.\n";
}

std::string PhaseText(int phase)
{
    switch (phase) {
    case TAutoUpdater::PhaseIdle: return "nothing done";
    case TAutoUpdater::PhaseChecking: return "checking";
    case TAutoUpdater::PhaseDownloading: return "downloading";
    case TAutoUpdater::PhaseInstalling:
    case TAutoUpdater::PhaseInstallingLoaded: return "installing";
    case TAutoUpdater::PhaseRestartNeeded: return "installed, a restart finishes the update";
    case TAutoUpdater::PhaseInstalled: return "installed";
    }
    return "unknown";
}

int Run(Context& context)
{
    ParsedArgs parsed = ParseArgs(context.args, {"--base", "--app-dir"}, {"--optional", "--install"});
    ExpectPositional(parsed, 0, "");

    const TAppPaths& paths = AppPaths();
    LoadSettings();
    const TOptionsList& settings = Settings();

    TUpdaterSetup setup;
    setup.AppDir = parsed.Has("--app-dir") ? parsed.Get("--app-dir") : paths.ProgramFolder;
    setup.CommonDir = paths.CommonDataRoot;
    setup.UserDir = paths.UserDataRoot;
    setup.WorkFolder = paths.UpdateFolder;
    if (setup.AppDir.empty())
        throw UsageError("option --app-dir needs a folder");
    std::string base = parsed.Has("--base") ? parsed.Get("--base") : UpdateBaseAddress(&settings);
    if (base.empty())
        throw UsageError("option --base needs an address");

    TAutoUpdater updater(UpdateFoldersFor(setup, base));
    if (settings.GetBool(SettingsKey::UseProxy)) {
        std::string password;
        try {
            password = Unscramble(settings.GetValue(SettingsKey::ProxyPass), kPasswordKey);
        } catch (...) {
        }
        updater.SetProxy(settings.GetValue(SettingsKey::ProxyHost), settings.GetValue(SettingsKey::ProxyPort),
                         settings.GetValue(SettingsKey::ProxyUser), password);
    }
    const bool optional = parsed.Has("--optional") || settings.GetBool(SettingsKey::UpdateOptional);
    updater.OnConfirm = [optional](TMultiOptions& index) {
        for (int i = 0; i < index.Count(); ++i) {
            TOptionsList* section = index.Get(i);
            if (section && IsUpdateSection(*section) && SectionOptional(*section))
                section->SetBool("Checked", optional);
        }
        return true;
    };

    const bool started = parsed.Has("--install") ? updater.Install(true) : updater.Check();
    if (!started)
        throw std::runtime_error("the updater could not be started");
    while (!updater.WaitUntilIdle(1000)) {
    }

    const int phase = updater.PhaseReached();
    std::cout << "Phase: " << phase << " (" << PhaseText(phase) << ")\n"
              << "Result: " << updater.ResultMessage() << " (" << updater.ResultCode() << ")\n";
    if (phase == TAutoUpdater::PhaseRestartNeeded)
        std::cout << "Run \"orlinda-cli update --install\" to install the rest.\n";
    std::cout.flush();
    const bool ok = updater.ResultKind() == ResultKind::Success ||
                    (updater.ResultKind() == ResultKind::General && updater.ResultCode() == UpdaterCode::NothingToUpdate);
    return ok ? ExitOk : ExitFailure;
}

const CommandRegistrar registrar({"update", "check for, download and install an update of the program", &Help, &Run});

} // namespace

} // namespace orlinda::cli
