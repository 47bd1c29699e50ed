#include "ui/ProgramWiring.h"

#include "core/MultiOptions.h"
#include "core/OptionsList.h"
#include "greetings/FeedbackThread.h"
#include "greetings/GreetingWorkers.h"
#include "model/Paths.h"
#include "net/AutoUpdater.h"
#include "net/ResultText.h"
#include "net/UpdateIndex.h"
#include "net/UpdateStartUp.h"
#include "ui/MainWindow.h"
#include "ui/QuickEditors.h"

namespace orlinda {

TProjectWorkers ProgramWorkers()
{
    TProjectWorkers workers = GreetingWorkers();
    workers.updaterProxy = [](const TProxySettings& proxy) { SetProgramUpdaterProxy(proxy); };
    return workers;
}

TMainWindowHooks ProgramHooks()
{
    TMainWindowHooks hooks;
    hooks.editIdentity = &QuickEditIdentity;
    hooks.editReminder = &QuickEditReminder;
    hooks.checkForUpdates = [] {
        if (TAutoUpdater* updater = ProgramUpdater())
            updater->Check();
    };
    hooks.abortUpdater = [] {
        if (TAutoUpdater* updater = ProgramUpdater())
            updater->Abort();
    };
    hooks.restartForUpdate = [] {
        const TAppPaths& paths = AppPaths();
        TAutoUpdater::RestartProgram(paths.ExecutablePath, "/autoupdate", paths.ProgramFolder);
    };
    return hooks;
}

void ConnectProgramEvents(TfrmMain& window)
{
    TfrmMain* w = &window;
    if (TAutoUpdater* updater = ProgramUpdater()) {
        updater->OnStart = [w, updater] { w->UpdaterStarted(updater->Mode() == TAutoUpdater::ModeInstall); };
        updater->OnConfirm = [w](TMultiOptions& index) {
            return w->DecideUpdate([&index](bool checked) {
                for (int i = 0; i < index.Count(); ++i) {
                    TOptionsList* section = index.Get(i);
                    if (section && IsUpdateSection(*section) && SectionOptional(*section))
                        section->SetBool("Checked", checked);
                }
            });
        };
        updater->OnDone = [w, updater] {
            w->UpdaterFinished(updater->PhaseReached() == TAutoUpdater::PhaseRestartNeeded, updater->InstalledCount());
        };
        updater->OnError = [w, updater] { w->UpdaterError(updater->ResultMessage()); };
    }
    if (TFeedbackThread* feedback = FeedbackThreadOf(window.Project())) {
        feedback->SetOnSendStarted([w](TFeedbackThread&) { w->FeedbackStarted(); });
        feedback->SetOnAllSent([w](TFeedbackThread&) { w->FeedbackSent(); });
        feedback->SetOnSendFailed([w](TFeedbackThread&, int kind, int number, const std::string&) {
            w->FeedbackFailed(kind == ResultKind::General && number == 2);
        });
        TMainWindowHooks& hooks = window.Hooks();
        hooks.sendFeedback = [feedback](const TFeedbackRequest& request) {
            feedback->SendFeedback(request.message.toStdU16String(), request.senderName.toStdU16String(), true,
                                   request.senderEmail.toStdU16String());
        };
        hooks.cancelFeedback = [feedback] { feedback->CancelFeedback(); };
    }
}

bool StagedUpdateSucceeded()
{
    TAutoUpdater* updater = ProgramUpdater();
    return updater && updater->ResultKind() == ResultKind::Success;
}

} // namespace orlinda
