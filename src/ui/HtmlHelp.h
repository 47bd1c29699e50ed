#pragma once
// The help pages on screen: the contents tree of the help file in a tree widget, the page
// of the focused topic in an HTML view, links and images served from the same file, the
// program's values filled into the pages, and type-ahead in the tree.
#include "model/HelpStore.h"
#include "ui/HtmlView.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTreeWidget>
#include <QUrl>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace orlinda {

class THTMLHelp : public QObject {
    Q_OBJECT
public:
    // Results of ShowPage (and of Load: THelpStore's 0, 101, 603).
    static constexpr int Shown = 0;
    static constexpr int Refused = -1;
    static constexpr int NotFound = 101;
    static constexpr uint32_t TypeAheadResetMs = 1000;

    explicit THTMLHelp(QObject* parent = nullptr);
    // Unbinds the view and the tree.
    ~THTMLHelp() override;

    // The view keeps no history and asks this store for its pages and images.
    void BindView(THTMLView* view);
    // The tree shows the topics' titles (also as hints), shows the page of the topic that
    // gets the focus, and searches as the user types; tree lines are off.
    void BindTree(QTreeWidget* tree);

    // Loads the help file (the list and the tree are emptied first): 0 loaded, 101 no such
    // file, 603 not readable (the topics before the failure stay).
    int Load(const QString& fileName);

    // Shows the page of that name: 0 shown, -1 refused by the before-show hook, 101 not
    // found (the not-found hook was told).
    int ShowPage(const QString& pageName);

    // Selecting the help section: without a focused topic the first one is focused (which
    // shows it).
    void FocusFirstTopicIfNone();
    // Shows the focused topic's page again (after a skin change).
    void ReShowFocused();

    // The placeholders' values; "Version" and "Offsite" for the main help. Values are
    // texts as the pages are written (UTF-8).
    TOptionsList& Variables() { return store_.FVariables; }
    void SetVariables(const std::map<std::string, std::u16string>& values);

    // Asked before a page is shown for a link or by name; false refuses. An exception
    // counts as consent.
    std::function<bool(const QString& pageName)> OnBeforeShow;
    // Told of a link or a page name that is not in the file (exceptions are swallowed).
    std::function<void(const QString& pageName)> OnNotFound;

    THelpStore& Store() { return store_; }
    QTreeWidget* Tree() const { return tree_; }
    THTMLView* View() const { return view_; }
    // The tree item that shows the topic, or null.
    QTreeWidgetItem* ItemOf(const THTMLHelpItem* topic) const;
    // The topic of a tree item, or null.
    THTMLHelpItem* TopicOf(const QTreeWidgetItem* item) const;
    // The topic whose page the view shows, or null.
    const THTMLHelpItem* ShownTopic() const { return shown_; }

    // The page as HTML text: its bytes decoded (UTF-8, or Windows-1251 when the page says
    // so or is not valid UTF-8) with the variables filled in; empty when unreadable.
    QString PageHtml(const THTMLHelpItem& topic) const;
    // The answer to the view's request for an image or a style sheet.
    QVariant Resource(int type, const QUrl& name) const;

    // Type-ahead: one typed character; true when it was taken (it is of the searchable set).
    bool TypeAhead(QChar ch);
    // The characters that start a search: blank, "-", ".", digits, Latin letters, "_" and
    // the Cyrillic letters of Windows-1251 (codes 192..255, without "Ё"/"ё").
    static bool IsTypeAheadChar(QChar ch);
    const QString& TypeAheadBuffer() const { return typeAhead_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnNodeAdded(THelpTreeNode& node);
    void OnCleared();
    void OnCurrentChanged(QTreeWidgetItem* current);
    void OnAnchor(const QUrl& url);
    void ShowTopic(const THTMLHelpItem& topic);
    void FocusItem(QTreeWidgetItem* item);
    bool AskBeforeShow(const QString& page) const;
    void TellNotFound(const QString& page) const;
    void UpdateIcon(QTreeWidgetItem* item) const;
    std::string InlineStyleSheets(const std::string& html) const;

    THelpStore store_;
    QPointer<THTMLView> view_;
    QPointer<QTreeWidget> tree_;
    QHash<const THelpTreeNode*, QTreeWidgetItem*> items_;
    const THTMLHelpItem* shown_ = nullptr;
    bool navigating_ = false;
    bool loading_ = false;
    QString typeAhead_;
    uint32_t lastKey_ = 0;
};

} // namespace orlinda
