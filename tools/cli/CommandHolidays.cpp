// orlinda-cli holidays [--file F] [--year Y]: the calendar's holidays with the day each
// rule gives in a year.
#include "Cli.h"
#include "FileKinds.h"

#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "core/FileStream.h"
#include "core/TypedStream.h"
#include "core/Unicode.h"
#include "model/DateRules.h"
#include "model/Holiday.h"
#include "model/Paths.h"

#include <cmath>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

namespace orlinda::cli {

namespace {

std::string Help()
{
    return "Usage: orlinda-cli holidays [--file FILE] [--year YEAR]\n\n"
           "Prints the holidays of FILE (holidays.dat) as a JSON array in file order, one object\n"
           "per holiday: FID, FTitle, FRule, RuleDate (the day number the rule gives in YEAR,\n"
           "-1 when it cannot be evaluated, 0 for an n-th weekday the month does not have)\n"
           "and date (\"YYYY-MM-DD\" when RuleDate is above 0, else null).\n\n"
           "  --file FILE   the calendar to read; by default the holidays.dat of the shared\n"
           "                folder, or the one delivered with the program while the shared\n"
           "                folder has none yet\n"
           "  --year YEAR   1 ... 9999; by default the current year\n\n"
           "When the file fails part way, the holidays read before the failure are printed,\n"
           "the reader's message goes to standard error and the exit code is 1.\n";
}

// The calendar the program itself reads: the shared folder's holidays.dat, or, before the
// program has first started and copied it there, the delivered one.
std::string DefaultHolidaysFile()
{
    const TAppPaths& paths = AppPaths();
    std::error_code ec;
    if (std::filesystem::exists(paths.HolidaysFile, ec) || paths.DataFolder.empty())
        return paths.HolidaysFile;
    const std::string delivered = paths.DataFolder + "holidays.dat";
    if (std::filesystem::exists(delivered, ec))
        return delivered;
    return paths.HolidaysFile;
}

std::optional<int> ParseYear(const std::string& text)
{
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    int year = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        year = year * 10 + (c - '0');
    }
    if (year < 1)
        return std::nullopt;
    return year;
}

Json DayJson(TDateTime day)
{
    if (std::isfinite(day) && day == std::floor(day))
        return static_cast<int64_t>(day);
    return day;
}

int Run(Context& context)
{
    ParsedArgs parsed = ParseArgs(context.args, {"--file", "--year"});
    ExpectPositional(parsed, 0, "no positional arguments");

    int year = DecodeDate(Now()).year;
    if (parsed.Has("--year")) {
        auto y = ParseYear(parsed.Get("--year"));
        if (!y)
            throw UsageError("--year needs a year from 1 to 9999, not \"" + parsed.Get("--year") + "\"");
        year = *y;
    }
    if (!context.dataDir.empty())
        SetDataRoot(context.dataDir);
    const std::string file = parsed.Has("--file") ? parsed.Get("--file") : DefaultHolidaysFile();
    if (file.empty())
        throw UsageError("--file needs a file name");

    TBytesReadStream stream(ReadWholeFile(file));
    Json out = Json::array();
    std::string error;
    try {
        while (stream.Position() < stream.Size()) {
            THoliday holiday;
            holiday.LoadFromStream(stream);
            const TDateTime day = RuleDate(holiday.FRule, year);
            Json item = Json::object();
            item["FID"] = holiday.FID;
            item["FTitle"] = Utf16ToUtf8(holiday.FTitle);
            item["FRule"] = Cp1251ToUtf8(holiday.FRule);
            item["RuleDate"] = DayJson(day);
            if (day > 0)
                item["date"] = FormatIsoDateTime(day).substr(0, 10);
            else
                item["date"] = nullptr;
            out.push_back(std::move(item));
        }
    } catch (const Error& e) {
        error = e.what();
    }
    WriteOut(out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    if (!error.empty()) {
        std::cerr << "orlinda-cli: " << file << ": " << error << " (" << out.size()
                  << (out.size() == 1 ? " holiday" : " holidays") << " read before it)\n";
        return ExitFailure;
    }
    return ExitOk;
}

const CommandRegistrar registrar({"holidays", "list the calendar's holidays with their dates in a year", &Help, &Run});

} // namespace

} // namespace orlinda::cli
