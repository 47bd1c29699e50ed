#pragma once
// The notification window: a small borderless window that grows out of the desktop's
// panel next to its notification area, shows a reminder or a holiday with an HTML text,
// a row of image buttons and the snooze menu, may play and repeat a sound, and reports
// the button the user presses as an action code. There is one for the whole program.
//
// It never takes the focus while it comes up: it is shown without activation, refuses
// the focus and swallows clicks until it is fully shown. It fades in and grows in 50 ms
// steps (opacity 30, 60, … 240, 255), and fades out in steps of 30 when closed.
#include "model/NotificationWindow.h"
#include "ui/TaskBar.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QMenu;
class QTimer;
class QToolButton;

namespace orlinda {

class THTMLView;
class TImageList;
class TSnoozeMenu;
class TSoundPlayer;

// A button spec "code|image|hint": code and image -1 when they are not numbers.
struct TButtonSpec {
    int code = -1;
    int image = -1;
    QString hint;
};
TButtonSpec ParseButtonSpec(const std::u16string& spec);

// The fade steps: the next opacity while fading in (30 up, 255 above 224) and out (30
// down, 0 at 30 or less).
int FadeInStep(int opacity);
int FadeOutStep(int opacity);
// The window's height for an opacity: the design height times opacity / 255 as a
// percentage rounded to the nearest (halves to even) and kept within 10..100.
int NotificationHeight(int designHeight, int opacity);

// The popup menu of a snooze menu: one entry per visible entry, each carrying its code
// in its action's data (submenu parents too).
void FillSnoozeMenu(QMenu& menu, const TSnoozeMenu& snooze);

class TdlgNotifications : public QWidget, public NotificationWindow {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 300;
    static constexpr int kDesignHeight = 160;
    static constexpr int kTimerMs = 50;

    explicit TdlgNotifications(QWidget* parent = nullptr);
    ~TdlgNotifications() override;

    // --- NotificationWindow ------------------------------------------------------------
    bool Available() const override { return available_; }
    int32_t CurrentID() const override { return currentID_; }
    // Fills and shows the window and returns false; true (busy) while not Available.
    bool ShowNotification(const TNotification& notification) override;
    // Fades out without reporting an action.
    void CloseNotification() override;

    // The pictures of the buttons (the main image list).
    void SetButtonImages(TImageList* images);
    // The user pressed a button, the "x" or a menu entry: (current ID, code); true closes
    // the window, false keeps it. Without a handler the window closes.
    std::function<bool(int32_t id, int code)> OnAction;

    // Stand-ins for tests: the sound player and the panel reader (default: the screens).
    void SetSoundPlayer(std::unique_ptr<TSoundPlayer> player);
    void SetTaskBarReader(std::function<void(TTaskBar&)> reader);

    // One step of the window's 50 ms timer.
    void TimerStep();
    // The window's timer runs while any of these is set.
    bool FadingIn() const { return fadingIn_; }
    bool FadingOut() const { return fadingOut_; }
    bool FullyShown() const { return fullyShown_; }
    bool SoundRepeating() const { return soundRepeating_; }
    int Opacity() const { return opacity_; }
    int Plays() const { return plays_; }
    int SoundDurationMs() const { return soundDuration_; }
    bool TimerActive() const;

    // The parts, for the main window's tests and the screenshots.
    QLabel* Header() const { return caption_; }
    THTMLView* Body() const { return body_; }
    QToolButton* CloseButton() const { return close_; }
    QToolButton* ActionButton(int i) const { return buttons_[static_cast<size_t>(i)]; }
    int ActionCode(int i) const { return codes_[static_cast<size_t>(i)]; }
    QToolButton* MenuButton() const { return menuButton_; }
    QMenu* Menu() const { return menu_; }
    int CloseCode() const { return closeCode_; }

    // What a press does: an action button or menu entry with its code, and the "x".
    void ActionPressed(int code);
    void ClosePressed();

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void Click(int code, bool alwaysGoesOn);
    void EndSound();
    void StartTimer();
    void StepSize();
    void ApplyColours();

    bool available_ = true;
    int32_t currentID_ = -1;
    bool fadingIn_ = false;
    bool fadingOut_ = false;
    bool fullyShown_ = false;
    bool soundRepeating_ = false;
    int opacity_ = 0;
    int designWidth_ = kDesignWidth;
    int designHeight_ = kDesignHeight;
    int closeCode_ = 0;

    QString soundFile_;
    int soundDuration_ = 0;
    int plays_ = 0;
    uint32_t lastStart_ = 0;
    int repeatCount_ = 1;
    int pauseMs_ = 10000;

    QWidget* headerPanel_ = nullptr;
    QLabel* caption_ = nullptr;
    QToolButton* close_ = nullptr;
    QWidget* group_ = nullptr;
    THTMLView* body_ = nullptr;
    std::array<QToolButton*, 5> buttons_{};
    std::array<int, 5> codes_{};
    QToolButton* menuButton_ = nullptr;
    QMenu* menu_ = nullptr;
    QWidget* clickShield_ = nullptr;
    QTimer* timer_ = nullptr;
    TImageList* images_ = nullptr;

    std::unique_ptr<TSoundPlayer> player_;
    std::function<void(TTaskBar&)> readTaskBar_;
    TTaskBar taskBar_;
};

} // namespace orlinda
