// orlinda-cli upcoming, due and next-alarm: the project's start-up load, its first scan and
// the reminders' next moments, driven from the command line.
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "support/XdgSandbox.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace orlinda::test;
using Json = nlohmann::ordered_json;

namespace {

using Result = CliResult;

std::set<std::string> FilesIn(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

class CliProject : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = root_.Path() + "/Tarvell/Orlinda";
        std::filesystem::create_directories(folder_);
        Build("users", Json::array({
            Json{{"FID", 1}, {"FName", "K1"}, {"FDisplayName", "Анна"}, {"FBirthday", 29285.0}, {"FHolidays", "3=+\r\n"}},
            Json{{"FID", 2}, {"FName", "K2"}, {"FDisplayName", "Борис"}, {"FBirthday", 33302.0}},
            Json{{"FID", 3}, {"FName", "K3"}, {"FDisplayName", "Вера"}, {"FHolidays", "3=+\r\n"}},
        }));
        Build("holidays", Json::array({
            Json{{"FID", 3}, {"FName", "3"}, {"FTitle", "Международный женский день"}, {"FRule", "8.3"},
                 {"FCategories", "State"}, {"FCountries", "Russian"}},
            Json{{"FID", 4}, {"FName", "4"}, {"FTitle", "Скрытый"}, {"FRule", "9.3"}, {"FHidden", 1}},
        }));
    }
    void Build(const std::string& kind, const Json& records)
    {
        const std::string file = kind == "users" ? "users.dat" : kind == "reminders" ? "reminders.dat" : "holidays.dat";
        WriteFile(root_.File("in.json"), records.dump());
        Result r = RunCli({"build", "--kind", kind, root_.File("in.json"), folder_ + "/" + file});
        ASSERT_EQ(r.code, 0) << r.err;
        std::filesystem::remove(root_.File("in.json"));
    }
    Result Run(const std::string& now, std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--data", root_.Path(), "--now", now});
        return RunCli(args);
    }

    XdgSandbox home_;
    TempDir root_;
    std::string folder_;
};

// 29285 is 5 March 1980, 33302 5 March 1991.
TEST_F(CliProject, UpcomingListsTheOccasionsAndWritesNothingWithoutSave)
{
    const auto before = FilesIn(folder_);
    Result r = Run("2026-03-02 10:00:00", {"upcoming"});
    ASSERT_EQ(r.code, 0) << r.err;
    Json list = Json::parse(r.out);
    ASSERT_EQ(list.size(), 2u) << r.out;
    EXPECT_EQ(list[0]["FName"], "1");
    EXPECT_EQ(list[0]["FTitle"], "День рождения");
    EXPECT_EQ(list[0]["FDate"], 46086.0); // 5 March 2026
    EXPECT_EQ(list[0]["FNotifyAt"], 46083.0);
    EXPECT_EQ(list[0]["FNames"], "Анна, Борис");
    EXPECT_EQ(list[0]["FCategories"], "Private");
    EXPECT_EQ(list[1]["FName"], "3");
    EXPECT_EQ(list[1]["FNames"], "Анна, Вера");
    EXPECT_EQ(list[1]["FCountries"], "Russian");
    EXPECT_EQ(FilesIn(folder_), before);

    r = Run("2026-03-02 10:00:00", {"upcoming", "--save"});
    ASSERT_EQ(r.code, 0) << r.err;
    Result dump = RunCli({"dump", "--kind", "bindings", folder_ + "/holidays.tmp"});
    ASSERT_EQ(dump.code, 0) << dump.err;
    EXPECT_EQ(Json::parse(dump.out), Json::parse(r.out));

    // A week later both days have passed and nothing new is near.
    r = Run("2026-03-09 10:00:00", {"upcoming"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Json::parse(r.out).size(), 0u);
}

TEST_F(CliProject, DueShowsTheFirstReminderThenTheOccasions)
{
    Result r = Run("2026-02-20 10:00:00", {"due"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "null\n");

    r = Run("2026-03-02 10:00:00", {"due"});
    ASSERT_EQ(r.code, 0) << r.err;
    Json due = Json::parse(r.out);
    EXPECT_EQ(due["kind"], "holiday");
    EXPECT_EQ(due["title"], "Напоминание о празднике");
    EXPECT_EQ(due["closeCode"], 7);
    EXPECT_EQ(due["buttons"], Json::parse(R"(["7|15|ОК", "9|26|Помощь...", "", "", ""])"));
    EXPECT_NE(due["html"].get<std::string>().find("Через 3 дня"), std::string::npos);
    EXPECT_EQ(due["hiddenMenuCodes"], Json::array());

    Build("reminders", Json::array({
        Json{{"FID", 1}, {"FName", "R1"}, {"FText", "Полить цветы"}, {"FStart", 46082.375}, {"FNext", 46083.375},
             {"FEnabled", 1}, {"FKind", 1}, {"FSound", "1|0|10|/usr/share/sounds/ring.wav"}},
    }));
    r = Run("2026-03-02 14:30:00", {"due"});
    ASSERT_EQ(r.code, 0) << r.err;
    due = Json::parse(r.out);
    EXPECT_EQ(due["kind"], "reminder");
    EXPECT_EQ(due["title"], "Напоминание");
    EXPECT_EQ(due["html"], "<font size=+1>Полить цветы</font>");
    EXPECT_EQ(due["closeCode"], 2);
    EXPECT_EQ(due["sound"], "1|0|10|/usr/share/sounds/ring.wav");
    EXPECT_EQ(due["menuButton"], "1|17|Напомнить позже...");
    EXPECT_EQ(due["buttons"][0], "2|15|ОК");
    EXPECT_EQ(due["buttons"][4], "6|26|Помощь...");
    EXPECT_EQ(due["hiddenMenuCodes"], Json::parse("[170, 200, 300, 500, 800]"));
}

TEST_F(CliProject, DamagedFilesAreReportedAndTheirGoodRecordsUsed)
{
    const std::string users = folder_ + "/users.dat";
    std::string bytes = ReadFile(users);
    WriteFile(users, bytes.substr(0, bytes.size() - 3));
    Result r = Run("2026-03-02 10:00:00", {"upcoming"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("users.dat"), std::string::npos) << r.err;
    Json list = Json::parse(r.out);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1]["FNames"], "Анна");
    EXPECT_FALSE(std::filesystem::exists(users + ".bad-2026-03-02"));
}

TEST_F(CliProject, NextAlarm)
{
    struct Case {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"--kind", "1", "--start", "2026-01-10 09:00:00"}, "2026-03-07 09:00:00\n"},
        {{"--kind", "2", "--start", "2026-01-01 07:30:00", "--weekdays", "67"}, "2026-03-07 07:30:00\n"},
        {{"--kind", "0", "--start", "2026-03-01 09:00:00"}, "0\n"},
        {{"--kind", "3", "--start", "2026-01-31 12:00:00"}, "2026-03-31 12:00:00\n"},
        {{"--kind", "0", "--start", "2026-03-01 09:00:00", "--code", "500"}, "2026-03-13 09:05:00\n"},
        {{"--kind", "0", "--start", "2026-03-01 09:00:00", "--code", "42"}, "0\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--now", "2026-03-06 09:05:00", "next-alarm"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Result r = RunCli(args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[1];
    }
    // The random spread of "Позже": between one and four hours.
    Result r = RunCli({"--now", "2026-03-06 09:05:00", "next-alarm", "--kind", "0", "--start", "2026-03-01 09:00:00",
                       "--code", "100"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_GE(r.out, "2026-03-06 10:05:00");
    EXPECT_LE(r.out, "2026-03-06 13:04:00\n");

    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--start", "2026-01-01 09:00:00"},
             {"--kind", "5", "--start", "2026-01-01 09:00:00"},
             {"--kind", "1"},
             {"--kind", "1", "--start", "tomorrow"},
             {"--kind", "2", "--start", "2026-01-01 09:00:00", "--weekdays", "8"},
             {"--kind", "1", "--start", "2026-01-01 09:00:00", "--code", "x"}}) {
        std::vector<std::string> args = {"next-alarm"};
        args.insert(args.end(), bad.begin(), bad.end());
        r = RunCli(args);
        EXPECT_EQ(r.code, 2) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

} // namespace
