#include "model/NotificationTexts.h"

namespace orlinda {

namespace {

std::u16string Number(long long n)
{
    std::u16string s;
    for (char c : std::to_string(n))
        s += static_cast<char16_t>(c);
    return s;
}

// Russian counting: 1, 21, 31 … take the first form, 2–4, 22–24 … the second, the rest
// and the teens 11–14 the third.
const char16_t* CountForm(long long n, const char16_t* one, const char16_t* few, const char16_t* many)
{
    long long lastTwo = n % 100;
    if (lastTwo >= 11 && lastTwo <= 14)
        return many;
    switch (n % 10) {
    case 1: return one;
    case 2:
    case 3:
    case 4: return few;
    default: return many;
    }
}

} // namespace

std::u16string HtmlText(const std::u16string& text)
{
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\r':
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += u"<br>";
            break;
        case u'\n': out += u"<br>"; break;
        default: out += c;
        }
    }
    return out;
}

std::u16string RelativeDayText(int days)
{
    switch (days) {
    case 0: return u"C" u"егодня"; // the first letter is a Latin C, as the program has always shown it
    case 1: return u"Завтра";
    case 2: return u"Послезавтра";
    case -1: return u"Вчера был";
    case -2: return u"Позавчера был";
    default: break;
    }
    long long distance = days < 0 ? -static_cast<long long>(days) : days;
    std::u16string count = Number(distance);
    std::u16string word = CountForm(distance, u"день", u"дня", u"дней");
    if (days > 0)
        return u"Через " + count + u" " + word;
    return count + u" " + word + u" назад был";
}

std::u16string PeopleCountText(int n)
{
    if (n <= 0)
        return {};
    return Number(n) + u" " + CountForm(n, u"человек", u"человека", u"человек");
}

std::u16string ReminderHtml(const std::u16string& text)
{
    return u"<font size=+1>" + HtmlText(text) + u"</font>";
}

std::u16string HolidayHtml(int daysAhead, const std::u16string& title, const std::u16string& names)
{
    return u"<font size=2><center>" + RelativeDayText(daysAhead) + u":</center></font><font size=3><center><b>" + HtmlText(title)
        + u"</b></center></font><br><font size=2><center>Не забудьте поздравить:</center><font><font size=2><center><b>"
        + HtmlText(names) + u"</b></center></font>";
}

} // namespace orlinda
