#include "model/StartUp.h"

#include "core/Log.h"
#include "core/Logging.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/SettingsKeys.h"
#include "model/SoundList.h"
#include "platform/Folders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace orlinda;
using orlinda::test::ReadFile;
using orlinda::test::TempDir;
using orlinda::test::WriteFile;

namespace {

class RecordingUpdater : public TUpdaterHook {
public:
    void Start(const TUpdaterSetup& s, bool autoUpdate) override
    {
        setup = s;
        starts.push_back(autoUpdate);
    }
    void Stop() override { ++stops; }
    TUpdaterSetup setup;
    std::vector<bool> starts;
    int stops = 0;
};

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartLogging();
        // What the build delivers beside the program.
        CreateFolderWithParents(delivered.File("media"));
        WriteFile(delivered.File("holidays.dat"), "delivered calendar");
        WriteFile(delivered.File("smtp.dat"), "[Mail.ru]\r\nSMTPHost=smtp.mail.ru\r\n");
        WriteFile(delivered.File("media/chime.wav"), "RIFF");
        SetDeliveredDataFolder(delivered.Path());
        SetDataRoot(root.Path());
        SetUpdaterHook(&updater);
    }
    void TearDown() override
    {
        StopConfiguration();
        SetUpdaterHook(nullptr);
        StopLogging();
        SetDeliveredDataFolder("");
        SetDataRoot("");
    }
    TempDir root, delivered;
    RecordingUpdater updater;
};

} // namespace

TEST_F(StartUpTest, FirstStartOnAnEmptyDataRoot)
{
    StartConfiguration({});
    const TAppPaths& p = AppPaths();
    EXPECT_TRUE(IsExistingFolder(p.UserFolder));
    EXPECT_TRUE(IsExistingFolder(p.SharedFolder));
    EXPECT_TRUE(IsExistingFolder(p.SkinsFolder));
    EXPECT_EQ(p.SharedFolder, root.Path() + "/Tarvell/Orlinda/");

    // The delivered calendar and mail presets are in the shared folder.
    EXPECT_EQ(ReadFile(p.HolidaysFile), "delivered calendar");
    EXPECT_EQ(ReadFile(p.SmtpFile), ReadFile(delivered.File("smtp.dat")));
    EXPECT_FALSE(IsExistingFile(p.HelpFile)) << "nothing delivered, nothing copied";

    // The log starts with the system description and tells what was copied.
    std::string log = ReadFile(p.LogFile);
    EXPECT_NE(log.find("== Application Info ==========="), std::string::npos);
    EXPECT_NE(log.find("\r\nOS: Linux "), std::string::npos);
    EXPECT_NE(log.find("Configuration: delivered holidays.dat copied to " + p.SharedFolder), std::string::npos);
    Log("after start");
    EXPECT_NE(ReadFile(p.LogFile).find(") after start\r\n"), std::string::npos) << "Log writes into assertions.dat";

    EXPECT_TRUE(FirstRun());
    EXPECT_EQ(Settings().GetValue(SettingsKey::Skin), "Office2007 Blue (internal)");
    EXPECT_EQ(SoundList().Items(), std::vector<std::string>{delivered.Path() + "/media/chime.wav"});
    EXPECT_EQ(ReadFile(p.SoundsFile), delivered.Path() + "/media/chime.wav\r\n");

    ASSERT_EQ(updater.starts, std::vector<bool>{false});
    EXPECT_EQ(updater.setup.AppDir, p.ProgramFolder);
    EXPECT_EQ(updater.setup.CommonDir, root.Path() + "/");
    EXPECT_EQ(updater.setup.UserDir, root.Path() + "/");
    EXPECT_EQ(updater.setup.WorkFolder, p.UserFolder + "update/");

    StopConfiguration();
    EXPECT_EQ(updater.stops, 1);
    EXPECT_EQ(Settings().Count(), 0);
    EXPECT_EQ(SoundList().Count(), 0);
}

TEST_F(StartUpTest, LaterStartTrimsTheLogAndKeepsTheUsersFiles)
{
    const std::string folder = root.Path() + "/Tarvell/Orlinda/";
    ASSERT_TRUE(CreateFolderWithParents(folder));
    std::string oldLog;
    for (int i = 0; oldLog.size() < 300000; ++i)
        oldLog += "01-01-2026 10:00:00 (user) line " + std::to_string(i) + "\r\n";
    oldLog.resize(300000);
    WriteFile(folder + "assertions.dat", oldLog);
    WriteFile(folder + "holidays.dat", "the user's own calendar");
    WriteFile(folder + "config.dat", "Close To Tray=FALSE\r\n");

    StartConfiguration({"/autoupdate"});
    std::string log = ReadFile(AppPaths().LogFile);
    const std::string kept = oldLog.substr(oldLog.size() - 262144);
    ASSERT_GT(log.size(), kept.size());
    EXPECT_EQ(log.substr(0, kept.size()), kept) << "the last 256 KiB are kept, then this start's lines";
    EXPECT_LT(log.size(), kept.size() + 4096);

    EXPECT_EQ(ReadFile(AppPaths().HolidaysFile), "the user's own calendar");
    EXPECT_EQ(ReadFile(AppPaths().SmtpFile), ReadFile(delivered.File("smtp.dat")));
    EXPECT_FALSE(FirstRun());
    EXPECT_FALSE(Settings().GetBool(SettingsKey::CloseToTray));
    EXPECT_EQ(updater.starts, std::vector<bool>{true});
}

TEST_F(StartUpTest, OnlyAFirstArgumentOfExactlyAutoupdateFinishesAnUpdate)
{
    EXPECT_TRUE(IsAutoUpdateStart({"/autoupdate"}));
    EXPECT_TRUE(IsAutoUpdateStart({"/autoupdate", "x"}));
    EXPECT_FALSE(IsAutoUpdateStart({}));
    EXPECT_FALSE(IsAutoUpdateStart({"/AUTOUPDATE"}));
    EXPECT_FALSE(IsAutoUpdateStart({"x", "/autoupdate"}));
    EXPECT_FALSE(IsAutoUpdateStart({"/autoupdate "}));
}

TEST_F(StartUpTest, WithoutDeliveredDataTheStartGoesOn)
{
    SetDeliveredDataFolder(root.File("no-such-folder"));
    SetUpdaterHook(nullptr);
    StartConfiguration({});
    EXPECT_FALSE(IsExistingFile(AppPaths().HolidaysFile));
    EXPECT_EQ(SoundList().Count(), 0);
    EXPECT_EQ(Settings().GetValue(SettingsKey::Interactive), "TRUE");
    EXPECT_TRUE(updater.starts.empty());
}
