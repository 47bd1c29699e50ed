#include "ui/TaskBar.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace orlinda {

namespace {

std::function<QRect()>& TrayProvider()
{
    static std::function<QRect()> provider;
    return provider;
}

struct Strip {
    int screen;
    int edge;
    TRect rect;
};

// The strips by which a screen's available area is inset, bottom first, then top, right
// and left: the order in which desktops usually put the panel with the tray.
std::vector<Strip> StripsOf(const TScreenArea& s, int index)
{
    std::vector<Strip> out;
    const TRect& g = s.Geometry;
    const TRect& a = s.Available;
    if (a.IsEmpty())
        return out;
    if (a.Bottom < g.Bottom)
        out.push_back({index, TTaskBar::EdgeBottom, {g.Left, a.Bottom, g.Right, g.Bottom}});
    if (a.Top > g.Top)
        out.push_back({index, TTaskBar::EdgeTop, {g.Left, g.Top, g.Right, a.Top}});
    if (a.Right < g.Right)
        out.push_back({index, TTaskBar::EdgeRight, {a.Right, g.Top, g.Right, g.Bottom}});
    if (a.Left > g.Left)
        out.push_back({index, TTaskBar::EdgeLeft, {g.Left, g.Top, a.Left, g.Bottom}});
    return out;
}

bool Contains(const TRect& r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

// Distance from a point to a rectangle (0 inside), in the larger of the two axes.
int Distance(const TRect& r, int x, int y)
{
    const int dx = x < r.Left ? r.Left - x : (x >= r.Right ? x - r.Right + 1 : 0);
    const int dy = y < r.Top ? r.Top - y : (y >= r.Bottom ? y - r.Bottom + 1 : 0);
    return std::max(dx, dy);
}

} // namespace

void TTaskBar::SetTrayGeometryProvider(std::function<QRect()> provider)
{
    TrayProvider() = std::move(provider);
}

int TTaskBar::EdgeOf(const TRect& t, const TRect& m)
{
    if (m.Top < t.Top)
        return EdgeBottom;
    if (t.Bottom < m.Top + m.Height())
        return EdgeTop;
    if (t.Right < m.Left + m.Width())
        return EdgeLeft;
    return EdgeRight;
}

void TTaskBar::Refresh()
{
    std::vector<TScreenArea> screens;
    int primary = 0;
    const QList<QScreen*> list = QGuiApplication::screens();
    for (int i = 0; i < list.size(); ++i) {
        screens.push_back({TRect::FromQRect(list[i]->geometry()), TRect::FromQRect(list[i]->availableGeometry())});
        if (list[i] == QGuiApplication::primaryScreen())
            primary = i;
    }
    std::optional<TRect> tray;
    if (TrayProvider()) {
        const QRect r = TrayProvider()();
        if (r.isValid() && !r.isEmpty())
            tray = TRect::FromQRect(r);
    }
    Refresh(screens, primary, tray);
}

void TTaskBar::Refresh(const std::vector<TScreenArea>& screens, int primary, std::optional<TRect> trayIcon)
{
    FFound = false;
    FAutoHide = false;
    FAlwaysOnTop = false;
    FClientRect = FWindowRect = FTrayClientRect = FTrayWindowRect = TRect{};
    FMonitor = -1;
    FMonitorRect = TRect{};
    if (primary < 0 || primary >= static_cast<int>(screens.size()))
        primary = 0;

    std::vector<Strip> strips;
    // The primary screen's strips first: that is where a desktop puts its main panel.
    if (!screens.empty())
        for (const Strip& s : StripsOf(screens[static_cast<size_t>(primary)], primary))
            strips.push_back(s);
    for (int i = 0; i < static_cast<int>(screens.size()); ++i)
        if (i != primary)
            for (const Strip& s : StripsOf(screens[static_cast<size_t>(i)], i))
                strips.push_back(s);

    const Strip* chosen = strips.empty() ? nullptr : &strips.front();
    if (trayIcon && !strips.empty()) {
        const int cx = trayIcon->Left + trayIcon->Width() / 2;
        const int cy = trayIcon->Top + trayIcon->Height() / 2;
        int best = -1;
        for (const Strip& s : strips) {
            const int d = Distance(s.rect, cx, cy);
            if (best < 0 || d < best) {
                best = d;
                chosen = &s;
            }
        }
    }

    if (chosen) {
        FFound = true;
        FAlwaysOnTop = true;
        FWindowRect = chosen->rect;
        FMonitor = chosen->screen;
        FMonitorRect = screens[static_cast<size_t>(chosen->screen)].Geometry;
    } else if (!screens.empty()) {
        // No panel: empty rectangles against the primary screen.
        const TRect& g = screens[static_cast<size_t>(primary)].Geometry;
        FMonitorRect = {0, 0, g.Width(), g.Height()};
    }
    FClientRect = {0, 0, FWindowRect.Width(), FWindowRect.Height()};
    FEdge = EdgeOf(FWindowRect, FMonitorRect);

    if (FFound) {
        TRect tray;
        if (trayIcon && Contains(FWindowRect, trayIcon->Left + trayIcon->Width() / 2, trayIcon->Top + trayIcon->Height() / 2)) {
            tray = *trayIcon;
        } else {
            // The notification area sits at the far end of the panel.
            const TRect& t = FWindowRect;
            if (FEdge == EdgeTop || FEdge == EdgeBottom) {
                const int w = std::min(t.Width(), std::max(1, t.Height()) * 6);
                tray = {t.Right - w, t.Top, t.Right, t.Bottom};
            } else {
                const int h = std::min(t.Height(), std::max(1, t.Width()) * 6);
                tray = {t.Left, t.Bottom - h, t.Right, t.Bottom};
            }
        }
        FTrayWindowRect = tray;
        FTrayClientRect = {0, 0, tray.Width(), tray.Height()};
    }
}

QPoint TTaskBar::PlaceWindow(QSize size) const
{
    const TRect& t = FWindowRect;
    const TRect& m = FMonitorRect;
    const int w = size.width();
    const int h = size.height();
    switch (FEdge) {
    case EdgeLeft: return {t.Right, m.Bottom - h};
    case EdgeTop: return {m.Right - w, t.Bottom};
    case EdgeRight: return {t.Left - w, m.Bottom - h};
    default: return {m.Right - w, t.Top - h};
    }
}

} // namespace orlinda
