#include "model/SnoozeMenu.h"

namespace orlinda {

TSnoozeMenu::TSnoozeMenu()
    : entries_{
          {100, u"Позже", 0, false, true},
          {110, u"Через 10 минут", 0, false, true},
          {130, u"Через 30 минут", 0, false, true},
          {160, u"Через час", 0, false, true},
          {170, u"После обеда", 0, false, true},
          {180, u"Вечером", 0, false, true},
          {200, u"Завтра", 0, false, true},
          {220, u"В это же время", 200, true, true},
          {240, u"Утром", 200, false, true},
          {260, u"После обеда", 200, false, true},
          {280, u"Вечером", 200, false, true},
          {300, u"Послезавтра", 0, false, true},
          {320, u"В это же время", 300, true, true},
          {340, u"Утром", 300, false, true},
          {360, u"После обеда", 300, false, true},
          {380, u"Вечером", 300, false, true},
          {500, u"Через неделю", 0, false, true},
          {800, u"Через месяц", 0, false, true},
      }
{
}

void TSnoozeMenu::ShowAll()
{
    for (auto& e : entries_)
        e.visible = true;
}

void TSnoozeMenu::Hide(int code)
{
    for (auto& e : entries_)
        if (e.code == code)
            e.visible = false;
}

const TSnoozeMenu::Entry* TSnoozeMenu::Find(int code) const
{
    for (const auto& e : entries_)
        if (e.code == code)
            return &e;
    return nullptr;
}

bool TSnoozeMenu::IsVisible(int code) const
{
    const Entry* e = Find(code);
    return e && e->visible;
}

bool TSnoozeMenu::IsShown(int code) const
{
    // Menus are two levels deep; the bound guards against a parent loop all the same.
    for (int depth = 0; depth < 8; ++depth) {
        const Entry* e = Find(code);
        if (!e || !e->visible)
            return false;
        if (e->parent == 0)
            return true;
        code = e->parent;
    }
    return false;
}

std::vector<int> TSnoozeMenu::HiddenCodes() const
{
    std::vector<int> codes;
    for (const auto& e : entries_)
        if (!e.visible)
            codes.push_back(e.code);
    return codes;
}

} // namespace orlinda
