// Skins: the built-in ones, skins of the skins folder, what applying one changes, and the
// recolouring of the animation and check-box images.
#include "ui/ImageIndex.h"
#include "ui/ImageLists.h"
#include "ui/Skins.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace orlinda;

namespace {

void Write(const QString& path, const QByteArray& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// The colour of the most opaque pixel of a picture (the body of the drawing).
QColor Body(const QPixmap& p)
{
    const QImage image = p.toImage().convertToFormat(QImage::Format_ARGB32);
    QColor best(Qt::transparent);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > best.alpha())
                best = image.pixelColor(x, y);
    return best;
}

} // namespace

class TestSkins : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TImageLists::Instance().Load();
        TSkinManager::Instance().RegisterBuiltIns();
    }

    void imageListsAreComplete()
    {
        const TImageLists& lists = TImageLists::Instance();
        QCOMPARE(lists.Main.Count(), int(img::MainCount));
        QCOMPARE(lists.Menu.Count(), int(img::MenuCount));
        QCOMPARE(lists.Small.Count(), int(img::SmallCount));
        QVERIFY(lists.Anim.Count() > img::AnimSendingLast);
        QVERIFY(lists.Check.Count() > img::RadioOn);
        QVERIFY(!lists.Main.Pixmap(img::Female).isNull());
        QVERIFY(lists.Main.Pixmap(img::MainCount).isNull());
        for (int kind : {0, 1, 2, 3})
            QCOMPARE(DialogIcon(kind).deviceIndependentSize().toSize(), QSize(48, 48));
        QVERIFY(!TrayIcon(false).isNull() && !TrayIcon(true).isNull() && !ProgramIcon().isNull());
    }

    void builtInSkins()
    {
        const QStringList names = TSkinManager::Instance().Names();
        QVERIFY(names.size() >= 4);
        QVERIFY(names.contains(QStringLiteral("Office2007 Blue (internal)")));
        for (const QString& n : names)
            QVERIFY2(n.endsWith(QStringLiteral(" (internal)")), qPrintable(n));
    }

    void applying()
    {
        TSkinManager& skins = TSkinManager::Instance();
        QSignalSpy before(&skins, &TSkinManager::BeforeChange);
        QSignalSpy after(&skins, &TSkinManager::AfterChange);
        // An unknown name falls back to the default skin.
        QCOMPARE(skins.Apply(QStringLiteral("No Such Skin")), QStringLiteral("Office2007 Blue (internal)"));
        QCOMPARE(before.count(), 1);
        QCOMPARE(after.count(), 1);
        const TSkin& blue = skins.Current();
        QCOMPARE(QApplication::palette().color(QPalette::Base), blue.WindowColour());
        QCOMPARE(QApplication::palette().color(QPalette::Link), blue.AccentColour());
        QVERIFY(qApp->styleSheet().contains(blue.WindowColour().name()));
        const QColor lightAnim = Body(TImageLists::Instance().Anim.Pixmap(img::AnimSendingFirst));

        // A dark skin paints the status animations in light tones.
        QCOMPARE(skins.Apply(QStringLiteral("Graphite Dark (internal)")), QStringLiteral("Graphite Dark (internal)"));
        const TSkin& dark = skins.Current();
        QVERIFY(IsDarkColour(dark.BaseColour()));
        const QColor darkAnim = Body(TImageLists::Instance().Anim.Pixmap(img::AnimSendingFirst));
        QVERIFY(darkAnim != lightAnim);
        const auto [first, second] = AnimationColours(dark.BaseColour());
        QVERIFY2(darkAnim.lightness() >= second.lightness(), qPrintable(darkAnim.name()));
        QCOMPARE(first, ShiftColour(dark.BaseColour(), 40));
        skins.Apply(QString());
    }

    void animationColours_data()
    {
        QTest::addColumn<QColor>("base");
        QTest::addColumn<QColor>("first");
        QTest::addColumn<QColor>("second");
        QTest::newRow("dark") << QColor(0x2b, 0x2f, 0x36) << QColor(0x53, 0x57, 0x5e) << QColor(0x2b, 0x2f, 0x36);
        QTest::newRow("light") << QColor(0x65, 0x91, 0xcd) << QColor(0x65, 0x91, 0xcd) << QColor(0x3d, 0x69, 0xa5);
        QTest::newRow("clamped") << QColor(0xf0, 0x10, 0xff) << QColor(0xf0, 0x10, 0xff) << QColor(0xc8, 0x00, 0xd7);
        // 76·R + 150·G + 30·B = 25600 is not dark.
        QTest::newRow("threshold") << QColor(100, 100, 100) << QColor(100, 100, 100) << QColor(60, 60, 60);
        QTest::newRow("just below") << QColor(99, 100, 100) << QColor(139, 140, 140) << QColor(99, 100, 100);
    }

    void animationColours()
    {
        QFETCH(QColor, base);
        const auto [first, second] = AnimationColours(base);
        QTEST(first, "first");
        QTEST(second, "second");
    }

    void recolouringATemplate()
    {
        QImage tile(6, 1, QImage::Format_ARGB32);
        tile.setPixelColor(0, 0, QColor(0xc0, 0xc0, 0xc0));
        tile.setPixelColor(1, 0, QColor(0x80, 0x80, 0x80));
        tile.setPixelColor(2, 0, QColor(0xff, 0x00, 0xff));
        tile.setPixelColor(3, 0, QColor(0xd8, 0x45, 0x3b));
        tile.setPixelColor(4, 0, QColor(0xa0, 0xa0, 0xa0, 128));
        tile.setPixelColor(5, 0, QColor(0, 0, 0, 0));
        const QImage out = RecolourTemplate(tile, QColor(200, 100, 0), QColor(0, 50, 100));
        QCOMPARE(out.pixelColor(0, 0), QColor(200, 100, 0));
        QCOMPARE(out.pixelColor(1, 0), QColor(0, 50, 100));
        QCOMPARE(out.pixelColor(2, 0).alpha(), 0);
        QCOMPARE(out.pixelColor(3, 0).alpha(), 0);
        QCOMPARE(out.pixelColor(4, 0), QColor(100, 75, 50, 128));  // half-way, half transparent
        QCOMPARE(out.pixelColor(5, 0).alpha(), 0);
    }

    void skinsFolder()
    {
        QTemporaryDir dir;
        Write(dir.filePath(QStringLiteral("evening.skin")),
              "; an evening skin\n[Skin]\nName=Вечер\n[Colors]\nForm=#2b2f36\nWindow=#353a42\nWindowText=#e3e6ea\nAccent=bad\n");
        Write(dir.filePath(QStringLiteral("evening.qss")), "QLabel { font-weight: bold; }");
        Write(dir.filePath(QStringLiteral("plain.skin")), "[Colors]\nWindow=#fafafa\n");
        Write(dir.filePath(QStringLiteral("broken.skin")), "[Skin]\nName=Broken\n");
        Write(dir.filePath(QStringLiteral("clash.skin")), "[Skin]\nName=Office2007 Blue (internal)\n[Colors]\nWindow=#000000\n");
        TSkinManager& skins = TSkinManager::Instance();
        skins.SetSkinsFolder(dir.path());
        const QStringList names = skins.Names();
        QVERIFY(names.contains(QStringLiteral("Вечер")));
        QVERIFY(names.contains(QStringLiteral("plain")));  // the file's name when the skin has none
        QVERIFY(!names.contains(QStringLiteral("Broken")));
        QCOMPARE(names.count(QStringLiteral("Office2007 Blue (internal)")), 1);
        QCOMPARE(skins.Find(QStringLiteral("Office2007 Blue (internal)"))->WindowColour(), QColor(0xff, 0xff, 0xff));

        const TSkin* evening = skins.Find(QStringLiteral("Вечер"));
        QVERIFY(evening);
        QCOMPARE(evening->WindowColour(), QColor(0x35, 0x3a, 0x42));
        QCOMPARE(evening->ListTextColour(), QColor(0xe3, 0xe6, 0xea));  // from WindowText
        QCOMPARE(evening->BaseColour(), QColor(0x2b, 0x2f, 0x36));      // from Form
        QCOMPARE(evening->AccentColour(), QColor(0x1d, 0x5a, 0xa6));    // unreadable: the default
        const QString sheet = evening->FullStyleSheet(QStringLiteral("X { background: @Window@; color: @Accent@; }"));
        QVERIFY(sheet.startsWith(QStringLiteral("X { background: #353a42; color: #1d5aa6; }")));
        QVERIFY(sheet.endsWith(QStringLiteral("QLabel { font-weight: bold; }")));

        QCOMPARE(skins.Apply(QStringLiteral("Вечер")), QStringLiteral("Вечер"));
        skins.SetSkinsFolder(QString());
        QVERIFY(!skins.Names().contains(QStringLiteral("Вечер")));
        skins.Apply(QString());
    }

    void rowColours()
    {
        QCOMPARE(ListRowColour(QColor(255, 255, 255), 0), QColor(255, 255, 255));
        QCOMPARE(ListRowColour(QColor(255, 255, 255), 1), QColor(240, 240, 240));
        QCOMPARE(ListRowColour(QColor(10, 20, 200), 3), QColor(0, 5, 185));
    }
};

QTEST_MAIN(TestSkins)
#include "test_Skins.moc"
