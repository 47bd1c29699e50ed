#include "ui/DlgNotifications.h"

#include "core/Clock.h"
#include "core/TextUtils.h"
#include "core/Windows1251.h"
#include "model/Reminder.h"
#include "model/SnoozeMenu.h"
#include "ui/HtmlView.h"
#include "ui/ImageLists.h"
#include "ui/SoundPlayer.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <QWindow>

#include <cmath>
#include <map>

namespace orlinda {

namespace {

QString Q(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

int ToInt(const QString& text, int fallback)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : fallback;
}

constexpr int kHeaderHeight = 21;
constexpr int kButtonSize = 28;
constexpr int kButtonTop = 128;
constexpr int kMenuButtonLeft = 267;

} // namespace

TButtonSpec ParseButtonSpec(const std::u16string& spec)
{
    const QStringList fields = Q(spec).split(QLatin1Char('|'));
    TButtonSpec b;
    b.code = ToInt(fields.value(0), -1);
    b.image = ToInt(fields.value(1), -1);
    b.hint = fields.value(2);
    return b;
}

int FadeInStep(int opacity)
{
    return opacity > 224 ? 255 : opacity + 30;
}

int FadeOutStep(int opacity)
{
    return opacity <= 30 ? 0 : opacity - 30;
}

int NotificationHeight(int designHeight, int opacity)
{
    int p = static_cast<int>(std::nearbyint(opacity / 255.0 * 100.0));
    p = std::clamp(p, 10, 100);
    return static_cast<int>(std::nearbyint(designHeight * p / 100.0));
}

void FillSnoozeMenu(QMenu& menu, const TSnoozeMenu& snooze)
{
    menu.clear();
    std::map<int, QMenu*> submenus;
    std::map<int, bool> isParent;
    for (const auto& e : snooze.Entries())
        if (e.parent != 0)
            isParent[e.parent] = true;
    for (const auto& e : snooze.Entries()) {
        QMenu* target = &menu;
        if (e.parent != 0) {
            auto it = submenus.find(e.parent);
            if (it == submenus.end())
                continue; // the parent is hidden: its submenu goes with it
            target = it->second;
        }
        if (!e.visible)
            continue;
        const QString caption = Q(e.caption);
        QAction* action = nullptr;
        if (isParent.count(e.code)) {
            QMenu* sub = target->addMenu(caption);
            submenus[e.code] = sub;
            action = sub->menuAction();
        } else {
            action = target->addAction(caption);
        }
        action->setData(e.code);
        if (e.separatorAfter)
            target->addSeparator();
    }
}

TdlgNotifications::TdlgNotifications(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("dlgNotifications"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    QFont font(QStringLiteral("Tahoma"));
    setFont(font);
    resize(designWidth_, designHeight_);

    headerPanel_ = new QWidget(this);
    headerPanel_->setObjectName(QStringLiteral("NotificationHeader"));
    headerPanel_->setAutoFillBackground(true);
    headerPanel_->setGeometry(0, 0, designWidth_, kHeaderHeight);
    caption_ = new QLabel(headerPanel_);
    QFont bold = font;
    bold.setBold(true);
    caption_->setFont(bold);
    caption_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    caption_->setGeometry(0, 0, designWidth_ - 20, kHeaderHeight);
    close_ = new QToolButton(headerPanel_);
    close_->setText(QStringLiteral("x"));
    close_->setFocusPolicy(Qt::NoFocus);
    close_->setGeometry(designWidth_ - 18, (kHeaderHeight - 16) / 2, 16, 16);
    connect(close_, &QToolButton::clicked, this, [this] { ClosePressed(); });

    group_ = new QWidget(this);
    group_->setObjectName(QStringLiteral("NotificationGroup"));
    group_->setGeometry(2, 24, 296, 101);
    body_ = new THTMLView(group_);
    body_->setGeometry(2, 2, 292, 97);
    body_->setFrameShape(QFrame::NoFrame);
    body_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    body_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    body_->setOpenLinks(false);
    body_->setFocusPolicy(Qt::NoFocus);
    body_->document()->setDocumentMargin(5);
    body_->document()->setDefaultFont(font);

    for (int i = 0; i < 5; ++i) {
        auto* b = new QToolButton(this);
        b->setGeometry(6 + 30 * i, kButtonTop, kButtonSize, kButtonSize);
        b->setIconSize(QSize(24, 24));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->hide();
        connect(b, &QToolButton::clicked, this, [this, i] { ActionPressed(codes_[static_cast<size_t>(i)]); });
        buttons_[static_cast<size_t>(i)] = b;
    }
    menuButton_ = new QToolButton(this);
    menuButton_->setGeometry(kMenuButtonLeft, kButtonTop, kButtonSize, kButtonSize);
    menuButton_->setIconSize(QSize(24, 24));
    menuButton_->setAutoRaise(true);
    menuButton_->setFocusPolicy(Qt::NoFocus);
    menuButton_->hide();
    menu_ = new QMenu(this);
    connect(menuButton_, &QToolButton::clicked, this, [this] { menu_->popup(QCursor::pos()); });
    connect(menu_, &QMenu::triggered, this, [this](QAction* action) {
        // Submenu parents open their submenu; only a chosen entry reports its code.
        if (action->menu())
            return;
        ActionPressed(action->data().toInt());
    });

    // Eats the clicks while the window comes up, so a click meant for another window
    // does not press a button that has just appeared under the mouse.
    clickShield_ = new QWidget(this);
    clickShield_->setGeometry(0, 0, designWidth_, designHeight_);
    clickShield_->hide();

    timer_ = new QTimer(this);
    timer_->setInterval(kTimerMs);
    connect(timer_, &QTimer::timeout, this, [this] { TimerStep(); });

    player_ = std::make_unique<TQtSoundPlayer>();
    readTaskBar_ = [](TTaskBar& taskBar) { taskBar.Refresh(); };
}

TdlgNotifications::~TdlgNotifications()
{
    if (player_)
        player_->Stop();
}

void TdlgNotifications::SetButtonImages(TImageList* images)
{
    images_ = images;
}

void TdlgNotifications::SetSoundPlayer(std::unique_ptr<TSoundPlayer> player)
{
    player_ = std::move(player);
}

void TdlgNotifications::SetTaskBarReader(std::function<void(TTaskBar&)> reader)
{
    readTaskBar_ = std::move(reader);
}

bool TdlgNotifications::TimerActive() const
{
    return timer_->isActive();
}

void TdlgNotifications::ApplyColours()
{
    body_->ApplySkinColours();
}

bool TdlgNotifications::ShowNotification(const TNotification& n)
{
    if (!available_)
        return true;
    currentID_ = n.FID;
    available_ = false;
    hide();
    opacity_ = 0;
    setWindowOpacity(0.0);

    caption_->setText(QStringLiteral(" ") + Q(n.Caption));
    ApplyColours();
    body_->setHtml(Q(n.Text));
    closeCode_ = n.CloseCode;

    for (size_t i = 0; i < buttons_.size(); ++i) {
        QToolButton* b = buttons_[i];
        const std::u16string& spec = n.Buttons[i];
        if (spec.empty()) {
            codes_[i] = 0;
            b->hide();
            continue;
        }
        const TButtonSpec s = ParseButtonSpec(spec);
        codes_[i] = s.code;
        b->setToolTip(s.hint);
        b->setIcon(images_ ? images_->Icon(s.image) : QIcon());
        if (!images_ || images_->Pixmap(s.image).isNull())
            b->setText(s.hint.left(1));
        b->show();
    }
    menu_->clear();
    if (n.Menu && !n.MenuButton.empty()) {
        const TButtonSpec s = ParseButtonSpec(n.MenuButton);
        menuButton_->setToolTip(s.hint);
        menuButton_->setIcon(images_ ? images_->Icon(s.image) : QIcon());
        FillSnoozeMenu(*menu_, *n.Menu);
        menuButton_->show();
    } else {
        menuButton_->hide();
    }

    // The sound: on, a file that exists and a measurable duration.
    EndSound();
    const TSoundSetting sound = TSoundSetting::Parse(n.Sound);
    soundFile_ = Q(Cp1251ToUtf16(sound.file));
    soundDuration_ = 0;
    if (sound.enabled && !soundFile_.isEmpty() && QFileInfo(soundFile_).isFile())
        soundDuration_ = WavDurationMs(soundFile_);
    if (soundDuration_ > 0) {
        plays_ = 1;
        lastStart_ = TickCount();
        repeatCount_ = sound.plays;
        pauseMs_ = sound.pause * 1000;
        if (player_)
            player_->Play(soundFile_);
        soundRepeating_ = true;
    } else {
        plays_ = 0;
    }

    fadingIn_ = true;
    fadingOut_ = false;
    fullyShown_ = false;
    if (QWindow* w = windowHandle())
        w->setFlag(Qt::WindowDoesNotAcceptFocus, true);
    clickShield_->show();
    clickShield_->raise();
    StepSize();
    show();
    raise();
    body_->verticalScrollBar()->setValue(0);
    StartTimer();
    return false;
}

void TdlgNotifications::StepSize()
{
    const int h = NotificationHeight(designHeight_, opacity_);
    if (readTaskBar_)
        readTaskBar_(taskBar_);
    const QPoint at = taskBar_.PlaceWindow(QSize(designWidth_, h));
    setGeometry(at.x(), at.y(), designWidth_, h);
}

void TdlgNotifications::StartTimer()
{
    timer_->start();
}

void TdlgNotifications::TimerStep()
{
    if (fadingIn_) {
        opacity_ = FadeInStep(opacity_);
        setWindowOpacity(opacity_ / 255.0);
        StepSize();
        if (opacity_ >= 255) {
            fadingIn_ = false;
            fullyShown_ = true;
            clickShield_->hide();
            if (QWindow* w = windowHandle())
                w->setFlag(Qt::WindowDoesNotAcceptFocus, false);
        }
    } else if (fadingOut_) {
        opacity_ = FadeOutStep(opacity_);
        setWindowOpacity(opacity_ / 255.0);
        if (opacity_ == 0) {
            fadingOut_ = false;
            fullyShown_ = false;
            available_ = true;
            hide();
            setWindowOpacity(1.0);
        }
    }
    if (soundRepeating_) {
        const uint32_t now = TickCount();
        if (now - lastStart_ >= static_cast<uint32_t>(soundDuration_) + static_cast<uint32_t>(std::max(pauseMs_, 0))) {
            bool again = false;
            if (QFileInfo(soundFile_).isFile()) {
                ++plays_;
                if (repeatCount_ == 0 || repeatCount_ >= plays_) {
                    lastStart_ = now;
                    if (player_)
                        player_->Play(soundFile_);
                    again = true;
                }
            }
            if (!again)
                soundRepeating_ = false;
        }
    }
    if (!fadingIn_ && !fadingOut_ && !soundRepeating_)
        timer_->stop();
}

void TdlgNotifications::EndSound()
{
    soundRepeating_ = false;
    if (player_)
        player_->Stop();
}

void TdlgNotifications::CloseNotification()
{
    if (available_)
        return;
    fullyShown_ = false;
    fadingIn_ = false;
    fadingOut_ = true;
    clickShield_->show();
    clickShield_->raise();
    EndSound();
    StartTimer();
}

void TdlgNotifications::ActionPressed(int code)
{
    Click(code, false);
}

void TdlgNotifications::ClosePressed()
{
    Click(closeCode_, true);
}

void TdlgNotifications::Click(int code, bool alwaysGoesOn)
{
    EndSound();
    if (code == 0 && !alwaysGoesOn)
        return;
    bool close = true;
    if (OnAction) {
        try {
            close = OnAction(currentID_, code);
        } catch (...) {
            close = true;
        }
    }
    if (close)
        CloseNotification();
}

void TdlgNotifications::wheelEvent(QWheelEvent* event)
{
    // The wheel anywhere over the window scrolls the text when the mouse is over it.
    const QPoint at = body_->mapFromGlobal(event->globalPosition().toPoint());
    if (body_->rect().contains(at)) {
        QScrollBar* bar = body_->verticalScrollBar();
        bar->setValue(bar->value() - event->angleDelta().y() / 2);
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

} // namespace orlinda
