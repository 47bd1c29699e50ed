#include "platform/Autostart.h"

#include "platform/Folders.h"
#include "support/TempDir.h"
#include "support/XdgSandbox.h"

#include <gtest/gtest.h>

using namespace orlinda;
using orlinda::test::ReadFile;
using orlinda::test::WriteFile;
using orlinda::test::XdgSandbox;

TEST(Autostart, OnWritesTheEntryAndOffDeletesIt)
{
    XdgSandbox sandbox;
    const std::string exe = "/opt/orlinda/bin/Orlinda";
    EXPECT_EQ(AutostartEntryPath(), sandbox.ConfigHome() + "/autostart/Orlinda.desktop");
    EXPECT_FALSE(IsAutostartEntry(exe));

    ASSERT_TRUE(SetAutostartEntry(true, exe));
    std::string entry = ReadFile(AutostartEntryPath());
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(entry.find("\nExec=\"/opt/orlinda/bin/Orlinda\"\n"), std::string::npos);
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_TRUE(IsAutostartEntry(exe));
    EXPECT_FALSE(IsAutostartEntry("/opt/other/Orlinda"));
    EXPECT_FALSE(IsAutostartEntry("/opt/orlinda/bin/Orl")) << "the quotes bound the path";

    ASSERT_TRUE(SetAutostartEntry(false, exe));
    EXPECT_FALSE(IsExistingFile(AutostartEntryPath()));
    EXPECT_FALSE(IsAutostartEntry(exe));
    EXPECT_TRUE(SetAutostartEntry(false, exe)) << "switching off twice is no failure";
}

TEST(Autostart, RecognisesEntriesWrittenByHand)
{
    XdgSandbox sandbox;
    const std::string exe = "/opt/Orlinda/Orlinda";
    CreateFolderWithParents(FolderOfPath(AutostartEntryPath()));
    struct Case {
        const char* entry;
        bool expected;
    };
    const Case cases[] = {
        // Another letter case of the path still counts, with arguments after it too.
        {"[Desktop Entry]\nExec=\"/OPT/orlinda/ORLINDA\" --tray\n", true},
        {"[Desktop Entry]\r\nName=Orlinda\r\nExec = \"/opt/Orlinda/Orlinda\"\r\n", true},
        // Without the quotes, or outside the entry's group, it does not.
        {"[Desktop Entry]\nExec=/opt/Orlinda/Orlinda\n", false},
        {"[Desktop Action x]\nExec=\"/opt/Orlinda/Orlinda\"\n", false},
        // A hidden or disabled entry starts nothing.
        {"[Desktop Entry]\nExec=\"/opt/Orlinda/Orlinda\"\nHidden=true\n", false},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled=false\nExec=\"/opt/Orlinda/Orlinda\"\n", false},
    };
    for (const Case& c : cases) {
        WriteFile(AutostartEntryPath(), c.entry);
        EXPECT_EQ(IsAutostartEntry(exe), c.expected) << c.entry;
    }
}

TEST(Autostart, QuotesReservedCharactersOfThePath)
{
    XdgSandbox sandbox;
    EXPECT_EQ(AutostartCommand("/a b/Orlinda"), "\"/a b/Orlinda\"");
    EXPECT_EQ(AutostartCommand("/a$b/100%/x\"y"), "\"/a\\\\$b/100%%/x\\\\\"y\"");

    const std::string odd = sandbox.Root() + "/dir with $ and %/Orlinda";
    ASSERT_TRUE(SetAutostartEntry(true, odd));
    EXPECT_TRUE(IsAutostartEntry(odd));

    EXPECT_FALSE(SetAutostartEntry(true, "/bad\npath")) << "a line break would break the entry";
    EXPECT_FALSE(SetAutostartEntry(true, ""));
}
