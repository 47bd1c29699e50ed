#include "ui/TextBoxMenu.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimeEdit>

namespace orlinda {

namespace {

bool ClipboardHasText()
{
    const QClipboard* c = QGuiApplication::clipboard();
    return c && !c->text().isEmpty();
}

QLineEdit* LineEditOf(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e;
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->lineEdit();
    if (auto* s = qobject_cast<QAbstractSpinBox*>(w))
        return s->findChild<QLineEdit*>();
    return nullptr;
}

} // namespace

TTextBoxMenu::TTextBoxMenu(QObject* parent) : QObject(parent) {}

void TTextBoxMenu::Install()
{
    qApp->installEventFilter(this);
}

TTextBoxMenu::TBoxKind TTextBoxMenu::KindOf(QWidget* widget, QWidget** target)
{
    QWidget* w = widget;
    // A line edit inside a combo box or a spin box belongs to that box.
    if (qobject_cast<QLineEdit*>(w) && w->parentWidget()
        && (qobject_cast<QComboBox*>(w->parentWidget()) || qobject_cast<QAbstractSpinBox*>(w->parentWidget())))
        w = w->parentWidget();
    // The viewport of a memo belongs to the memo.
    if (w && w->parentWidget()
        && (qobject_cast<QTextEdit*>(w->parentWidget()) || qobject_cast<QPlainTextEdit*>(w->parentWidget())))
        w = w->parentWidget();
    if (target)
        *target = w;
    if (!w)
        return TBoxKind::None;
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->isEditable() ? TBoxKind::Combo : TBoxKind::FixedCombo;
    if (qobject_cast<QTimeEdit*>(w))
        return TBoxKind::Time;
    if (qobject_cast<QDateTimeEdit*>(w))
        return TBoxKind::Date;
    if (qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QLineEdit*>(w))
        return TBoxKind::Edit;
    // HTML views are pages, not text boxes.
    if (qobject_cast<QTextBrowser*>(w))
        return TBoxKind::None;
    if (qobject_cast<QTextEdit*>(w))
        return TBoxKind::Memo;
    if (qobject_cast<QPlainTextEdit*>(w))
        return TBoxKind::Memo;
    return TBoxKind::None;
}

QMenu* TTextBoxMenu::BuildMenu(QWidget* widget, QWidget* parent)
{
    QWidget* box = nullptr;
    const TBoxKind kind = KindOf(widget, &box);
    if (kind == TBoxKind::None)
        return nullptr;
    auto* menu = new QMenu(parent);
    QAction* undo = menu->addAction(QStringLiteral("Undo"));
    menu->addSeparator();
    QAction* cut = menu->addAction(QStringLiteral("Cut"));
    QAction* copy = menu->addAction(QStringLiteral("Copy"));
    QAction* paste = menu->addAction(QStringLiteral("Paste"));
    QAction* del = menu->addAction(QStringLiteral("Delete"));
    menu->addSeparator();
    QAction* all = menu->addAction(QStringLiteral("Select All"));

    if (kind == TBoxKind::Memo) {
        auto* text = qobject_cast<QTextEdit*>(box);
        auto* plain = qobject_cast<QPlainTextEdit*>(box);
        const bool readOnly = text ? text->isReadOnly() : plain->isReadOnly();
        const bool selection = text ? text->textCursor().hasSelection() : plain->textCursor().hasSelection();
        const bool hasText = text ? !text->document()->isEmpty() : !plain->document()->isEmpty();
        const bool canUndo = text ? text->document()->isUndoAvailable() : plain->document()->isUndoAvailable();
        undo->setVisible(canUndo);
        undo->setEnabled(canUndo && !readOnly);
        cut->setEnabled(selection && !readOnly);
        copy->setEnabled(selection);
        paste->setEnabled(ClipboardHasText() && !readOnly);
        del->setEnabled(selection && !readOnly);
        all->setEnabled(hasText);
        if (text) {
            QObject::connect(undo, &QAction::triggered, text, &QTextEdit::undo);
            QObject::connect(cut, &QAction::triggered, text, &QTextEdit::cut);
            QObject::connect(copy, &QAction::triggered, text, &QTextEdit::copy);
            QObject::connect(paste, &QAction::triggered, text, &QTextEdit::paste);
            QObject::connect(del, &QAction::triggered, text, [text] { text->textCursor().removeSelectedText(); });
            QObject::connect(all, &QAction::triggered, text, &QTextEdit::selectAll);
        } else {
            QObject::connect(undo, &QAction::triggered, plain, &QPlainTextEdit::undo);
            QObject::connect(cut, &QAction::triggered, plain, &QPlainTextEdit::cut);
            QObject::connect(copy, &QAction::triggered, plain, &QPlainTextEdit::copy);
            QObject::connect(paste, &QAction::triggered, plain, &QPlainTextEdit::paste);
            QObject::connect(del, &QAction::triggered, plain, [plain] { plain->textCursor().removeSelectedText(); });
            QObject::connect(all, &QAction::triggered, plain, &QPlainTextEdit::selectAll);
        }
        return menu;
    }

    QLineEdit* edit = LineEditOf(box);
    const bool selection = edit && edit->hasSelectedText();
    const bool hasText = edit && !edit->text().isEmpty();
    const bool readOnly = !edit || edit->isReadOnly();
    switch (kind) {
    case TBoxKind::Edit:
        undo->setVisible(edit && edit->isUndoAvailable());
        undo->setEnabled(edit && edit->isUndoAvailable());
        cut->setEnabled(selection && !readOnly);
        copy->setEnabled(selection);
        paste->setEnabled(ClipboardHasText() && !readOnly);
        del->setEnabled(selection && !readOnly);
        all->setEnabled(hasText);
        break;
    case TBoxKind::Combo:
        undo->setVisible(false);
        cut->setEnabled(selection);
        copy->setEnabled(selection);
        paste->setEnabled(ClipboardHasText());
        del->setEnabled(selection);
        all->setEnabled(hasText);
        break;
    case TBoxKind::FixedCombo:
        undo->setVisible(false);
        for (QAction* a : {undo, cut, copy, paste, del, all})
            a->setEnabled(false);
        break;
    case TBoxKind::Date:
        undo->setVisible(false);
        del->setEnabled(false);
        break;
    case TBoxKind::Time:
        undo->setVisible(false);
        break;
    default:
        break;
    }
    if (edit) {
        QObject::connect(undo, &QAction::triggered, edit, &QLineEdit::undo);
        QObject::connect(cut, &QAction::triggered, edit, &QLineEdit::cut);
        QObject::connect(copy, &QAction::triggered, edit, &QLineEdit::copy);
        QObject::connect(paste, &QAction::triggered, edit, &QLineEdit::paste);
        QObject::connect(del, &QAction::triggered, edit, &QLineEdit::del);
        QObject::connect(all, &QAction::triggered, edit, &QLineEdit::selectAll);
    }
    return menu;
}

bool TTextBoxMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ContextMenu || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    if (KindOf(widget) == TBoxKind::None)
        return QObject::eventFilter(watched, event);
    QMenu* menu = BuildMenu(widget, widget);
    if (!menu)
        return QObject::eventFilter(watched, event);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
}

} // namespace orlinda
