#pragma once
// The program's icon in the notification area: always there, in one of two pictures
// (normal, and while an editor or the greeting chooser is open), with its menu and the
// balloons. Each balloon carries a target code that says what a click on it opens.
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>

class QAction;
class QMenu;
class QTimer;

namespace orlinda {

class THoliminderList;

// What a click on a balloon opens.
enum TBalloonTarget : int {
    BalloonNothing = 0,
    BalloonGeneralSettings = 1,
    BalloonHolidays = 2,
    BalloonMailSettings = 3,
    BalloonSocialSettings = 4,
};

// The balloon of today's holidays: the title, and the text (one line per binding dated
// today; "<Сегодня нет ни одного праздника>" when there is none).
struct TTodayBalloon {
    QString title;
    QString text;
};
TTodayBalloon TodayBalloon(const THoliminderList& bindings, double now);

class TTrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr int kHoverDelayMs = 1500;

    explicit TTrayIcon(QObject* parent = nullptr);
    ~TTrayIcon() override;

    void Show();
    void Hide();
    // The second picture while a dialog is open.
    void SetDialogOpen(bool open);
    bool DialogPicture() const { return dialogOpen_; }
    void SetToolTip(const QString& text);

    // Shows a balloon (timeout in seconds) and remembers its target.
    void ShowBalloon(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon, int seconds,
                     int target);
    void HideBalloon();

    // The last balloon asked for (also when the desktop has no notification area).
    struct TBalloon {
        QString title, text;
        QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::NoIcon;
        int seconds = 0;
        int target = BalloonNothing;
        int count = 0;
    };
    const TBalloon& LastBalloon() const { return last_; }

    QMenu* Menu() const { return menu_; }
    QSystemTrayIcon* Icon() const { return icon_; }

    // Starts or stops the delay after which the balloon of today's holidays comes up.
    void StartHoverDelay();
    void StopHoverDelay();
    bool HoverDelayActive() const;

    // "Открыть", "Добавить напоминание...", "Выход".
    QAction* OpenAction() const { return open_; }
    QAction* AddReminderAction() const { return addReminder_; }
    QAction* ExitAction() const { return exit_; }

signals:
    void openRequested();
    void addReminderRequested();
    void exitRequested();
    // A balloon was clicked: its target.
    void balloonClicked(int target);
    // The hover delay ran out: show today's holidays.
    void todayBalloonRequested();

private:
    QSystemTrayIcon* icon_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* open_ = nullptr;
    QAction* addReminder_ = nullptr;
    QAction* exit_ = nullptr;
    QTimer* hover_ = nullptr;
    bool dialogOpen_ = false;
    TBalloon last_;
};

} // namespace orlinda
