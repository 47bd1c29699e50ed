#pragma once
#include <string>

namespace orlinda {

// The Russian texts of reminder and holiday notifications, in one place.
namespace notify {

inline constexpr char16_t kReminderTitle[] = u"Напоминание";
inline constexpr char16_t kHolidayTitle[] = u"Напоминание о празднике";

// Button specs: action code, image index and hint joined by "|".
inline constexpr char16_t kReminderOk[] = u"2|15|ОК";
inline constexpr char16_t kReminderDisable[] = u"4|24|Отключить";
inline constexpr char16_t kReminderEdit[] = u"3|14|Редактировать...";
inline constexpr char16_t kReminderDelete[] = u"5|16|Удалить...";
inline constexpr char16_t kReminderHelp[] = u"6|26|Помощь...";
inline constexpr char16_t kReminderSnooze[] = u"1|17|Напомнить позже...";
inline constexpr char16_t kHolidayOk[] = u"7|15|ОК";
inline constexpr char16_t kHolidayCongratulate[] = u"8|27|Поздравить...";
inline constexpr char16_t kHolidayHelp[] = u"9|26|Помощь...";

inline constexpr int kReminderCloseCode = 2;
inline constexpr int kHolidayCloseCode = 7;

inline constexpr char kReminderHelpPage[] = "dlg_notify.htm";
inline constexpr char kHolidayHelpPage[] = "dlg_notifyh.htm";
inline constexpr char16_t kConfirmDeleteReminder[] = u"Вы уверенны, что хотите удалить это напоминание?";

} // namespace notify

// The distance of a day from today: "Cегодня", "Завтра", "Через 5 дней", "3 дня назад был".
std::u16string RelativeDayText(int days);
// "1 человек", "3 человека", "12 человек"; empty for n <= 0.
std::u16string PeopleCountText(int n);
// A plain text made safe inside HTML: markup characters become entities, line breaks <br>.
std::u16string HtmlText(const std::u16string& text);
// Body of a reminder notification.
std::u16string ReminderHtml(const std::u16string& text);
// Body of a holiday notification: how far the day is, the title and the people to greet.
std::u16string HolidayHtml(int daysAhead, const std::u16string& title, const std::u16string& names);

} // namespace orlinda
