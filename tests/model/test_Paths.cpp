#include "model/Paths.h"

#include "platform/Folders.h"
#include "support/TempDir.h"
#include "support/XdgSandbox.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orlinda;
using orlinda::test::ReadFile;
using orlinda::test::TempDir;
using orlinda::test::WriteFile;
using orlinda::test::XdgSandbox;

namespace {

class PathsTest : public ::testing::Test {
protected:
    void SetUp() override { SetDataRoot(""); }
    void TearDown() override
    {
        SetDeliveredDataFolder("");
        SetDataRoot("");
    }
    XdgSandbox sandbox;
};

} // namespace

TEST_F(PathsTest, DefaultsLiveInTheDataHome)
{
    const TAppPaths& p = AppPaths();
    const std::string data = sandbox.DataHome() + "/";
    EXPECT_EQ(p.UserDataRoot, data);
    EXPECT_EQ(p.CommonDataRoot, data);
    EXPECT_EQ(p.UserFolder, data + "Tarvell/Orlinda/");
    EXPECT_EQ(p.SharedFolder, data + "Tarvell/Orlinda/");
    EXPECT_EQ(p.SkinsFolder, data + "Tarvell/Skins/");
    EXPECT_EQ(p.UpdateFolder, data + "Tarvell/Orlinda/update/");
    EXPECT_EQ(p.HistoryFolder, data + "Tarvell/Orlinda/history/");
    EXPECT_EQ(p.ProgramFolder, FolderOfPath(ExecutablePath()));

    EXPECT_EQ(p.ConfigFile, p.UserFolder + "config.dat");
    EXPECT_EQ(p.LogFile, p.UserFolder + "assertions.dat");
    EXPECT_EQ(p.UsersFile, p.UserFolder + "users.dat");
    EXPECT_EQ(p.RemindersFile, p.UserFolder + "reminders.dat");
    EXPECT_EQ(p.HolidayBindingsFile, p.UserFolder + "holidays.tmp");
    EXPECT_EQ(p.HistoryFile, p.UserFolder + "history.dat");
    EXPECT_EQ(p.SoundsFile, p.UserFolder + "sounds.dat");
    EXPECT_EQ(p.HolidaysFile, p.SharedFolder + "holidays.dat");
    EXPECT_EQ(p.SmtpFile, p.SharedFolder + "smtp.dat");
    EXPECT_EQ(p.HelpFile, p.SharedFolder + "help.dat");

    // The INI file that stands in for the registry key is created empty, and nothing
    // else is created until asked.
    EXPECT_EQ(IniFilePath(), sandbox.ConfigHome() + "/Tarvell/Orlinda.ini");
    EXPECT_TRUE(IsExistingFile(IniFilePath()));
    EXPECT_EQ(ReadFile(IniFilePath()), "");
    EXPECT_FALSE(IsExistingFolder(p.UserFolder));

    ASSERT_TRUE(CreateFolders());
    EXPECT_TRUE(IsExistingFolder(p.UserFolder));
    EXPECT_TRUE(IsExistingFolder(p.SkinsFolder));
}

TEST_F(PathsTest, IniValuesOverrideTheFolders)
{
    TempDir user, common;
    struct Case {
        std::string ini;
        std::string userRoot, commonRoot;
    };
    const std::string data = sandbox.DataHome() + "/";
    const Case cases[] = {
        {"AppData=" + user.Path() + "\nCommon AppData=" + common.Path() + "/\n", user.Path() + "/", common.Path() + "/"},
        {"[Orlinda]\nCommon AppData=" + common.Path() + "\n", data, common.Path() + "/"},
        {"AppData=\nCommon AppData=\n", data, data},                      // empty values: defaults
        {"AppData=relative/dir\n", data, data},                           // not a usable folder
        {"AppData=~/mine\n", sandbox.Root() + "/mine/", data},            // the home folder
    };
    ASSERT_TRUE(CreateFolderWithParents(FolderOfPath(IniFilePath())));
    for (const Case& c : cases) {
        WriteFile(IniFilePath(), c.ini);
        SettleFolders();
        EXPECT_EQ(AppPaths().UserDataRoot, c.userRoot) << c.ini;
        EXPECT_EQ(AppPaths().CommonDataRoot, c.commonRoot) << c.ini;
        EXPECT_EQ(AppPaths().UserFolder, c.userRoot + "Tarvell/Orlinda/");
        EXPECT_EQ(AppPaths().SharedFolder, c.commonRoot + "Tarvell/Orlinda/");
        EXPECT_EQ(AppPaths().SkinsFolder, c.commonRoot + "Tarvell/Skins/");
    }
    // An existing INI file is left as it is.
    EXPECT_EQ(ReadFile(IniFilePath()), cases[4].ini);
}

TEST_F(PathsTest, DataRootReplacesBothFolders)
{
    TempDir root;
    WriteFile(IniFilePath(), "AppData=/somewhere/else\n");
    SetDataRoot(root.Path());
    EXPECT_EQ(AppPaths().UsersFile, root.Path() + "/Tarvell/Orlinda/users.dat");
    EXPECT_EQ(AppPaths().HolidaysFile, root.Path() + "/Tarvell/Orlinda/holidays.dat");
    EXPECT_EQ(AppPaths().SkinsFolder, root.Path() + "/Tarvell/Skins/");
    EXPECT_EQ(DataRoot(), root.Path());

    // A relative root is taken from the working folder of the moment.
    char cwd[4096];
    ASSERT_TRUE(::getcwd(cwd, sizeof cwd));
    ASSERT_EQ(::chdir(root.Path().c_str()), 0);
    SetDataRoot("sub/./dir");
    EXPECT_EQ(AppPaths().UserFolder, root.Path() + "/sub/dir/Tarvell/Orlinda/");
    ASSERT_EQ(::chdir(cwd), 0);

    SetDataRoot("");
    EXPECT_EQ(AppPaths().UserDataRoot, "/somewhere/else/");
}

TEST_F(PathsTest, FindsTheDeliveredDataInstalledOrInTheBuildTree)
{
    TempDir tree;
    ASSERT_TRUE(CreateFolderWithParents(tree.File("prefix/bin")));
    ASSERT_TRUE(CreateFolderWithParents(tree.File("prefix/share/orlinda/media")));
    EXPECT_EQ(FindDeliveredDataFolder(tree.File("prefix/bin")), tree.File("prefix/share/orlinda/"));
    ASSERT_TRUE(CreateFolderWithParents(tree.File("build/tools/cli")));
    ASSERT_TRUE(CreateFolderWithParents(tree.File("build/share/orlinda")));
    EXPECT_EQ(FindDeliveredDataFolder(tree.File("build/tools/cli/")), tree.File("build/share/orlinda/"));
    EXPECT_EQ(FindDeliveredDataFolder(tree.File("build")), tree.File("build/share/orlinda/"));
    ASSERT_TRUE(CreateFolderWithParents(tree.File("lonely/a/b/c/d")));
    EXPECT_EQ(FindDeliveredDataFolder(tree.File("lonely/a/b/c/d")), "");

    SetDeliveredDataFolder(tree.File("prefix/share/orlinda"));
    EXPECT_EQ(AppPaths().DataFolder, tree.File("prefix/share/orlinda/"));
    EXPECT_EQ(AppPaths().MediaFolder, tree.File("prefix/share/orlinda/media/"));
}

TEST_F(PathsTest, ProgramsOfTheBuildTreeUseTheBuildsData)
{
    const char* binary = std::getenv("ORLINDA_BINARY_DIR");  // set when run through ctest
    if (!binary)
        GTEST_SKIP() << "run through ctest to know the build folder";
    EXPECT_EQ(AppPaths().DataFolder, WithTrailingSlash(binary) + "share/orlinda/");
    EXPECT_EQ(AppPaths().MediaFolder, WithTrailingSlash(binary) + "share/orlinda/media/");
}
