// orlinda-cli holidays: the calendar with the day each rule gives in a year.
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "support/XdgSandbox.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace orlinda::test;
using Json = nlohmann::ordered_json;

namespace {

using Result = CliResult;

Json Holiday(int number, const std::string& title, const std::string& rule)
{
    return Json{{"FID", number}, {"FName", std::to_string(number)}, {"FTitle", title}, {"FRule", rule},
                {"FCategories", "Other"}, {"FCountries", "Russian"}, {"FOptions", "UID=" + std::to_string(number) + "\r\n"}};
}

// Builds a holidays.dat from records with the tool itself.
void BuildCalendar(const TempDir& dir, const Json& records, const std::string& out)
{
    WriteFile(dir.File("in.json"), records.dump());
    Result r = RunCli({"build", "--kind", "holidays", dir.File("in.json"), out});
    ASSERT_EQ(r.code, 0) << r.err;
}

class CliHolidays : public ::testing::Test {
protected:
    void SetUp() override
    {
        Json records = Json::array({Holiday(3, "Международный женский день", "8.3"),
                                    Holiday(4, "Троица", "Easter+49"),
                                    Holiday(5, "Пятый понедельник февраля", "5.1.2"),
                                    Holiday(6, "Испорченное правило", "abc"),
                                    Holiday(7, "Последнее воскресенье июля", "0.7.7")});
        file_ = dir_.File("holidays.dat");
        BuildCalendar(dir_, records, file_);
    }

    XdgSandbox home_;
    TempDir dir_;
    std::string file_;
};

} // namespace

TEST_F(CliHolidays, PrintsEveryHolidayInFileOrderWithItsDay)
{
    Result r = RunCli({"holidays", "--file", file_, "--year", "2026"});
    ASSERT_EQ(r.code, 0) << r.err;
    const Json expected = Json::parse(R"([
      {"FID": 3, "FTitle": "Международный женский день", "FRule": "8.3", "RuleDate": 46089, "date": "2026-03-08"},
      {"FID": 4, "FTitle": "Троица", "FRule": "Easter+49", "RuleDate": 46173, "date": "2026-05-31"},
      {"FID": 5, "FTitle": "Пятый понедельник февраля", "FRule": "5.1.2", "RuleDate": 0, "date": null},
      {"FID": 6, "FTitle": "Испорченное правило", "FRule": "abc", "RuleDate": -1, "date": null},
      {"FID": 7, "FTitle": "Последнее воскресенье июля", "FRule": "0.7.7", "RuleDate": 46229, "date": "2026-07-26"}
    ])");
    EXPECT_EQ(Json::parse(r.out), expected);
}

TEST_F(CliHolidays, TheYearComesFromTheOptionOrTheClock)
{
    Result r = RunCli({"--now", "2027-12-31 23:59:59", "holidays", "--file", file_});
    ASSERT_EQ(r.code, 0) << r.err;
    Json list = Json::parse(r.out);
    EXPECT_EQ(list[1]["date"], "2027-06-20");
    EXPECT_EQ(list[4]["date"], "2027-07-25");

    // Before the computed Easter years an Easter rule has no day.
    r = RunCli({"holidays", "--year", "1582", "--file", file_});
    ASSERT_EQ(r.code, 0) << r.err;
    list = Json::parse(r.out);
    EXPECT_EQ(list[1]["RuleDate"], -1);
    EXPECT_TRUE(list[1]["date"].is_null());
}

TEST_F(CliHolidays, BadArgumentsAreUsageErrors)
{
    for (const char* year : {"0", "10000", "-5", "2026x", ""}) {
        Result r = RunCli({"holidays", "--file", file_, "--year", year});
        EXPECT_EQ(r.code, 2) << year;
        EXPECT_NE(r.err.find("--year"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_EQ(RunCli({"holidays", "--file", file_, "extra"}).code, 2);
    EXPECT_EQ(RunCli({"holidays", "--file"}).code, 2);
}

TEST_F(CliHolidays, ABrokenFileKeepsTheHolidaysBeforeTheFault)
{
    std::string bytes = ReadFile(file_);
    WriteFile(dir_.File("cut.dat"), bytes.substr(0, bytes.size() - 10));
    Result r = RunCli({"holidays", "--file", dir_.File("cut.dat"), "--year", "2026"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(Json::parse(r.out).size(), 4u);
    EXPECT_NE(r.err.find("4 holidays read before it"), std::string::npos) << r.err;

    r = RunCli({"holidays", "--file", dir_.File("missing.dat"), "--year", "2026"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_FALSE(r.err.empty());
}

TEST_F(CliHolidays, WithoutAFileItReadsTheSharedFolder)
{
    TempDir root;
    const std::string shared = root.Path() + "/Tarvell/Orlinda";
    std::filesystem::create_directories(shared);
    std::filesystem::copy_file(file_, shared + "/holidays.dat");
    Result r = RunCli({"holidays", "--year", "2026", "--data", root.Path()});
    ASSERT_EQ(r.code, 0) << r.err;
    Json list = Json::parse(r.out);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0]["date"], "2026-03-08");
}

TEST(CliHolidaysCalendar, TheDeliveredCalendarBuildsAndListsEveryHoliday)
{
    XdgSandbox home;
    TempDir dir;
    const std::string source = std::string(ORLINDA_SOURCE_DIR) + "/data/holidays.json";
    Result r = RunCli({"build", "--kind", "holidays", source, dir.File("holidays.dat")});
    ASSERT_EQ(r.code, 0) << r.err;
    r = RunCli({"holidays", "--file", dir.File("holidays.dat"), "--year", "2026"});
    ASSERT_EQ(r.code, 0) << r.err;
    Json list = Json::parse(r.out);
    EXPECT_GE(list.size(), 80u);
    bool easter = false;
    for (const auto& h : list) {
        EXPECT_FALSE(h["date"].is_null()) << h.dump();
        if (h["FRule"] == "Easter")
            easter = h["date"] == "2026-04-12";
    }
    EXPECT_TRUE(easter);
}
