#pragma once
// The three lists of the main window as Qt item models: people, reminders and the coming
// holidays (bindings). Each model keeps one row per record of its observable list and
// follows the list's events; a sort-and-filter proxy gives the order, the sort state and
// the filters. Texts, icon letters and hover hints are worked out here.
#include "core/DateTime.h"
#include "core/NamedObjectList.h"

#include <QAbstractItemModel>
#include <QSortFilterProxyModel>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace orlinda {

class TIdentity;
class TReminder;
class THoliminder;

// The kind tag of a list's rows.
enum class TListKind { People = 0, Reminders = 2, Holidays = 3 };

// Column numbers.
namespace col {
inline constexpr int PersonName = 0, PersonBirthday = 1, PersonIcons = 2;
inline constexpr int ReminderText = 0, ReminderNext = 1, ReminderIcons = 2;
inline constexpr int HolidayTitle = 0, HolidayNames = 1, HolidayDate = 2, HolidayDays = 3, HolidayIcons = 4;
} // namespace col

int ColumnCount(TListKind kind);
int IconColumn(TListKind kind);
QString HeaderText(TListKind kind, int column);
bool IsSortableColumn(TListKind kind, int column);

// Width of one icon of an icon cell, and of the icon cell of each list.
inline constexpr int kIconWidth = 24;
int IconColumnWidth(TListKind kind);

// One icon of an icon cell: its image in the main image list and its letter.
struct TRowIcon {
    int image = -1;
    char16_t letter = u' ';
};
std::vector<TRowIcon> IdentityIcons(const TIdentity& person);
std::vector<TRowIcon> ReminderIcons(const TReminder& reminder);
std::vector<TRowIcon> BindingIcons(const THoliminder& binding);
std::vector<TRowIcon> RecordIcons(TListKind kind, const TNamedObject& record);
// The letters of the icons, left to right, padded with blanks to five characters.
QString IconLetters(const std::vector<TRowIcon>& icons);
// The hover hint of an icon letter in a list; empty for a blank or unknown letter. The
// reminder's weekday hint names its weekdays.
QString IconHint(TListKind kind, QChar letter, const TNamedObject* record);
// "Понедельник, Среда" for the digits "1".."7" in weekDays, Monday to Sunday.
QString WeekDayNames(const std::string& weekDays);

// Texts of the cells.
QString ShortDateText(TDateTime date);          // "05.03.2026"
QString LongTimeText(TDateTime moment);         // "9:05:00"
QString CellText(TListKind kind, int column, const TNamedObject& record, TDateTime now);
// The fields the type-ahead search looks in, lower-cased.
std::vector<QString> SearchFields(TListKind kind, const TNamedObject& record);

// The sort comparison of two records in the list's normal order (negative: a first):
// texts case-insensitively with empty ones last, dates as numbers with 0 last, holiday
// dates and day counts by whole days.
int CompareRecords(TListKind kind, int column, const TNamedObject& a, const TNamedObject& b);

// Filters of the reminder and holiday lists, in the order of their boxes.
namespace filter {
inline constexpr int RemindersAll = 0, RemindersToday = 1, RemindersWeek = 2, RemindersMonth = 3, RemindersActive = 4;
inline constexpr int RemindersDefault = RemindersAll;
inline constexpr int HolidaysToday = 0, HolidaysWeek = 1, HolidaysMonth = 2;
inline constexpr int HolidaysDefault = HolidaysMonth;
} // namespace filter
QStringList FilterItems(TListKind kind);
int DefaultFilter(TListKind kind);
bool PassesFilter(TListKind kind, int filterIndex, const TNamedObject& record, TDateTime now);

// The column widths that fit a list of the given width (icon column included in width).
std::vector<int> AutoFitWidths(TListKind kind, int listWidth);

// The model of one list. Rows are in the list's order; the proxy sorts and filters.
class TRecordListModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        RecordRole = Qt::UserRole + 1, // TNamedObject* of the row
        LettersRole,                   // the icon letters (QString of five characters)
        IconsRole,                     // QVariantList of the icons' image indexes
    };

    // Subscribes to the list. isLoading tells whether the list is being loaded (new rows
    // are then not selected).
    TRecordListModel(TNamedObjectList& list, TListKind kind, std::function<bool()> isLoading = {},
                     QObject* parent = nullptr);
    ~TRecordListModel() override;

    TListKind Kind() const { return kind_; }
    TNamedObject* Record(int row) const;
    // The row of a record, -1 when it has none.
    int RowOf(const TNamedObject* record) const;
    int Count() const { return static_cast<int>(rows_.size()); }

    // Rows added between BeginUpdate and EndUpdate arrive in one insertion at the end, so
    // that a bulk load paints once.
    void BeginUpdate();
    void EndUpdate();
    // From now on the list's events are ignored (the program is ending).
    void Detach();

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Repaints every row (the day changed, or the congratulate flow ended).
    void RefreshAll();

signals:
    // A record came into the list outside of a load: the window selects its row.
    void recordAdded(orlinda::TNamedObject* record);
    // After the list's Added (also while loading), Removed and Changed events.
    void listAdded(orlinda::TNamedObject* record);
    void listRemoved();
    void listChanged(orlinda::TNamedObject* record);

private:
    struct Link;
    TSubscriberResult OnEvent(TNamedObject* item, TNamedObjectEvent event);

    TListKind kind_;
    std::function<bool()> isLoading_;
    std::vector<TNamedObject*> rows_;
    std::vector<TNamedObject*> pending_;
    int updating_ = 0;
    std::shared_ptr<Link> link_;
};

// Sorts by the list's sort state and hides the rows that do not pass its filter.
class TRecordSortFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit TRecordSortFilter(TListKind kind, QObject* parent = nullptr);

    TListKind Kind() const { return kind_; }
    void SetFilter(int filterIndex);
    int Filter() const { return filter_; }
    // Looks at the filter again (the day changed).
    void Refilter();
    TNamedObject* Record(const QModelIndex& proxyIndex) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    TListKind kind_;
    int filter_;
};

} // namespace orlinda
