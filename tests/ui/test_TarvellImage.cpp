// The animated image: frame stepping, its timing and the extra pauses of FrameDelays.
#include "core/Clock.h"
#include "ui/ImageLists.h"
#include "ui/TarvellImage.h"

#include <QtTest>

#include <map>

using namespace orlinda;

class TestTarvellImage : public QObject {
    Q_OBJECT

    TFixedClock clock_{0, 100000};
    TImageList images_{QSize(16, 16)};

    // Calls Step every 50 ms (as the program's timer does) for the given time and returns
    // the tick (relative to the start) at which each frame first appeared.
    std::vector<std::pair<int, int>> Run(TTarvellImage& image, int ms)
    {
        std::vector<std::pair<int, int>> shown;
        const uint32_t start = clock_.TickCount();
        for (int t = 0; t <= ms; t += 50) {
            clock_.SetTick(start + static_cast<uint32_t>(t));
            if (image.Step())
                shown.emplace_back(t, image.ImageIndex());
        }
        return shown;
    }

private slots:
    void initTestCase()
    {
        SetClock(&clock_);
        for (int i = 0; i < 80; ++i) {
            QPixmap p(16, 16);
            p.fill(Qt::red);
            images_.Add(p);
        }
    }
    void cleanupTestCase() { SetClock(nullptr); }

    void settingTheListSizesTheControl()
    {
        TImageList big(QSize(24, 24));
        TTarvellImage image;
        image.SetImages(&big);
        QCOMPARE(image.size(), QSize(24, 24));
    }

    void switchingShowsTheFirstFrameOrNothing()
    {
        TTarvellImage image;
        image.SetImages(&images_);
        image.SetAnimationFirstFrame(8);
        image.SetAnimationLastFrame(13);
        image.SetAnimationTime(1000);
        image.SetAnimationEnabled(true);
        QCOMPARE(image.ImageIndex(), 8);
        image.SetAnimationEnabled(false);
        QCOMPARE(image.ImageIndex(), -1);
        QCOMPARE(image.Step(), false);
    }

    void feedbackAnimationTiming()
    {
        TTarvellImage image;
        image.SetImages(&images_);
        image.SetAnimationFirstFrame(39);
        image.SetAnimationLastFrame(59);
        image.SetAnimationTime(2000);
        image.SetFrameDelays(QStringLiteral("100,,,,,,,,,,,,,1500"));
        image.SetAnimationEnabled(true);
        QCOMPARE(image.ImageIndex(), 39);

        const auto shown = Run(image, 5000);
        std::map<int, std::vector<int>> at;  // frame -> ticks
        for (const auto& [t, frame] : shown)
            at[frame].push_back(t);
        // Every 100 ms (2000 / 20) one frame on; frame 52 is held 1500 ms.
        QCOMPARE(at[40].front(), 100);
        QCOMPARE(at[52].front(), 1300);
        QCOMPARE(at[53].front(), 2800);
        QCOMPARE(at[59].front(), 3400);
        // Then back to the first frame, which is held 100 ms by the first field.
        QCOMPARE(at[39].front(), 3500);
        QCOMPARE(at[40].at(1), 3600);
        for (size_t i = 1; i < shown.size(); ++i) {
            const auto [t, frame] = shown[i];
            const int expected = shown[i - 1].second == 59 ? 39 : shown[i - 1].second + 1;
            QCOMPARE(frame, expected);
            QVERIFY(t - shown[i - 1].first >= 100);
        }
    }

    void noStepping_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("time");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("switched off") << false << 1000 << 0 << 7;
        QTest::newRow("no time") << true << 0 << 0 << 7;
        QTest::newRow("one frame") << true << 1000 << 5 << 5;
        QTest::newRow("range reversed") << true << 1000 << 7 << 0;
    }

    void noStepping()
    {
        QFETCH(bool, enabled);
        QFETCH(int, time);
        QFETCH(int, first);
        QFETCH(int, last);
        TTarvellImage image;
        image.SetImages(&images_);
        image.SetAnimationFirstFrame(first);
        image.SetAnimationLastFrame(last);
        image.SetAnimationTime(time);
        image.SetAnimationEnabled(enabled);
        QVERIFY(Run(image, 3000).empty());
    }

    void anIndexOutsideTheRangeRestartsAtTheFirstFrame()
    {
        TTarvellImage image;
        image.SetImages(&images_);
        image.SetAnimationFirstFrame(62);
        image.SetAnimationLastFrame(75);
        image.SetAnimationTime(1000);
        image.SetAnimationEnabled(true);
        image.SetImageIndex(3);
        const auto shown = Run(image, 100);
        QVERIFY(!shown.empty());
        QCOMPARE(shown.front().second, 62);
    }
};

QTEST_MAIN(TestTarvellImage)
#include "test_TarvellImage.moc"
