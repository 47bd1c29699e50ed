// The text boxes' context menu: which entries each kind of box shows and enables, and
// that an entry acts on the box the menu was opened on.
#include "ui/TextBoxMenu.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTimeEdit>
#include <QtTest>

#include <memory>

using namespace orlinda;

namespace {

// "Undo Cut Copy Paste Delete SelectAll": "+" shown and enabled, "-" shown and disabled,
// "h" hidden.
QString States(QMenu& menu)
{
    QString s;
    for (QAction* a : menu.actions()) {
        if (a->isSeparator())
            continue;
        s += !a->isVisible() ? u'h' : (a->isEnabled() ? u'+' : u'-');
    }
    return s;
}

QAction* Entry(QMenu& menu, const QString& caption)
{
    for (QAction* a : menu.actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

} // namespace

class TestTextBoxMenu : public QObject {
    Q_OBJECT

private slots:
    void entriesByKindOfBox()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
        QWidget parent;

        auto* edit = new QLineEdit(QStringLiteral("hello"), &parent);
        std::unique_ptr<QMenu> m(TTextBoxMenu::BuildMenu(edit));
        QCOMPARE(States(*m), QStringLiteral("h--+-+")); // nothing selected, no undo yet
        edit->setSelection(0, 2);
        m.reset(TTextBoxMenu::BuildMenu(edit));
        QCOMPARE(States(*m), QStringLiteral("h+++++"));
        edit->clear();
        edit->insert(QStringLiteral("x"));
        m.reset(TTextBoxMenu::BuildMenu(edit));
        QCOMPARE(States(*m), QStringLiteral("+--+-+"));

        auto* fixed = new QComboBox(&parent);
        fixed->addItems({QStringLiteral("a"), QStringLiteral("b")});
        m.reset(TTextBoxMenu::BuildMenu(fixed));
        QCOMPARE(States(*m), QStringLiteral("h-----"));

        auto* editable = new QComboBox(&parent);
        editable->setEditable(true);
        editable->setEditText(QStringLiteral("text"));
        m.reset(TTextBoxMenu::BuildMenu(editable->lineEdit()));
        QCOMPARE(TTextBoxMenu::KindOf(editable->lineEdit()), TTextBoxMenu::TBoxKind::Combo);
        QCOMPARE(States(*m), QStringLiteral("h--+-+"));

        auto* date = new QDateEdit(&parent);
        m.reset(TTextBoxMenu::BuildMenu(date));
        QCOMPARE(States(*m), QStringLiteral("h+++-+"));
        auto* time = new QTimeEdit(&parent);
        m.reset(TTextBoxMenu::BuildMenu(time));
        QCOMPARE(States(*m), QStringLiteral("h+++++"));
        auto* number = new QSpinBox(&parent);
        QCOMPARE(TTextBoxMenu::KindOf(number), TTextBoxMenu::TBoxKind::Edit);

        auto* memo = new QPlainTextEdit(QStringLiteral("line"), &parent);
        QCOMPARE(TTextBoxMenu::KindOf(memo->viewport()), TTextBoxMenu::TBoxKind::Memo);
        m.reset(TTextBoxMenu::BuildMenu(memo));
        QCOMPARE(States(*m), QStringLiteral("h--+-+"));
    }

    void entriesActOnTheirBox()
    {
        QWidget parent;
        auto* edit = new QLineEdit(QStringLiteral("hello world"), &parent);
        edit->setSelection(0, 6);
        std::unique_ptr<QMenu> m(TTextBoxMenu::BuildMenu(edit));
        Entry(*m, QStringLiteral("Delete"))->trigger();
        QCOMPARE(edit->text(), QStringLiteral("world"));
        m.reset(TTextBoxMenu::BuildMenu(edit));
        Entry(*m, QStringLiteral("Select All"))->trigger();
        QCOMPARE(edit->selectedText(), QStringLiteral("world"));
        m.reset(TTextBoxMenu::BuildMenu(edit));
        Entry(*m, QStringLiteral("Undo"))->trigger();
        QCOMPARE(edit->text(), QStringLiteral("hello world"));
    }
};

QTEST_MAIN(TestTextBoxMenu)
#include "test_TextBoxMenu.moc"
