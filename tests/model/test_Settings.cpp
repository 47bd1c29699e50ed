#include "model/Settings.h"

#include "model/Paths.h"
#include "model/SettingsKeys.h"
#include "platform/Folders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orlinda;
using orlinda::test::ReadFile;
using orlinda::test::TempDir;
using orlinda::test::WriteFile;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDataRoot(root.Path());
        ASSERT_TRUE(CreateFolders());
        Settings().Clear();
    }
    void TearDown() override
    {
        Settings().Clear();
        SetDataRoot("");
    }
    TempDir root;
};

} // namespace

TEST_F(SettingsTest, FirstRunGetsTheFiveDefaults)
{
    EXPECT_FALSE(LoadSettings()) << "there was nothing to load";
    EXPECT_TRUE(FirstRun());
    const TOptionsList& s = Settings();
    EXPECT_EQ(s.GetValue(SettingsKey::Skin), "Office2007 Blue (internal)");
    EXPECT_TRUE(s.GetBool(SettingsKey::CloseToTray));
    EXPECT_TRUE(s.GetBool(SettingsKey::MinimizeOnStartup));
    EXPECT_TRUE(s.GetBool(SettingsKey::CheckForUpdates));
    EXPECT_TRUE(s.GetBool(SettingsKey::Interactive));
    EXPECT_EQ(s.Count(), 5);
    // The other keys read as empty or false.
    EXPECT_EQ(s.GetValue(SettingsKey::OnUpdateAction), "");
    EXPECT_FALSE(s.GetBool(SettingsKey::UseProxy));

    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(ReadFile(AppPaths().ConfigFile),
              "Skin=Office2007 Blue (internal)\r\nClose To Tray=TRUE\r\nMinimize On Startup=TRUE\r\n"
              "Check For Updates=TRUE\r\nInteractive=TRUE\r\n");
    Settings().Clear();
    EXPECT_TRUE(LoadSettings());
    EXPECT_FALSE(FirstRun());
}

TEST_F(SettingsTest, DefaultsFillOnlyMissingOrEmptyKeys)
{
    WriteFile(AppPaths().ConfigFile, "Skin=\r\nClose To Tray=FALSE\r\nSMTPHost=smtp.example.org\r\ninteractive=FALSE\r\n");
    EXPECT_TRUE(LoadSettings());
    EXPECT_FALSE(FirstRun());
    const TOptionsList& s = Settings();
    EXPECT_EQ(s.GetValue(SettingsKey::Skin), "Office2007 Blue (internal)") << "an empty value gets the default";
    EXPECT_FALSE(s.GetBool(SettingsKey::CloseToTray)) << "FALSE is a value, not a missing key";
    EXPECT_FALSE(s.GetBool(SettingsKey::Interactive)) << "keys compare without letter case";
    EXPECT_TRUE(s.GetBool(SettingsKey::MinimizeOnStartup));
    EXPECT_EQ(s.GetValue(SettingsKey::SMTPHost), "smtp.example.org");
}

TEST_F(SettingsTest, UnreadableOrUnwritableFilesAreNoFailure)
{
    // A folder in place of config.dat: no settings to load, so the defaults apply, and
    // saving cannot replace it.
    ASSERT_EQ(::mkdir(AppPaths().ConfigFile.c_str(), 0777), 0);
    EXPECT_FALSE(LoadSettings());
    EXPECT_TRUE(FirstRun());
    EXPECT_EQ(Settings().GetValue(SettingsKey::Skin), "Office2007 Blue (internal)");
    EXPECT_FALSE(SaveSettings()) << "a folder cannot be replaced by the file";
    EXPECT_TRUE(IsExistingFolder(AppPaths().ConfigFile));

    // A settings folder that is gone: saving fails, nothing is thrown.
    SetDataRoot(root.File("missing"));
    EXPECT_FALSE(SaveSettings());
}
