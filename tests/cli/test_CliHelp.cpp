// The kind "help" of dump and build: help.dat from its sources, back to JSON and again, and
// the help delivered with the program (data/help): the pages it must have and its links.
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <regex>
#include <set>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace orlinda::test;
using Json = nlohmann::ordered_json;

namespace {

using Result = CliResult;

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace

TEST(CliHelp, BuildFromFilesDumpAndBuildAgain)
{
    TempDir dir;
    WriteFile(dir.File("page.htm"), "<p>Справка {{Version}}</p>\r\n");
    WriteFile(dir.File("dot.png"), std::string("\x89PNG\r\n\x1a\n\0\0", 10));
    WriteFile(dir.File("in.json"), R"([
      {"PageName": "index.htm", "Title": "Оглавление", "TreePath": "start", "file": ")" + dir.File("page.htm") + R"("},
      {"ID": 40, "Name": "inline", "PageName": "inline.htm", "Title": "Строкой", "TreePath": "start/inline", "Kind": 2,
       "text": "<b>inline</b>"},
      {"PageName": "img/dot.png", "file": ")" + dir.File("dot.png") + R"("}
    ])");
    const Result built = RunCli({"build", "--kind", "help", dir.File("in.json"), dir.File("help.dat")});
    ASSERT_EQ(built.code, 0) << built.err;
    const std::string bytes = ReadFile(dir.File("help.dat"));
    EXPECT_EQ(bytes.substr(0, 8), "ORLHELP1");

    const Result dumped = RunCli({"dump", "--kind", "help", dir.File("help.dat")});
    ASSERT_EQ(dumped.code, 0) << dumped.err;
    const Json json = Json::parse(dumped.out);
    ASSERT_EQ(json.size(), 3u);
    EXPECT_EQ(json[0]["ID"], 1);  // the position when not given
    EXPECT_EQ(json[0]["Name"], "index.htm");
    EXPECT_EQ(json[0]["Title"], "Оглавление");
    EXPECT_EQ(json[0]["text"], "<p>Справка {{Version}}</p>\r\n");
    EXPECT_EQ(json[1]["ID"], 40);
    EXPECT_EQ(json[1]["Kind"], 2);
    EXPECT_EQ(json[1]["TreePath"], "start/inline");
    EXPECT_FALSE(json[2].contains("text"));  // not text: Base64
    EXPECT_TRUE(json[2].contains("base64"));

    WriteFile(dir.File("dumped.json"), dumped.out);
    ASSERT_EQ(RunCli({"build", "--kind", "help", dir.File("dumped.json"), dir.File("again.dat")}).code, 0);
    EXPECT_EQ(ReadFile(dir.File("again.dat")), bytes);
}

TEST(CliHelp, BadSourcesAreRefusedAndLeaveTheOutputAlone)
{
    TempDir dir;
    WriteFile(dir.File("out.dat"), "old");
    const struct {
        const char* json;
        const char* message;
    } cases[] = {
        {R"({"PageName": "a.htm"})", "must be a JSON array"},
        {R"([{"PageName": "a.htm", "Colour": 1}])", "unknown key \"Colour\""},
        {R"([{"PageName": "a.htm", "text": "x", "base64": "eA=="}])", "only one of"},
        {R"([{"PageName": "a.htm"}, {"PageName": "A.htm"}])", "a second topic with that page name"},
        {R"([{"PageName": "a.htm", "file": "/nonexistent/a.htm"}])", "topic 0 \"a.htm\""},
        {R"([{"PageName": "a.htm", "ID": "one"}])", "key \"ID\" must be a whole number"},
        {R"([{"PageName": "a.htm", "TreePath": "日本"}])", "cannot be written in Windows-1251"},
    };
    for (const auto& c : cases) {
        WriteFile(dir.File("in.json"), c.json);
        const Result r = RunCli({"build", "--kind", "help", dir.File("in.json"), dir.File("out.dat")});
        EXPECT_EQ(r.code, 1) << c.json;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.json << "\n" << r.err;
        EXPECT_EQ(ReadFile(dir.File("out.dat")), "old");
    }
}

TEST(CliHelp, TheDeliveredHelpHasItsPagesAndNoBrokenLinks)
{
    TempDir dir;
    const std::string sources = std::string(ORLINDA_SOURCE_DIR) + "/data/help";
    const Result built = RunCli({"build", "--kind", "help", "contents.json", dir.File("help.dat")}, CliOptions::InFolder(sources));
    ASSERT_EQ(built.code, 0) << built.err;
    const Result dumped = RunCli({"dump", "--kind", "help", dir.File("help.dat")});
    ASSERT_EQ(dumped.code, 0) << dumped.err;
    const Json topics = Json::parse(dumped.out);

    std::set<std::string> pages, paths;
    for (const auto& t : topics) {
        const std::string page = t["PageName"];
        EXPECT_EQ(page, Lower(page)) << "links are compared in lower case";
        pages.insert(page);
        paths.insert(t["TreePath"].get<std::string>());
    }
    // The pages the program opens by name, and a topic for every window and task.
    for (const char* page : {"dlg_notify.htm", "dlg_notifyh.htm", "docontact.htm", "index.htm", "people.htm",
                             "reminders.htm", "holidays.htm", "greetings.htm", "settings.htm", "updates.htm"})
        EXPECT_TRUE(pages.count(page)) << page;

    const std::regex link(R"re((?:href|src)="([^"]*)")re");
    for (const auto& t : topics) {
        const std::string path = t["TreePath"];
        if (const size_t slash = path.rfind('/'); slash != std::string::npos) {
            EXPECT_TRUE(paths.count(path.substr(0, slash))) << path << ": no parent topic";
        }
        if (!path.empty()) {
            EXPECT_FALSE(t["Title"].get<std::string>().empty()) << path;
        }
        if (!t.contains("text"))
            continue;
        const std::string text = t["text"];
        for (auto it = std::sregex_iterator(text.begin(), text.end(), link); it != std::sregex_iterator(); ++it) {
            const std::string target = (*it)[1];
            if (target.rfind("http", 0) == 0 || target.rfind("#", 0) == 0)
                continue;
            EXPECT_TRUE(pages.count(target.substr(0, target.find('#'))))
                << t["PageName"].get<std::string>() << " links to " << target;
        }
    }
}
