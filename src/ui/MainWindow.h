#pragma once
// The main window: the frame bar on the left, the page area on the right (the three
// lists, the preference pages and the help), the status strip with its three activity
// indicators; it owns the project, the notification window and the tray icon, drives
// the timers (event scan, dialogs, animations), applies the user's answers to
// notifications, and keeps its layout in the settings.
#include "model/LayoutFormats.h"
#include "model/Project.h"
#include "ui/MainWindowHooks.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QMenu;
class QStackedWidget;
class QTimer;
class QToolButton;
class QTreeWidget;

namespace orlinda {

class TdlgNotifications;
class TFrameBar;
class THTMLHelp;
class THTMLView;
class TListView;
class TRecordListModel;
class TSingleInstance;
class TSnoozeMenu;
class TTarvellImage;
class TTextBoxMenu;
class TTrayIcon;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Pages of the page area.
    enum Page : int {
        PagePeople = 0,
        PageReminders = 1,
        PageHolidays = 2,
        PagePreferences = 3, // + TPreferencePage
        PageHelp = PagePreferences + PrefCount,
        PageCount,
    };
    // Entries of the frame bar.
    enum Entry : int {
        EntryPeople = 0,
        EntryReminders = 1,
        EntryHolidays = 2,
        EntrySettings = 3,
        EntryFeedback = 4,
        EntryHelp = 5,
    };

    struct TOptions {
        TProjectFiles files = TProjectFiles::FromAppPaths();
        TProjectWorkers workers;
        TMainWindowHooks hooks;
        // The single-instance guard whose block the dialog timer reads (may be null).
        TSingleInstance* instance = nullptr;
        // The program was restarted by the updater with "/autoupdate" and its last
        // update succeeded.
        bool updatedOnStart = false;
        // The help file (empty: the folders' help.dat).
        std::string helpFile;
        // Show the tray icon (tests leave it off).
        bool trayIcon = true;
    };

    explicit TfrmMain(TOptions options, QWidget* parent = nullptr);
    ~TfrmMain() override;

    TProject& Project() { return *project_; }
    TdlgNotifications& Notifications() { return *notifications_; }
    TTrayIcon& Tray() { return *tray_; }
    TFrameBar* Bar() const { return bar_; }
    QStackedWidget* Pages() const { return pages_; }
    TListView* PeopleView() const { return people_; }
    TListView* RemindersView() const { return reminders_; }
    TListView* HolidaysView() const { return holidays_; }
    TListView* ListOfPage(int page) const;
    THTMLHelp& Help() { return *help_; }
    THTMLView* HelpView() const { return helpView_; }
    QTreeWidget* HelpTree() const { return helpTree_; }
    TSnoozeMenu& SnoozeMenu() { return *snooze_; }
    TMainWindowHooks& Hooks() { return hooks_; }
    QComboBox* ReminderFilterBox();
    QComboBox* HolidayFilterBox();

    // The actions of the lists, as the buttons and menus call them.
    QAction* ActionAddPerson() const { return actAddPerson_; }
    QAction* ActionEditPerson() const { return actEditPerson_; }
    QAction* ActionDeletePerson() const { return actDeletePerson_; }
    QAction* ActionAddReminder() const { return actAddReminder_; }
    QAction* ActionEditReminder() const { return actEditReminder_; }
    QAction* ActionDeleteReminder() const { return actDeleteReminder_; }
    QAction* ActionRecipients() const { return actRecipients_; }
    QAction* ActionCongratulate() const { return actCongratulate_; }
    void UpdateActions();

    // --- pages and the window ---------------------------------------------------------
    void ShowPage(int page);
    int CurrentPage() const;
    // Clicks on the frame bar's titles.
    void EntryClicked(int entry);
    void ShowPreferencePage(int page);
    void ShowFromTray();
    void HideToTray();
    bool ReallyClosing() const { return reallyClosing_; }
    // "Выход": ends the program.
    void Exit();
    // The desktop session ends or the program was told to stop (SIGTERM): the layout and
    // the settings are written, then the program ends.
    void SystemShutdown();

    // --- the actions ------------------------------------------------------------------
    void AddPerson();
    void EditPerson(TIdentity* person = nullptr);
    void DeletePerson();
    void AddReminder();
    void EditReminder(TReminder* reminder = nullptr);
    void DeleteReminder();
    void ChooseRecipients();
    // The congratulate flow for a binding (null: the selected one).
    void Congratulate(THoliminder* binding = nullptr);
    void OpenFeedback();
    // "Выровнять колонки по ширине" for one list.
    void AutoFitList(TListView* view);

    // --- notifications -----------------------------------------------------------------
    // The notification window's answer: true closes it.
    bool OnNotificationAction(int32_t id, int code);
    std::optional<int32_t> PendingReminderEdit() const { return pendingReminderEdit_; }
    std::optional<int32_t> PendingCongratulation() const { return pendingCongratulation_; }
    // Shows a help page by name (the notifications' "Помощь...").
    int ShowHelpPage(const std::string& pageName);

    // --- timers ------------------------------------------------------------------------
    void ScanTimerTick();
    void DialogTimerTick();
    void AnimationTimerTick();
    bool AnimationTimerActive() const;
    int DialogTimerInterval() const;
    uint32_t UpdateCheckDue() const { return updateDue_; }
    void CheckForUpdates();

    // --- tray and balloons -------------------------------------------------------------
    void ShowBalloon(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon, int seconds,
                     int target);
    void BalloonClicked(int target);
    void ShowTodayBalloon();

    // --- status indicators -------------------------------------------------------------
    TTarvellImage* SendingIndicator() const { return sending_; }
    TTarvellImage* UpdatesIndicator() const { return updates_; }
    TTarvellImage* FeedbackIndicator() const { return feedback_; }
    void GreetingStarted();
    void QueueDone();
    void FeedbackStarted();
    void FeedbackSent();
    // cancelled: the user stopped it (the indicator just goes).
    void FeedbackFailed(bool cancelled);
    // installing: the updater installs what it fetched (else it checks and downloads).
    void UpdaterStarted(bool installing);
    // restartNeeded: the update is waiting for a restart; filesUpdated: files were replaced.
    void UpdaterFinished(bool restartNeeded, int filesUpdated);
    void UpdaterError(const std::string& errorText);
    // The updater found an update: true goes on. setOptionalChecked is given the
    // "Checked" value of every optional section when the decision is automatic.
    bool DecideUpdate(const std::function<void(bool checked)>& setOptionalChecked);
    bool RestartPending() const { return restartPending_; }

    // --- layout ------------------------------------------------------------------------
    // The first activation: window placement, column layouts and sorts from the settings.
    void RestoreLayout();
    bool LayoutRestored() const { return layoutRestored_; }
    // Writes "Layout" and the columns' orders and widths (then SaveSettings).
    void SaveLayout();
    // Hover hints are off for a second (after a modal dialog or a skin change).
    void SuppressHints();
    void HideHints();
    // Colours of the lists and HTML views from the skin.
    void ApplySkinColours();

signals:
    void notificationAnswered(int32_t id, int code);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateBar();
    void CreatePages();
    void CreateStatusStrip();
    void CreateMenus();
    QWidget* MakePeopleSection(QWidget* parent);
    QWidget* MakeRemindersSection(QWidget* parent);
    QWidget* MakeHolidaysSection(QWidget* parent);
    QWidget* MakeSettingsSection(QWidget* parent);
    QWidget* MakeHelpSection(QWidget* parent);
    QWidget* PreferencePage(int page);
    void ConnectList(TListView* view, bool savesFile);
    void OnRecordAdded(TListView* view, TNamedObject* record);
    void SaveListFile(TListView* view);
    void LinkSpouseAfterAdd(TIdentity& person);
    void LinkSpouseAfterEdit(TIdentity& person, const std::string& previousSpouse);
    void Unlink(const std::string& key, const std::string& unlessKey);
    void RunPendingReminderEdit();
    void RunPendingCongratulation();
    void SaveSortState(TListView* view);
    void StartIndicator(TTarvellImage* indicator);
    void StopIndicator(TTarvellImage* indicator);
    void RestartDialogTimer();
    void RestartScanTimer();
    void ScheduleMidnight();
    void Information(const QString& text);
    void ShowStandIn();
    bool HelpBeforeShow(const QString& page);
    void HelpNotFound(const QString& page);

    TMainWindowHooks hooks_;
    TSingleInstance* instance_ = nullptr;
    std::unique_ptr<TSnoozeMenu> snooze_;
    std::unique_ptr<TProject> project_;
    std::unique_ptr<TdlgNotifications> notifications_;
    std::unique_ptr<THTMLHelp> help_;
    TTrayIcon* tray_ = nullptr;
    TTextBoxMenu* textBoxMenu_ = nullptr;

    TFrameBar* bar_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    TRecordListModel* peopleModel_ = nullptr;
    TRecordListModel* remindersModel_ = nullptr;
    TRecordListModel* holidaysModel_ = nullptr;
    TListView* people_ = nullptr;
    TListView* reminders_ = nullptr;
    TListView* holidays_ = nullptr;
    THTMLView* helpView_ = nullptr;
    QTreeWidget* helpTree_ = nullptr;
    std::array<QWidget*, PrefCount> prefPages_{};
    std::array<QWidget*, PrefCount> prefHolders_{};
    QComboBox* reminderFilter_ = nullptr;
    QComboBox* holidayFilter_ = nullptr;

    TTarvellImage* sending_ = nullptr;
    TTarvellImage* updates_ = nullptr;
    TTarvellImage* feedback_ = nullptr;
    QLabel* statusText_ = nullptr;
    bool updatesCanAbort_ = false;

    QAction* actAddPerson_ = nullptr;
    QAction* actEditPerson_ = nullptr;
    QAction* actDeletePerson_ = nullptr;
    QAction* actAddReminder_ = nullptr;
    QAction* actEditReminder_ = nullptr;
    QAction* actDeleteReminder_ = nullptr;
    QAction* actRecipients_ = nullptr;
    QAction* actCongratulate_ = nullptr;
    QAction* actCopyEmail_ = nullptr;
    QAction* actOpenVkontakte_ = nullptr;
    QMenu* peopleMenu_ = nullptr;
    QMenu* remindersMenu_ = nullptr;
    QMenu* holidaysMenu_ = nullptr;
    QMenu* headerMenu_ = nullptr;
    TListView* headerMenuView_ = nullptr;

    QTimer* scanTimer_ = nullptr;
    QTimer* dialogTimer_ = nullptr;
    QTimer* animationTimer_ = nullptr;
    QTimer* midnightTimer_ = nullptr;

    std::vector<TListView*> fitting_;
    bool firstActivation_ = true;
    bool layoutRestored_ = false;
    bool reallyClosing_ = false;
    bool restartPending_ = false;
    bool shutDown_ = false;
    uint32_t updateDue_ = 0;
    std::optional<int32_t> pendingReminderEdit_;
    std::optional<int32_t> pendingCongratulation_;
};

} // namespace orlinda
