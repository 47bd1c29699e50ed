// The help on screen: the contents tree, pages shown with the program's values filled in,
// links and images served from the help file, the hooks, and type-ahead in the tree.
#include "core/Clock.h"
#include "core/Unicode.h"
#include "model/HelpStore.h"
#include "ui/HtmlHelp.h"
#include "ui/HtmlView.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTreeWidget>
#include <QtTest>

#include <stdexcept>

using namespace orlinda;

namespace {

THelpTopic Topic(const char* page, const char* title, const char* path, const char* content)
{
    THelpTopic t;
    t.name = page;
    t.pageName = page;
    t.title = Utf8ToUtf16(title);
    t.treePath = path;
    t.content = content;
    return t;
}

const char Dot[] = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" height=\"10\"><rect width=\"20\" height=\"10\" fill=\"red\"/></svg>";

} // namespace

class TestHtmlHelp : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString file_;
    TFixedClock clock_{0, 500000};

    struct Fixture {
        QTreeWidget tree;
        THTMLView view;
        THTMLHelp help;
        QStringList notFound;
        QStringList asked;
        QStringList refuse;

        explicit Fixture(const QString& file)
        {
            help.BindView(&view);
            help.BindTree(&tree);
            help.OnNotFound = [this](const QString& page) { notFound << page; };
            help.OnBeforeShow = [this](const QString& page) {
                asked << page;
                if (page == QLatin1String("boom.htm"))
                    throw std::runtime_error("hook failed");
                return !refuse.contains(page);
            };
            help.Variables().SetValue("Version", "1.0.0 (Build 5)");
            QCOMPARE(help.Load(file), 0);
        }
        QString Shown() const { return view.toPlainText(); }
        QTreeWidgetItem* Top(int i) const { return tree.topLevelItem(i); }
    };

private slots:
    void initTestCase()
    {
        SetClock(&clock_);
        file_ = dir_.filePath(QStringLiteral("help.dat"));
        const std::string bytes = BuildHelpFile({
            Topic("people.htm", "Люди", "people",
                  "<html><head><meta charset=\"utf-8\"></head><body><p>Версия {{Version}}</p>"
                  "<a href=\"channels.htm\">каналы</a><img src=\"img/dot.svg\"></body></html>"),
            Topic("channels.htm", "Способы поздравления", "people/channels", "<p>Каналы [{{Nope}}]</p>"),
            Topic("reminders.htm", "Напоминания", "reminders", "<p>Напоминания {{Version and the rest</p>"),
            Topic("holidays.htm", "Ближайшие праздники", "holidays", "<p>Праздники</p>"),
            Topic("orphan.htm", "Сирота", "nobody/orphan", "<p>Без места в дереве</p>"),
            Topic("boom.htm", "Взрыв", "boom", "<p>Крючок упал</p>"),
            Topic("old.htm", "Прежняя", "old", "<html><head><meta charset=windows-1251></head><body>\xcf\xf0\xe8\xe2\xe5\xf2</body></html>"),
            Topic("img/dot.svg", "", "", Dot),
            Topic("styled.htm", "", "", "<html><head><LINK REL=stylesheet href='style.css'><link rel=\"icon\" href=\"x.ico\"></head><body>s</body></html>"),
            Topic("style.css", "", "", "p { color: #123456; }"),
        });
        QFile f(file_);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    void cleanupTestCase() { SetClock(nullptr); }

    void treeFollowsTheTopics()
    {
        Fixture fx(file_);
        QCOMPARE(fx.tree.topLevelItemCount(), 5);  // the orphan and the image have no node
        QCOMPARE(fx.Top(0)->text(0), QStringLiteral("Люди"));
        QCOMPARE(fx.Top(0)->toolTip(0), QStringLiteral("Люди"));
        QCOMPARE(fx.Top(0)->childCount(), 1);
        QCOMPARE(fx.Top(0)->child(0)->text(0), QStringLiteral("Способы поздравления"));
        QCOMPARE(fx.help.ItemOf(fx.help.Store().FindPage("orphan.htm")), nullptr);
        // Nothing is focused or shown while loading.
        QCOMPARE(fx.tree.currentItem(), nullptr);
        QVERIFY(fx.Shown().isEmpty());

        QCOMPARE(fx.help.Load(dir_.filePath(QStringLiteral("missing.dat"))), 101);
        QCOMPARE(fx.tree.topLevelItemCount(), 0);
    }

    void focusShowsThePageWithItsValues()
    {
        Fixture fx(file_);
        fx.help.FocusFirstTopicIfNone();
        QCOMPARE(fx.tree.currentItem(), fx.Top(0));
        QVERIFY2(fx.Shown().contains(QStringLiteral("Версия 1.0.0 (Build 5)")), qPrintable(fx.Shown()));
        fx.tree.setCurrentItem(fx.Top(0)->child(0));
        QCOMPARE(fx.Shown(), QStringLiteral("Каналы []"));
        fx.tree.setCurrentItem(fx.Top(1));
        QCOMPARE(fx.Shown(), QStringLiteral("Напоминания {{Version and the rest"));
        fx.tree.setCurrentItem(fx.Top(4));
        QCOMPARE(fx.Shown(), QStringLiteral("Привет"));  // a page in Windows-1251
        QVERIFY(fx.asked.isEmpty());                     // the tree asks no hook
    }

    void links()
    {
        Fixture fx(file_);
        fx.help.FocusFirstTopicIfNone();
        emit fx.view.anchorClicked(QUrl(QStringLiteral("channels.htm")));
        QCOMPARE(fx.asked, QStringList{QStringLiteral("channels.htm")});
        QCOMPARE(fx.tree.currentItem(), fx.Top(0)->child(0));
        QVERIFY(fx.tree.currentItem()->isSelected());
        QCOMPARE(fx.Shown(), QStringLiteral("Каналы []"));

        // Refused by the hook: nothing changes.
        fx.refuse << QStringLiteral("holidays.htm");
        emit fx.view.anchorClicked(QUrl(QStringLiteral("holidays.htm")));
        QCOMPARE(fx.Shown(), QStringLiteral("Каналы []"));
        // A hook that fails counts as consent.
        emit fx.view.anchorClicked(QUrl(QStringLiteral("boom.htm")));
        QCOMPARE(fx.Shown(), QStringLiteral("Крючок упал"));
        // Links are compared as written: an upper-case link finds nothing.
        emit fx.view.anchorClicked(QUrl(QStringLiteral("People.htm")));
        emit fx.view.anchorClicked(QUrl(QStringLiteral("https://example.org/")));
        QCOMPARE(fx.notFound, (QStringList{QStringLiteral("People.htm"), QStringLiteral("https://example.org/")}));
        // A page outside the tree is still shown for a link.
        emit fx.view.anchorClicked(QUrl(QStringLiteral("orphan.htm")));
        QCOMPARE(fx.Shown(), QStringLiteral("Без места в дереве"));
    }

    void showPageByName()
    {
        Fixture fx(file_);
        QCOMPARE(fx.help.ShowPage(QStringLiteral("holidays.htm")), 0);
        QCOMPARE(fx.tree.currentItem(), fx.Top(2));
        QCOMPARE(fx.Shown(), QStringLiteral("Праздники"));
        QCOMPARE(fx.help.ShowPage(QStringLiteral("dlg_notify.htm")), 101);
        QCOMPARE(fx.notFound, QStringList{QStringLiteral("dlg_notify.htm")});
        fx.refuse << QStringLiteral("people.htm");
        QCOMPARE(fx.help.ShowPage(QStringLiteral("people.htm")), -1);
        QCOMPARE(fx.Shown(), QStringLiteral("Праздники"));
        // A topic without a node is shown all the same, and so is the focused one again.
        QCOMPARE(fx.help.ShowPage(QStringLiteral("orphan.htm")), 0);
        QCOMPARE(fx.Shown(), QStringLiteral("Без места в дереве"));
        QCOMPARE(fx.help.ShowPage(QStringLiteral("holidays.htm")), 0);
        QCOMPARE(fx.Shown(), QStringLiteral("Праздники"));
    }

    void imagesComeFromTheFile()
    {
        Fixture fx(file_);
        const QVariant image = fx.help.Resource(QTextDocument::ImageResource, QUrl(QStringLiteral("img/dot.svg")));
        QVERIFY(image.canConvert<QImage>());
        QCOMPARE(image.value<QImage>().size(), QSize(20, 10));
        QCOMPARE(image.value<QImage>().pixelColor(5, 5), QColor(Qt::red));
        QVERIFY(!fx.help.Resource(QTextDocument::ImageResource, QUrl(QStringLiteral("img/none.png"))).isValid());
        // The view asks the store (and never the disk) while laying a page out.
        QVERIFY(!fx.view.loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("/etc/hostname"))).isValid());
        QVERIFY(fx.view.loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("img/dot.svg"))).isValid());
    }

    void linkedStyleSheetsComeInline()
    {
        Fixture fx(file_);
        const QString html = fx.help.PageHtml(*fx.help.Store().FindPage("styled.htm"));
        QCOMPARE(html, QStringLiteral("<html><head><style type=\"text/css\">p { color: #123456; }</style>"
                                      "<link rel=\"icon\" href=\"x.ico\"></head><body>s</body></html>"));
    }

    void typeAhead()
    {
        Fixture fx(file_);
        auto type = [&](const QString& text, uint32_t pause) {
            clock_.SetTick(clock_.TickCount() + pause);
            for (QChar ch : text) {  // QTest's key clicks know Latin-1 only
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
                QApplication::sendEvent(&fx.tree, &press);
            }
        };
        type(QStringLiteral("на"), 2000);
        QCOMPARE(fx.tree.currentItem(), fx.Top(1));  // "Напоминания"
        QCOMPARE(fx.Shown(), QStringLiteral("Напоминания {{Version and the rest"));
        type(QStringLiteral("п"), 1000);  // within the second: "нап"
        QCOMPARE(fx.help.TypeAheadBuffer(), QStringLiteral("нап"));
        QCOMPARE(fx.tree.currentItem(), fx.Top(1));
        type(QStringLiteral("бли"), 1001);  // a new search after the pause
        QCOMPARE(fx.help.TypeAheadBuffer(), QStringLiteral("бли"));
        QCOMPARE(fx.tree.currentItem(), fx.Top(2));
        // Children of a collapsed topic are not searched.
        type(QStringLiteral("спо"), 2000);
        QCOMPARE(fx.tree.currentItem(), fx.Top(2));
        fx.Top(0)->setExpanded(true);
        type(QStringLiteral("спо"), 2000);
        QCOMPARE(fx.tree.currentItem(), fx.Top(0)->child(0));
        // Characters outside the set start nothing.
        QVERIFY(!fx.help.TypeAhead(QLatin1Char('!')));
        QVERIFY(!fx.help.TypeAhead(QChar(0x0451)));  // ё
        QVERIFY(THTMLHelp::IsTypeAheadChar(QChar(0x044F)) && THTMLHelp::IsTypeAheadChar(QLatin1Char('_')));
    }
};

QTEST_MAIN(TestHtmlHelp)
#include "test_HtmlHelp.moc"
