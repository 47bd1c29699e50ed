#include "ui/TrayIcon.h"

#include "core/TextUtils.h"
#include "model/Holiminder.h"
#include "model/NotificationTexts.h"
#include "ui/ImageIndex.h"
#include "ui/ImageLists.h"

#include <QApplication>
#include <QMenu>
#include <QTimer>

#include <cmath>

namespace orlinda {

namespace {

QString Q(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TTodayBalloon TodayBalloon(const THoliminderList& bindings, double now)
{
    TTodayBalloon b;
    b.title = QStringLiteral("Сегодня отмечают:");
    const int today = static_cast<int>(std::floor(now));
    QStringList lines;
    for (int i = 0; i < bindings.Count(); ++i) {
        const THoliminder* h = bindings.Get(i);
        if (static_cast<int>(std::floor(h->FDate)) != today)
            continue;
        QString line = Q(h->FTitle);
        const QString names = Q(h->FNames).trimmed();
        if (!names.isEmpty()) {
            line = QStringLiteral("%1 (%2)").arg(Q(h->FTitle), Q(h->FNames));
            if (line.size() > 30) {
                const int people = static_cast<int>(Q(h->FNames).count(QLatin1Char(','))) + 1;
                line = QStringLiteral("%1 (%2)").arg(Q(h->FTitle), Q(PeopleCountText(people)));
            }
        }
        lines << line;
    }
    b.text = lines.isEmpty() ? QStringLiteral("<Сегодня нет ни одного праздника>") : lines.join(QLatin1Char('\n')).trimmed();
    return b;
}

TTrayIcon::TTrayIcon(QObject* parent) : QObject(parent)
{
    icon_ = new QSystemTrayIcon(this);
    icon_->setIcon(TrayIcon(false));
    icon_->setToolTip(QStringLiteral("Orlinda"));
    menu_ = new QMenu();
    open_ = menu_->addAction(TImageLists::Instance().Main.Icon(img::OpenWindow), QStringLiteral("Открыть"));
    QFont bold = open_->font();
    bold.setBold(true);
    open_->setFont(bold); // the default entry
    addReminder_ =
        menu_->addAction(TImageLists::Instance().Main.Icon(img::AddReminder), QStringLiteral("Добавить напоминание..."));
    menu_->addSeparator();
    exit_ = menu_->addAction(TImageLists::Instance().Main.Icon(img::Exit), QStringLiteral("Выход"));
    icon_->setContextMenu(menu_);
    connect(open_, &QAction::triggered, this, &TTrayIcon::openRequested);
    connect(addReminder_, &QAction::triggered, this, &TTrayIcon::addReminderRequested);
    connect(exit_, &QAction::triggered, this, &TTrayIcon::exitRequested);
    // Opening the menu stops the balloon of today's holidays.
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        StopHoverDelay();
        HideBalloon();
    });

    hover_ = new QTimer(this);
    hover_->setSingleShot(true);
    hover_->setInterval(kHoverDelayMs);
    connect(hover_, &QTimer::timeout, this, &TTrayIcon::todayBalloonRequested);

    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            StopHoverDelay();
            emit openRequested();
            break;
        case QSystemTrayIcon::Trigger:
            // Desktops tell no hovering: a click stands in for resting the mouse on the icon.
            StartHoverDelay();
            break;
        case QSystemTrayIcon::Context:
            StopHoverDelay();
            break;
        default:
            break;
        }
    });
    connect(icon_, &QSystemTrayIcon::messageClicked, this, [this] {
        if (QCoreApplication::closingDown())
            return;
        emit balloonClicked(last_.target);
    });
}

TTrayIcon::~TTrayIcon()
{
    icon_->hide();
    delete menu_;
}

void TTrayIcon::Show()
{
    icon_->show();
}

void TTrayIcon::Hide()
{
    icon_->hide();
}

void TTrayIcon::SetDialogOpen(bool open)
{
    dialogOpen_ = open;
    icon_->setIcon(TrayIcon(open));
}

void TTrayIcon::SetToolTip(const QString& text)
{
    icon_->setToolTip(text);
}

void TTrayIcon::ShowBalloon(const QString& title, const QString& text, QSystemTrayIcon::MessageIcon icon, int seconds,
                            int target)
{
    last_.title = title;
    last_.text = text;
    last_.icon = icon;
    last_.seconds = seconds;
    last_.target = target;
    ++last_.count;
    icon_->showMessage(title, text, icon, seconds * 1000);
}

void TTrayIcon::HideBalloon()
{
    // The desktop's notification goes by itself; a balloon asked for later replaces it.
}

void TTrayIcon::StartHoverDelay()
{
    hover_->start();
}

void TTrayIcon::StopHoverDelay()
{
    hover_->stop();
}

bool TTrayIcon::HoverDelayActive() const
{
    return hover_->isActive();
}

} // namespace orlinda
