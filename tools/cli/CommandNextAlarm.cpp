// orlinda-cli next-alarm: a reminder's next due moment for an answer code.
#include "Cli.h"

#include "core/DateTime.h"
#include "model/NextAlarm.h"
#include "model/Reminder.h"

namespace orlinda::cli {

namespace {

std::string Help()
{
    return "Usage: orlinda-cli next-alarm --kind KIND --start \"YYYY-MM-DD hh:mm:ss\"\n"
           "                              [--weekdays DIGITS] [--code CODE]\n\n"
           "Prints the moment a reminder is next due, from now (see --now), as\n"
           "YYYY-MM-DD hh:mm:ss, or 0 when nothing is due.\n\n"
           "  --kind KIND       0 once, 1 daily, 2 on chosen weekdays, 3 monthly, 4 yearly\n"
           "  --start MOMENT    the reminder's first moment; its time of day is the time of\n"
           "                    every occurrence\n"
           "  --weekdays DIGITS the weekdays of kind 2, 1 (Monday) ... 7 (Sunday), e.g. 135\n"
           "  --code CODE       -1 (default): the regular next occurrence (the answer \"ОК\");\n"
           "                    a snooze menu code: 100 later (1 to 4 hours), 110, 130, 160 in\n"
           "                    10, 30, 60 minutes, 170 after lunch, 180 in the evening,\n"
           "                    200/220 tomorrow at this time, 240, 260, 280 tomorrow morning,\n"
           "                    after lunch, evening, 300 ... 380 the same the day after\n"
           "                    tomorrow, 500 in a week, 800 in a month. The spread-out choices\n"
           "                    add a random 0 ... 179 minutes; the drawn moment is printed.\n"
           "                    Any other code gives 0.\n";
}

bool ParseInt(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 10)
        return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
    }
    if (v > 2147483647LL)
        return false;
    value = static_cast<int>(text[0] == '-' ? -v : v);
    return true;
}

int Run(Context& context)
{
    ParsedArgs parsed = ParseArgs(context.args, {"--kind", "--start", "--weekdays", "--code"});
    ExpectPositional(parsed, 0, "no positional arguments");

    TReminder reminder;
    if (!parsed.Has("--kind"))
        throw UsageError("missing --kind KIND");
    if (!ParseInt(parsed.Get("--kind"), reminder.FKind) || reminder.FKind < ReminderOnce || reminder.FKind > ReminderYearly)
        throw UsageError("--kind needs 0 (once), 1 (daily), 2 (weekdays), 3 (monthly) or 4 (yearly), not \""
                         + parsed.Get("--kind") + "\"");
    if (!parsed.Has("--start"))
        throw UsageError("missing --start \"YYYY-MM-DD hh:mm:ss\"");
    if (!ParseIsoDateTime(parsed.Get("--start"), reminder.FStart))
        throw UsageError("--start needs a moment written \"YYYY-MM-DD hh:mm:ss\", not \"" + parsed.Get("--start") + "\"");
    reminder.FNext = reminder.FStart;
    if (parsed.Has("--weekdays")) {
        reminder.FWeekDays = parsed.Get("--weekdays");
        for (char c : reminder.FWeekDays)
            if (c < '1' || c > '7')
                throw UsageError("--weekdays needs digits 1 (Monday) to 7 (Sunday), not \"" + reminder.FWeekDays + "\"");
    }
    int code = -1;
    if (parsed.Has("--code") && !ParseInt(parsed.Get("--code"), code))
        throw UsageError("--code needs a whole number, not \"" + parsed.Get("--code") + "\"");

    const TDateTime next = NextAlarm(reminder, code);
    WriteOut((next == 0 ? std::string("0") : FormatIsoDateTime(next)) + "\n");
    return ExitOk;
}

const CommandRegistrar registrar({"next-alarm", "compute a reminder's next due moment", &Help, &Run});

} // namespace

} // namespace orlinda::cli
