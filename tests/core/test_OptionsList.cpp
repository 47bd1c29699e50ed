#include "core/OptionsList.h"

#include "core/Error.h"
#include "core/ExpandTemplate.h"
#include "core/MemoryStream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>

using namespace orlinda;
using orlinda::test::TempDir;

namespace {
TOptionsList FromText(const std::string& text)
{
    TOptionsList list;
    list.SetText(text);
    return list;
}
} // namespace

TEST(OptionsList, LookupIsCaseInsensitiveAndFindsTheLastDuplicate)
{
    TOptionsList list = FromText("a=1\r\na=2\r\nSkin=x\r\n\xE8\xEC\xFF=cyr\r\n\xB8=yo\r\nnoequals\r\n");
    EXPECT_EQ(list.GetValue("a"), "2");
    EXPECT_EQ(list.GetValue("A"), "2");
    EXPECT_EQ(list.GetValue("skin"), "x");
    EXPECT_EQ(list.GetValue("SKIN"), "x");
    EXPECT_EQ(list.GetValue("\xC8\xCC\xDF"), "cyr"); // ИМЯ finds имя
    EXPECT_EQ(list.GetValue("\xA8"), "yo");          // Ё finds ё
    EXPECT_EQ(list.GetValue("noequals"), "");
    EXPECT_EQ(list.GetValue("missing"), "");

    list.SetValue("a", "3");
    EXPECT_EQ(list.Text(), "a=1\r\na=3\r\nSkin=x\r\n\xE8\xEC\xFF=cyr\r\n\xB8=yo\r\nnoequals\r\n");
    EXPECT_EQ(list.GetValue("a"), "3");
}

TEST(OptionsList, EmptyValueDeletesTheLine)
{
    TOptionsList list = FromText("b=1\r\n");
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    list.SetValue("A", "");
    EXPECT_EQ(list.Text(), "b=1\r\n");
    EXPECT_EQ(changes, 0);
    list.SetValue("A", "x");
    list.SetValue("a", "");
    EXPECT_EQ(list.Text(), "b=1\r\n");
    EXPECT_EQ(changes, 2);
}

TEST(OptionsList, ValuesAreStoredEscapedOnOneLine)
{
    TOptionsList list;
    list.SetValue("eq", "a=b");
    list.SetValue("multi", "line1\r\nline2 50%");
    list.SetValue("odd", "\x01middle%");
    EXPECT_EQ(list.Text(), "eq=a=b\r\nmulti=line1%0D%0Aline2 50%25\r\nodd=%01middle%25\r\n");
    TOptionsList back = FromText(list.Text());
    EXPECT_EQ(back.GetValue("eq"), "a=b");
    EXPECT_EQ(back.GetValue("multi"), "line1\r\nline2 50%");
    EXPECT_EQ(back.GetValue("odd"), "\x01middle%");
    EXPECT_EQ(back.Name(0), "eq");
    EXPECT_EQ(back.Value(1), "line1%0D%0Aline2 50%25");

    EXPECT_EQ(FromText("v=%\r\n").GetValue("v"), "");
}

TEST(OptionsList, BooleansAndIntegers)
{
    TOptionsList list = FromText("t=TRUE\r\nl=true\r\none=1\r\nn=-42\r\np=+7\r\nbad=12x\r\nbig=99999999999\r\nsp= 5\r\npm=+-5\r\n");
    EXPECT_TRUE(list.GetBool("t"));
    EXPECT_FALSE(list.GetBool("l"));
    EXPECT_FALSE(list.GetBool("one"));
    EXPECT_FALSE(list.GetBool("missing"));
    list.SetBool("f", false);
    EXPECT_EQ(list.Line(list.Count() - 1), "f=FALSE");

    EXPECT_EQ(list.GetInt("n", 0), -42);
    EXPECT_EQ(list.GetInt("p", 0), 7);
    for (const char* name : {"bad", "big", "sp", "pm", "missing", "t"})
        EXPECT_EQ(list.GetInt(name, 5), 5) << name;
    list.SetInt("i", -3);
    EXPECT_EQ(list.GetInt("i", 0), -3);
}

TEST(OptionsList, TextSplitsAtEveryKindOfLineBreak)
{
    struct Case { std::string text; std::vector<std::string> lines; };
    const Case cases[] = {
        {"", {}},
        {"a=1", {"a=1"}},
        {"a=1\r\nb=2\r\n", {"a=1", "b=2"}},
        {"a=1\rb=2\nc=3", {"a=1", "b=2", "c=3"}},
        {"a=1\n\nb=2\r\n\r\n", {"a=1", "", "b=2", ""}},
        {"\r\n", {""}},
        {std::string("a=\0b\r\n", 6), {std::string("a=\0b", 4)}},
    };
    for (const auto& c : cases) {
        TOptionsList list = FromText(c.text);
        ASSERT_EQ(list.Count(), static_cast<int>(c.lines.size())) << c.text;
        for (int i = 0; i < list.Count(); ++i)
            EXPECT_EQ(list.Line(i), c.lines[static_cast<size_t>(i)]);
    }
}

TEST(OptionsList, IndexFollowsEveryChange)
{
    TOptionsList list;
    for (int i = 0; i < 100; ++i)
        list.SetValue("k" + std::to_string(i), std::to_string(i));
    EXPECT_EQ(list.GetValue("K50"), "50");
    list.Delete(0);
    EXPECT_EQ(list.IndexOfName("k50"), 49);
    list.Add("k50=again");
    EXPECT_EQ(list.GetValue("k50"), "again");
    list.SetLine(list.Count() - 1, "other=x");
    EXPECT_EQ(list.GetValue("k50"), "50");
    EXPECT_EQ(list.GetValue("other"), "x");
    list.Delete(-1);
    list.Delete(list.Count());
    EXPECT_EQ(list.Line(list.Count()), "");
    list.Clear();
    EXPECT_EQ(list.GetValue("other"), "");
    EXPECT_EQ(list.Count(), 0);
}

TEST(OptionsList, ChangeEventAfterEveryChange)
{
    TOptionsList list;
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    list.Add("a=1");          // 1
    list.SetValue("a", "2");  // 2
    list.SetValue("b", "3");  // 3
    list.Delete(0);           // 4
    list.SetText("x=1\r\n");  // 5
    list.Clear();             // 6
    list.Clear();             // nothing to clear
    TOptionsList other = FromText("y=2\r\n");
    list.Assign(other);       // 7
    EXPECT_EQ(changes, 7);
    EXPECT_EQ(list.GetValue("y"), "2");
}

TEST(OptionsList, AssignAndCopiesTakeTheSectionNameButNotTheEvent)
{
    TOptionsList source = FromText("a=1\r\n");
    source.FSectionName = "smtp1";
    source.FSectionIndex = 3;
    int changes = 0;
    source.OnChange = [&] { ++changes; };

    TOptionsList copy(source);
    EXPECT_EQ(copy.FSectionName, "smtp1");
    EXPECT_EQ(copy.FSectionIndex, 3);
    EXPECT_EQ(copy.GetValue("a"), "1");
    copy.SetValue("a", "2");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(source.GetValue("a"), "1");
}

TEST(OptionsList, DefaultSectionNamesFollowTheCounter)
{
    // "<random>6-<counter>2": the counter moves on by one for every new list.
    auto counterOf = [](const std::string& name) {
        auto dash = name.find("6-");
        EXPECT_NE(dash, std::string::npos) << name;
        EXPECT_EQ(name.back(), '2') << name;
        return std::stoi(name.substr(dash + 2, name.size() - dash - 3));
    };
    std::set<int> seen;
    int previous = counterOf(TOptionsList().FSectionName);
    for (int i = 0; i < 150; ++i) {
        int counter = counterOf(TOptionsList().FSectionName);
        EXPECT_EQ(counter, (previous + 1) % 100);
        seen.insert(counter);
        previous = counter;
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(OptionsList, FilesHoldTheText)
{
    TempDir dir;
    const std::string file = dir.File("config.dat");
    TOptionsList list;
    list.SetValue("Close To Tray", "TRUE");
    list.SetValue("SMTPHost", "smtp.example.org");
    list.SaveToFile(file);
    EXPECT_EQ(orlinda::test::ReadFile(file), "Close To Tray=TRUE\r\nSMTPHost=smtp.example.org\r\n");

    TOptionsList back;
    back.LoadFromFile(file);
    EXPECT_EQ(back.GetValue("smtphost"), "smtp.example.org");

    EXPECT_THROW(back.LoadFromFile(dir.File("missing.dat")), Error);
    EXPECT_THROW(back.SaveToFile(dir.File("no/such/folder/config.dat")), Error);
    EXPECT_EQ(back.Count(), 2);

    TMemoryStream stream;
    list.SaveToStream(stream);
    stream.SetPosition(0);
    TOptionsList fromStream;
    fromStream.LoadFromStream(stream);
    EXPECT_EQ(fromStream.Text(), list.Text());
}

TEST(ExpandTemplate, ReplacesPlaceholders)
{
    TOptionsList values;
    values.SetValue("Name", "Anna");
    values.SetValue("Days", "3");
    struct Case { std::string text, result; };
    const Case cases[] = {
        {"Hello, {{Name}}!", "Hello, Anna!"},
        {"Hello, {{name}}!", "Hello, Anna!"},
        {"a{{b", "a{{b"},
        {"x{{none}}y", "xy"},
        {"{{Name}}{{Name}}", "AnnaAnna"},
        {"a}}b{{Name", "a}}b{{Name"},
        {"{{|{Days}| left}}", "3 left"},
        {"{{|{Days}|}}, {{|{Name}|: {{Days}}}}", "3, Anna: {{Days}}"},
        {"{{}}", ""},
        {"{{{Name}}}", "}"}, // the name is "{Name"
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandTemplate(c.text, values), c.result) << c.text;
}
