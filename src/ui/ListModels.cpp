#include "ui/ListModels.h"

#include "core/Clock.h"
#include "core/TextUtils.h"
#include "model/Holiminder.h"
#include "model/Identity.h"
#include "model/Reminder.h"
#include "ui/ImageIndex.h"

#include <QVariantList>

#include <algorithm>
#include <cmath>

namespace orlinda {

namespace {

QString Q(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

int WholeDay(TDateTime moment)
{
    return static_cast<int>(std::floor(moment));
}

// The icon hints of the lists, one place for all of them.
namespace hint {
const QString Female = QStringLiteral("Женщина");
const QString Male = QStringLiteral("Мужчина");
const QString Email = QStringLiteral("Отправлять поздравление по E-mail");
const QString VkMessage = QStringLiteral("Отправлять поздравительное сообщение Вконтакте");
const QString VkWall = QStringLiteral("Добавлять поздравления на стене Вконтакте");
const QString OkMessage = QStringLiteral("Отправлять поздравительное сообщение в Одноклассниках");
const QString OkForum = QStringLiteral("Добавлять поздравления в личном форуме в Одноклассниках");
const QString NoEmail = QStringLiteral("Не указан E-mail. Поздравления не будут отправляться");
const QString NoVk = QStringLiteral("Не указан адрес страницы Вконтакте. Поздравления не будут отправляться");
const QString NoOk = QStringLiteral("Не указано имя человека в Одноклассниках. Поздравления не будут отправляться");
const QString Disabled = QStringLiteral("Напоминание отключено");
const QString Once = QStringLiteral("Однократное напоминание");
const QString Daily = QStringLiteral("Ежедневное напоминание");
const QString WeekDays = QStringLiteral("Напоминать в следующие дни недели: %1");
const QString Monthly = QStringLiteral("Ежемесячное напоминание");
const QString Yearly = QStringLiteral("Ежегодное напоминание");
const QString Sound = QStringLiteral("Проиграть звук");
const QString SoundEndless = QStringLiteral("Проигрывать звук бесконечно");
const QString Russia = QStringLiteral("Отмечается в России");
const QString Ukraine = QStringLiteral("Отмечается на Украине");
const QString Private = QStringLiteral("Личный праздник");
const QString State = QStringLiteral("Государственный праздник");
const QString Professional = QStringLiteral("Профессиональный праздник");
} // namespace hint

int CompareText(const QString& a, const QString& b)
{
    // Empty texts go after all others.
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() == b.isEmpty() ? 0 : (a.isEmpty() ? 1 : -1);
    return QString::compare(a, b, Qt::CaseInsensitive);
}

int CompareDate(TDateTime a, TDateTime b)
{
    // No date (0) goes after all others.
    if (a == b)
        return 0;
    if (a == 0)
        return 1;
    if (b == 0)
        return -1;
    return a < b ? -1 : 1;
}

int CompareDays(TDateTime a, TDateTime b)
{
    const int da = WholeDay(a), db = WholeDay(b);
    return da == db ? 0 : (da < db ? -1 : 1);
}

QString ReminderLine(const TReminder& r)
{
    QString text = Q(r.FText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    return text;
}

QString DateOrEmpty(TDateTime date)
{
    return date == 0 ? QString() : ShortDateText(date);
}

} // namespace

// --- columns -------------------------------------------------------------------------------

int ColumnCount(TListKind kind)
{
    return kind == TListKind::Holidays ? 5 : 3;
}

int IconColumn(TListKind kind)
{
    return ColumnCount(kind) - 1;
}

QString HeaderText(TListKind kind, int column)
{
    switch (kind) {
    case TListKind::People:
        if (column == col::PersonName)
            return QStringLiteral("Имя ");
        if (column == col::PersonBirthday)
            return QStringLiteral("Дата Рождения");
        break;
    case TListKind::Reminders:
        if (column == col::ReminderText)
            return QStringLiteral("Текст напоминания ");
        if (column == col::ReminderNext)
            return QStringLiteral("Напомнить");
        break;
    case TListKind::Holidays:
        switch (column) {
        case col::HolidayTitle:
            return QStringLiteral("Название праздника");
        case col::HolidayNames:
            return QStringLiteral("Кого поздравляем");
        case col::HolidayDate:
            return QStringLiteral("Дата");
        case col::HolidayDays:
            return QStringLiteral("Дней");
        default:
            break;
        }
        break;
    }
    return {};
}

bool IsSortableColumn(TListKind kind, int column)
{
    return column >= 0 && column < IconColumn(kind);
}

int IconColumnWidth(TListKind kind)
{
    // People and reminders draw up to three icons, holidays up to five.
    return (kind == TListKind::Holidays ? 5 : 3) * kIconWidth + 4;
}

// --- icons and hints -----------------------------------------------------------------------

std::vector<TRowIcon> IdentityIcons(const TIdentity& person)
{
    std::vector<TRowIcon> icons;
    if (person.IsFemale())
        icons.push_back({img::Female, u'W'});
    else
        icons.push_back({img::Male, u'M'});
    switch (person.CongratType()) {
    case 0:
        icons.push_back({img::Email, u'E'});
        if (person.FEmail.empty())
            icons.push_back({img::Warning, u'e'});
        break;
    case 1:
        icons.push_back({img::VkMessage, u'V'});
        if (person.URLVkontakte().empty())
            icons.push_back({img::Warning, u'v'});
        break;
    case 2:
        icons.push_back({img::VkWall, u'w'});
        if (person.URLVkontakte().empty())
            icons.push_back({img::Warning, u'v'});
        break;
    case 3:
        icons.push_back({img::OkMessage, u'O'});
        if (person.URLOdnoklassniki().empty())
            icons.push_back({img::Warning, u'o'});
        break;
    case 4:
        icons.push_back({img::OkForum, u'F'});
        if (person.URLOdnoklassniki().empty())
            icons.push_back({img::Warning, u'o'});
        break;
    default:
        break;
    }
    return icons;
}

std::vector<TRowIcon> ReminderIcons(const TReminder& reminder)
{
    std::vector<TRowIcon> icons;
    if (!reminder.IsEnabled())
        icons.push_back({img::Warning, u'D'});
    if (!reminder.FSound.empty()) {
        static constexpr TRowIcon kinds[] = {{img::KindOnce, u'o'},
                                             {img::KindDaily, u'd'},
                                             {img::KindWeekdays, u'w'},
                                             {img::KindMonthly, u'm'},
                                             {img::KindYearly, u'y'}};
        if (reminder.FKind >= 0 && reminder.FKind < 5)
            icons.push_back(kinds[reminder.FKind]);
    }
    if (reminder.FSound.rfind("1", 0) == 0) {
        if (GetField(reminder.FSound, 1, '|') != "0")
            icons.push_back({img::Sound, u'S'});
        else
            icons.push_back({img::SoundEndless, u'R'});
    }
    return icons;
}

std::vector<TRowIcon> BindingIcons(const THoliminder& binding)
{
    std::vector<TRowIcon> icons;
    if (binding.FCountries.find("Rus") != std::string::npos)
        icons.push_back({img::CountryRussia, u'R'});
    if (binding.FCountries.find("Ukr") != std::string::npos)
        icons.push_back({img::CountryUkraine, u'U'});
    if (binding.FCategories == PrivateCategory)
        icons.push_back({img::CategoryPrivate, u'P'});
    if (binding.FCategories.find("State") != std::string::npos)
        icons.push_back({img::CategoryState, u's'});
    if (binding.FCategories.find("Prof") != std::string::npos)
        icons.push_back({img::CategoryProfessional, u'p'});
    return icons;
}

std::vector<TRowIcon> RecordIcons(TListKind kind, const TNamedObject& record)
{
    switch (kind) {
    case TListKind::People:
        if (auto* p = dynamic_cast<const TIdentity*>(&record))
            return IdentityIcons(*p);
        break;
    case TListKind::Reminders:
        if (auto* r = dynamic_cast<const TReminder*>(&record))
            return ReminderIcons(*r);
        break;
    case TListKind::Holidays:
        if (auto* b = dynamic_cast<const THoliminder*>(&record))
            return BindingIcons(*b);
        break;
    }
    return {};
}

QString IconLetters(const std::vector<TRowIcon>& icons)
{
    QString letters(5, QChar(u' '));
    for (size_t i = 0; i < icons.size() && i < 5; ++i)
        letters[static_cast<qsizetype>(i)] = QChar(icons[i].letter);
    return letters;
}

QString WeekDayNames(const std::string& weekDays)
{
    static const QString names[] = {QStringLiteral("Понедельник"), QStringLiteral("Вторник"), QStringLiteral("Среда"),
                                    QStringLiteral("Четверг"),     QStringLiteral("Пятница"), QStringLiteral("Суббота"),
                                    QStringLiteral("Воскресенье")};
    QStringList days;
    for (int d = 1; d <= 7; ++d) {
        if (weekDays.find(static_cast<char>('0' + d)) != std::string::npos)
            days << names[d - 1];
    }
    return days.join(QStringLiteral(", "));
}

QString IconHint(TListKind kind, QChar letter, const TNamedObject* record)
{
    const char16_t c = letter.unicode();
    switch (kind) {
    case TListKind::People:
        switch (c) {
        case u'W': return hint::Female;
        case u'M': return hint::Male;
        case u'E': return hint::Email;
        case u'V': return hint::VkMessage;
        case u'w': return hint::VkWall;
        case u'O': return hint::OkMessage;
        case u'F': return hint::OkForum;
        case u'e': return hint::NoEmail;
        case u'v': return hint::NoVk;
        case u'o': return hint::NoOk;
        default: break;
        }
        break;
    case TListKind::Reminders:
        switch (c) {
        case u'D': return hint::Disabled;
        case u'o': return hint::Once;
        case u'd': return hint::Daily;
        case u'w': {
            auto* r = dynamic_cast<const TReminder*>(record);
            return hint::WeekDays.arg(r ? WeekDayNames(r->FWeekDays) : QString());
        }
        case u'm': return hint::Monthly;
        case u'y': return hint::Yearly;
        case u'S': return hint::Sound;
        case u'R': return hint::SoundEndless;
        default: break;
        }
        break;
    case TListKind::Holidays:
        switch (c) {
        case u'R': return hint::Russia;
        case u'U': return hint::Ukraine;
        case u'P': return hint::Private;
        case u's': return hint::State;
        case u'p': return hint::Professional;
        default: break;
        }
        break;
    }
    return {};
}

// --- texts ---------------------------------------------------------------------------------

QString ShortDateText(TDateTime date)
{
    const CivilDate d = DecodeDate(date);
    return QStringLiteral("%1.%2.%3")
        .arg(d.day, 2, 10, QChar(u'0'))
        .arg(d.month, 2, 10, QChar(u'0'))
        .arg(d.year, 4, 10, QChar(u'0'));
}

QString LongTimeText(TDateTime moment)
{
    CivilTime t = DecodeTime(moment);
    return QStringLiteral("%1:%2:%3").arg(t.hour).arg(t.minute, 2, 10, QChar(u'0')).arg(t.second, 2, 10, QChar(u'0'));
}

QString CellText(TListKind kind, int column, const TNamedObject& record, TDateTime now)
{
    switch (kind) {
    case TListKind::People:
        if (auto* p = dynamic_cast<const TIdentity*>(&record)) {
            if (column == col::PersonName)
                return Q(p->FDisplayName);
            if (column == col::PersonBirthday)
                return DateOrEmpty(p->FBirthday);
        }
        break;
    case TListKind::Reminders:
        if (auto* r = dynamic_cast<const TReminder*>(&record)) {
            if (column == col::ReminderText)
                return ReminderLine(*r);
            if (column == col::ReminderNext) {
                if (r->FNext == 0)
                    return {};
                if (WholeDay(r->FNext) == WholeDay(now))
                    return LongTimeText(r->FNext);
                return ShortDateText(r->FNext) + u' ' + LongTimeText(r->FNext);
            }
        }
        break;
    case TListKind::Holidays:
        if (auto* b = dynamic_cast<const THoliminder*>(&record)) {
            switch (column) {
            case col::HolidayTitle:
                return Q(b->FTitle);
            case col::HolidayNames:
                return Q(b->FNames);
            case col::HolidayDate:
                return ShortDateText(b->FDate);
            case col::HolidayDays:
                return QString::number(WholeDay(b->FDate) - WholeDay(now));
            default:
                break;
            }
        }
        break;
    }
    return {};
}

std::vector<QString> SearchFields(TListKind kind, const TNamedObject& record)
{
    std::vector<QString> fields;
    switch (kind) {
    case TListKind::People:
        if (auto* p = dynamic_cast<const TIdentity*>(&record)) {
            fields.push_back(Q(p->FDisplayName).toLower());
            fields.push_back(DateOrEmpty(p->FBirthday));
            fields.push_back(DateOrEmpty(p->FMarriageDate));
        }
        break;
    case TListKind::Reminders:
        if (auto* r = dynamic_cast<const TReminder*>(&record)) {
            fields.push_back(Q(r->FText).toLower());
            fields.push_back(DateOrEmpty(r->FStart));
        }
        break;
    case TListKind::Holidays:
        if (auto* b = dynamic_cast<const THoliminder*>(&record)) {
            fields.push_back(Q(b->FTitle).toLower());
            fields.push_back(Q(b->FNames).toLower());
        }
        break;
    }
    return fields;
}

int CompareRecords(TListKind kind, int column, const TNamedObject& a, const TNamedObject& b)
{
    switch (kind) {
    case TListKind::People: {
        auto* pa = dynamic_cast<const TIdentity*>(&a);
        auto* pb = dynamic_cast<const TIdentity*>(&b);
        if (!pa || !pb)
            return 0;
        if (column == col::PersonName)
            return CompareText(Q(pa->FDisplayName), Q(pb->FDisplayName));
        if (column == col::PersonBirthday)
            return CompareDate(pa->FBirthday, pb->FBirthday);
        break;
    }
    case TListKind::Reminders: {
        auto* ra = dynamic_cast<const TReminder*>(&a);
        auto* rb = dynamic_cast<const TReminder*>(&b);
        if (!ra || !rb)
            return 0;
        if (column == col::ReminderText)
            return CompareText(ReminderLine(*ra), ReminderLine(*rb));
        if (column == col::ReminderNext)
            return CompareDate(ra->FNext, rb->FNext);
        break;
    }
    case TListKind::Holidays: {
        auto* ba = dynamic_cast<const THoliminder*>(&a);
        auto* bb = dynamic_cast<const THoliminder*>(&b);
        if (!ba || !bb)
            return 0;
        switch (column) {
        case col::HolidayTitle:
            return CompareText(Q(ba->FTitle), Q(bb->FTitle));
        case col::HolidayNames:
            return CompareText(Q(ba->FNames), Q(bb->FNames));
        case col::HolidayDate:
        case col::HolidayDays:
            return CompareDays(ba->FDate, bb->FDate);
        default:
            break;
        }
        break;
    }
    }
    return 0;
}

// --- filters -------------------------------------------------------------------------------

QStringList FilterItems(TListKind kind)
{
    if (kind == TListKind::Reminders)
        return {QStringLiteral("Все"), QStringLiteral("Сегодняшние"), QStringLiteral("На неделю вперед"),
                QStringLiteral("На месяц вперед"), QStringLiteral("Только активные")};
    if (kind == TListKind::Holidays)
        return {QStringLiteral("Сегодняшние"), QStringLiteral("На неделю вперед"), QStringLiteral("На месяц вперед")};
    return {};
}

int DefaultFilter(TListKind kind)
{
    if (kind == TListKind::Reminders)
        return filter::RemindersDefault;
    if (kind == TListKind::Holidays)
        return filter::HolidaysDefault;
    return 0;
}

bool PassesFilter(TListKind kind, int filterIndex, const TNamedObject& record, TDateTime now)
{
    const int today = WholeDay(now);
    if (kind == TListKind::Reminders) {
        auto* r = dynamic_cast<const TReminder*>(&record);
        if (!r)
            return true;
        // No due moment counts as a day long past.
        const bool none = r->FNext == 0;
        const int day = WholeDay(r->FNext);
        switch (filterIndex) {
        case filter::RemindersToday:
            return !none && day == today;
        case filter::RemindersWeek:
            return none || day < today + 7;
        case filter::RemindersMonth:
            return none || day < today + 31;
        case filter::RemindersActive:
            return r->IsEnabled() && !none;
        default:
            return true;
        }
    }
    if (kind == TListKind::Holidays) {
        auto* b = dynamic_cast<const THoliminder*>(&record);
        if (!b)
            return true;
        const int day = WholeDay(b->FDate);
        switch (filterIndex) {
        case filter::HolidaysToday:
            return day == today;
        case filter::HolidaysWeek:
            return day < today + 7;
        case filter::HolidaysMonth:
            return day < today + 31;
        default:
            return true;
        }
    }
    return true;
}

std::vector<int> AutoFitWidths(TListKind kind, int listWidth)
{
    const int w = listWidth - IconColumnWidth(kind);
    switch (kind) {
    case TListKind::People:
        return {w - 125, 100, IconColumnWidth(kind)};
    case TListKind::Reminders:
        return {w - 160, 135, IconColumnWidth(kind)};
    case TListKind::Holidays: {
        const int r = w - 165;
        if (r >= 240)
            return {r / 2, r / 2, 80, 60, IconColumnWidth(kind)};
        return {r / 2 + 16, r / 2 + 16, 80, 28, IconColumnWidth(kind)};
    }
    }
    return {};
}

// --- the model -----------------------------------------------------------------------------

// The subscriber's way back to the model: cleared when the model goes or detaches, so a
// list that outlives its model never calls into a dead one.
struct TRecordListModel::Link {
    TRecordListModel* model = nullptr;
};

TRecordListModel::TRecordListModel(TNamedObjectList& list, TListKind kind, std::function<bool()> isLoading,
                                   QObject* parent)
    : QAbstractItemModel(parent), kind_(kind), isLoading_(std::move(isLoading)), link_(std::make_shared<Link>())
{
    link_->model = this;
    rows_.reserve(static_cast<size_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i)
        rows_.push_back(list.Get(i));
    std::shared_ptr<Link> link = link_;
    list.Subscribe(link.get(), [link](void*, TNamedObject* item, TNamedObjectEvent event) {
        return link->model ? link->model->OnEvent(item, event) : TSubscriberResult::Continue;
    });
}

TRecordListModel::~TRecordListModel()
{
    link_->model = nullptr;
}

void TRecordListModel::Detach()
{
    link_->model = nullptr;
}

TNamedObject* TRecordListModel::Record(int row) const
{
    return row >= 0 && row < Count() ? rows_[static_cast<size_t>(row)] : nullptr;
}

int TRecordListModel::RowOf(const TNamedObject* record) const
{
    auto it = std::find(rows_.begin(), rows_.end(), record);
    return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

void TRecordListModel::BeginUpdate()
{
    ++updating_;
}

void TRecordListModel::EndUpdate()
{
    if (updating_ == 0 || --updating_ > 0 || pending_.empty())
        return;
    const int first = Count();
    beginInsertRows({}, first, first + static_cast<int>(pending_.size()) - 1);
    rows_.insert(rows_.end(), pending_.begin(), pending_.end());
    pending_.clear();
    endInsertRows();
}

TSubscriberResult TRecordListModel::OnEvent(TNamedObject* item, TNamedObjectEvent event)
{
    switch (event) {
    case TNamedObjectEvent::Added:
        if (!item)
            break;
        if (updating_ > 0) {
            pending_.push_back(item);
        } else {
            const int row = Count();
            beginInsertRows({}, row, row);
            rows_.push_back(item);
            endInsertRows();
            if (!(isLoading_ && isLoading_()))
                emit recordAdded(item);
        }
        emit listAdded(item);
        break;
    case TNamedObjectEvent::Removing: {
        auto p = std::find(pending_.begin(), pending_.end(), item);
        if (p != pending_.end()) {
            pending_.erase(p);
            break;
        }
        const int row = RowOf(item);
        if (row >= 0) {
            beginRemoveRows({}, row, row);
            rows_.erase(rows_.begin() + row);
            endRemoveRows();
        }
        break;
    }
    case TNamedObjectEvent::Removed:
        emit listRemoved();
        break;
    case TNamedObjectEvent::Changed: {
        const int row = RowOf(item);
        if (row >= 0)
            emit dataChanged(index(row, 0), index(row, ColumnCount(kind_) - 1));
        emit listChanged(item);
        break;
    }
    case TNamedObjectEvent::Clear:
        beginResetModel();
        rows_.clear();
        pending_.clear();
        endResetModel();
        break;
    default:
        break;
    }
    return TSubscriberResult::Continue;
}

void TRecordListModel::RefreshAll()
{
    if (Count() > 0)
        emit dataChanged(index(0, 0), index(Count() - 1, ColumnCount(kind_) - 1));
}

QModelIndex TRecordListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || row >= Count() || column < 0 || column >= ColumnCount(kind_))
        return {};
    return createIndex(row, column);
}

QModelIndex TRecordListModel::parent(const QModelIndex&) const
{
    return {};
}

int TRecordListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count();
}

int TRecordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount(kind_);
}

QVariant TRecordListModel::data(const QModelIndex& index, int role) const
{
    TNamedObject* record = index.isValid() ? Record(index.row()) : nullptr;
    if (!record)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == IconColumn(kind_))
            return {};
        return CellText(kind_, index.column(), *record, Now());
    case RecordRole:
        return QVariant::fromValue(static_cast<void*>(record));
    case LettersRole:
        return IconLetters(RecordIcons(kind_, *record));
    case IconsRole: {
        QVariantList images;
        for (const TRowIcon& icon : RecordIcons(kind_, *record))
            images << icon.image;
        return images;
    }
    case Qt::TextAlignmentRole:
        if (kind_ == TListKind::Holidays && index.column() == col::HolidayDays)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant TRecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return HeaderText(kind_, section);
}

Qt::ItemFlags TRecordListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

// --- the proxy -----------------------------------------------------------------------------

TRecordSortFilter::TRecordSortFilter(TListKind kind, QObject* parent)
    : QSortFilterProxyModel(parent), kind_(kind), filter_(DefaultFilter(kind))
{
    setDynamicSortFilter(true);
}

void TRecordSortFilter::SetFilter(int filterIndex)
{
    if (filterIndex == filter_)
        return;
    filter_ = filterIndex;
    invalidateRowsFilter();
}

void TRecordSortFilter::Refilter()
{
    invalidateRowsFilter();
}

TNamedObject* TRecordSortFilter::Record(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid())
        return nullptr;
    auto* model = qobject_cast<TRecordListModel*>(sourceModel());
    return model ? model->Record(mapToSource(proxyIndex).row()) : nullptr;
}

bool TRecordSortFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    auto* model = qobject_cast<TRecordListModel*>(sourceModel());
    TNamedObject* record = model ? model->Record(sourceRow) : nullptr;
    return !record || PassesFilter(kind_, filter_, *record, Now());
}

bool TRecordSortFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    auto* model = qobject_cast<TRecordListModel*>(sourceModel());
    if (!model)
        return false;
    TNamedObject* a = model->Record(left.row());
    TNamedObject* b = model->Record(right.row());
    if (!a || !b)
        return false;
    return CompareRecords(kind_, left.column(), *a, *b) < 0;
}

} // namespace orlinda
