#pragma once
#include <string>
#include <vector>

namespace orlinda {

// The "Напомнить позже..." menu of reminder notifications as plain data: each entry's
// action code, caption, place and visibility. The window builds its popup menu from it;
// the project hides entries by code before each reminder is shown.
class TSnoozeMenu {
public:
    struct Entry {
        int code = 0;
        std::u16string caption;
        int parent = 0;              // code of the submenu's entry, 0 at the top level
        bool separatorAfter = false; // a separator line follows this entry
        bool visible = true;
    };

    // The program's menu: "Позже" … "Через месяц", with the "Завтра" and "Послезавтра" submenus.
    TSnoozeMenu();

    const std::vector<Entry>& Entries() const { return entries_; }
    void ShowAll();
    // Hides the entry with this code (its submenu goes with it); unknown codes are ignored.
    void Hide(int code);
    // The entry's own flag; false for an unknown code.
    bool IsVisible(int code) const;
    // Whether the entry is on screen: it and every parent above it are visible.
    bool IsShown(int code) const;
    // Codes of the entries whose own flag is cleared, in menu order.
    std::vector<int> HiddenCodes() const;
    const Entry* Find(int code) const;

private:
    std::vector<Entry> entries_;
};

} // namespace orlinda
