// orlinda-cli dump, build and options, run as the built program.
#include "model/Holiday.h"
#include "model/Holiminder.h"
#include "model/Identity.h"
#include "model/Reminder.h"

#include "core/TypedStream.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

using namespace orlinda;
using namespace orlinda::test;
using Json = nlohmann::ordered_json;

namespace {

using Result = CliResult;

std::string Saved(const std::vector<std::unique_ptr<TNamedObject>>& records)
{
    TBytesWriteStream stream;
    for (const auto& r : records)
        r->SaveToStream(stream);
    return stream.TakeBytes();
}

std::vector<std::string> Keys(const Json& object)
{
    std::vector<std::string> keys;
    for (const auto& item : object.items())
        keys.push_back(item.key());
    return keys;
}

struct KindCase {
    const char* kind;
    std::function<std::vector<std::unique_ptr<TNamedObject>>()> records;
    std::vector<std::string> keys;  // the keys of every record, in order
};

std::vector<KindCase> KindCases()
{
    return {
        {"users",
         [] {
             std::vector<std::unique_ptr<TNamedObject>> v;
             auto a = std::make_unique<TIdentity>();
             a->FID = 7;
             a->FName = "01AC0902B7";
             a->FDisplayName = u"Иван Петров 😀";  // a pair of surrogates survives
             a->FBirthday = 29221.0 + 0.1 + 0.2;
             a->FMarriageDate = -0.0;
             a->FMarriageCongrat = 1;
             a->FSpouse = "01AC0902B8";
             a->FHolidays = "3=+\r\n10=+\r\n";
             a->FEmail = "ivan@example.org";
             a->FReserved1 = "\x98\xC0\xFF\xA8";  // 0x98 has no letter in Windows-1251
             a->FReserved3 = std::string("a\0b", 3);
             a->FOptions = "CongratType=1\r\nURLOdnoklassniki=%C8%E2%E0%ED\r\n";
             v.push_back(std::move(a));
             auto b = std::make_unique<TIdentity>();
             b->FID = std::numeric_limits<int32_t>::min();
             b->FName = "\xCC\xE0\xF0\xE8\xFF";  // "Мария" in Windows-1251
             b->FDisplayName = u"Мария";
             b->FSex = SexFemale;
             b->FBirthday = std::numeric_limits<double>::quiet_NaN();
             b->FMarriageDate = 1e-300;
             v.push_back(std::move(b));
             return v;
         },
         {"FID", "FName", "FDisplayName", "FSex", "FBirthday", "FMarriageDate", "FMarriageCongrat", "FSpouse", "FHolidays",
          "FEmail", "FReserved1", "FReserved2", "FReserved3", "FReserved4", "FOptions"}},
        {"reminders",
         [] {
             std::vector<std::unique_ptr<TNamedObject>> v;
             auto r = std::make_unique<TReminder>();
             r->FID = 1;
             r->FName = "01AC0902B9";
             r->FText = u"Позвонить маме\r\nв 18:00";
             r->FStart = 46000.75;
             r->FNext = 46007.75;
             r->FEnabled = 1;
             r->FKind = ReminderWeekDays;
             r->FWeekDays = "135";
             r->FReservedInt = -5;
             r->FSound = "1|0|10|/home/\xC8\xE2\xE0\xED/ring.wav";
             r->FReserved2 = "\xB9";  // №
             v.push_back(std::move(r));
             return v;
         },
         {"FID", "FName", "FText", "FStart", "FNext", "FEnabled", "FKind", "FWeekDays", "FReservedInt", "FSound",
          "FReserved1", "FReserved2"}},
        {"holidays",
         [] {
             std::vector<std::unique_ptr<TNamedObject>> v;
             auto h = std::make_unique<THoliday>();
             h->FID = 12;
             h->FName = "12";
             h->FTitle = u"День учителя";
             h->FRule = "10.05";
             h->FDate = 46300.0;
             h->FCategories = "Professional";
             h->FSex = "Female";
             h->FCountries = "Russian,Ukrainian";
             h->FReservedText = u"ї";
             h->FOptions = "UID=77\r\n";
             v.push_back(std::move(h));
             auto e = std::make_unique<THoliday>();
             e->FID = 3;
             e->FName = "3";
             e->FHidden = 1;
             v.push_back(std::move(e));
             return v;
         },
         {"FID", "FName", "FTitle", "FRule", "FDate", "FCategories", "FHidden", "FSex", "FCountries", "FReservedText",
          "FOptions"}},
        {"bindings",
         [] {
             std::vector<std::unique_ptr<TNamedObject>> v;
             auto b = std::make_unique<THoliminder>();
             b->FID = 4;
             b->FName = BirthdayBindingName;
             b->FTitle = BirthdayTitle;
             b->FDate = 46000.0;
             b->FNotifyAt = 45997.0;
             b->FCategories = PrivateCategory;
             b->FRecipients = "01AC0902B7=%D0%98%D0%B2%D0%B0%D0%BD\r\n";
             b->FNames = u"Иван, Мария";
             v.push_back(std::move(b));
             return v;
         },
         {"FID", "FName", "FTitle", "FDate", "FNotifyAt", "FCountries", "FCategories", "FRecipients", "FNames", "FReserved1",
          "FReserved2"}},
    };
}

} // namespace

TEST(CliDumpBuild, DumpAndBuildReproduceEveryKindByteForByte)
{
    TempDir dir;
    for (const auto& c : KindCases()) {
        SCOPED_TRACE(c.kind);
        const auto records = c.records();
        const std::string bytes = Saved(records);
        WriteFile(dir.File("in.dat"), bytes);

        Result dump = RunCli({"dump", "--kind", c.kind, dir.File("in.dat")});
        ASSERT_EQ(dump.code, 0) << dump.err;
        EXPECT_EQ(dump.err, "");
        Json json = Json::parse(dump.out);
        ASSERT_TRUE(json.is_array());
        ASSERT_EQ(json.size(), records.size());
        for (const auto& record : json)
            EXPECT_EQ(Keys(record), c.keys);

        WriteFile(dir.File("in.json"), dump.out);
        Result build = RunCli({"build", "--kind", c.kind, dir.File("in.json"), dir.File("out.dat")});
        ASSERT_EQ(build.code, 0) << build.err;
        EXPECT_EQ(ReadFile(dir.File("out.dat")), bytes);
    }
}

TEST(CliDumpBuild, DumpShowsTextsAndNumbersAsJson)
{
    TempDir dir;
    WriteFile(dir.File("users.dat"), Saved(KindCases()[0].records()));
    Result dump = RunCli({"dump", "--kind", "users", dir.File("users.dat")});
    ASSERT_EQ(dump.code, 0) << dump.err;
    Json json = Json::parse(dump.out);
    EXPECT_EQ(json[0]["FID"], 7);
    EXPECT_TRUE(json[0]["FID"].is_number_integer());
    EXPECT_EQ(json[0]["FDisplayName"], "Иван Петров 😀");
    EXPECT_EQ(json[0]["FBirthday"].get<double>(), 29221.0 + 0.1 + 0.2);
    EXPECT_EQ(json[0]["FReserved1"], "\u0098АяЁ");
    EXPECT_EQ(json[0]["FReserved3"], std::string("a\0b", 3));
    EXPECT_EQ(json[1]["FName"], "Мария");
    EXPECT_EQ(json[1]["FBirthday"], "NaN");
    EXPECT_EQ(json[1]["FID"], std::numeric_limits<int32_t>::min());
}

TEST(CliDumpBuild, TruncatedFilePrintsTheRecordsBeforeAndFails)
{
    TempDir dir;
    std::vector<std::unique_ptr<TNamedObject>> records;
    for (int i = 0; i < 3; ++i) {
        auto r = std::make_unique<TReminder>();
        r->FID = i;
        r->FText = u"Напоминание";
        records.push_back(std::move(r));
    }
    const std::string bytes = Saved(records);
    WriteFile(dir.File("reminders.dat"), bytes.substr(0, bytes.size() - 3));

    Result dump = RunCli({"dump", "--kind", "reminders", dir.File("reminders.dat")});
    EXPECT_EQ(dump.code, 1);
    Json json = Json::parse(dump.out);
    ASSERT_EQ(json.size(), 2u);
    EXPECT_EQ(json[1]["FID"], 1);
    EXPECT_NE(dump.err.find("Error reading data from stream"), std::string::npos) << dump.err;

    // A value of the wrong type stops the reading the same way, with the reader's message.
    WriteFile(dir.File("users.dat"), bytes);
    dump = RunCli({"dump", "--kind", "users", dir.File("users.dat")});
    EXPECT_EQ(dump.code, 1);
    EXPECT_EQ(Json::parse(dump.out).size(), 0u);
    EXPECT_NE(dump.err.find("Error reading data from stream. Incorrect data type."), std::string::npos) << dump.err;

    // A missing file is a failure with no output.
    dump = RunCli({"dump", "--kind", "users", dir.File("missing.dat")});
    EXPECT_EQ(dump.code, 1);
    EXPECT_EQ(dump.out, "");
    EXPECT_NE(dump.err.find("missing.dat"), std::string::npos) << dump.err;
}

TEST(CliDumpBuild, MissingKeysTakeTheClearedValues)
{
    TempDir dir;
    WriteFile(dir.File("in.json"), R"([{}, {"FID": 3, "FDisplayName": "Анна"}])");
    Result build = RunCli({"build", "--kind", "users", dir.File("in.json"), dir.File("users.dat")});
    ASSERT_EQ(build.code, 0) << build.err;
    std::vector<std::unique_ptr<TNamedObject>> expected;
    expected.push_back(std::make_unique<TIdentity>());
    auto anna = std::make_unique<TIdentity>();
    anna->FID = 3;
    anna->FDisplayName = u"Анна";
    expected.push_back(std::move(anna));
    EXPECT_EQ(ReadFile(dir.File("users.dat")), Saved(expected));

    // An empty array makes an empty file; input may come from standard input.
    WriteFile(dir.File("empty.json"), "[]");
    build = RunCli({"build", "--kind", "holidays", "-", dir.File("holidays.dat")}, CliOptions::WithInput(dir.File("empty.json")));
    ASSERT_EQ(build.code, 0) << build.err;
    EXPECT_EQ(ReadFile(dir.File("holidays.dat")), "");
}

TEST(CliDumpBuild, BadInputIsAClearErrorAndLeavesTheOutputAlone)
{
    struct Case {
        const char* json;
        const char* message;
    } cases[] = {
        {R"([{"FID": 1}, {"FBirthday": "1990-01-01"}])", "record 1: key \"FBirthday\" must be a number"},
        {R"([{"FID": 1.5}])", "record 0: key \"FID\" must be an integer"},
        {R"([{"FID": 2147483648}])", "record 0: key \"FID\" must be an integer from -2147483648 to 2147483647"},
        {R"([{"FName": 5}])", "record 0: key \"FName\" must be a string"},
        {R"([{"FDisplayName": null}])", "record 0: key \"FDisplayName\" must be a string"},
        {R"([{"FSex": "女"}])", "record 0: key \"FSex\" holds a character that Windows-1251 cannot store (U+5973)"},
        {R"([{"FEmail": "😀"}])", "record 0: key \"FEmail\" holds a character that Windows-1251 cannot store"},
        {R"([{"FBirthdy": 1}])", "record 0: unknown key \"FBirthdy\""},
        {R"([[1]])", "record 0: must be a JSON object"},
        {R"({"FID": 1})", "the JSON must be an array of records"},
        {R"([{"FID": 1},])", "not valid JSON"},
    };
    TempDir dir;
    WriteFile(dir.File("users.dat"), "old bytes");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        WriteFile(dir.File("in.json"), c.json);
        Result build = RunCli({"build", "--kind", "users", dir.File("in.json"), dir.File("users.dat")});
        EXPECT_EQ(build.code, 1);
        EXPECT_NE(build.err.find(c.message), std::string::npos) << build.err;
        EXPECT_EQ(ReadFile(dir.File("users.dat")), "old bytes");
    }
}

TEST(CliDumpBuild, OptionsGetSetDelete)
{
    TempDir dir;
    const std::string file = dir.File("config.dat");

    Result r = RunCli({"options", "get", file, "Skin"});
    EXPECT_EQ(r.code, 1);  // a missing file cannot be read
    EXPECT_NE(r.err.find("config.dat"), std::string::npos) << r.err;

    // set creates the file; the value is stored escaped and read back byte for byte.
    const std::string value = "50% \xC0\xFF\r\nline=2";
    ASSERT_EQ(RunCli({"options", "set", file, "Sender", value}).code, 0);
    ASSERT_EQ(RunCli({"options", "set", file, "Skin", "Office"}).code, 0);
    EXPECT_EQ(ReadFile(file), "Sender=50%25 %C0%FF%0D%0Aline=2\r\nSkin=Office\r\n");
    r = RunCli({"options", "get", file, "sender"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, value);

    // A missing name prints nothing.
    r = RunCli({"options", "get", file, "Nothing"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");

    // Replacing keeps the line's place; an empty value deletes it; "--" lets a value start with "-".
    ASSERT_EQ(RunCli({"options", "set", file, "SENDER", "", "--now", "2026-12-09 10:00:00"}).code, 0);
    ASSERT_EQ(RunCli({"options", "set", file, "Skin", "--", "-dark"}).code, 0);
    EXPECT_EQ(ReadFile(file), "Skin=-dark\r\n");

    r = RunCli({"options", "set", file, "a=b", "x"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(ReadFile(file), "Skin=-dark\r\n");
}

TEST(CliDumpBuild, HelpAndUsageErrors)
{
    for (const char* command : {"dump", "build", "options"}) {
        SCOPED_TRACE(command);
        Result help = RunCli({command, "--help"});
        EXPECT_EQ(help.code, 0);
        EXPECT_EQ(help.out.rfind(std::string("Usage: orlinda-cli ") + command, 0), 0u) << help.out;
        EXPECT_NE(help.out.find("--now"), std::string::npos);
    }
    Result help = RunCli({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* command : {"dump", "build", "options"})
        EXPECT_NE(help.out.find(std::string("  ") + command + " "), std::string::npos) << help.out;
    EXPECT_NE(RunCli({"dump", "--help"}).out.find("bindings"), std::string::npos);

    struct Case {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command \"frobnicate\""},
        {{"dump", "x.dat"}, "missing --kind KIND"},
        {{"dump", "--kind", "pets", "x.dat"}, "unknown kind \"pets\""},
        {{"dump", "--kind", "users"}, "missing FILE"},
        {{"dump", "--kind", "users", "a", "b"}, "unexpected argument \"b\""},
        {{"dump", "--kind"}, "option --kind needs a value"},
        {{"dump", "--colour", "x"}, "unknown option --colour"},
        {{"build", "--kind", "users", "in.json"}, "missing OUT"},
        {{"options", "get", "config.dat"}, "missing NAME"},
        {{"options", "put", "config.dat", "a"}, "unknown action \"put\""},
        {{"--now", "2026-13-01", "dump", "--kind", "users", "x"}, "option --now needs a moment"},
        {{"dump", "--kind", "users", "x", "--data"}, "option --data needs a value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Result r = RunCli(c.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }

    // Global options may stand before or after the command.
    TempDir dir;
    WriteFile(dir.File("empty.dat"), "");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--now", "2026-12-09 10:00:00", "--data", dir.Path(), "dump", "--kind", "users", dir.File("empty.dat")},
             {"dump", "--kind=users", dir.File("empty.dat"), "--now=2026-12-09", "--data", dir.Path()}}) {
        Result r = RunCli(args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(Json::parse(r.out), Json::array());
    }
}
