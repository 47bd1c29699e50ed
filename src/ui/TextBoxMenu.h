#pragma once
// The context menu of every text box of the program: "Undo", "Cut", "Copy", "Paste",
// "Delete", "Select All", acting on the box it was opened on, with the entries enabled as
// the kind of box allows (edit boxes, memos and number boxes; combo boxes; date boxes;
// time boxes). Installed once on the application, it replaces the boxes' own menus.
#include <QObject>

class QMenu;
class QWidget;

namespace orlinda {

class TTextBoxMenu : public QObject {
    Q_OBJECT
public:
    // The kinds of text box.
    enum class TBoxKind { None, Edit, Memo, Combo, FixedCombo, Date, Time };

    explicit TTextBoxMenu(QObject* parent = nullptr);

    // Installs the menu on the whole application.
    void Install();

    // The kind of box the widget belongs to (a line edit inside a combo or a date box
    // counts as that box), and the widget the menu acts on.
    static TBoxKind KindOf(QWidget* widget, QWidget** target = nullptr);
    // The menu for a box, with its entries shown and enabled (the caller owns it).
    static QMenu* BuildMenu(QWidget* widget, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace orlinda
