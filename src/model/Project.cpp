// The project: construction and destruction, loading and saving, the list handlers,
// settings and proxies. Bindings, the scan and the dispatch have files of their own.
#include "model/Project.h"

#include "core/Clock.h"
#include "core/AtomicFile.h"
#include "core/FileStream.h"
#include "core/Log.h"
#include "core/OptionsList.h"
#include "core/Scramble.h"
#include "core/TypedStream.h"
#include "core/Version.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "platform/Folders.h"

#include <algorithm>
#include <sys/stat.h>

namespace orlinda {

namespace {

// The vendor's web site, linked from the help pages.
constexpr char kOffsiteLink[] = "<a href=\"http://www.tarvell.com/\">www.tarvell.com</a>";

template <class T>
std::unique_ptr<T> Make(const std::function<std::unique_ptr<T>()>& factory, std::unique_ptr<T> (*standIn)())
{
    std::unique_ptr<T> worker = factory ? factory() : nullptr;
    return worker ? std::move(worker) : standIn();
}

bool FileSizeIs(const std::string& fileName, int64_t size)
{
    struct stat st {};
    return ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode) && static_cast<int64_t>(st.st_size) == size;
}

} // namespace

TProjectFiles TProjectFiles::FromAppPaths()
{
    const TAppPaths& p = AppPaths();
    TProjectFiles f;
    f.UsersFile = p.UsersFile;
    f.RemindersFile = p.RemindersFile;
    f.BindingsFile = p.HolidayBindingsFile;
    f.HolidaysFile = p.HolidaysFile;
    f.LogFile = p.LogFile;
    f.HistoryFolder = p.HistoryFolder;
    f.HistoryFile = p.HistoryFile;
    return f;
}

TProjectFiles TProjectFiles::InFolder(const std::string& folder)
{
    const std::string d = WithTrailingSlash(folder);
    TProjectFiles f;
    f.UsersFile = d + "users.dat";
    f.RemindersFile = d + "reminders.dat";
    f.BindingsFile = d + "holidays.tmp";
    f.HolidaysFile = d + "holidays.dat";
    f.LogFile = d + "assertions.dat";
    f.HistoryFolder = d + "history/";
    f.HistoryFile = d + "history.dat";
    return f;
}

TProject::TProject(TProjectFiles files, TProjectWorkers workers, TOptionsList* settings)
    : files_(std::move(files)), FSettings(settings ? settings : &Settings())
{
    // The lists and the project's own subscribers.
    identities_ = std::make_unique<TIdentityList>();
    identities_->Subscribe(this, [this](void*, TNamedObject* item, TNamedObjectEvent e) { return IdentityEvent(item, e); });
    reminders_ = std::make_unique<TReminderList>();
    reminders_->Subscribe(this, [this](void*, TNamedObject* item, TNamedObjectEvent e) { return ReminderEvent(item, e); });
    holidays_ = std::make_unique<THolidayList>();
    bindings_ = std::make_unique<THoliminderList>();
    bindings_->Subscribe(this, [this](void*, TNamedObject* item, TNamedObjectEvent e) { return BindingEvent(item, e); });
    greetings_ = std::make_unique<TGreetingList>();
    greetings_->Subscribe(this, [this](void*, TNamedObject* item, TNamedObjectEvent e) { return GreetingEvent(item, e); });

    // The workers: each created, configured, then started.
    try {
        FMail = Make(workers.mail, &NewIdleMailSender);
        FMail->SetOnNextMail([this](TGreeting& working, TMailSettings& mail) { OnNextMail(working, mail); });
        FMail->Start();
        FWorker = Make(workers.submission, &NewIdleSubmissionWorker);
        FWorker->SetOnGreeting([this](TGreeting& working) { OnGreeting(working); });
        FWorker->Start();
        FFeedback = Make(workers.feedback, &NewIdleFeedbackSender);
        FFeedback->SetLogFile(files_.LogFile);
        FFeedback->Start();
        FGreeter = Make(workers.greetings, &NewHistoryOnlyGreetingClient);
        FGreeter->SetHistoryFolder(files_.HistoryFolder);
        FGreeter->SetPendingFile(files_.HistoryFile);
        FGreeter->Start();
    } catch (...) {
        StopWorkers();
        throw;
    }
    FUpdaterProxy = std::move(workers.updaterProxy);

    FErrors.clear();
    FDelayMenu = nullptr;

    FHelp = std::make_unique<THelpStore>();
    FHelp->FVariables.SetValue("Version", std::string(ORLINDA_VERSION) + " (Build " + std::to_string(ORLINDA_BUILD_NUMBER) + ")");
    FHelp->FVariables.SetValue("Offsite", kOffsiteLink);

    FTimerInterval = kFirstScanInterval;
    FTimerEnabled = true;

    // Every change of the settings goes to the submission worker, which hands them to the module.
    FPreviousSettingsHandler = FSettings->OnChange;
    FSettings->OnChange = [this] { SettingsChanged(); };
}

TProject::~TProject()
{
    FSettings->OnChange = FPreviousSettingsHandler;
    FTimerEnabled = false;
    FHelp.reset();
    FErrors.clear();
    StopWorkers();
    greetings_.reset();
    bindings_.reset();
    holidays_.reset();
    reminders_.reset();
    identities_.reset();
}

void TProject::StopWorkers()
{
    // The greeting client, the feedback sender, the submission worker, the e-mail sender.
    auto stop = [](auto& worker) {
        if (!worker)
            return;
        try {
            worker->Stop();
        } catch (...) {
        }
        worker.reset();
    };
    stop(FGreeter);
    stop(FFeedback);
    stop(FWorker);
    stop(FMail);
}

void TProject::SettingsChanged()
{
    // Changes made while the text is handed over do not come back here.
    if (!FInSettingsHandler) {
        FInSettingsHandler = true;
        try {
            if (FWorker)
                FWorker->SetSettings(FSettings->Text());
        } catch (...) {
        }
        FInSettingsHandler = false;
    }
    if (FPreviousSettingsHandler)
        FPreviousSettingsHandler();
}

// --- loading and saving ----------------------------------------------------------------

bool TProject::LoadList(TNamedObjectList& list, const std::string& fileName, bool& loadingFlag)
{
    if (fileName.empty() || !IsExistingFile(fileName))
        return false;
    std::string bytes;
    try {
        bytes = ReadWholeFile(fileName);
    } catch (const std::exception& e) {
        Log(std::string("Project: cannot read ") + fileName + ": " + e.what());
        FDamaged.NoteUnreadable(fileName);
        return false;
    }
    loadingFlag = true;
    const int before = list.Count();
    bool ok = true;
    try {
        TBytesReadStream stream(bytes);
        list.LoadFromStream(stream, -1);
    } catch (const std::exception& e) {
        ok = false;
        Log("Project: " + fileName + " is damaged: " + e.what() + "; " + std::to_string(list.Count() - before)
            + " records read before the failure, the original is kept beside it at the next save");
        FDamaged.NoteDamaged(fileName, std::move(bytes));
    } catch (...) {
        ok = false;
        FDamaged.NoteDamaged(fileName, std::move(bytes));
    }
    loadingFlag = false;
    if (ok && before == 0)
        FFileContent[fileName] = std::move(bytes);
    return ok;
}

bool TProject::SaveList(const TNamedObjectList& list, const std::string& fileName, bool loadingFlag)
{
    // A list being loaded is not saved: it would overwrite the file being read.
    if (loadingFlag || FReadOnly || fileName.empty())
        return false;
    try {
        TBytesWriteStream buffer;
        buffer.Reserve(list.GetStreamSize());
        list.SaveToStream(buffer);
        // The same bytes as the file already holds: nothing to write (a rebuild reports
        // every binding changed, mostly without a change).
        auto known = FFileContent.find(fileName);
        if (known != FFileContent.end() && known->second == buffer.Bytes() && !FDamaged.IsDamaged(fileName)
            && FileSizeIs(fileName, buffer.Size()))
            return true;
        if (!FDamaged.BeforeSave(fileName))
            return false;
        WriteFileAtomic(fileName, buffer.Bytes());
        FFileContent[fileName] = buffer.TakeBytes();
        return true;
    } catch (const std::exception& e) {
        Log(std::string("Project: cannot write ") + fileName + ": " + e.what());
        return false;
    } catch (...) {
        return false;
    }
}

bool TProject::LoadIdentities()
{
    bool ok = LoadList(*identities_, files_.UsersFile, FLoadingIdentities);
    // People keep their stored identifiers; later identifiers start above them so that
    // none is given out twice in this run.
    int32_t highest = 0;
    for (int i = 0; i < identities_->Count(); ++i)
        highest = std::max(highest, identities_->Get(i)->FID);
    int32_t last = FLastID.load();
    while (last < highest && !FLastID.compare_exchange_weak(last, highest)) {
    }
    return ok;
}

bool TProject::LoadReminders()
{
    return LoadList(*reminders_, files_.RemindersFile, FLoadingReminders);
}

bool TProject::LoadBindings()
{
    return LoadList(*bindings_, files_.BindingsFile, FLoadingBindings);
}

bool TProject::LoadHolidays()
{
    bool ok = LoadList(*holidays_, files_.HolidaysFile, FLoadingHolidays);
    ComputeHolidayDates();
    RebuildBindings();
    return ok;
}

void TProject::LoadAll()
{
    LoadIdentities();
    LoadReminders();
    LoadBindings();
    LoadHolidays();
}

bool TProject::SaveIdentities()
{
    return SaveList(*identities_, files_.UsersFile, FLoadingIdentities);
}

bool TProject::SaveReminders()
{
    return SaveList(*reminders_, files_.RemindersFile, FLoadingReminders);
}

bool TProject::SaveBindings()
{
    if (FBindingsSaveHold > 0 && !FLoadingBindings) {
        FBindingsSavePending = true;
        return true;
    }
    return SaveList(*bindings_, files_.BindingsFile, FLoadingBindings);
}

void TProject::HoldBindingsSaves()
{
    ++FBindingsSaveHold;
}

void TProject::ReleaseBindingsSaves()
{
    if (--FBindingsSaveHold == 0 && FBindingsSavePending) {
        FBindingsSavePending = false;
        SaveBindings();
    }
}

// --- list handlers ---------------------------------------------------------------------

TSubscriberResult TProject::IdentityEvent(TNamedObject* item, TNamedObjectEvent event)
{
    // Loaded people keep their stored identifiers, and the bindings are rebuilt once afterwards.
    if (FLoadingIdentities)
        return TSubscriberResult::Continue;
    switch (event) {
    case TNamedObjectEvent::Added:
        item->FID = NextID();
        RebuildBindings();
        break;
    case TNamedObjectEvent::Removed:
    case TNamedObjectEvent::Changed:
        RebuildBindings();
        break;
    default:
        break;
    }
    return TSubscriberResult::Continue;
}

TSubscriberResult TProject::ReminderEvent(TNamedObject* item, TNamedObjectEvent event)
{
    switch (event) {
    case TNamedObjectEvent::Added:
        item->FID = NextID();
        AdvanceNext(static_cast<TReminder&>(*item));
        break;
    case TNamedObjectEvent::Removed:
        CloseNotificationOf(item->FID);
        break;
    case TNamedObjectEvent::Changed:
        AdvanceNext(static_cast<TReminder&>(*item));
        break;
    default:
        break;
    }
    return TSubscriberResult::Continue;
}

TSubscriberResult TProject::BindingEvent(TNamedObject* item, TNamedObjectEvent event)
{
    switch (event) {
    case TNamedObjectEvent::Added:
        item->FID = NextID();
        SaveBindings();
        break;
    case TNamedObjectEvent::Removed:
        CloseNotificationOf(item->FID);
        SaveBindings();
        break;
    case TNamedObjectEvent::Changed:
        SaveBindings();
        break;
    default:
        break;
    }
    return TSubscriberResult::Continue;
}

TSubscriberResult TProject::GreetingEvent(TNamedObject* item, TNamedObjectEvent event)
{
    switch (event) {
    case TNamedObjectEvent::Added:
        item->FID = NextID();
        break;
    case TNamedObjectEvent::Removed:
        CloseNotificationOf(item->FID);
        break;
    default:
        break;
    }
    return TSubscriberResult::Continue;
}

void TProject::AdvanceNext(TReminder& reminder)
{
    // A reminder just created or edited whose first moment has passed moves on to its next
    // regular occurrence.
    if (Now() >= reminder.FNext && reminder.FNext == reminder.FStart)
        reminder.FNext = NextAlarm(reminder, -1);
}

void TProject::CloseNotificationOf(int32_t id)
{
    if (FWindow && !FWindow->Available() && FWindow->CurrentID() == id)
        FWindow->CloseNotification();
}

// --- dialogs, proxies ------------------------------------------------------------------

void TProject::SetDialogOpen(bool open)
{
    FDialogOpen = open;
    if (OnDialogOpenChanged) {
        try {
            OnDialogOpenChanged(open);
        } catch (...) {
        }
    }
}

TProxySettings TProject::ProxySettings() const
{
    TProxySettings p;
    if (FSettings->GetBool(SettingsKey::UseProxy)) {
        p.Host = FSettings->GetValue(SettingsKey::ProxyHost);
        p.Port = FSettings->GetValue(SettingsKey::ProxyPort);
        p.User = FSettings->GetValue(SettingsKey::ProxyUser);
        try {
            p.Password = Unscramble(FSettings->GetValue(SettingsKey::ProxyPass), kPasswordKey);
        } catch (...) {
        }
    }
    return p;
}

void TProject::ApplyProxySettings()
{
    const TProxySettings p = ProxySettings();
    if (FUpdaterProxy)
        FUpdaterProxy(p);
    FFeedback->SetProxy(p);
    FGreeter->SetProxy(p);
}

} // namespace orlinda
