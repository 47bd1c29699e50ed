// The kind "smtp" of dump and build: smtp.dat, the SMTP presets, and the delivered presets.
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <set>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace orlinda::test;
using Json = nlohmann::ordered_json;

namespace {

using Result = CliResult;

std::string SourcePresets()
{
    return std::string(ORLINDA_SOURCE_DIR) + "/data/smtp.json";
}

} // namespace

TEST(CliSmtp, BuildWritesSectionsAndDumpGivesTheSameJsonBack)
{
    TempDir dir;
    WriteFile(dir.File("in.json"), R"([
      {"name": "Яндекс", "options": {"SMTPHost": "smtp.yandex.ru", "SMTPPort": "465", "SMTPSSL": "TRUE"}},
      {"name": "Work", "options": {"SMTPHost": "mail.example.org", "SMTPUser": "50% off\r\nя"}},
      {"name": "Empty", "options": {}}
    ])");
    Result r = RunCli({"build", "--kind", "smtp", dir.File("in.json"), dir.File("smtp.dat")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFile(dir.File("smtp.dat")),
              "[\xDF\xED\xE4\xE5\xEA\xF1]\r\nSMTPHost=smtp.yandex.ru\r\nSMTPPort=465\r\nSMTPSSL=TRUE\r\n\r\n"
              "[Work]\r\nSMTPHost=mail.example.org\r\nSMTPUser=50%25 off%0D%0A%FF\r\n\r\n"
              "[Empty]\r\n\r\n");

    r = RunCli({"dump", "--kind", "smtp", dir.File("smtp.dat")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Json::parse(r.out), Json::parse(ReadFile(dir.File("in.json"))));

    // Numbers and Booleans are taken in the option text's own form.
    WriteFile(dir.File("typed.json"), R"([{"name": "x", "options": {"SMTPPort": 587, "SMTPSSL": false}}])");
    r = RunCli({"build", "--kind", "smtp", dir.File("typed.json"), dir.File("typed.dat")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFile(dir.File("typed.dat")), "[x]\r\nSMTPPort=587\r\nSMTPSSL=FALSE\r\n\r\n");
}

TEST(CliSmtp, BadPresetsAreRefusedAndLeaveNoFile)
{
    const char* bad[] = {
        R"({"name": "x"})",
        R"([{"options": {}}])",
        R"([{"name": "", "options": {}}])",
        R"([{"name": "a\nb", "options": {}}])",
        R"([{"name": "x", "options": {}}, {"name": "x", "options": {}}])",
        R"([{"name": "x", "extra": 1}])",
        R"([{"name": "x", "options": []}])",
        R"([{"name": "x", "options": {"SMTPHost": ""}}])",
        R"([{"name": "x", "options": {"A=B": "1"}}])",
        R"([{"name": "x", "options": {"SMTPPort": 1.5}}])",
        R"([{"name": "x", "options": {"SMTPHost": ["a"]}}])",
        R"([{"name": "日本", "options": {}}])",
    };
    TempDir dir;
    for (const char* json : bad) {
        WriteFile(dir.File("in.json"), json);
        Result r = RunCli({"build", "--kind", "smtp", dir.File("in.json"), dir.File("out.dat")});
        EXPECT_EQ(r.code, 1) << json;
        EXPECT_FALSE(r.err.empty()) << json;
        EXPECT_TRUE(ReadFile(dir.File("out.dat")).empty()) << json;
    }
}

TEST(CliSmtp, TheDeliveredPresetsNameHostPortAndSecurity)
{
    TempDir dir;
    Result r = RunCli({"build", "--kind", "smtp", SourcePresets(), dir.File("smtp.dat")});
    ASSERT_EQ(r.code, 0) << r.err;
    r = RunCli({"dump", "--kind", "smtp", dir.File("smtp.dat")});
    ASSERT_EQ(r.code, 0) << r.err;
    // The source is kept in the form dump prints.
    EXPECT_EQ(r.out, ReadFile(SourcePresets()));

    const Json presets = Json::parse(r.out);
    EXPECT_GE(presets.size(), 10u);
    const std::set<std::string> allowed = {"SMTPHost", "SMTPPort", "SMTPUser", "SMTPPass", "SMTPSSL"};
    std::set<std::string> hosts;
    for (const auto& p : presets) {
        const Json& o = p["options"];
        for (const auto& item : o.items())
            EXPECT_TRUE(allowed.count(item.key())) << p.dump();
        const std::string host = o.value("SMTPHost", "");
        const std::string port = o.value("SMTPPort", "");
        const std::string ssl = o.value("SMTPSSL", "");
        EXPECT_FALSE(host.empty()) << p.dump();
        hosts.insert(host);
        EXPECT_TRUE(port == "465" || port == "587" || port == "25") << p.dump();
        EXPECT_TRUE(ssl == "TRUE" || ssl == "FALSE") << p.dump();
        // Port 465 speaks TLS from the first byte.
        EXPECT_EQ(port == "465", ssl == "TRUE") << p.dump();
    }
    for (const char* host : {"smtp.yandex.ru", "smtp.mail.ru", "smtp.rambler.ru", "smtp.gmail.com", "smtp.ukr.net"})
        EXPECT_TRUE(hosts.count(host)) << host;
}
