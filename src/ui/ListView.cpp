#include "ui/ListView.h"

#include "core/Clock.h"
#include "ui/ImageLists.h"
#include "ui/Skins.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace orlinda {

// --- the icon cell ---------------------------------------------------------------------------

void TIconCellDelegate::SetImages(TImageList* images)
{
    images_ = images;
}

void TIconCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    opt.icon = QIcon();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (!images_)
        return;
    const QVariantList icons = index.data(TRecordListModel::IconsRole).toList();
    const QSize size = images_->ImageSize();
    int x = option.rect.left();
    const int y = option.rect.top() + (option.rect.height() - size.height()) / 2;
    for (const QVariant& v : icons) {
        if (x >= option.rect.right())
            break;
        const QPixmap pixmap = images_->Pixmap(v.toInt());
        if (!pixmap.isNull())
            painter->drawPixmap(QRect(QPoint(x, y), size), pixmap);
        x += kIconWidth;
    }
}

QSize TIconCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setHeight(std::max(s.height(), kIconWidth + 2));
    return s;
}

// --- the view --------------------------------------------------------------------------------

TListView::TListView(TRecordListModel* model, QWidget* parent)
    : QTreeView(parent), model_(model), proxy_(new TRecordSortFilter(model->Kind(), this)),
      iconDelegate_(new TIconCellDelegate(this))
{
    proxy_->setSourceModel(model_);
    // Rows hidden by the filter (or removed) take the selection with them: the view would
    // move it to a neighbour the user never chose.
    connect(proxy_, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex&, int first, int last) {
        if (selectionModel())
            for (const QModelIndex& i : selectionModel()->selectedRows())
                if (i.row() >= first && i.row() <= last)
                    selectionLost_ = true;
    });
    connect(proxy_, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (selectionLost_) {
            selectionLost_ = false;
            selectionModel()->clearSelection();
            selectionModel()->clearCurrentIndex();
        }
        emit selectionChangedByAnyone();
    });
    // (connected before the view's own handlers, which move the selection away first)
    setModel(proxy_);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setMouseTracking(true);
    setTextElideMode(Qt::ElideRight);

    QHeaderView* h = header();
    h->setSectionsMovable(true);
    h->setSectionsClickable(true);
    h->setSortIndicatorShown(true);
    h->setStretchLastSection(false);
    h->setFixedHeight(kHeaderHeight);
    h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int icons = IconColumn(Kind());
    h->setSectionResizeMode(QHeaderView::Interactive);
    h->setSectionResizeMode(icons, QHeaderView::Fixed);
    h->resizeSection(icons, IconColumnWidth(Kind()));
    setItemDelegateForColumn(icons, iconDelegate_);
    h->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(h, &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint& pos) { emit headerMenuRequested(header()->mapToGlobal(pos)); });
    connect(h, &QHeaderView::sectionClicked, this, &TListView::HeaderClicked);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { emit selectionChangedByAnyone(); });
    connect(proxy_, &QAbstractItemModel::modelReset, this, [this] { emit selectionChangedByAnyone(); });

    sort_ = DefaultSortState(Kind());
    ApplySort();
}

void TListView::SetImages(TImageList* images)
{
    iconDelegate_->SetImages(images);
    viewport()->update();
}

TNamedObject* TListView::SelectedRecord() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return nullptr;
    return proxy_->Record(rows.first());
}

bool TListView::SelectRecord(const TNamedObject* record)
{
    const int sourceRow = model_->RowOf(record);
    if (sourceRow < 0)
        return false;
    const QModelIndex index = proxy_->mapFromSource(model_->index(sourceRow, 0));
    if (!index.isValid())
        return false;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    return true;
}

std::vector<TNamedObject*> TListView::VisibleRecords() const
{
    std::vector<TNamedObject*> records;
    const int n = proxy_->rowCount();
    records.reserve(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r)
        records.push_back(proxy_->Record(proxy_->index(r, 0)));
    return records;
}

// --- sorting ---

TSortState TListView::DefaultSortState(TListKind kind)
{
    TSortState s;
    s.Column = kind == TListKind::Holidays ? col::HolidayDays : 0;
    s.Reversed = false;
    return s;
}

void TListView::SetSortState(const TSortState& state)
{
    sort_ = state;
    if (sort_.Column >= 0 && !IsSortableColumn(Kind(), sort_.Column))
        sort_ = DefaultSortState(Kind());
    ApplySort();
}

void TListView::ApplySort()
{
    const Qt::SortOrder order = sort_.Reversed ? Qt::DescendingOrder : Qt::AscendingOrder;
    QSignalBlocker block(header());
    if (sort_.Column < 0) {
        proxy_->sort(-1);
        header()->setSortIndicator(-1, Qt::AscendingOrder);
        return;
    }
    proxy_->sort(sort_.Column, order);
    header()->setSortIndicator(sort_.Column, order);
}

void TListView::HeaderClicked(int column)
{
    if (!IsSortableColumn(Kind(), column)) {
        ApplySort(); // the header flipped its indicator on its own: put ours back
        return;
    }
    if (sort_.Column == column) {
        sort_.Reversed = !sort_.Reversed;
    } else {
        sort_.Column = column;
        sort_.Reversed = false;
    }
    ApplySort();
    emit sortChangedByUser();
}

void TListView::SetFilter(int filterIndex)
{
    proxy_->SetFilter(filterIndex);
}

// --- layout ---

std::vector<TColumnState> TListView::ColumnStates() const
{
    std::vector<TColumnState> columns;
    const int n = ColumnCount(Kind());
    for (int i = 0; i < n; ++i) {
        TColumnState c;
        c.Position = header()->visualIndex(i);
        c.Visible = !isColumnHidden(i);
        c.Width = columnWidth(i);
        c.Resizable = i != IconColumn(Kind());
        columns.push_back(c);
    }
    return columns;
}

void TListView::ApplyColumnStates(const std::vector<TColumnState>& columns)
{
    const int n = std::min<int>(static_cast<int>(columns.size()), ColumnCount(Kind()));
    for (int p = 0; p < n; ++p) {
        for (int i = 0; i < n; ++i) {
            if (columns[static_cast<size_t>(i)].Position == p) {
                const int from = header()->visualIndex(i);
                if (from != p)
                    header()->moveSection(from, p);
                break;
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        const TColumnState& c = columns[static_cast<size_t>(i)];
        setColumnHidden(i, !c.Visible);
        if (c.Resizable && c.Width > 0)
            setColumnWidth(i, c.Width);
    }
}

void TListView::RestoreColumnLayout(const std::string& order, const std::string& widths)
{
    std::vector<TColumnState> columns = ColumnStates();
    orlinda::RestoreColumnLayout(order, widths, columns);
    ApplyColumnStates(columns);
}

void TListView::AutoFit(int listWidth)
{
    if (listWidth < 0)
        listWidth = viewport()->width();
    const std::vector<int> widths = AutoFitWidths(Kind(), listWidth);
    const int icons = IconColumn(Kind());
    for (int i = 0; i < static_cast<int>(widths.size()); ++i) {
        if (i != icons)
            setColumnWidth(i, std::max(widths[static_cast<size_t>(i)], 20));
    }
}

// --- type-ahead ---

bool TListView::TypeAhead(const QString& text, uint32_t tick)
{
    bool search = false;
    for (QChar c : text)
        search = typeAhead_.Feed(c, tick) || search;
    if (!search)
        return false;
    const QString& buffer = typeAhead_.Buffer();
    const int n = proxy_->rowCount();
    for (int r = 0; r < n; ++r) {
        const QModelIndex index = proxy_->index(r, 0);
        TNamedObject* record = proxy_->Record(index);
        if (!record)
            continue;
        for (const QString& field : SearchFields(Kind(), *record)) {
            if (field.contains(buffer)) {
                selectionModel()->setCurrentIndex(index,
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                scrollTo(index);
                return true;
            }
        }
    }
    return false;
}

void TListView::keyboardSearch(const QString& search)
{
    TypeAhead(search, TickCount());
}

// --- hover hints ---

QString TListView::HintAt(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return {};
    TNamedObject* record = proxy_->Record(index);
    if (!record)
        return {};
    const int column = index.column();
    if (column == IconColumn(Kind())) {
        const QRect cell = visualRect(index);
        const int position = (pos.x() - cell.left()) / kIconWidth;
        const QString letters = index.data(TRecordListModel::LettersRole).toString();
        if (position < 0 || position >= letters.size())
            return {};
        return IconHint(Kind(), letters[position], record);
    }
    if (column == 0) {
        const QString text = index.data(Qt::DisplayRole).toString();
        const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
        if (fontMetrics().horizontalAdvance(text) + 2 * margin >= columnWidth(column) - 3)
            return text;
    }
    return {};
}

void TListView::HideHint()
{
    QToolTip::hideText();
}

void TListView::SuppressHints(int ms)
{
    suppressUntil_ = TickCount() + static_cast<uint32_t>(ms);
    suppressing_ = true;
    HideHint();
}

void TListView::ForgetHoveredCell()
{
    hoverRow_ = -1;
    hoverPos_ = -1;
    hoverColumn_ = -1;
}

void TListView::UpdateHover(const QPoint& pos, const QPoint& globalPos)
{
    if (suppressing_) {
        if (static_cast<int32_t>(TickCount() - suppressUntil_) < 0)
            return;
        suppressing_ = false;
    }
    const QModelIndex index = indexAt(pos);
    const int column = index.isValid() ? index.column() : -1;
    const bool iconCell = column == IconColumn(Kind());
    if (!index.isValid() || (!iconCell && column != 0)) {
        HideHint();
        ForgetHoveredCell();
        return;
    }
    const int row = index.row();
    int position = -1;
    if (iconCell) {
        position = (pos.x() - visualRect(index).left()) / kIconWidth;
        if (row == hoverRow_ && position == hoverPos_ && hoverColumn_ == column)
            return;
    } else if (row == hoverRow_ && hoverColumn_ == column) {
        return;
    }
    hoverRow_ = row;
    hoverPos_ = position;
    hoverColumn_ = column;
    const QString text = HintAt(pos);
    HideHint();
    if (!text.isEmpty())
        QToolTip::showText(globalPos, QStringLiteral("<qt>") + text.toHtmlEscaped() + QStringLiteral("</qt>"),
                           viewport(), QRect(), kHintTimeoutMs);
}

void TListView::mouseMoveEvent(QMouseEvent* event)
{
    QTreeView::mouseMoveEvent(event);
    UpdateHover(event->position().toPoint(), event->globalPosition().toPoint());
}

void TListView::leaveEvent(QEvent* event)
{
    QTreeView::leaveEvent(event);
    HideHint();
    ForgetHoveredCell();
}

void TListView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    ForgetHoveredCell();
}

void TListView::contextMenuEvent(QContextMenuEvent* event)
{
    HideHint();
    emit rowMenuRequested(event->globalPos());
    event->accept();
}

void TListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QTreeView::mouseDoubleClickEvent(event);
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    TNamedObject* record = index.isValid() ? proxy_->Record(index) : nullptr;
    if (!record)
        return;
    HideHint();
    emit recordDoubleClicked(record);
}

void TListView::ApplyColours(const QColor& window, const QColor& text)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, window);
    p.setColor(QPalette::AlternateBase, ListRowColour(window, 1));
    p.setColor(QPalette::Text, text);
    setPalette(p);
}

} // namespace orlinda
