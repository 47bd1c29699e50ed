#include "ui/MainWindow.h"

#include "core/Clock.h"
#include "core/Log.h"
#include "core/ExceptionTrace.h"
#include "core/OptionsList.h"
#include "core/RecordKey.h"
#include "core/Scramble.h"
#include "core/TimeZone.h"
#include "core/Windows1251.h"
#include "model/NotificationTexts.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/SnoozeMenu.h"
#include "ui/AlphaDialog.h"
#include "ui/DlgNotifications.h"
#include "ui/FrameBar.h"
#include "ui/HtmlHelp.h"
#include "ui/HtmlView.h"
#include "ui/ImageIndex.h"
#include "ui/ImageLists.h"
#include "ui/ListModels.h"
#include "ui/ListView.h"
#include "ui/SingleInstance.h"
#include "ui/Skins.h"
#include "ui/TarvellImage.h"
#include "ui/TextBoxMenu.h"
#include "ui/TrayIcon.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <malloc.h>

#include <cmath>

namespace orlinda {

namespace {

// The window's texts, in one place.
namespace text {
const QString Caption = QStringLiteral("Orlinda - не забудь поздравить близких");
const QString People = QStringLiteral("Люди");
const QString Reminders = QStringLiteral("Напоминания");
const QString Holidays = QStringLiteral("Ближайшие праздники");
const QString Settings = QStringLiteral("Настройки программы");
const QString Feedback = QStringLiteral("Связь с разработчиками...");
const QString Help = QStringLiteral("Справка");
const QString Add = QStringLiteral("Добавить");
const QString Edit = QStringLiteral("Редактировать");
const QString Delete = QStringLiteral("Удалить");
const QString AddReminderTray = QStringLiteral("Добавить напоминание...");
const QString ShowReminders = QStringLiteral("Показывать напоминания:");
const QString ShowHolidays = QStringLiteral("Показывать праздники:");
const QString CongratulateButton = QStringLiteral("Поздравить");
const QString CongratulateMenu = QStringLiteral("Поздравить...");
const QString Recipients = QStringLiteral("Кого поздравлять...");
const QString PrefGeneral = QStringLiteral("Общие настройки");
const QString PrefSound = QStringLiteral("Звуковое сопровождение");
const QString PrefMail = QStringLiteral("Поздравление по E-mail");
const QString PrefSocial = QStringLiteral("Вконтакте и Одноклассники");
const QString PrefUpdates = QStringLiteral("Проверка обновлений");
const QString CopyToClipboard = QStringLiteral("Копировать в буфер");
const QString Email = QStringLiteral("E-mail");
const QString OpenPage = QStringLiteral("Открыть страницу");
const QString Vkontakte = QStringLiteral("Вконтакте");
const QString AutoFit = QStringLiteral("Выровнять колонки по ширине");
const QString ConfirmDeletePerson = QStringLiteral("Вы уверенны, что хотите удалить информацию об этом человеке?");
const QString Yes = QStringLiteral("Да");
const QString No = QStringLiteral("Нет");
const QString Ok = QStringLiteral("OK");
const QString Information = QStringLiteral("Информация");
const QString Warning = QStringLiteral("Предупреждение");
const QString Error = QStringLiteral("Ошибка");
const QString Attention = QStringLiteral("Внимание");
const QString Queued = QStringLiteral("Поздравления добавлены в очередь и сейчас будут отправлены");
const QString QueuedSomeMissing = QStringLiteral(
    "Поздравления поставлены в очередь. Некоторые люди не будут поздравлены, т.к. для них не выбран текст поздравления");
const QString NoTexts = QStringLiteral("Поздравления не отправлены, т.к. не заданы тексты поздравлений");
const QString NobodyToGreet = QStringLiteral("Вы не указали, кого нужно поздравлять с данным праздником");
const QString AllGreeted = QStringLiteral("Вы уже поздравили всех указанных людей с данным праздником");
const QString Abort = QStringLiteral("Прервать");
const QString SendingHint = QStringLiteral("Отсылка поздравлений");
const QString UpdatesHint = QStringLiteral("Проверка и закачка обновлений");
const QString InstallHint = QStringLiteral("Установка скачаных обновлений");
const QString FeedbackHint = QStringLiteral(
    "Отправка Ваших сообщений разработчикам.\r\nКликните правой кнопкой мыши для выбора дополнительных опций");
const QString SendingDone = QStringLiteral("Отсылка поздравлений завершена");
const QString SendingFailed = QStringLiteral(
    "Не удалось оправить некоторые поздравления: \r\n\r\n%1\r\n\r\nНажмите сюда, чтобы проверить настройки");
const QString Updated = QStringLiteral("Компоненты программы успешно обновлены");
const QString FeedbackSent = QStringLiteral("Отправка сообщения успешно завершена");
const QString FeedbackFailed =
    QStringLiteral("Не удалось отправить сообщение.\r\nКликните сюда, чтобы проверить настройки соединения");
const QString HelpNotFound = QStringLiteral("Запрашиваемая страница справки не найдена");
const QString RestartNeeded = QStringLiteral("Необходимо перезапустить Orlinda для установки этого обновления");
const QString Restart = QStringLiteral("Перезапустить");
const QString DialogOpen = QStringLiteral("Пока открыт диалог редактирования напоминаний или диалог подбора "
                                          "поздравлений, новые уведомления появляться не будут.");
// Stand-ins for the windows that are not part of this build.
const QString NotInThisVersion = QStringLiteral("Это окно не входит в эту версию программы.");
const QString PageNotInThisVersion = QStringLiteral("Эта страница настроек не входит в эту версию программы.");
} // namespace text

constexpr uint32_t kUpdateCheckDelayMs = 600000;
constexpr int kDialogTimerMs = 50;
// With nothing waiting the dialog timer only looks at the shared block, and that needs
// no 50 ms: an idle program wakes up four times a second.
constexpr int kDialogIdleMs = 250;
constexpr int kAnimationTimerMs = 50;
constexpr char kDocontact[] = "docontact.htm";
constexpr char kOffsite[] = "http://www.tarvell.com/";

QString Q(const std::u16string& s)
{
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

QString FromSetting(const std::string& s)
{
    return Q(Cp1251ToUtf16(s));
}

std::string ToSetting(const QString& s)
{
    return Utf16ToCp1251(s.toStdU16String());
}

QString PlatformText(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

// A section's button: the action's picture and caption, enabled with the action.
QPushButton* SectionButton(QWidget* parent, QAction* action)
{
    auto* b = new QPushButton(action->icon(), action->text(), parent);
    b->setIconSize(QSize(24, 24));
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b->setFlat(true);
    b->setEnabled(action->isEnabled());
    QObject::connect(b, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, b, [b, action] {
        b->setEnabled(action->isEnabled());
        b->setText(action->text());
        b->setIcon(action->icon());
    });
    return b;
}

// The editors and the chooser suppress notifications while they are open.
class TDialogOpenGuard {
public:
    explicit TDialogOpenGuard(TProject& p) : p_(p) { p_.SetDialogOpen(true); }
    ~TDialogOpenGuard() { p_.SetDialogOpen(false); }

private:
    TProject& p_;
};

const char* OrderKey(TListKind k)
{
    switch (k) {
    case TListKind::People: return SettingsKey::IdentitiesOrder;
    case TListKind::Reminders: return SettingsKey::RemindersOrder;
    default: return SettingsKey::HolidaysOrder;
    }
}

const char* WidthKey(TListKind k)
{
    switch (k) {
    case TListKind::People: return SettingsKey::IdentitiesWidth;
    case TListKind::Reminders: return SettingsKey::RemindersWidth;
    default: return SettingsKey::HolidaysWidth;
    }
}

const char* SortKey(TListKind k)
{
    switch (k) {
    case TListKind::People: return SettingsKey::IdentitiesSort;
    case TListKind::Reminders: return SettingsKey::RemindersSort;
    default: return SettingsKey::HolidaysSort;
    }
}

} // namespace

// --- creation ------------------------------------------------------------------------------

TfrmMain::TfrmMain(TOptions options, QWidget* parent) : QMainWindow(parent), hooks_(std::move(options.hooks))
{
    instance_ = options.instance;
    // 1. Flags.
    firstActivation_ = true;
    reallyClosing_ = false;
    restartPending_ = false;

    setWindowTitle(text::Caption);
    setObjectName(QStringLiteral("frmMain"));
    QFont tahoma(QStringLiteral("Tahoma"));
    setFont(tahoma);
    resize(720, 585);
    setMinimumSize(585, 585);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(360, 292));
    }

    // 3, 4. Skins and pictures.
    InitOrlindaResources();
    TSkinManager::Instance().RegisterBuiltIns();
    TImageLists::Instance().Load();
    setWindowIcon(ProgramIcon());

    // 6, 7. The update check's moment; the captions of the message dialogs.
    updateDue_ = TickCount() + kUpdateCheckDelayMs;
    if (updateDue_ == 0)
        updateDue_ = 1;
    SetRussianDialogCaptions();

    // 8. The help and the snooze menu.
    help_ = std::make_unique<THTMLHelp>();
    snooze_ = std::make_unique<TSnoozeMenu>();

    // 9. The text boxes' menu.
    textBoxMenu_ = new TTextBoxMenu(this);
    textBoxMenu_->Install();

    // 10. The skins of the skins folder.
    TSkinManager::Instance().SetSkinsFolder(QString::fromStdString(AppPaths().SkinsFolder));

    // 11. The notification window.
    notifications_ = std::make_unique<TdlgNotifications>();
    notifications_->OnAction = [this](int32_t id, int code) { return OnNotificationAction(id, code); };
    notifications_->SetButtonImages(&TImageLists::Instance().Main);

    tray_ = new TTrayIcon(this);

    // 12. The project and the lists.
    project_ = std::make_unique<TProject>(options.files, std::move(options.workers));
    project_->OnGreetingStarted = [this] { GreetingStarted(); };
    project_->OnQueueDone = [this] { QueueDone(); };
    project_->OnDialogOpenChanged = [this](bool open) { tray_->SetDialogOpen(open); };
    TProject* p = project_.get();
    peopleModel_ = new TRecordListModel(p->Identities(), TListKind::People, [p] { return p->IsLoadingIdentities(); }, this);
    remindersModel_ =
        new TRecordListModel(p->Reminders(), TListKind::Reminders, [p] { return p->IsLoadingReminders(); }, this);
    holidaysModel_ = new TRecordListModel(p->Bindings(), TListKind::Holidays,
                                          [p] { return p->IsLoadingBindings() || p->IsLoadingHolidays(); }, this);

    CreateActions();
    CreatePages();
    CreateBar();
    CreateStatusStrip();
    CreateMenus();

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(bar_);
    row->addWidget(pages_, 1);
    setCentralWidget(central);
    // 2. The first page.
    pages_->setCurrentIndex(PagePeople);

    // 13. Loading, each list inside an update bracket so that it paints once.
    peopleModel_->BeginUpdate();
    project_->LoadIdentities();
    peopleModel_->EndUpdate();
    remindersModel_->BeginUpdate();
    project_->LoadReminders();
    remindersModel_->EndUpdate();
    holidaysModel_->BeginUpdate();
    project_->LoadBindings();
    project_->LoadHolidays();
    holidaysModel_->EndUpdate();

    // 14. The snooze menu and the notification window to the project; the help.
    project_->SetDelayMenu(snooze_.get());
    project_->SetNotificationWindow(notifications_.get());
    help_->BindView(helpView_);
    help_->BindTree(helpTree_);
    help_->Variables().SetText(project_->Help().FVariables.Text());
    help_->OnBeforeShow = [this](const QString& page) { return HelpBeforeShow(page); };
    help_->OnNotFound = [this](const QString& page) { HelpNotFound(page); };
    help_->Load(QString::fromStdString(options.helpFile.empty() ? AppPaths().HelpFile : options.helpFile));

    // 16. The skin, the proxies.
    connect(&TSkinManager::Instance(), &TSkinManager::BeforeChange, this, [this] {
        if (statusBar())
            statusBar()->setSizeGripEnabled(false);
    });
    connect(&TSkinManager::Instance(), &TSkinManager::AfterChange, this, [this](const QString& name) {
        ApplySkinColours();
        if (helpTree_)
            helpTree_->viewport()->update();
        if (statusBar())
            statusBar()->setSizeGripEnabled(true);
        SuppressHints();
        Settings().SetValue(SettingsKey::Skin, ToSetting(name));
        SaveSettings();
    });
    TSkinManager::Instance().Apply(FromSetting(Settings().GetValue(SettingsKey::Skin)));
    ApplySkinColours();
    project_->ApplyProxySettings();

    // The timers.
    scanTimer_ = new QTimer(this);
    scanTimer_->setSingleShot(true);
    connect(scanTimer_, &QTimer::timeout, this, &TfrmMain::ScanTimerTick);
    RestartScanTimer();
    dialogTimer_ = new QTimer(this);
    dialogTimer_->setSingleShot(true);
    connect(dialogTimer_, &QTimer::timeout, this, &TfrmMain::DialogTimerTick);
    RestartDialogTimer();
    animationTimer_ = new QTimer(this);
    animationTimer_->setInterval(kAnimationTimerMs);
    connect(animationTimer_, &QTimer::timeout, this, &TfrmMain::AnimationTimerTick);
    midnightTimer_ = new QTimer(this);
    midnightTimer_->setSingleShot(true);
    connect(midnightTimer_, &QTimer::timeout, this, [this] {
        // A new day: the day counts, the filters and the tray's text change.
        peopleModel_->RefreshAll();
        remindersModel_->RefreshAll();
        holidaysModel_->RefreshAll();
        reminders_->Proxy()->Refilter();
        holidays_->Proxy()->Refilter();
        ScheduleMidnight();
    });
    ScheduleMidnight();

    // The tray.
    connect(tray_, &TTrayIcon::openRequested, this, &TfrmMain::ShowFromTray);
    connect(tray_, &TTrayIcon::addReminderRequested, this, [this] { AddReminder(); });
    connect(tray_, &TTrayIcon::exitRequested, this, &TfrmMain::Exit);
    connect(tray_, &TTrayIcon::balloonClicked, this, &TfrmMain::BalloonClicked);
    connect(tray_, &TTrayIcon::todayBalloonRequested, this, &TfrmMain::ShowTodayBalloon);
    if (options.trayIcon)
        tray_->Show();

    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { SystemShutdown(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            HideHints();
    });

    UpdateActions();

    // 17. Give back the memory that loading used for a moment.
    ::malloc_trim(0);

    // 18.
    if (options.updatedOnStart)
        ShowBalloon(text::Information, text::Updated, QSystemTrayIcon::Information, 10, BalloonNothing);
}

TfrmMain::~TfrmMain()
{
    shutDown_ = true;
    reallyClosing_ = true;
    for (QTimer* t : {scanTimer_, dialogTimer_, animationTimer_, midnightTimer_})
        if (t)
            t->stop();
    // Each step is tried; a failure goes on with the freeing.
    try {
        if (layoutRestored_)
            SaveLayout();
        SaveSettings();
    } catch (...) {
    }
    peopleModel_->Detach();
    remindersModel_->Detach();
    holidaysModel_->Detach();
    if (project_)
        project_->SetNotificationWindow(nullptr);
    notifications_.reset();
    help_.reset();
    project_.reset();
}

void TfrmMain::CreateActions()
{
    TImageList& main = TImageLists::Instance().Main;
    actAddPerson_ = new QAction(main.Icon(img::AddPerson), text::Add, this);
    actEditPerson_ = new QAction(main.Icon(img::EditPerson), text::Edit, this);
    actDeletePerson_ = new QAction(main.Icon(img::DeletePerson), text::Delete, this);
    actAddReminder_ = new QAction(main.Icon(img::AddReminder), text::Add, this);
    actEditReminder_ = new QAction(main.Icon(img::EditReminder), text::Edit, this);
    actDeleteReminder_ = new QAction(main.Icon(img::DeleteReminder), text::Delete, this);
    actRecipients_ = new QAction(main.Icon(img::Recipients), text::Recipients, this);
    actCongratulate_ = new QAction(main.Icon(img::Congratulate), text::CongratulateButton, this);
    actCopyEmail_ = new QAction(main.Icon(img::Copy), text::Email, this);
    actOpenVkontakte_ = new QAction(main.Icon(img::OpenPage), text::Vkontakte, this);
    connect(actAddPerson_, &QAction::triggered, this, [this] { AddPerson(); });
    connect(actEditPerson_, &QAction::triggered, this, [this] { EditPerson(); });
    connect(actDeletePerson_, &QAction::triggered, this, [this] { DeletePerson(); });
    connect(actAddReminder_, &QAction::triggered, this, [this] { AddReminder(); });
    connect(actEditReminder_, &QAction::triggered, this, [this] { EditReminder(); });
    connect(actDeleteReminder_, &QAction::triggered, this, [this] { DeleteReminder(); });
    connect(actRecipients_, &QAction::triggered, this, [this] { ChooseRecipients(); });
    connect(actCongratulate_, &QAction::triggered, this, [this] { Congratulate(); });
    connect(actCopyEmail_, &QAction::triggered, this, [this] {
        if (auto* person = dynamic_cast<TIdentity*>(people_->SelectedRecord()))
            QGuiApplication::clipboard()->setText(QString::fromStdString(person->FEmail));
    });
    connect(actOpenVkontakte_, &QAction::triggered, this, [this] {
        if (auto* person = dynamic_cast<TIdentity*>(people_->SelectedRecord())) {
            QString url = QString::fromStdString(person->URLVkontakte()).trimmed();
            if (!url.contains(QStringLiteral("://")))
                url.prepend(QStringLiteral("http://"));
            QDesktopServices::openUrl(QUrl(url));
        }
    });
}

void TfrmMain::UpdateActions()
{
    TNamedObject* person = people_ ? people_->SelectedRecord() : nullptr;
    actEditPerson_->setEnabled(person);
    actDeletePerson_->setEnabled(person);
    auto* identity = dynamic_cast<TIdentity*>(person);
    actCopyEmail_->setEnabled(identity && !identity->FEmail.empty());
    actOpenVkontakte_->setEnabled(identity && !identity->URLVkontakte().empty());
    TNamedObject* reminder = reminders_ ? reminders_->SelectedRecord() : nullptr;
    actEditReminder_->setEnabled(reminder);
    actDeleteReminder_->setEnabled(reminder);
    // Only the calendar's holidays (numbers above 2) have recipients to choose.
    TNamedObject* binding = holidays_ ? holidays_->SelectedRecord() : nullptr;
    bool ok = false;
    const int number = binding ? QString::fromStdString(binding->FName).trimmed().toInt(&ok) : 0;
    actRecipients_->setEnabled(binding && ok && number > 2);
}

void TfrmMain::CreatePages()
{
    pages_ = new QStackedWidget(this);
    people_ = new TListView(peopleModel_, pages_);
    reminders_ = new TListView(remindersModel_, pages_);
    holidays_ = new TListView(holidaysModel_, pages_);
    pages_->addWidget(people_);
    pages_->addWidget(reminders_);
    pages_->addWidget(holidays_);
    for (int i = 0; i < PrefCount; ++i) {
        auto* holder = new QWidget(pages_);
        new QVBoxLayout(holder);
        holder->layout()->setContentsMargins(0, 0, 0, 0);
        prefHolders_[static_cast<size_t>(i)] = holder;
        pages_->addWidget(holder);
    }
    helpView_ = new THTMLView(pages_);
    helpView_->setFrameShape(QFrame::NoFrame);
    pages_->addWidget(helpView_);
    helpTree_ = new QTreeWidget(this);
    helpTree_->hide();

    TImageList* images = &TImageLists::Instance().Main;
    for (TListView* v : {people_, reminders_, holidays_})
        v->SetImages(images);
    ConnectList(people_, true);
    ConnectList(reminders_, true);
    ConnectList(holidays_, false);
}

void TfrmMain::ConnectList(TListView* view, bool savesFile)
{
    TRecordListModel* model = view->RecordModel();
    connect(model, &TRecordListModel::recordAdded, this, [this, view](TNamedObject* r) { OnRecordAdded(view, r); });
    if (savesFile) {
        connect(model, &TRecordListModel::listAdded, this, [this, view] { SaveListFile(view); });
        connect(model, &TRecordListModel::listRemoved, this, [this, view] { SaveListFile(view); });
        connect(model, &TRecordListModel::listChanged, this, [this, view] { SaveListFile(view); });
    }
    connect(view, &TListView::selectionChangedByAnyone, this, &TfrmMain::UpdateActions);
    connect(view, &TListView::sortChangedByUser, this, [this, view] { SaveSortState(view); });
    connect(view, &TListView::headerMenuRequested, this, [this, view](const QPoint& at) {
        headerMenuView_ = view;
        headerMenu_->popup(at);
    });
    connect(view, &TListView::rowMenuRequested, this, [this, view](const QPoint& at) {
        UpdateActions();
        QMenu* menu = view == people_ ? peopleMenu_ : (view == reminders_ ? remindersMenu_ : holidaysMenu_);
        menu->popup(at);
    });
    connect(view, &TListView::recordDoubleClicked, this, [this, view](TNamedObject* record) {
        if (view == people_)
            EditPerson(dynamic_cast<TIdentity*>(record));
        else if (view == reminders_)
            EditReminder(dynamic_cast<TReminder*>(record));
        else
            Congratulate(dynamic_cast<THoliminder*>(record));
    });
}

void TfrmMain::OnRecordAdded(TListView* view, TNamedObject* record)
{
    if (shutDown_)
        return;
    view->SelectRecord(record);
}

void TfrmMain::SaveListFile(TListView* view)
{
    if (shutDown_)
        return;
    if (view == people_)
        project_->SaveIdentities();
    else if (view == reminders_)
        project_->SaveReminders();
}

void TfrmMain::CreateBar()
{
    bar_ = new TFrameBar(this);
    TImageList& menu = TImageLists::Instance().Menu;
    bar_->AddEntry(text::People, menu.Icon(img::MenuPeople), [this](QWidget* p) { return MakePeopleSection(p); });
    bar_->AddEntry(text::Reminders, menu.Icon(img::MenuReminders),
                   [this](QWidget* p) { return MakeRemindersSection(p); });
    bar_->AddEntry(text::Holidays, menu.Icon(img::MenuHolidays), [this](QWidget* p) { return MakeHolidaysSection(p); });
    bar_->AddEntry(text::Settings, menu.Icon(img::MenuSettings), [this](QWidget* p) { return MakeSettingsSection(p); });
    bar_->AddEntry(text::Feedback, menu.Icon(img::MenuFeedback), {});
    bar_->AddEntry(text::Help, menu.Icon(img::MenuHelp), [this](QWidget* p) { return MakeHelpSection(p); });
    connect(bar_, &TFrameBar::titleClicked, this, &TfrmMain::EntryClicked);
    bar_->Expand(EntryPeople);
}

namespace {

QWidget* NewSection(QWidget* parent, QVBoxLayout** layout)
{
    auto* w = new QWidget(parent);
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(8, 2, 8, 2);
    l->setSpacing(2);
    *layout = l;
    return w;
}

void AlignLater(QWidget* section, std::vector<QPushButton*> buttons)
{
    QTimer::singleShot(0, section, [buttons] { AlignSectionButtons(buttons); });
}

} // namespace

QWidget* TfrmMain::MakePeopleSection(QWidget* parent)
{
    QVBoxLayout* l = nullptr;
    QWidget* w = NewSection(parent, &l);
    std::vector<QPushButton*> buttons = {SectionButton(w, actAddPerson_), SectionButton(w, actEditPerson_),
                                         SectionButton(w, actDeletePerson_)};
    for (QPushButton* b : buttons)
        l->addWidget(b);
    AlignLater(w, buttons);
    return w;
}

QWidget* TfrmMain::MakeRemindersSection(QWidget* parent)
{
    QVBoxLayout* l = nullptr;
    QWidget* w = NewSection(parent, &l);
    l->addWidget(new QLabel(text::ShowReminders, w));
    reminderFilter_ = new QComboBox(w);
    reminderFilter_->addItems(FilterItems(TListKind::Reminders));
    reminderFilter_->setCurrentIndex(reminders_->Proxy()->Filter());
    connect(reminderFilter_, &QComboBox::currentIndexChanged, this, [this](int i) { reminders_->SetFilter(i); });
    l->addWidget(reminderFilter_);
    std::vector<QPushButton*> buttons = {SectionButton(w, actAddReminder_), SectionButton(w, actEditReminder_),
                                         SectionButton(w, actDeleteReminder_)};
    for (QPushButton* b : buttons)
        l->addWidget(b);
    AlignLater(w, buttons);
    return w;
}

QWidget* TfrmMain::MakeHolidaysSection(QWidget* parent)
{
    QVBoxLayout* l = nullptr;
    QWidget* w = NewSection(parent, &l);
    l->addWidget(new QLabel(text::ShowHolidays, w));
    holidayFilter_ = new QComboBox(w);
    holidayFilter_->addItems(FilterItems(TListKind::Holidays));
    holidayFilter_->setCurrentIndex(holidays_->Proxy()->Filter());
    connect(holidayFilter_, &QComboBox::currentIndexChanged, this, [this](int i) { holidays_->SetFilter(i); });
    l->addWidget(holidayFilter_);
    std::vector<QPushButton*> buttons = {SectionButton(w, actCongratulate_), SectionButton(w, actRecipients_)};
    for (QPushButton* b : buttons)
        l->addWidget(b);
    AlignLater(w, buttons);
    return w;
}

QWidget* TfrmMain::MakeSettingsSection(QWidget* parent)
{
    QVBoxLayout* l = nullptr;
    QWidget* w = NewSection(parent, &l);
    TImageList& main = TImageLists::Instance().Main;
    const std::pair<QString, int> entries[] = {{text::PrefGeneral, img::SettingsGeneral},
                                               {text::PrefSound, img::SettingsSound},
                                               {text::PrefMail, img::SettingsMail},
                                               {text::PrefSocial, img::Social},
                                               {text::PrefUpdates, img::Updates}};
    std::vector<QPushButton*> buttons;
    for (int i = 0; i < PrefCount; ++i) {
        auto* a = new QAction(main.Icon(entries[i].second), entries[i].first, w);
        connect(a, &QAction::triggered, this, [this, i] { ShowPreferencePage(i); });
        QPushButton* b = SectionButton(w, a);
        buttons.push_back(b);
        l->addWidget(b);
    }
    AlignLater(w, buttons);
    return w;
}

QWidget* TfrmMain::MakeHelpSection(QWidget* parent)
{
    QVBoxLayout* l = nullptr;
    QWidget* w = NewSection(parent, &l);
    helpTree_->setParent(w);
    helpTree_->setMinimumHeight(220);
    helpTree_->show();
    l->addWidget(helpTree_);
    return w;
}

QComboBox* TfrmMain::ReminderFilterBox()
{
    bar_->EnsureSection(EntryReminders);
    return reminderFilter_;
}

QComboBox* TfrmMain::HolidayFilterBox()
{
    bar_->EnsureSection(EntryHolidays);
    return holidayFilter_;
}

void TfrmMain::CreateStatusStrip()
{
    QStatusBar* strip = statusBar();
    strip->setObjectName(QStringLiteral("StatusStrip"));
    statusText_ = new QLabel(strip);
    strip->addWidget(statusText_, 1);
    TImageList* anim = &TImageLists::Instance().Anim;
    auto make = [&](int first, int last, int time, const QString& delays, const QString& hint) {
        auto* image = new TTarvellImage(strip);
        image->SetImages(anim);
        image->SetAnimationFirstFrame(first);
        image->SetAnimationLastFrame(last);
        image->SetAnimationTime(time);
        image->SetFrameDelays(delays);
        image->setToolTip(PlatformText(hint));
        image->setContextMenuPolicy(Qt::CustomContextMenu);
        image->hide();
        strip->addPermanentWidget(image);
        return image;
    };
    sending_ = make(img::AnimSendingFirst, img::AnimSendingLast, 1000, {}, text::SendingHint);
    updates_ = make(img::AnimUpdatesFirst, img::AnimUpdatesLast, 1000, {}, text::UpdatesHint);
    feedback_ = make(img::AnimFeedbackFirst, img::AnimFeedbackLast, 2000, QString::fromLatin1(img::AnimFeedbackDelays),
                     text::FeedbackHint);
    auto abortMenu = [this](TTarvellImage* image, std::function<bool()> enabled, std::function<void()> abort) {
        connect(image, &QWidget::customContextMenuRequested, this, [this, image, enabled, abort](const QPoint& pos) {
            if (enabled && !enabled())
                return;
            QMenu menu(this);
            QAction* a = menu.addAction(TImageLists::Instance().Main.Icon(img::Stop), text::Abort);
            if (menu.exec(image->mapToGlobal(pos)) == a)
                abort();
        });
    };
    abortMenu(sending_, {}, [this] {
        // Empty the queue and stop the senders.
        try {
            project_->Greetings().Clear();
            project_->Submission().Abort();
            if (hooks_.abortMail)
                hooks_.abortMail();
        } catch (...) {
        }
    });
    abortMenu(updates_, [this] { return updatesCanAbort_; }, [this] {
        if (hooks_.abortUpdater)
            hooks_.abortUpdater();
    });
    abortMenu(feedback_, {}, [this] {
        if (hooks_.cancelFeedback)
            hooks_.cancelFeedback();
    });
}

void TfrmMain::CreateMenus()
{
    TImageList& main = TImageLists::Instance().Main;
    peopleMenu_ = new QMenu(this);
    peopleMenu_->addAction(actAddPerson_);
    peopleMenu_->addSeparator();
    peopleMenu_->addAction(actEditPerson_);
    peopleMenu_->setDefaultAction(actEditPerson_);
    peopleMenu_->addAction(actDeletePerson_);
    peopleMenu_->addSeparator();
    QMenu* copy = peopleMenu_->addMenu(main.Icon(img::Clipboard), text::CopyToClipboard);
    copy->addAction(actCopyEmail_);
    QMenu* open = peopleMenu_->addMenu(main.Icon(img::OpenPage), text::OpenPage);
    open->addAction(actOpenVkontakte_);

    remindersMenu_ = new QMenu(this);
    remindersMenu_->addAction(actAddReminder_);
    remindersMenu_->addSeparator();
    remindersMenu_->addAction(actEditReminder_);
    remindersMenu_->setDefaultAction(actEditReminder_);
    remindersMenu_->addAction(actDeleteReminder_);

    holidaysMenu_ = new QMenu(this);
    auto* congratulate = new QAction(main.Icon(img::Congratulate), text::CongratulateMenu, this);
    connect(congratulate, &QAction::triggered, this, [this] { Congratulate(); });
    holidaysMenu_->addAction(congratulate);
    holidaysMenu_->setDefaultAction(congratulate);
    holidaysMenu_->addAction(actRecipients_);

    headerMenu_ = new QMenu(this);
    QAction* fit = headerMenu_->addAction(text::AutoFit);
    connect(fit, &QAction::triggered, this, [this] {
        if (headerMenuView_)
            AutoFitList(headerMenuView_);
    });
}

// --- pages and the window ------------------------------------------------------------------

TListView* TfrmMain::ListOfPage(int page) const
{
    switch (page) {
    case PagePeople: return people_;
    case PageReminders: return reminders_;
    case PageHolidays: return holidays_;
    default: return nullptr;
    }
}

void TfrmMain::ShowPage(int page)
{
    if (page >= PagePreferences && page < PageHelp) {
        ShowPreferencePage(page - PagePreferences);
        return;
    }
    pages_->setCurrentIndex(page);
}

int TfrmMain::CurrentPage() const
{
    return pages_->currentIndex();
}

void TfrmMain::EntryClicked(int entry)
{
    switch (entry) {
    case EntryPeople:
        ShowPage(PagePeople);
        break;
    case EntryReminders:
        ShowPage(PageReminders);
        break;
    case EntryHolidays:
        ShowPage(PageHolidays);
        break;
    case EntrySettings:
        ShowPreferencePage(PrefGeneral);
        break;
    case EntryFeedback:
        OpenFeedback();
        break;
    case EntryHelp:
        pages_->setCurrentIndex(PageHelp);
        help_->FocusFirstTopicIfNone();
        break;
    default:
        break;
    }
}

QWidget* TfrmMain::PreferencePage(int page)
{
    QWidget*& made = prefPages_[static_cast<size_t>(page)];
    if (made)
        return made;
    QWidget* holder = prefHolders_[static_cast<size_t>(page)];
    if (hooks_.preferencePage)
        made = hooks_.preferencePage(page, holder);
    if (!made) {
        auto* label = new QLabel(text::PageNotInThisVersion, holder);
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        made = label;
    }
    holder->layout()->addWidget(made);
    return made;
}

void TfrmMain::ShowPreferencePage(int page)
{
    if (page < 0 || page >= PrefCount)
        return;
    bar_->Expand(EntrySettings);
    PreferencePage(page);
    pages_->setCurrentIndex(PagePreferences + page);
}

void TfrmMain::ShowFromTray()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TfrmMain::HideToTray()
{
    HideHints();
    hide();
}

void TfrmMain::Exit()
{
    reallyClosing_ = true;
    close();
    QCoreApplication::quit();
}

void TfrmMain::SystemShutdown()
{
    if (shutDown_)
        return;
    try {
        if (layoutRestored_)
            SaveLayout();
        SaveSettings();
    } catch (...) {
    }
    reallyClosing_ = true;
    QCoreApplication::quit();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (Settings().GetBool(SettingsKey::CloseToTray) && !reallyClosing_) {
        HideToTray();
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (firstActivation_) {
        firstActivation_ = false;
        RestoreLayout();
    }
}

void TfrmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && isVisible()) {
        // Minimizing sends the window to the tray.
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                HideToTray();
        });
    } else if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        HideHints();
    }
}

// --- actions -------------------------------------------------------------------------------

void TfrmMain::Information(const QString& message)
{
    HideHints();
    InfoBox(message, text::Ok);
    SuppressHints();
}

void TfrmMain::ShowStandIn()
{
    Information(text::NotInThisVersion);
}

void TfrmMain::AddPerson()
{
    try {
        auto person = std::make_unique<TIdentity>();
        person->FName = NewRecordKey();
        if (!hooks_.editIdentity) {
            ShowStandIn();
            return;
        }
        HideHints();
        const bool ok = hooks_.editIdentity(this, *person, true);
        SuppressHints();
        if (!ok)
            return;
        TIdentity* added = person.get();
        if (project_->Identities().Add(std::move(person)))
            return; // refused by the list
        LinkSpouseAfterAdd(*added);
    } catch (...) {
    }
}

void TfrmMain::EditPerson(TIdentity* person)
{
    try {
        if (!person)
            person = dynamic_cast<TIdentity*>(people_->SelectedRecord());
        if (!person)
            return;
        if (!hooks_.editIdentity) {
            ShowStandIn();
            return;
        }
        TIdentity copy;
        copy.Assign(person);
        HideHints();
        const bool ok = hooks_.editIdentity(this, copy, false);
        SuppressHints();
        // The person may have gone meanwhile.
        if (!ok || project_->Identities().IndexOf(person) < 0)
            return;
        const std::string previousSpouse = person->FSpouse;
        person->Assign(&copy);
        project_->Identities().Notify(person, TNamedObjectEvent::Changed);
        LinkSpouseAfterEdit(*person, previousSpouse);
    } catch (...) {
    }
}

void TfrmMain::Unlink(const std::string& key, const std::string& unlessKey)
{
    if (key.empty() || key == unlessKey)
        return;
    if (TIdentity* other = project_->Identities().FindByName(key)) {
        if (!other->FSpouse.empty()) {
            other->FSpouse.clear();
            project_->Identities().Notify(other, TNamedObjectEvent::Changed);
        }
    }
}

void TfrmMain::LinkSpouseAfterAdd(TIdentity& person)
{
    if (person.FSpouse.empty())
        return;
    TIdentity* spouse = project_->Identities().FindByName(person.FSpouse);
    if (!spouse || spouse == &person)
        return;
    const std::string before = spouse->FSpouse;
    spouse->FSpouse = person.FName;
    project_->Identities().Notify(spouse, TNamedObjectEvent::Changed);
    // The person the spouse was linked to before loses the link.
    Unlink(before, person.FName);
}

void TfrmMain::LinkSpouseAfterEdit(TIdentity& person, const std::string& previousSpouse)
{
    // The person linked to the edited one before loses the link.
    if (previousSpouse != person.FSpouse)
        Unlink(previousSpouse, person.FName);
    if (person.FSpouse.empty())
        return;
    TIdentity* spouse = project_->Identities().FindByName(person.FSpouse);
    if (!spouse || spouse == &person)
        return;
    if (spouse->FSpouse != person.FName) {
        // The spouse's previous partner loses the link.
        Unlink(spouse->FSpouse, person.FName);
        spouse->FSpouse = person.FName;
        project_->Identities().Notify(spouse, TNamedObjectEvent::Changed);
    }
}

void TfrmMain::DeletePerson()
{
    try {
        TNamedObject* person = people_->SelectedRecord();
        if (!person)
            return;
        HideHints();
        const bool yes = ConfirmBox(text::ConfirmDeletePerson, text::Yes, text::No);
        SuppressHints();
        if (yes && project_->Identities().IndexOf(person) >= 0)
            project_->Identities().Remove(person);
    } catch (...) {
    }
}

void TfrmMain::AddReminder()
{
    try {
        auto reminder = std::make_unique<TReminder>();
        reminder->FName = NewRecordKey();
        if (!hooks_.editReminder) {
            ShowStandIn();
            return;
        }
        HideHints();
        bool ok = false;
        {
            TDialogOpenGuard open(*project_);
            ok = hooks_.editReminder(this, *reminder, true);
        }
        SuppressHints();
        if (ok)
            project_->Reminders().Add(std::move(reminder));
    } catch (...) {
    }
}

void TfrmMain::EditReminder(TReminder* reminder)
{
    try {
        if (!reminder)
            reminder = dynamic_cast<TReminder*>(reminders_->SelectedRecord());
        if (!reminder)
            return;
        if (!hooks_.editReminder) {
            ShowStandIn();
            return;
        }
        TReminder copy;
        copy.Assign(reminder);
        HideHints();
        bool ok = false;
        {
            TDialogOpenGuard open(*project_);
            ok = hooks_.editReminder(this, copy, false);
        }
        SuppressHints();
        if (!ok || project_->Reminders().IndexOf(reminder) < 0)
            return;
        reminder->Assign(&copy);
        project_->Reminders().Notify(reminder, TNamedObjectEvent::Changed);
    } catch (...) {
    }
}

void TfrmMain::DeleteReminder()
{
    try {
        TNamedObject* reminder = reminders_->SelectedRecord();
        if (!reminder)
            return;
        HideHints();
        const bool yes = ConfirmBox(Q(notify::kConfirmDeleteReminder), text::Yes, text::No);
        SuppressHints();
        if (yes && project_->Reminders().IndexOf(reminder) >= 0)
            project_->Reminders().Remove(reminder);
    } catch (...) {
    }
}

void TfrmMain::ChooseRecipients()
{
    try {
        TNamedObject* binding = holidays_->SelectedRecord();
        if (!binding)
            return;
        bool ok = false;
        const int number = QString::fromStdString(binding->FName).trimmed().toInt(&ok);
        if (!ok || number <= 2)
            return;
        HideHints();
        if (!hooks_.chooseRecipients) {
            ShowStandIn();
            return;
        }
        hooks_.chooseRecipients(this, number);
        SuppressHints();
    } catch (...) {
    }
}

void TfrmMain::Congratulate(THoliminder* binding)
{
    try {
        if (!binding)
            binding = dynamic_cast<THoliminder*>(holidays_->SelectedRecord());
        if (!binding)
            return;
        HideHints();
        if (!hooks_.chooseGreetings) {
            ShowStandIn();
            return;
        }
        int result = 0;
        {
            TDialogOpenGuard open(*project_);
            result = hooks_.chooseGreetings(this, *binding);
        }
        SuppressHints();
        switch (result) {
        case chooser::Queued:
            ShowBalloon(text::Information, text::Queued, QSystemTrayIcon::Information, 10, BalloonNothing);
            break;
        case chooser::OpenSettings:
            ShowFromTray();
            ShowPreferencePage(PrefGeneral);
            break;
        case chooser::QueuedSomeMissing:
            ShowBalloon(text::Warning, text::QueuedSomeMissing, QSystemTrayIcon::Warning, 10, BalloonNothing);
            break;
        case chooser::NoTexts:
            ShowBalloon(text::Warning, text::NoTexts, QSystemTrayIcon::Warning, 10, BalloonNothing);
            break;
        case chooser::NobodyToGreet:
            Information(text::NobodyToGreet);
            break;
        case chooser::AllGreeted:
            Information(text::AllGreeted);
            break;
        default:
            break;
        }
        holidaysModel_->RefreshAll();
    } catch (...) {
    }
}

void TfrmMain::OpenFeedback()
{
    try {
        HideHints();
        if (!hooks_.feedbackDialog) {
            ShowStandIn();
            return;
        }
        TOptionsList& settings = Settings();
        TFeedbackRequest request;
        if (settings.GetBool(SettingsKey::SaveSenderInfo)) {
            request.senderName = FromSetting(settings.GetValue(SettingsKey::SenderName));
            request.senderEmail = FromSetting(settings.GetValue(SettingsKey::SenderEmail));
            request.keepSenderInfo = true;
        }
        const bool sent = hooks_.feedbackDialog(this, request);
        SuppressHints();
        if (!sent)
            return;
        if (request.keepSenderInfo) {
            settings.SetValue(SettingsKey::SenderName, ToSetting(request.senderName));
            settings.SetValue(SettingsKey::SenderEmail, ToSetting(request.senderEmail));
            settings.SetBool(SettingsKey::SaveSenderInfo, true);
        } else {
            settings.SetValue(SettingsKey::SenderName, "");
            settings.SetValue(SettingsKey::SenderEmail, "");
            settings.SetBool(SettingsKey::SaveSenderInfo, false);
        }
        if (hooks_.sendFeedback)
            hooks_.sendFeedback(request);
        SaveSettings();
    } catch (...) {
    }
}

void TfrmMain::AutoFitList(TListView* view)
{
    // The three lists have the same size: the one on show gives it.
    int width = view->viewport()->width();
    if (!view->isVisible())
        if (TListView* shown = ListOfPage(CurrentPage()))
            width = shown->viewport()->width();
    view->AutoFit(width);
}

// --- notifications -------------------------------------------------------------------------

bool TfrmMain::OnNotificationAction(int32_t id, int code)
{
    emit notificationAnswered(id, code);
    const TNotificationAnswer answer = project_->AnswerNotification(id, code);
    if (answer.confirmDelete) {
        const bool yes = ConfirmBox(Q(notify::kConfirmDeleteReminder), text::Yes, text::No);
        SuppressHints();
        if (!yes)
            return false;
        project_->DeleteReminder(id);
        return true;
    }
    if (!answer.helpPage.empty()) {
        ShowHelpPage(answer.helpPage);
        return false;
    }
    if (answer.editReminder)
        pendingReminderEdit_ = answer.editReminder;
    if (answer.congratulate)
        pendingCongratulation_ = answer.congratulate;
    if (answer.editReminder || answer.congratulate)
        RestartDialogTimer();
    return answer.close;
}

int TfrmMain::ShowHelpPage(const std::string& pageName)
{
    return help_->ShowPage(QString::fromStdString(pageName));
}

bool TfrmMain::HelpBeforeShow(const QString& page)
{
    if (page == QLatin1String(kDocontact)) {
        OpenFeedback();
        return false;
    }
    ShowFromTray();
    bar_->Expand(EntryHelp);
    pages_->setCurrentIndex(PageHelp);
    return true;
}

void TfrmMain::HelpNotFound(const QString& page)
{
    if (page == QLatin1String(kDocontact)) {
        OpenFeedback();
        return;
    }
    if (page == QLatin1String(kOffsite) || page.startsWith(QLatin1String("http://"))
        || page.startsWith(QLatin1String("https://")) || page.startsWith(QLatin1String("mailto:"))) {
        QDesktopServices::openUrl(QUrl(page));
        return;
    }
    ShowFromTray();
    ErrorBox(text::HelpNotFound, text::Ok);
    SuppressHints();
}

// --- timers --------------------------------------------------------------------------------

void TfrmMain::RestartScanTimer()
{
    if (shutDown_ || !project_->TimerEnabled())
        return;
    scanTimer_->start(project_->TimerInterval());
}

void TfrmMain::ScanTimerTick()
{
    try {
        project_->ScanTick();
    } catch (...) {
    }
    RestartScanTimer();
}

int TfrmMain::DialogTimerInterval() const
{
    const bool busy = restartPending_ || pendingReminderEdit_ || pendingCongratulation_;
    return busy ? kDialogTimerMs : kDialogIdleMs;
}

void TfrmMain::RestartDialogTimer()
{
    if (reallyClosing_ || shutDown_ || !dialogTimer_)
        return;
    dialogTimer_->start(DialogTimerInterval());
}

void TfrmMain::DialogTimerTick()
{
    // The timer is off while the handler runs, so a dialog opened here does not let it
    // fire again underneath.
    dialogTimer_->stop();
    // 1. A second start asks for the window.
    if (instance_) {
        if (std::optional<std::string> message = instance_->TakeMessage()) {
            if (*message == kShowMainForm)
                ShowFromTray();
        }
    }
    // 2. An update waits for a restart.
    if (restartPending_) {
        const bool notify = Settings().GetValue(SettingsKey::OnUpdateAction) == "Notify";
        if (!notify) {
            if (!isVisible()) {
                if (hooks_.restartForUpdate)
                    hooks_.restartForUpdate();
                ShowFromTray();
                reallyClosing_ = true;
                close();
                return;
            }
        } else {
            ShowFromTray();
            AskButtons(text::Information, text::RestartNeeded, DialogInformation, text::Restart);
            if (hooks_.restartForUpdate)
                hooks_.restartForUpdate();
            reallyClosing_ = true;
            close();
            return;
        }
    }
    // 3. The reminder editor asked for from a notification.
    if (pendingReminderEdit_)
        RunPendingReminderEdit();
    // 4. The greeting chooser asked for from a notification.
    if (pendingCongratulation_)
        RunPendingCongratulation();
    // 5. The update check, ten minutes after the start.
    if (updateDue_ != 0 && static_cast<int32_t>(TickCount() - updateDue_) >= 0) {
        updateDue_ = 0;
        CheckForUpdates();
    }
    RestartDialogTimer();
}

void TfrmMain::RunPendingReminderEdit()
{
    const int32_t id = *pendingReminderEdit_;
    try {
        HideHints();
        ShowFromTray();
        if (TReminder* reminder = project_->Reminders().FindByID(id))
            EditReminder(reminder);
    } catch (...) {
    }
    pendingReminderEdit_.reset();
}

void TfrmMain::RunPendingCongratulation()
{
    const int32_t id = *pendingCongratulation_;
    pendingCongratulation_.reset();
    try {
        HideHints();
        ShowFromTray();
        if (THoliminder* binding = project_->Bindings().FindByID(id))
            Congratulate(binding);
    } catch (...) {
    }
}

void TfrmMain::CheckForUpdates()
{
    TOptionsList& settings = Settings();
    if (!settings.GetBool(SettingsKey::CheckForUpdates))
        return;
    int64_t last = 0;
    try {
        const std::string plain = Unscramble(settings.GetValue(SettingsKey::LastUpdateCheck), kPasswordKey);
        bool ok = false;
        const qlonglong v = QString::fromStdString(plain).trimmed().toLongLong(&ok);
        last = ok ? v : 0;
    } catch (...) {
        last = 0;
    }
    // At most about once a day.
    if (Now() <= UnixToDateTime(last) + 1)
        return;
    if (hooks_.checkForUpdates)
        hooks_.checkForUpdates();
    try {
        settings.SetValue(SettingsKey::LastUpdateCheck,
                          Scramble(std::to_string(DateTimeToUnixUtc(Now())), kPasswordKey));
        SaveSettings();
    } catch (...) {
        // Without the time zone the moment is not stored: the next start checks again.
    }
}

void TfrmMain::AnimationTimerTick()
{
    animationTimer_->stop();
    bool any = false;
    for (TTarvellImage* image : {sending_, updates_, feedback_}) {
        if (image->AnimationEnabled()) {
            image->Step();
            any = true;
        }
    }
    // An idle program does not wake up 20 times a second.
    if (any && !shutDown_)
        animationTimer_->start();
}

bool TfrmMain::AnimationTimerActive() const
{
    return animationTimer_->isActive();
}

void TfrmMain::ScheduleMidnight()
{
    // A second after the next midnight.
    const TDateTime now = Now();
    const double ms = (std::floor(now) + 1 - now) * 86400000.0 + 1000;
    midnightTimer_->start(static_cast<int>(std::clamp(ms, 1000.0, 86401000.0)));
}

// --- tray and balloons ---------------------------------------------------------------------

void TfrmMain::ShowBalloon(const QString& title, const QString& message, QSystemTrayIcon::MessageIcon icon,
                           int seconds, int target)
{
    tray_->ShowBalloon(title, PlatformText(message), icon, seconds, target);
}

void TfrmMain::BalloonClicked(int target)
{
    if (shutDown_)
        return;
    switch (target) {
    case BalloonGeneralSettings:
        ShowFromTray();
        ShowPreferencePage(PrefGeneral);
        break;
    case BalloonHolidays:
        ShowFromTray();
        bar_->Expand(EntryHolidays);
        ShowPage(PageHolidays);
        break;
    case BalloonMailSettings:
        ShowFromTray();
        ShowPreferencePage(PrefMail);
        break;
    case BalloonSocialSettings:
        ShowFromTray();
        ShowPreferencePage(PrefSocial);
        break;
    default:
        break;
    }
}

void TfrmMain::ShowTodayBalloon()
{
    if (project_->DialogOpen()) {
        ShowBalloon(text::Attention, text::DialogOpen, QSystemTrayIcon::Warning, 10, BalloonNothing);
        return;
    }
    const TTodayBalloon b = TodayBalloon(project_->Bindings(), Now());
    ShowBalloon(b.title, b.text, QSystemTrayIcon::Information, 10, BalloonHolidays);
}

// --- status indicators ---------------------------------------------------------------------

void TfrmMain::StartIndicator(TTarvellImage* indicator)
{
    indicator->show();
    indicator->SetAnimationEnabled(true);
    if (!animationTimer_->isActive())
        animationTimer_->start();
}

void TfrmMain::StopIndicator(TTarvellImage* indicator)
{
    indicator->SetAnimationEnabled(false);
    indicator->hide();
}

void TfrmMain::GreetingStarted()
{
    if (sending_->isVisibleTo(this) || sending_->AnimationEnabled())
        return;
    project_->FErrors.clear();
    StartIndicator(sending_);
}

void TfrmMain::QueueDone()
{
    if (!sending_->AnimationEnabled())
        return;
    StopIndicator(sending_);
    if (project_->FErrors.empty()) {
        ShowBalloon(text::Information, text::SendingDone, QSystemTrayIcon::Information, 10, BalloonNothing);
        return;
    }
    QStringList lines;
    for (const std::string& e : project_->FErrors)
        lines << Q(Cp1251ToUtf16(e));
    const QString failures = lines.join(QStringLiteral("\r\n")).trimmed();
    const int target = project_->FLastErrorChannel == 0 ? BalloonMailSettings : BalloonSocialSettings;
    ShowBalloon(text::Information, text::SendingFailed.arg(failures), QSystemTrayIcon::Warning, 20, target);
}

void TfrmMain::FeedbackStarted()
{
    StartIndicator(feedback_);
}

void TfrmMain::FeedbackSent()
{
    ShowBalloon(text::Information, text::FeedbackSent, QSystemTrayIcon::Information, 10, BalloonNothing);
    StopIndicator(feedback_);
}

void TfrmMain::FeedbackFailed(bool cancelled)
{
    if (!cancelled)
        ShowBalloon(text::Error, text::FeedbackFailed, QSystemTrayIcon::Critical, 10, BalloonGeneralSettings);
    StopIndicator(feedback_);
}

void TfrmMain::UpdaterStarted(bool installing)
{
    updatesCanAbort_ = !installing;
    updates_->SetAnimationEnabled(false);
    if (installing) {
        updates_->SetAnimationFirstFrame(img::AnimInstallFirst);
        updates_->SetAnimationLastFrame(img::AnimInstallLast);
        updates_->setToolTip(text::InstallHint);
    } else {
        updates_->SetAnimationFirstFrame(img::AnimUpdatesFirst);
        updates_->SetAnimationLastFrame(img::AnimUpdatesLast);
        updates_->setToolTip(text::UpdatesHint);
    }
    StartIndicator(updates_);
}

void TfrmMain::UpdaterFinished(bool restartNeeded, int filesUpdated)
{
    if (restartNeeded) {
        restartPending_ = true;
        RestartDialogTimer();
    } else if (filesUpdated > 0) {
        ShowBalloon(text::Information, text::Updated, QSystemTrayIcon::Information, 10, BalloonNothing);
        const QString skin = TSkinManager::Instance().CurrentName();
        TSkinManager::Instance().SetSkinsFolder(QString::fromStdString(AppPaths().SkinsFolder));
        if (hooks_.reloadSkinList)
            hooks_.reloadSkinList();
        Q_UNUSED(skin);
    }
    StopIndicator(updates_);
}

void TfrmMain::UpdaterError(const std::string& errorText)
{
    Log("AutoUpdater: " + errorText + " [" + CallStackText() + "]");
    StopIndicator(updates_);
}

bool TfrmMain::DecideUpdate(const std::function<void(bool checked)>& setOptionalChecked)
{
    TOptionsList& settings = Settings();
    if (settings.GetValue(SettingsKey::OnUpdateAction) != "Notify") {
        if (setOptionalChecked)
            setOptionalChecked(settings.GetBool(SettingsKey::UpdateOptional));
        return true;
    }
    ShowFromTray();
    if (!hooks_.updateDialog)
        return false;
    const int result = hooks_.updateDialog(this);
    SuppressHints();
    return result == 1;
}

// --- layout --------------------------------------------------------------------------------

void TfrmMain::RestoreLayout()
{
    TOptionsList& settings = Settings();
    bool changed = false;
    const std::string layout = settings.GetValue(SettingsKey::Layout);
    if (layout.empty()) {
        // The first start: maximized, the columns fitted, and the placement written at once.
        setWindowState(windowState() | Qt::WindowMaximized);
        TWindowPlacement placement;
        placement.Maximized = true;
        const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
        placement.Left = r.left();
        placement.Top = r.top();
        placement.Right = r.left() + r.width();
        placement.Bottom = r.top() + r.height();
        settings.SetValue(SettingsKey::Layout, FormatWindowPlacement(placement));
        changed = true;
    } else {
        TWindowPlacement current;
        const QRect g = geometry();
        current.Left = g.left();
        current.Top = g.top();
        current.Right = g.left() + g.width();
        current.Bottom = g.top() + g.height();
        const TWindowPlacement p = ParseWindowPlacement(layout, current);
        if (p.Right > p.Left && p.Bottom > p.Top)
            setGeometry(QRect(p.Left, p.Top, p.Right - p.Left, p.Bottom - p.Top));
        if (p.Maximized)
            setWindowState(windowState() | Qt::WindowMaximized);
    }
    std::vector<TListView*> fit;
    for (TListView* view : {people_, reminders_, holidays_}) {
        const std::string order = settings.GetValue(OrderKey(view->Kind()));
        if (order.empty() || layout.empty())
            fit.push_back(view);
        else
            view->RestoreColumnLayout(order, settings.GetValue(WidthKey(view->Kind())));
        const std::optional<TSortState> sort = ParseSortState(settings.GetValue(SortKey(view->Kind())));
        view->SetSortState(sort ? *sort : TListView::DefaultSortState(view->Kind()));
    }
    // The lists get their final size only once the window is laid out (and maximized by
    // the desktop): until then every resize of the page area fits them again.
    if (!fit.empty()) {
        fitting_ = fit;
        for (TListView* v : fit)
            v->AutoFit(std::max(pages_->width(), 400));
        pages_->installEventFilter(this);
        QTimer::singleShot(1500, this, [this] { fitting_.clear(); });
    }
    layoutRestored_ = true;
    if (changed)
        SaveSettings();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pages_ && event->type() == QEvent::Resize && !fitting_.empty())
        for (TListView* v : fitting_)
            v->AutoFit(std::max(pages_->width(), 400));
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::SaveLayout()
{
    TOptionsList& settings = Settings();
    TWindowPlacement placement;
    placement.Maximized = isMaximized();
    const QRect r = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    placement.Left = r.left();
    placement.Top = r.top();
    placement.Right = r.left() + r.width();
    placement.Bottom = r.top() + r.height();
    settings.SetValue(SettingsKey::Layout, FormatWindowPlacement(placement));
    for (TListView* view : {people_, reminders_, holidays_}) {
        settings.SetValue(OrderKey(view->Kind()), view->ColumnOrderText());
        settings.SetValue(WidthKey(view->Kind()), view->ColumnWidthsText());
    }
    SaveSettings();
}

void TfrmMain::SaveSortState(TListView* view)
{
    Settings().SetValue(SortKey(view->Kind()), FormatSortState(view->SortState()));
    SaveSettings();
}

void TfrmMain::SuppressHints()
{
    for (TListView* v : {people_, reminders_, holidays_})
        if (v)
            v->SuppressHints();
}

void TfrmMain::HideHints()
{
    for (TListView* v : {people_, reminders_, holidays_})
        if (v)
            v->HideHint();
}

void TfrmMain::ApplySkinColours()
{
    const TSkin& skin = TSkinManager::Instance().Current();
    for (TListView* v : {people_, reminders_, holidays_})
        v->ApplyColours(skin.WindowColour(), skin.ListTextColour());
    helpView_->ApplySkinColours();
    if (help_)
        help_->ReShowFocused();
}

} // namespace orlinda
