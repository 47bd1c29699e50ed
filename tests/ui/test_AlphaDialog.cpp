// The message dialog: its layout rules, the answers of its buttons and of Esc, the
// wrappers, and the message log.
#include "ModalHelper.h"

#include "core/Logging.h"
#include "core/Windows1251.h"
#include "ui/AlphaDialog.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace orlinda;
using orlinda::test::WhenModal;

namespace {

void PressEscape()
{
    WhenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
}

void Press(int index)
{
    WhenModal([index](QWidget* w) {
        auto* dialog = qobject_cast<TAlphaDialog*>(w);
        QVERIFY(dialog);
        QTest::mouseClick(dialog->Buttons().at(index), Qt::LeftButton);
    });
}

} // namespace

class TestAlphaDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { StartLogging(); }

    void layoutRules_data()
    {
        QTest::addColumn<QSize>("label");
        QTest::addColumn<int>("widest");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("buttonWidth");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("labelWidth");
        QTest::addColumn<int>("labelHeight");
        // Screen 1024 x 768; a text wider than the screen allows wraps to 52 px.
        QTest::newRow("one short line") << QSize(100, 13) << 12 << 1 << 200 << 126 << 75 << 59 << 100 << 13;
        QTest::newRow("wide captions") << QSize(300, 26) << 80 << 2 << 390 << 126 << 110 << 74 << 300 << 26;
        QTest::newRow("buttons widen") << QSize(50, 13) << 10 << 5 << 451 << 126 << 75 << 5 << 50 << 13;
        QTest::newRow("tall text") << QSize(100, 60) << 10 << 1 << 200 << 140 << 75 << 59 << 100 << 60;
        QTest::newRow("wider than the screen") << QSize(2000, 13) << 10 << 1 << 974 << 132 << 75 << 446 << 884 << 52;
        QTest::newRow("higher than the screen") << QSize(100, 900) << 10 << 1 << 200 << 718 << 75 << 59 << 100 << 638;
        QTest::newRow("no buttons") << QSize(100, 13) << 0 << 0 << 200 << 126 << 75 << 97 << 100 << 13;
    }

    void layoutRules()
    {
        QFETCH(QSize, label);
        QFETCH(int, widest);
        QFETCH(int, buttons);
        const TAlphaDialogLayout l =
            ComputeAlphaDialogLayout(label, QSize(1024, 768), widest, buttons, 25, [](int) { return 52; });
        QTEST(l.width, "width");
        QTEST(l.height, "height");
        QTEST(l.buttonWidth, "buttonWidth");
        QTEST(l.buttonsLeft, "left");
        QTEST(l.labelWidth, "labelWidth");
        QTEST(l.labelHeight, "labelHeight");
        QCOMPARE(l.buttonTop, l.height - 25 - 30);
        QCOMPARE(static_cast<int>(l.buttonLefts.size()), buttons);
        for (int i = 0; i < buttons; ++i)
            QCOMPARE(l.buttonLefts[static_cast<size_t>(i)], l.buttonsLeft + i * (l.buttonWidth + 15));
    }

    void buttonCount()
    {
        QCOMPARE(ButtonCount(QString()), 0);
        QCOMPARE(ButtonCount(QStringLiteral("OK")), 1);
        QCOMPARE(ButtonCount(QStringLiteral("Да|Нет")), 2);
        QCOMPARE(ButtonCount(QStringLiteral("|")), 2);
    }

    void shortMessageGetsTheNarrowDialogWithOneCentredButton()
    {
        TAlphaDialog dialog;
        dialog.Prepare(QStringLiteral("Ошибка"), QStringLiteral("Нет файла"), DialogError, QStringLiteral("OK"));
        QCOMPARE(dialog.width(), 200);
        QCOMPARE(dialog.height(), 126);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Ошибка"));
        QCOMPARE(dialog.Buttons().size(), 1);
        const QRect b = dialog.Buttons().first()->geometry();
        QCOMPARE(b, QRect(59, 71, 75, 25));
        QCOMPARE(dialog.Buttons().first()->text(), QStringLiteral("OK"));
        // Each line of the text is its own line: no wrapping of a text that fits.
        QVERIFY(!dialog.TextLabel()->wordWrap());
    }

    void answers()
    {
        // Esc, like the close box, gives the second caption when there are two or more.
        PressEscape();
        QCOMPARE(AskButtons(QStringLiteral("Q"), QStringLiteral("Удалить?"), DialogConfirmation, QStringLiteral("Да|Нет")),
                 QStringLiteral("Нет"));
        PressEscape();
        QCOMPARE(AskButtons(QStringLiteral("Q"), QStringLiteral("Готово"), DialogInformation, QStringLiteral("OK")), QString());
        PressEscape();
        QCOMPARE(AskButtons(QStringLiteral("Q"), QStringLiteral("Три"), DialogWarning, QStringLiteral("A|B|C")),
                 QStringLiteral("B"));
        Press(2);
        QCOMPARE(AskButtons(QStringLiteral("Q"), QStringLiteral("Три"), DialogWarning, QStringLiteral("A|B|C")),
                 QStringLiteral("C"));
        WhenModal([](QWidget* w) { w->close(); });
        QCOMPARE(AskButtons(QStringLiteral("Q"), QStringLiteral("Закрыть"), DialogWarning, QStringLiteral("A|B")),
                 QStringLiteral("B"));

        PressEscape();
        QVERIFY(!ConfirmBox(QStringLiteral("Удалить?"), QStringLiteral("Да"), QStringLiteral("Нет")));
        Press(0);
        QVERIFY(ConfirmBox(QStringLiteral("Удалить?"), QStringLiteral("Да"), QStringLiteral("Нет")));
    }

    void captions()
    {
        auto captionOfNext = [] {
            auto* title = new QString;
            WhenModal([title](QWidget* w) {
                *title = w->windowTitle();
                QTest::keyClick(w, Qt::Key_Escape);
            });
            return title;
        };
        QString* title = captionOfNext();
        ErrorBox(QStringLiteral("x"), QStringLiteral("OK"));
        QCOMPARE(*title, QStringLiteral("Error"));
        delete title;

        SetRussianDialogCaptions();
        const struct {
            std::function<void()> show;
            QString caption;
        } cases[] = {
            {[] { ErrorBox(QStringLiteral("x"), QStringLiteral("OK")); }, QStringLiteral("Ошибка")},
            {[] { InfoBox(QStringLiteral("x"), QStringLiteral("OK")); }, QStringLiteral("Информация")},
            {[] { ConfirmBox(QStringLiteral("x"), QStringLiteral("Да"), QStringLiteral("Нет")); }, QStringLiteral("Подтверждение")},
        };
        for (const auto& c : cases) {
            title = captionOfNext();
            c.show();
            QCOMPARE(*title, c.caption);
            delete title;
        }
    }

    void messageLog()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("messages.log"));
        RegisterMessageLog(file.toStdString());

        PressEscape();
        QCOMPARE(ShowError(QStringLiteral("Пожалуйста, укажите имя человека"), QStringLiteral("OK")), QString());
        Press(0);
        QVERIFY(ShowConfirm(QStringLiteral("Продолжить?"), QStringLiteral("Да"), QStringLiteral("Нет")));
        PressEscape();
        QVERIFY(!ShowConfirm(QStringLiteral("Ещё раз?"), QStringLiteral("Да"), QStringLiteral("Нет")));

        QFile log(file);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().split('\n');
        const char16_t* expected[] = {
            u"ShowError: Пожалуйста, укажите имя человека",
            u"ShowError: OK",
            u"ShowConfirm: Продолжить?",
            u"ShowConfirm: Да",
            u"ShowConfirm: Ещё раз?",
            u"ShowConfirm: Нет",
        };
        QCOMPARE(lines.size(), 7);  // six lines and the empty rest after the last line break
        for (int i = 0; i < 6; ++i) {
            const std::string line = lines[i].toStdString();
            const std::string tail = Utf16ToCp1251(expected[i]) + "\r";
            QVERIFY2(line.size() > tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0,
                     lines[i].constData());
        }
    }
};

QTEST_MAIN(TestAlphaDialog)
#include "test_AlphaDialog.moc"
