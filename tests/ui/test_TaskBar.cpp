// The panel reader: the edge and rectangles of the panel from the screens, and where the
// notification window goes for each edge.
#include "ui/TaskBar.h"

#include <QtTest>

using namespace orlinda;

namespace {

TScreenArea Screen(int left, int top, int width, int height, int insetLeft = 0, int insetTop = 0, int insetRight = 0,
                   int insetBottom = 0)
{
    const TRect g{left, top, left + width, top + height};
    return {g, {g.Left + insetLeft, g.Top + insetTop, g.Right - insetRight, g.Bottom - insetBottom}};
}

} // namespace

Q_DECLARE_METATYPE(orlinda::TScreenArea)

class TestTaskBar : public QObject {
    Q_OBJECT

private slots:
    void edges_data()
    {
        QTest::addColumn<QList<TScreenArea>>("screens");
        QTest::addColumn<int>("edge");
        QTest::addColumn<int>("monitor");
        QTest::addColumn<QRect>("panel");
        QTest::addColumn<QPoint>("window");  // top-left of a 300 x 160 window
        QTest::newRow("bottom") << QList<TScreenArea>{Screen(0, 0, 1920, 1080, 0, 0, 0, 40)} << 3 << 0
                                << QRect(0, 1040, 1920, 40) << QPoint(1620, 880);
        QTest::newRow("top") << QList<TScreenArea>{Screen(0, 0, 1920, 1080, 0, 32, 0, 0)} << 1 << 0
                             << QRect(0, 0, 1920, 32) << QPoint(1620, 32);
        QTest::newRow("left") << QList<TScreenArea>{Screen(0, 0, 1920, 1080, 64, 0, 0, 0)} << 0 << 0
                              << QRect(0, 0, 64, 1080) << QPoint(64, 920);
        QTest::newRow("right") << QList<TScreenArea>{Screen(0, 0, 1920, 1080, 0, 0, 64, 0)} << 2 << 0
                               << QRect(1856, 0, 64, 1080) << QPoint(1556, 920);
        // Docked on the right of the second monitor: virtual-desktop coordinates.
        QTest::newRow("right of a secondary monitor")
            << QList<TScreenArea>{Screen(0, 0, 1920, 1080), Screen(1920, 0, 1280, 1024, 0, 0, 48, 0)} << 2 << 1
            << QRect(3152, 0, 48, 1024) << QPoint(2852, 864);
        // A monitor left of the primary one, panel at its bottom.
        QTest::newRow("bottom of a monitor on the left")
            << QList<TScreenArea>{Screen(0, 0, 1920, 1080), Screen(-1280, 56, 1280, 1024, 0, 0, 0, 30)} << 3 << 1
            << QRect(-1280, 1050, 1280, 30) << QPoint(-300, 890);
        // No panel at all: empty rectangles against the primary screen, so the window
        // hangs at its top right corner.
        QTest::newRow("no panel") << QList<TScreenArea>{Screen(0, 0, 1920, 1080)} << 1 << -1 << QRect()
                                  << QPoint(1620, 0);
    }

    void edges()
    {
        QFETCH(QList<TScreenArea>, screens);
        TTaskBar bar;
        bar.Refresh(std::vector<TScreenArea>(screens.begin(), screens.end()), 0);
        QTEST(bar.FEdge, "edge");
        QTEST(bar.FMonitor, "monitor");
        QFETCH(QRect, panel);
        QCOMPARE(bar.FWindowRect.ToQRect(), panel.isNull() ? QRect(0, 0, 0, 0) : panel);
        QCOMPARE(bar.FFound, !panel.isNull());
        QCOMPARE(bar.FClientRect, (TRect{0, 0, bar.FWindowRect.Width(), bar.FWindowRect.Height()}));
        QTEST(bar.PlaceWindow(QSize(300, 160)), "window");
        if (bar.FFound) {
            // The notification area lies inside the panel, at its far end.
            QVERIFY(bar.FTrayWindowRect.Left >= bar.FWindowRect.Left && bar.FTrayWindowRect.Right == bar.FWindowRect.Right);
            QVERIFY(bar.FTrayWindowRect.Bottom == bar.FWindowRect.Bottom);
        }
    }

    void edgeRulesOnRectangles()
    {
        const TRect monitor{0, 0, 1000, 800};
        QCOMPARE(TTaskBar::EdgeOf({0, 770, 1000, 800}, monitor), TTaskBar::EdgeBottom);
        QCOMPARE(TTaskBar::EdgeOf({0, 0, 1000, 30}, monitor), TTaskBar::EdgeTop);
        QCOMPARE(TTaskBar::EdgeOf({0, 0, 40, 800}, monitor), TTaskBar::EdgeLeft);
        QCOMPARE(TTaskBar::EdgeOf({960, 0, 1000, 800}, monitor), TTaskBar::EdgeRight);
        QCOMPARE(TTaskBar::EdgeOf({}, monitor), TTaskBar::EdgeTop);
    }

    void trayIconPicksItsPanel()
    {
        // A top bar with the tray and a dock at the bottom: the tray's rectangle decides.
        const std::vector<TScreenArea> screens = {Screen(0, 0, 1920, 1080, 0, 28, 0, 60)};
        TTaskBar bar;
        bar.Refresh(screens, 0);
        QCOMPARE(bar.FEdge, TTaskBar::EdgeBottom);
        bar.Refresh(screens, 0, TRect{1800, 4, 1822, 26});
        QCOMPARE(bar.FEdge, TTaskBar::EdgeTop);
        QCOMPARE(bar.FTrayWindowRect, (TRect{1800, 4, 1822, 26}));
        QCOMPARE(bar.PlaceWindow(QSize(300, 160)), QPoint(1620, 28));
    }

    void readsTheRunningScreens()
    {
        TTaskBar bar;
        bar.Refresh();  // whatever the platform has; must give a usable monitor
        QVERIFY(!bar.FMonitorRect.IsEmpty());
    }
};

QTEST_MAIN(TestTaskBar)
#include "test_TaskBar.moc"
