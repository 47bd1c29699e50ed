#include "platform/IniFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(IniFile, ReadsValuesOfTheWrittenForms)
{
    struct Case {
        const char* text;
        const char* section;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"AppData=/home/u/data\n", "", "AppData", "/home/u/data"},
        {"appdata = /home/u/data  \r\n", "", "AppData", "/home/u/data"},
        {"Common AppData=\"/srv/with space \"\n", "", "Common AppData", "/srv/with space "},
        {"# AppData=/commented\nAppData=/real", "", "AppData", "/real"},
        {"; note\n[Orlinda]\nAppData=/in/section\n", "orlinda", "appdata", "/in/section"},
        {"AppData=/top\n[Other]\nAppData=/other\n", "", "AppData", "/top"},
        {"no equals sign\nAppData=/x\n", "", "AppData", "/x"},
        {"AppData=a=b\n", "", "AppData", "a=b"},
        {"AppData=\n", "", "AppData", ""},
        {"", "", "AppData", "(none)"},
        {"[Orlinda]\nAppData=/x\n", "", "AppData", "(none)"},
    };
    for (const Case& c : cases) {
        TIniFile ini;
        ini.LoadFromText(c.text);
        EXPECT_EQ(ini.ReadString(c.section, c.name, "(none)"), c.expected) << c.text;
    }
}

TEST(IniFile, SavesAndLoadsBack)
{
    orlinda::test::TempDir dir;
    TIniFile ini(dir.File("Orlinda.ini"));
    EXPECT_FALSE(ini.Load()) << "a missing file";
    ini.WriteString("", "AppData", "/a");
    ini.WriteString("Extra", "Key", " padded ");
    ini.WriteString("", "Common AppData", "/b");
    ini.WriteString("", "appdata", "/c");  // same value, other letter case
    ASSERT_TRUE(ini.Save());

    TIniFile back(dir.File("Orlinda.ini"));
    ASSERT_TRUE(back.Load());
    EXPECT_EQ(back.ReadString("", "AppData"), "/c");
    EXPECT_EQ(back.ReadString("", "Common AppData"), "/b");
    EXPECT_EQ(back.ReadString("extra", "key"), " padded ");
    EXPECT_EQ(back.Text(), "AppData=/c\nCommon AppData=/b\n\n[Extra]\nKey=\" padded \"\n");

    back.DeleteValue("", "APPDATA");
    EXPECT_FALSE(back.HasValue("", "AppData"));
    EXPECT_TRUE(back.HasValue("", "Common AppData"));
}
