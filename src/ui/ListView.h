#pragma once
// The view of one of the main window's three lists: a QTreeView over a record model and
// its sort-and-filter proxy, with the icon cell, the alternating row colours, the sort
// state set by header clicks, type-ahead search, hover hints, and the column layout
// that the settings keep.
#include "model/LayoutFormats.h"
#include "ui/ListModels.h"
#include "ui/TypeAhead.h"

#include <QPointer>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <cstdint>

namespace orlinda {

class TImageList;

// Paints an icon cell: the row's icons side by side, 24 px each, from the cell's left edge.
class TIconCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TIconCellDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}
    void SetImages(TImageList* images);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QPointer<TImageList> images_;
};

class TListView : public QTreeView {
    Q_OBJECT
public:
    static constexpr int kHeaderHeight = 26;
    static constexpr int kHintSuppressMs = 1000;
    static constexpr int kHintTimeoutMs = 15000;

    // The view takes the model and makes its own proxy.
    TListView(TRecordListModel* model, QWidget* parent = nullptr);

    TListKind Kind() const { return model_->Kind(); }
    TRecordListModel* RecordModel() const { return model_; }
    TRecordSortFilter* Proxy() const { return proxy_; }
    void SetImages(TImageList* images);

    // The record of the selected row (null when none), and selecting a record's row.
    TNamedObject* SelectedRecord() const;
    bool SelectRecord(const TNamedObject* record);
    // Records in the order shown (visible rows only).
    std::vector<TNamedObject*> VisibleRecords() const;

    // --- sorting ---
    TSortState SortState() const { return sort_; }
    void SetSortState(const TSortState& state);
    // The default: the first column in normal order; the holiday list by its days.
    static TSortState DefaultSortState(TListKind kind);
    // What a left click on a header does: a sortable column becomes the sort column in
    // normal order, or the order reverses when it already is. Tells sortChangedByUser.
    void HeaderClicked(int column);

    // --- filter ---
    void SetFilter(int filterIndex);

    // --- layout ---
    std::vector<TColumnState> ColumnStates() const;
    void ApplyColumnStates(const std::vector<TColumnState>& columns);
    std::string ColumnOrderText() const { return FormatColumnOrder(ColumnStates()); }
    std::string ColumnWidthsText() const { return FormatColumnWidths(ColumnStates()); }
    // Restores the order and widths (malformed parts keep what is there).
    void RestoreColumnLayout(const std::string& order, const std::string& widths);
    // "Выровнять колонки по ширине": the widths that fit the list's width.
    void AutoFit(int listWidth = -1);

    // --- type-ahead ---
    // Feeds a typed text at tick (ms); selects the first visible row whose fields contain
    // the buffer. True when a row was found.
    bool TypeAhead(const QString& text, uint32_t tick);
    const TTypeAhead& TypeAheadBuffer() const { return typeAhead_; }
    void keyboardSearch(const QString& search) override;

    // --- hover hints ---
    // The hint for a point of the viewport: an icon's hint over the icon cell, the full
    // text over a text column too narrow for it; empty elsewhere.
    QString HintAt(const QPoint& viewportPos) const;
    void HideHint();
    // Mouse moves are ignored for that long (after a modal dialog or a skin change).
    void SuppressHints(int ms = kHintSuppressMs);
    // Forgets the cell whose hint is on show.
    void ForgetHoveredCell();

    // The skin's window colour: even rows in it, odd rows 15 darker.
    void ApplyColours(const QColor& window, const QColor& text);

signals:
    // The user changed the sort state with a header click.
    void sortChangedByUser();
    void headerMenuRequested(const QPoint& globalPos);
    void rowMenuRequested(const QPoint& globalPos);
    void recordDoubleClicked(orlinda::TNamedObject* record);
    void selectionChangedByAnyone();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void UpdateHover(const QPoint& viewportPos, const QPoint& globalPos);
    void ApplySort();

    TRecordListModel* model_;
    TRecordSortFilter* proxy_;
    TIconCellDelegate* iconDelegate_;
    TSortState sort_;
    TTypeAhead typeAhead_;
    uint32_t suppressUntil_ = 0;
    bool suppressing_ = false;
    int hoverRow_ = -1;
    int hoverPos_ = -1;
    int hoverColumn_ = -1;
    bool selectionLost_ = false;
};

} // namespace orlinda
