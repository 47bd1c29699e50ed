#include "model/SoundList.h"

#include "model/Paths.h"
#include "platform/Folders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace orlinda;
using orlinda::test::ReadFile;
using orlinda::test::TempDir;
using orlinda::test::WriteFile;

TEST(SoundList, SortedWithoutRegardToCaseAndWithoutDuplicates)
{
    TSoundList list;
    EXPECT_TRUE(list.Add("/m/chime.wav"));
    EXPECT_TRUE(list.Add("/m/Bell.wav"));
    EXPECT_TRUE(list.Add("/m/alarm.wav"));
    EXPECT_TRUE(list.Add("/M/zeta.wav"));
    EXPECT_FALSE(list.Add("/m/CHIME.WAV")) << "another letter case is a duplicate";
    EXPECT_FALSE(list.Add("/m/Bell.wav"));
    EXPECT_FALSE(list.Add(""));
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"/m/alarm.wav", "/m/Bell.wav", "/m/chime.wav", "/M/zeta.wav"}));
    EXPECT_EQ(list.IndexOf("/M/BELL.wav"), 1);
    EXPECT_EQ(list.IndexOf("/m/none.wav"), -1);

    EXPECT_EQ(list.Text(), "/m/alarm.wav\r\n/m/Bell.wav\r\n/m/chime.wav\r\n/M/zeta.wav\r\n");
    TSoundList back;
    back.SetText("/b.wav\n\n/a.wav\r\n/c.wav\r/A.WAV");
    EXPECT_EQ(back.Items(), (std::vector<std::string>{"/a.wav", "/b.wav", "/c.wav"}));
}

TEST(SoundList, RefreshDropsDeletedFilesAndAddsTheMediaFolder)
{
    TempDir root, media, own;
    SetDataRoot(root.Path());
    SetDeliveredDataFolder(media.Path());
    ASSERT_TRUE(CreateFolders());
    ASSERT_TRUE(CreateFolderWithParents(AppPaths().MediaFolder));
    const std::string m = AppPaths().MediaFolder;
    WriteFile(m + "Chime.wav", "RIFF");
    WriteFile(m + "bell.WAV", "RIFF");
    WriteFile(m + "readme.txt", "not a sound");
    WriteFile(own.File("mine.wav"), "RIFF");
    WriteFile(own.File("gone.wav"), "RIFF");

    // sounds.dat from an earlier start names one file that has since been deleted.
    WriteFile(AppPaths().SoundsFile, own.File("mine.wav") + "\r\n" + own.File("gone.wav") + "\r\n" + m + "Chime.wav\r\n");
    ASSERT_EQ(::unlink(own.File("gone.wav").c_str()), 0);

    SoundList().Clear();
    RefreshSoundList();
    TSoundList expected;
    expected.Add(m + "bell.WAV");
    expected.Add(m + "Chime.wav");
    expected.Add(own.File("mine.wav"));
    EXPECT_EQ(SoundList().Items(), expected.Items());
    EXPECT_EQ(ReadFile(AppPaths().SoundsFile), expected.Text());

    // AddSound takes existing files only and saves the list.
    EXPECT_FALSE(AddSound(own.File("gone.wav")));
    WriteFile(own.File("new.wav"), "RIFF");
    EXPECT_TRUE(AddSound(own.File("new.wav")));
    EXPECT_NE(ReadFile(AppPaths().SoundsFile).find(own.File("new.wav") + "\r\n"), std::string::npos);

    // No media folder and an unwritable sounds.dat: the list is still built, nothing fails.
    SetDeliveredDataFolder(root.File("nowhere"));
    SetDataRoot(root.File("missing"));
    SoundList().Clear();
    RefreshSoundList();
    EXPECT_EQ(SoundList().Count(), 0);

    SetDeliveredDataFolder("");
    SetDataRoot("");
}
