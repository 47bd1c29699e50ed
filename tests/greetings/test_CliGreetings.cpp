// orlinda-cli send-mail, greetings and feedback against aiosmtpd and the stand-in service.
#include "core/Windows1251.h"
#include "greetings/support/Peers.h"
#include "support/RunCli.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <set>
#include <sys/wait.h>

using namespace orlinda;
using namespace orlinda::test;
using Json = nlohmann::json;

namespace {

using Result = CliResult;

// Runs the tool with an environment prefix (e.g. "ORLINDA_CA_FILE=x").
Result RunCli(const std::vector<std::string>& args, const std::string& environment)
{
    return orlinda::test::RunCli(args, CliOptions::WithEnvironment(environment));
}

} // namespace

TEST(CliSendMail, SendsOneGreetingAndTellsTheOutcome)
{
    SmtpServer::Options options;
    options.tls = true;
    options.users = {"me@example.com:pa55"};
    options.rejectRecipient = "nobody";
    SmtpServer server(options);
    const std::string ca = "ORLINDA_CA_FILE=" + ShellQuote(server.CA()->CAFile);
    const std::vector<std::string> common = {"send-mail", "--host", "localhost", "--port", server.PortText(), "--ssl",
                                             "--user", "me@example.com", "--pass", "pa55", "--from", "me@example.com",
                                             "--subject", "Привет"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = common;
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    };

    Result r = RunCli(with({"--to", "anna@example.org", "--text", "Строка 1\n.\nСтрока 3"}), ca);
    EXPECT_EQ(r.code, 0) << r.err << server.Log();
    EXPECT_EQ(r.out, "status: 2 (sent)\n");
    ASSERT_TRUE(server.WaitForMessages(1));
    const std::string content = server.Messages()[0].content;
    EXPECT_EQ(content.substr(content.find("\r\n\r\n") + 4), Utf16ToCp1251(u"Строка 1\r\n.\r\nСтрока 3\r\n"));

    r = RunCli(with({"--to", "nobody@example.org", "--text", "x"}), ca);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "status: 3 (failed)\nerror: [nobody@example.org] 550 - 5.1.1 <nobody@example.org>: Recipient "
                     "address rejected: User unknown\n");

    r = RunCli(with({"--to", "anna.example.org", "--text", "x"}), ca);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "status: 3 (failed)\nerror: [anna.example.org] Некорректно указан адрес получателя\n");

    // Without the test authority the server's certificate is not trusted.
    r = RunCli(with({"--to", "anna@example.org", "--text", "x"}));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("status: 3 (failed)\nerror: [anna@example.org] 20003 - "), std::string::npos) << r.out;

    r = RunCli({"send-mail", "--host", "h"});
    EXPECT_EQ(r.code, 2);
}

TEST(CliGreetings, ListsTheSuitableGreetingsFromTheServiceOfTheSetting)
{
    GreetingService service(4);
    TempDir data;
    std::filesystem::create_directories(data.File("Tarvell/Orlinda"));
    WriteFile(data.File("Tarvell/Orlinda/config.dat"), "ServiceURL=" + service.BaseUrl() + "\r\n");

    Result r = RunCli({"--data", data.Path(), "greetings", "--holiday", "5", "--sex", "1", "--style", "2", "--count", "3"},
                      "-u ORLINDA_SERVICE_URL");
    ASSERT_EQ(r.code, 0) << r.err;
    const Json list = Json::parse(r.out);
    ASSERT_EQ(list.size(), 3u);
    const Json corpus = Json::parse(ReadFile(SourceDir() + "/tests/servers/greetings_corpus.json"));
    for (const auto& g : list) {
        const auto entry = std::find_if(corpus.begin(), corpus.end(), [&](const Json& e) { return e["WishID"] == g["FWishID"]; });
        ASSERT_NE(entry, corpus.end());
        EXPECT_EQ((*entry)["FText"], g["FText"]);
        EXPECT_TRUE((*entry)["FHolidayUID"] == 5 || (*entry)["FHolidayUID"] == 0);
        EXPECT_TRUE((*entry)["FSex"] == 0 || (*entry)["FSex"] == 1);
        EXPECT_TRUE((*entry)["FStyle"] == 0 || (*entry)["FStyle"] == 2);
        EXPECT_EQ((*entry)["FTarget"], 0);
    }
    EXPECT_EQ(service.Bodies("greetings.php").at(0), "&Action=GetGreetings&Param2=5&Param3=0&Param4=0&Param5=1&Param6=2&Param8=1");

    service.SetMode("http500");
    r = RunCli({"--data", data.Path(), "greetings", "--holiday", "5"}, "-u ORLINDA_SERVICE_URL");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("did not answer"), std::string::npos);
}

TEST(CliFeedback, SendsAMessage)
{
    GreetingService service;
    TempDir data;
    Result r = RunCli({"--data", data.Path(), "feedback", "--text", "Всё работает", "--name", "Оля", "--email", "olya@example.org"},
                      "ORLINDA_SERVICE_URL=" + ShellQuote(service.BaseUrl()));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "sent\n");
    const Json c = Json::parse(service.Contacts().at(0));
    EXPECT_EQ(c["MessageText"], "Всё работает\r\n\r\n--\r\nОля");
    EXPECT_EQ(c["SenderEmail"], "olya@example.org");

    r = RunCli({"--data", data.Path(), "feedback", "--text", "x"},
               "ORLINDA_SERVICE_URL=http://127.0.0.1:" + std::to_string(FreePort()) + "/");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out.rfind("failed: Socket Error", 0), 0u) << r.out;
}
