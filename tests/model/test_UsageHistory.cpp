// The usage history: pending lines in history.dat, confirmed 20-byte records in the .his file.
#include "model/UsageHistory.h"

#include "core/Clock.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

using namespace orlinda;
using namespace orlinda::test;

namespace {

std::string Record(int32_t number, int32_t identity, int32_t holiday, int32_t wish, int32_t year)
{
    std::string bytes;
    for (int32_t v : {number, identity, holiday, wish, year})
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return bytes;
}

class UsageHistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetClock(&clock_);
        history_.SetHistoryFolder(HistoryFolder());
        history_.SetPendingFile(dir_.File("history.dat"));
    }
    void TearDown() override { SetClock(nullptr); }

    std::string HistoryFolder() const { return dir_.File("history"); }
    std::string HisFile() const { return dir_.File("history/") + TUsageHistory::kHistoryKey + ".his"; }

    TempDir dir_;
    TFixedClock clock_{46000.5, 1000};
    TUsageHistory history_;
};

TEST_F(UsageHistoryTest, RecordedUsageIsPendingAndSaved)
{
    history_.RecordUsage(5, 1, 0, 2026);
    EXPECT_TRUE(history_.WasGreeted(5, 1, 2026));
    EXPECT_FALSE(history_.WasGreeted(5, 1, 2027));
    EXPECT_FALSE(history_.WasGreeted(5, 2, 2026));
    EXPECT_TRUE(history_.WishUsed(0));
    EXPECT_FALSE(history_.WishUsed(7));
    EXPECT_EQ(ReadFile(dir_.File("history.dat")), "5;1;0;2026\r\n");

    history_.RecordUsage(-12, 300, 77, 2026);
    EXPECT_EQ(history_.PendingText(), "5;1;0;2026|-12;300;77;2026");
    EXPECT_TRUE(history_.WishUsed(77));

    // A restart reads them back.
    TUsageHistory again;
    again.SetPendingFile(dir_.File("history.dat"));
    EXPECT_EQ(again.PendingText(), "5;1;0;2026|-12;300;77;2026");
}

TEST_F(UsageHistoryTest, PendingTextHoldsAtMostElevenLines)
{
    for (int i = 1; i <= 12; ++i)
        history_.RecordUsage(i, 1, 0, 2026);
    std::string expected;
    for (int i = 1; i <= 11; ++i)
        expected += (i > 1 ? "|" : "") + std::to_string(i) + ";1;0;2026";
    EXPECT_EQ(history_.PendingText(), expected);
    EXPECT_EQ(history_.PendingLines().size(), 12u);
}

TEST_F(UsageHistoryTest, PendingLinesAreDueThirtySecondsAfterTheFirst)
{
    EXPECT_FALSE(history_.HasDuePending());
    history_.RecordUsage(5, 1, 0, 2026);
    clock_.Advance(29999);
    EXPECT_FALSE(history_.HasDuePending());
    clock_.Advance(1);
    EXPECT_TRUE(history_.HasDuePending());
    // A second record does not move the moment on; an attempt does.
    history_.RecordUsage(6, 1, 0, 2026);
    EXPECT_TRUE(history_.HasDuePending());
    history_.MarkAttempt();
    EXPECT_FALSE(history_.HasDuePending());
    clock_.Advance(30000);
    EXPECT_TRUE(history_.HasDuePending());

    // Loaded lines are due 30 s after loading, also when the tick reads 0.
    clock_.SetTick(0);
    TUsageHistory again;
    again.SetPendingFile(dir_.File("history.dat"));
    EXPECT_FALSE(again.HasDuePending());
    clock_.SetTick(30000);
    EXPECT_TRUE(again.HasDuePending());
}

TEST_F(UsageHistoryTest, ConfirmationsMoveLinesFromPendingToConfirmed)
{
    history_.RecordUsage(5, 1, 0, 2026);
    history_.RecordUsage(6, 3, 41, 2026);
    history_.MergeConfirmed({"17|5|1|0|2026", "18|6|3|x|2026", "bad", "19|1|2|3", "20|9|9|9|2025"});

    // Line 2 has a field that is no number, line 4 only four fields: skipped.
    EXPECT_EQ(history_.PendingLines(), std::vector<std::string>{"6;3;41;2026"});
    EXPECT_EQ(ReadFile(dir_.File("history.dat")), "6;3;41;2026\r\n");
    EXPECT_EQ(ReadFile(HisFile()), Record(17, 5, 1, 0, 2026) + Record(20, 9, 9, 9, 2025));
    EXPECT_EQ(history_.HighestNumber(), 20);
    EXPECT_TRUE(history_.WasGreeted(5, 1, 2026)); // now confirmed
    EXPECT_TRUE(history_.WasGreeted(9, 9, 2025));
    EXPECT_TRUE(history_.WishUsed(9));

    // The last pending line confirmed: nothing is due any more.
    clock_.Advance(30000);
    history_.MergeConfirmed({"21|6|3|41|2026"});
    EXPECT_TRUE(history_.PendingLines().empty());
    EXPECT_FALSE(history_.HasDuePending());
    EXPECT_EQ(history_.PendingText(), "");

    // The confirmed records are read back at the next start.
    TUsageHistory again;
    again.SetHistoryFolder(HistoryFolder());
    EXPECT_EQ(again.HighestNumber(), 21);
    EXPECT_EQ(again.ConfirmedRecords().size(), 3u);
}

TEST_F(UsageHistoryTest, ConfirmedFileOfBrokenSizeIsEmptiedAtFirstHighestNumber)
{
    std::filesystem::create_directories(HistoryFolder());
    WriteFile(HisFile(), Record(3, 1, 1, 1, 2020) + Record(9, 2, 2, 2, 2021) + "x");
    TUsageHistory h;
    h.SetHistoryFolder(HistoryFolder());
    EXPECT_TRUE(h.WasGreeted(2, 2, 2021)); // whole records still answer until then
    EXPECT_EQ(h.HighestNumber(), 0);
    EXPECT_EQ(ReadFile(HisFile()), "");
    EXPECT_FALSE(h.WasGreeted(2, 2, 2021));
    // New confirmations start afresh.
    h.MergeConfirmed({"4|1|1|1|2022"});
    EXPECT_EQ(h.HighestNumber(), 4);
}

TEST_F(UsageHistoryTest, MissingAndUnwritableFilesAreIgnored)
{
    TUsageHistory h;
    h.SetHistoryFolder(dir_.File("nowhere"));
    h.SetPendingFile(dir_.File("no/such/folder/history.dat"));
    EXPECT_EQ(h.HighestNumber(), 0);
    h.RecordUsage(1, 2, 3, 2026); // cannot be saved: kept in memory
    EXPECT_TRUE(h.WasGreeted(1, 2, 2026));
    h.MergeConfirmed({"5|1|2|3|2026"}); // the history folder is created for the confirmed file
    EXPECT_EQ(h.HighestNumber(), 5);
    EXPECT_FALSE(ReadFile(dir_.File("nowhere/") + TUsageHistory::kHistoryKey + ".his").empty());
}

TEST_F(UsageHistoryTest, ThreadsMayAskWhileTheWindowRecords)
{
    std::thread reporter([&] {
        for (int i = 0; i < 40; ++i) {
            history_.PendingText();
            history_.HighestNumber();
            history_.MergeConfirmed({std::to_string(i + 1) + "|" + std::to_string(i) + "|1|0|2026"});
        }
    });
    for (int i = 0; i < 40; ++i) {
        history_.RecordUsage(i, 1, 0, 2026);
        history_.WasGreeted(i, 1, 2026);
    }
    reporter.join();
    EXPECT_EQ(history_.HighestNumber(), 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_TRUE(history_.WasGreeted(i, 1, 2026));
}

} // namespace
