#include "platform/Folders.h"

#include "support/TempDir.h"
#include "support/XdgSandbox.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orlinda;
using orlinda::test::TempDir;
using orlinda::test::XdgSandbox;

TEST(Folders, XdgHomesFollowTheVariablesAndFallBackToHome)
{
    XdgSandbox sandbox;
    EXPECT_EQ(XdgDataHome(), sandbox.DataHome());
    EXPECT_EQ(XdgConfigHome(), sandbox.ConfigHome());

    // Unset, empty and relative values are not usable: the home folder's defaults apply.
    for (const char* value : {"", "relative/path"}) {
        ::setenv("XDG_DATA_HOME", value, 1);
        ::setenv("XDG_CONFIG_HOME", value, 1);
        EXPECT_EQ(XdgDataHome(), sandbox.Root() + "/.local/share") << value;
        EXPECT_EQ(XdgConfigHome(), sandbox.Root() + "/.config") << value;
    }
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(XdgDataHome(), sandbox.Root() + "/.local/share");

    ::setenv("XDG_DATA_HOME", (sandbox.DataHome() + "//").c_str(), 1);
    EXPECT_EQ(XdgDataHome(), sandbox.DataHome());
}

TEST(Folders, ExecutablePathNamesThisProgram)
{
    std::string exe = ExecutablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.front(), '/');
    EXPECT_NE(exe.find("platform_test_Folders"), std::string::npos);
    EXPECT_TRUE(IsExistingFile(exe));
    EXPECT_EQ(FolderOfPath(exe) + "platform_test_Folders", exe);
}

TEST(Folders, PathTexts)
{
    EXPECT_EQ(FolderOfPath("/a/b/c.dat"), "/a/b/");
    EXPECT_EQ(FolderOfPath("c.dat"), "");
    EXPECT_EQ(FolderOfPath("/c"), "/");
    EXPECT_EQ(WithTrailingSlash("/a/b"), "/a/b/");
    EXPECT_EQ(WithTrailingSlash("/a/b/"), "/a/b/");
    EXPECT_EQ(WithTrailingSlash(""), "");
}

TEST(Folders, CreatesFoldersWithParents)
{
    TempDir dir;
    std::string deep = dir.File("a/b/c/");
    EXPECT_TRUE(CreateFolderWithParents(deep));
    EXPECT_TRUE(IsExistingFolder(deep));
    EXPECT_TRUE(CreateFolderWithParents(deep)) << "an existing folder is fine";

    // A file in the way cannot become a folder.
    orlinda::test::WriteFile(dir.File("file"), "x");
    EXPECT_FALSE(CreateFolderWithParents(dir.File("file/sub")));
    EXPECT_FALSE(CreateFolderWithParents(""));
}

TEST(Folders, ListsOnlyRegularFiles)
{
    TempDir dir;
    orlinda::test::WriteFile(dir.File("one.wav"), "1");
    orlinda::test::WriteFile(dir.File("two.txt"), "2");
    ::mkdir(dir.File("sub").c_str(), 0777);
    auto names = FilesInFolder(dir.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"one.wav", "two.txt"}));
    EXPECT_TRUE(FilesInFolder(dir.File("missing")).empty());
    EXPECT_FALSE(IsExistingFile(dir.File("sub")));
    EXPECT_FALSE(IsExistingFolder(dir.File("one.wav")));
}

TEST(Folders, ReplacesFileContentAtomically)
{
    TempDir dir;
    std::string file = dir.File("x.ini");
    ASSERT_TRUE(ReplaceFileContent(file, "first"));
    ASSERT_TRUE(ReplaceFileContent(file, "second"));
    std::string bytes;
    ASSERT_TRUE(ReadFileContent(file, bytes));
    EXPECT_EQ(bytes, "second");
    EXPECT_EQ(FilesInFolder(dir.Path()).size(), 1u) << "no temporary file is left behind";

    EXPECT_FALSE(ReplaceFileContent(dir.File("missing/x.ini"), "x"));
    EXPECT_FALSE(ReadFileContent(dir.File("missing.ini"), bytes));
    EXPECT_FALSE(ReadFileContent(dir.Path(), bytes)) << "a folder is not a file";
}
