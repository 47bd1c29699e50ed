#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orlinda {

class TSnoozeMenu;

// What the project hands to the notification window for one event.
struct TNotification {
    int32_t FID = -1;          // the reminder's or holiday binding's identifier
    std::u16string Caption;
    std::u16string Text;       // HTML body
    int CloseCode = 0;         // the action code the "x" reports
    std::string Sound;         // "on|plays|pause|file" (Windows-1251 path); empty: silent
    const TSnoozeMenu* Menu = nullptr;     // the snooze menu, with its entries' visibility set
    std::u16string MenuButton;             // "code|image|hint" of the menu button; empty: none
    std::array<std::u16string, 5> Buttons; // "code|image|hint" each; empty: the button is hidden
};

// The one notification window of the program, as the project sees it. The desktop
// program's window implements it; headless runs use THeadlessNotificationWindow.
class NotificationWindow {
public:
    virtual ~NotificationWindow() = default;
    // True while the window is hidden and may take the next notification.
    virtual bool Available() const = 0;
    // The identifier of the notification on show (or last shown).
    virtual int32_t CurrentID() const = 0;
    // Shows the notification and returns false; returns true (busy) and does nothing
    // while the window is not available.
    virtual bool ShowNotification(const TNotification& notification) = 0;
    // Closes the window without reporting an action.
    virtual void CloseNotification() = 0;
};

// A window without a screen: keeps what it was handed and is busy until closed.
class THeadlessNotificationWindow : public NotificationWindow {
public:
    bool Available() const override { return available_; }
    int32_t CurrentID() const override { return currentID_; }
    bool ShowNotification(const TNotification& notification) override;
    void CloseNotification() override { available_ = true; }

    // The last notification shown, if any.
    const std::optional<TNotification>& Last() const { return last_; }
    int ShownCount() const { return shown_; }

private:
    bool available_ = true;
    int32_t currentID_ = -1;
    int shown_ = 0;
    std::optional<TNotification> last_;
};

} // namespace orlinda
