#pragma once
// The project: the data set of the main program. It owns the five record lists and the
// four worker threads, loads the data files at start and saves them when they change,
// gives out record identifiers, keeps reminders' next due moments current, derives the
// holiday bindings from people and holidays, finds the next event to show, applies the
// user's answers to notifications, and hands queued greetings to the senders.
//
// Everything here runs on the user-interface thread: the window's timers call ScanTick,
// list events arrive there, and the workers' calls come through MainThread::invoke.
#include "core/DateTime.h"
#include "core/NamedObjectList.h"
#include "model/DamagedFiles.h"
#include "model/Greeting.h"
#include "model/HelpStore.h"
#include "model/Holiday.h"
#include "model/Holiminder.h"
#include "model/Identity.h"
#include "model/NotificationWindow.h"
#include "model/ProjectWorkers.h"
#include "model/Reminder.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlinda {

class TOptionsList;
class TSnoozeMenu;

// Where the project's files are.
struct TProjectFiles {
    std::string UsersFile;      // users.dat
    std::string RemindersFile;  // reminders.dat
    std::string BindingsFile;   // holidays.tmp
    std::string HolidaysFile;   // holidays.dat (read only)
    std::string LogFile;        // assertions.dat, attached to feedback
    std::string HistoryFolder;  // the confirmed usage history
    std::string HistoryFile;    // history.dat, the pending usage history

    // The files of the folders in force (AppPaths).
    static TProjectFiles FromAppPaths();
    // The same names under one folder (tests).
    static TProjectFiles InFolder(const std::string& folder);
};

// What the main window does with the user's answer to a notification.
struct TNotificationAnswer {
    bool close = false;                   // close the window (else keep it open)
    bool confirmDelete = false;           // ask kConfirmDeleteReminder; on "Да" call DeleteReminder
    std::string helpPage;                 // show this help page
    std::optional<int32_t> editReminder;  // open the reminder editor on this reminder
    std::optional<int32_t> congratulate;  // open the greeting chooser for this binding
};

class TProject {
public:
    static constexpr int kFirstScanInterval = 5000; // ms
    static constexpr int kScanInterval = 15000;     // ms
    static constexpr int kBindingDays = 31;         // bindings reach this many days ahead
    static constexpr int kNotifyDaysAhead = 3;      // notifications start this many days before
    static constexpr int kNoEvent = 501;            // Show*Notification with a null record

    // settings: the settings list whose changes go to the submission worker (not owned;
    // null: the program's Settings()).
    explicit TProject(TProjectFiles files = TProjectFiles::FromAppPaths(), TProjectWorkers workers = {},
                      TOptionsList* settings = nullptr);
    ~TProject();
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;

    // --- the lists ---------------------------------------------------------------------
    TIdentityList& Identities() { return *identities_; }
    TReminderList& Reminders() { return *reminders_; }
    THolidayList& Holidays() { return *holidays_; }
    THoliminderList& Bindings() { return *bindings_; }
    TGreetingList& Greetings() { return *greetings_; }
    const TProjectFiles& Files() const { return files_; }

    // --- loading and saving --------------------------------------------------------------
    // Each load appends the file's records to its list; false when the file is missing or
    // failed to read (the records before the failure stay). Loading never saves: saves that
    // the loaded records' events ask for are skipped. Nothing is shown to the user.
    bool LoadIdentities();
    bool LoadReminders();
    bool LoadBindings();
    // Also computes every holiday's coming date and rebuilds the bindings, even when the
    // file is missing.
    bool LoadHolidays();
    // The start-up load, in order: people, reminders, bindings, holidays.
    void LoadAll();

    // False when the file could not be written (the data stays in memory), and while the
    // list is being loaded.
    bool SaveIdentities();
    bool SaveReminders();
    bool SaveBindings();

    // While set (orlinda-cli without --save) no file is written.
    void SetReadOnly(bool readOnly) { FReadOnly = readOnly; }
    bool ReadOnly() const { return FReadOnly; }

    bool IsLoadingIdentities() const { return FLoadingIdentities; }
    bool IsLoadingReminders() const { return FLoadingReminders; }
    bool IsLoadingHolidays() const { return FLoadingHolidays; }
    bool IsLoadingBindings() const { return FLoadingBindings; }

    // --- bindings ------------------------------------------------------------------------
    // Re-derives the bindings from people and holidays for the coming 31 days.
    void RebuildBindings();
    // The birthday ("1") or wedding anniversary ("2") bindings.
    void BuildPersonalBindings(const std::string& kind, const std::u16string& title);
    // Sets FDate of every holiday to its date this year, or next year when that day has passed.
    void ComputeHolidayDates();

    // The first person whose display name gives that identity number, or null.
    TIdentity* FindIdentityByCRC(int32_t identityCRC) const;

    // --- dialogs, settings, proxies ------------------------------------------------------
    // Set while the reminder editor or the greeting chooser is open: no notifications then.
    void SetDialogOpen(bool open);
    bool DialogOpen() const { return FDialogOpen; }
    // Told when the dialog flag changes (the tray icon shows its second image while set).
    std::function<void(bool open)> OnDialogOpenChanged;
    // Gives the proxy settings ("UseProxy", "ProxyHost", …) to the updater, the feedback
    // sender and the greeting client.
    void ApplyProxySettings();
    TProxySettings ProxySettings() const;
    // The help pages, with their variables "Version" and "Offsite" set (UTF-8 texts).
    THelpStore& Help() { return *FHelp; }

    // --- event scan ----------------------------------------------------------------------
    void SetNotificationWindow(NotificationWindow* window) { FWindow = window; }
    // The snooze menu the window shows (not owned).
    void SetDelayMenu(TSnoozeMenu* menu) { FDelayMenu = menu; }
    TSnoozeMenu* DelayMenu() const { return FDelayMenu; }

    // The scan timer's handler: hands at most one due event to the window, reminders first.
    void ScanTick();
    // The timer's interval and state, for the window's timer: 5 s to the first tick, 15 s after.
    int TimerInterval() const { return FTimerInterval; }
    bool TimerEnabled() const { return FTimerEnabled; }

    // 0 when handed to the window, kNoEvent for a null record.
    int ShowReminderNotification(TReminder* reminder);
    int ShowHolidayNotification(THoliminder* binding);
    // The reminder's next due moment for an answer code (see model/NextAlarm.h).
    TDateTime NextAlarm(const TReminder& reminder, int code) const;
    std::u16string ReminderHtml(const TReminder& reminder) const;
    std::u16string HolidayHtml(const THoliminder& binding) const;

    // The user answered the notification showing id with an action code.
    TNotificationAnswer AnswerNotification(int32_t id, int code);
    // The user confirmed deleting the reminder: true when it was found and deleted.
    bool DeleteReminder(int32_t id);

    // --- greeting dispatch ---------------------------------------------------------------
    // The e-mail sender's and the submission worker's calls (synchronised): store the
    // outcome of the working greeting, then hand over the next one of the caller's kind.
    void OnNextMail(TGreeting& working, TMailSettings& settings);
    void OnGreeting(TGreeting& working);
    TMailSettings MailSettings() const;

    // A greeting was handed to a sender.
    std::function<void()> OnGreetingStarted;
    // A sender found nothing to do and nothing of the other kind is queued.
    std::function<void()> OnQueueDone;

    // Failure lines of the current sending run (Windows-1251 texts).
    std::vector<std::string> FErrors;
    // 0 when the last failure came from e-mail, 1 from the social networks.
    int FLastErrorChannel = 0;

    // --- the workers ---------------------------------------------------------------------
    MailSender& Mail() { return *FMail; }
    SubmissionWorker& Submission() { return *FWorker; }
    FeedbackSender& Feedback() { return *FFeedback; }
    GreetingClient& Greeter() { return *FGreeter; }

    // The next identifier (the first one given out is 1).
    int32_t NextID() { return ++FLastID; }

private:
    TSubscriberResult IdentityEvent(TNamedObject* item, TNamedObjectEvent event);
    TSubscriberResult ReminderEvent(TNamedObject* item, TNamedObjectEvent event);
    TSubscriberResult BindingEvent(TNamedObject* item, TNamedObjectEvent event);
    TSubscriberResult GreetingEvent(TNamedObject* item, TNamedObjectEvent event);
    void AdvanceNext(TReminder& reminder);
    void CloseNotificationOf(int32_t id);
    void SettingsChanged();

    // Reads a file into a list; false when missing or damaged.
    bool LoadList(TNamedObjectList& list, const std::string& fileName, bool& loadingFlag);
    bool SaveList(const TNamedObjectList& list, const std::string& fileName, bool loadingFlag);
    // Bindings saves asked for while held (during a rebuild) are made once at the release.
    void HoldBindingsSaves();
    void ReleaseBindingsSaves();
    void StopWorkers();
    void Dispatch(TGreeting& working, bool email);
    void RaiseEvent(const std::function<void()>& event);

    TProjectFiles files_;
    TOptionsList* FSettings = nullptr;
    std::function<void()> FPreviousSettingsHandler;
    bool FInSettingsHandler = false;

    bool FDialogOpen = false;
    bool FLoadingIdentities = false;
    bool FLoadingReminders = false;
    bool FLoadingHolidays = false;
    bool FLoadingBindings = false;
    bool FReadOnly = false;
    std::atomic<int32_t> FLastID{0};

    std::unique_ptr<TIdentityList> identities_;
    std::unique_ptr<TReminderList> reminders_;
    std::unique_ptr<THolidayList> holidays_;
    std::unique_ptr<THoliminderList> bindings_;
    std::unique_ptr<TGreetingList> greetings_;

    std::unique_ptr<MailSender> FMail;
    std::unique_ptr<SubmissionWorker> FWorker;
    std::unique_ptr<FeedbackSender> FFeedback;
    std::unique_ptr<GreetingClient> FGreeter;
    std::function<void(const TProxySettings&)> FUpdaterProxy;

    TSnoozeMenu* FDelayMenu = nullptr;
    NotificationWindow* FWindow = nullptr;
    std::unique_ptr<THelpStore> FHelp;
    int FTimerInterval = 0;
    bool FTimerEnabled = false;

    TDamagedFiles FDamaged;
    // What each data file held when it was last read whole or written.
    std::map<std::string, std::string> FFileContent;
    int FBindingsSaveHold = 0;
    bool FBindingsSavePending = false;
};

} // namespace orlinda
