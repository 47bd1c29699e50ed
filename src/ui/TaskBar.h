#pragma once
// Where the desktop's panel (the taskbar) is, for placing the notification window next to
// its notification area. The panel is found as the strip by which a screen's available
// area is inset from the screen; the tray icon's own rectangle, when the desktop tells it,
// picks the strip that holds the tray.
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>
#include <optional>
#include <vector>

namespace orlinda {

// A rectangle as the panel reader gives it: right and bottom are exclusive, so an empty
// rectangle is all zero and width = right - left.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool operator==(const TRect&) const = default;

    static TRect FromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    QRect ToQRect() const { return QRect(Left, Top, Width(), Height()); }
};

// One screen: its whole area and the part not taken by panels, in virtual-desktop
// coordinates.
struct TScreenArea {
    TRect Geometry;
    TRect Available;
};

class TTaskBar {
public:
    // The panel's edge, numbered as the shell numbers them.
    static constexpr int EdgeLeft = 0;
    static constexpr int EdgeTop = 1;
    static constexpr int EdgeRight = 2;
    static constexpr int EdgeBottom = 3;

    // Re-reads every field from the screens of the running application.
    void Refresh();
    // The same from given screens (primary: index of the primary screen) and, when the
    // desktop tells it, the tray icon's rectangle.
    void Refresh(const std::vector<TScreenArea>& screens, int primary, std::optional<TRect> trayIcon = std::nullopt);

    // The rectangle of the tray icon when the desktop gives one (QSystemTrayIcon::geometry);
    // consulted by Refresh(). Empty or invalid rectangles mean "not known".
    static void SetTrayGeometryProvider(std::function<QRect()> provider);

    // The edge by the panel's and the monitor's rectangles.
    static int EdgeOf(const TRect& taskbar, const TRect& monitor);

    // Top-left corner of a window of that size at the corner of the screen nearest the
    // notification area, growing out of the panel towards the inside of the screen.
    QPoint PlaceWindow(QSize size) const;

    bool FFound = false;          // a panel was found
    bool FAutoHide = false;       // the panel hides itself (not told by this desktop: false)
    bool FAlwaysOnTop = false;    // panels that reserve space stay on top
    TRect FClientRect;            // the panel's rectangle in its own coordinates
    TRect FWindowRect;            // the panel's rectangle on the virtual desktop
    int FMonitor = -1;            // number of the screen that holds it, -1 when none
    TRect FMonitorRect;           // that screen's (or, without one, the primary screen's) area
    int FEdge = EdgeBottom;
    TRect FTrayClientRect;        // the notification area in its own coordinates
    TRect FTrayWindowRect;        // ... and on the virtual desktop
};

} // namespace orlinda
