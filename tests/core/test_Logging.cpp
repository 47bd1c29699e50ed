#include "core/Base64.h"
#include "core/Clock.h"
#include "core/Log.h"
#include "core/Logging.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

using namespace orlinda;
using orlinda::test::ReadFile;
using orlinda::test::TempDir;
using orlinda::test::WriteFile;

namespace {

class LoggingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetClock(&clock);
        StartLogging();
        SetDefaultLogFolder(defaults.Path());
    }
    void TearDown() override
    {
        StopLogging();
        SetLogWriter(DefaultLogWriter);
        SetClock(nullptr);
    }

    // Files in a folder, by name.
    static std::set<std::string> FilesIn(const std::string& folder)
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    TFixedClock clock{EncodeDateTime(2026, 12, 9, 13, 5, 0)};
    TempDir dir;
    TempDir defaults;
};

// Unpacks gzip bytes with the real gzip tool.
std::string Gunzip(const std::string& gzip)
{
    TempDir dir;
    WriteFile(dir.File("tail.gz"), gzip);
    std::string command = "gzip -dc '" + dir.File("tail.gz") + "' > '" + dir.File("tail.out") + "'";
    if (std::system(command.c_str()) != 0)
        return "<gzip failed>";
    return ReadFile(dir.File("tail.out"));
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Lines of log text, about 70 bytes each, as the program writes them.
std::string LogText(size_t size)
{
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "09-12-2026 13:05:00 (user) SMTPThread: message number " + std::to_string(i) + "\r\n";
    text.resize(size);
    return text;
}

// Printable text that compresses to about three quarters of its size.
std::string RandomText(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string text(size, ' ');
    for (auto& c : text)
        c = static_cast<char>(' ' + random() % 95);
    return text;
}

} // namespace

TEST_F(LoggingTest, MainLogLines)
{
    struct Case { bool daily, withUser; const char* file; std::string line; };
    const Case cases[] = {
        {false, true, "assertions.dat", "09-12-2026 13:05:00 " + UserPrefix() + "SMTPThread: 535 - Authentication failed\r\n"},
        {false, false, "assertions.dat", "09-12-2026 13:05:00 SMTPThread: 535 - Authentication failed\r\n"},
        {true, true, "assertions(09-12-2026).dat", "13:05:00 " + UserPrefix() + "SMTPThread: 535 - Authentication failed\r\n"},
    };
    for (const auto& c : cases) {
        TempDir folder;
        OpenLog(folder.File("assertions.dat"), c.daily, c.withUser);
        EXPECT_EQ(MainLogFileName(), folder.File(c.file));
        Log("SMTPThread: 535 - Authentication failed");
        EXPECT_EQ(ReadFile(folder.File(c.file)), c.line) << c.file;
        EXPECT_EQ(FilesIn(folder.Path()).size(), 1u);
    }
}

TEST_F(LoggingTest, NothingIsWrittenBeforeOpenOrAfterStop)
{
    Log("too early");
    EXPECT_EQ(MainLogFileName(), "");
    EXPECT_TRUE(FilesIn(defaults.Path()).empty());

    OpenLog(dir.File("assertions.dat"), false, false);
    Log("one");
    StopLogging();
    Log("too late");
    EXPECT_EQ(ReadFile(dir.File("assertions.dat")), "09-12-2026 13:05:00 one\r\n");
}

TEST_F(LoggingTest, OpenLogFindsAUsableFolder)
{
    // A missing folder is created.
    OpenLog(dir.File("a/b/assertions.dat"), false, true);
    EXPECT_EQ(MainLogFileName(), dir.File("a/b/assertions.dat"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("a/b")));
    // A bare name keeps the folder the log had.
    OpenLog("other.log", false, true);
    EXPECT_EQ(MainLogFileName(), dir.File("a/b/other.log"));
    // A folder that cannot be created (a file stands in its way) gives way to the default one.
    WriteFile(dir.File("blocker"), "x");
    OpenLog(dir.File("blocker/sub/assertions.dat"), false, true);
    EXPECT_EQ(MainLogFileName(), defaults.File("assertions.dat"));
    // A path without a file name leaves the log as it was.
    OpenLog(dir.File("a/"), false, true);
    EXPECT_EQ(MainLogFileName(), defaults.File("assertions.dat"));

    StopLogging();
    StartLogging();
    SetDefaultLogFolder(defaults.Path());
    OpenLog("fresh.dat", false, true);
    EXPECT_EQ(MainLogFileName(), defaults.File("fresh.dat"));
}

TEST_F(LoggingTest, NamedLogs)
{
    RegisterLog("messages.log", false, false);
    EXPECT_EQ(NamedLogFileName("messages.log"), defaults.File("messages.log"));
    WriteNamedLog("messages.log", "Shown: hello");
    EXPECT_EQ(ReadFile(defaults.File("messages.log")), "09-12-2026 13:05:00 Shown: hello\r\n");

    // Registered again with a file: that file; then without: the settings it had.
    RegisterLog("messages.log", true, false, dir.File("dialogs/msg.txt"));
    EXPECT_EQ(NamedLogFileName("messages"), dir.File("dialogs/msg(09-12-2026).txt"));
    RegisterLog("messages.log", false, false);
    EXPECT_EQ(NamedLogFileName("messages.log"), dir.File("dialogs/msg.txt"));

    // A name never registered writes nothing anywhere.
    WriteNamedLog("unknown.log", "lost");
    EXPECT_EQ(NamedLogFileName("unknown.log"), "");
    EXPECT_EQ(FilesIn(defaults.Path()), std::set<std::string>{"messages.log"});
    EXPECT_TRUE(FilesIn(dir.File("dialogs")).empty());

    // Once the main log is open, named logs write into it with its stamp and prefix.
    OpenLog(dir.File("assertions.dat"), false, true);
    WriteNamedLog("messages.log", "Shown: bye");
    EXPECT_EQ(ReadFile(dir.File("assertions.dat")), "09-12-2026 13:05:00 " + UserPrefix() + "Shown: bye\r\n");
    EXPECT_TRUE(FilesIn(dir.File("dialogs")).empty());
}

TEST_F(LoggingTest, AppendLine)
{
    EXPECT_TRUE(AppendLine(dir.File("new.txt"), "first"));
    EXPECT_TRUE(AppendLine(dir.File("new.txt"), "second"));
    EXPECT_EQ(ReadFile(dir.File("new.txt")), "first\r\nsecond\r\n");
    // A folder cannot be opened as a file: after ten tries the line is lost.
    EXPECT_FALSE(AppendLine(dir.Path(), "lost"));
}

TEST_F(LoggingTest, LinesFromSeveralThreadsNeverInterleave)
{
    OpenLog(dir.File("assertions.dat"), false, true);
    constexpr int kThreads = 4, kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                Log("thread " + std::to_string(t) + " line " + std::to_string(i) + " " + std::string(200, 'a' + t));
        });
    for (auto& thread : threads)
        thread.join();

    std::istringstream in(ReadFile(dir.File("assertions.dat")));
    const std::string stamp = "09-12-2026 13:05:00 " + UserPrefix() + "thread ";
    int count[kThreads] = {};
    std::string line;
    while (std::getline(in, line)) {
        // "<stamp> (<user>) thread T line I aaa…a\r", whole.
        ASSERT_EQ(line.compare(0, stamp.size(), stamp), 0) << line;
        std::istringstream fields(line.substr(stamp.size()));
        int t = -1, i = -1;
        std::string word, filler;
        fields >> t >> word >> i >> filler;
        ASSERT_TRUE(t >= 0 && t < kThreads && word == "line") << line;
        EXPECT_EQ(filler, std::string(200, static_cast<char>('a' + t))) << line;
        EXPECT_EQ(line.back(), '\r') << line;
        EXPECT_EQ(i, count[t]++) << line; // each thread's lines in its order
    }
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(count[t], kLines);
}

TEST_F(LoggingTest, LogTailTrimsTheLogAndSendsAllOfASmallOne)
{
    OpenLog(dir.File("assertions.dat"), false, true);
    const std::string log = LogText(300000);
    WriteFile(dir.File("assertions.dat"), log);

    const std::string tail = LogTail(262144, 60000);
    const std::string kept = log.substr(300000 - 262144);
    EXPECT_EQ(ReadFile(dir.File("assertions.dat")), kept);
    ASSERT_FALSE(tail.empty());
    const std::string gzip = Base64Decode(tail);
    EXPECT_LE(gzip.size(), 60000u);
    EXPECT_EQ(Gunzip(gzip), kept);
    // Trimmed in place: no temporary file is left beside it.
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>{"assertions.dat"});

    // A log within the limit is left as it is.
    LogTail(262144, 60000);
    EXPECT_EQ(ReadFile(dir.File("assertions.dat")), kept);
}

TEST_F(LoggingTest, LogTailOfALogThatDoesNotFitSendsItsEnd)
{
    OpenLog(dir.File("assertions.dat"), false, true);
    struct Case { const char* what; std::string log; };
    const Case cases[] = {
        {"text compressing to 3/4", RandomText(262144, 1)},
        {"text compressing to 3/4, longer than kept", RandomText(400000, 2)},
        {"log lines after noise", RandomText(200000, 3) + LogText(62144)},
    };
    for (const auto& c : cases) {
        WriteFile(dir.File("assertions.dat"), c.log);
        const std::string tail = LogTail(262144, 60000);
        const std::string kept = c.log.substr(c.log.size() - std::min<size_t>(c.log.size(), 262144));
        EXPECT_EQ(ReadFile(dir.File("assertions.dat")), kept) << c.what;
        ASSERT_FALSE(tail.empty()) << c.what;
        EXPECT_EQ(tail.find_first_of("\r\n"), std::string::npos);
        const std::string gzip = Base64Decode(tail);
        EXPECT_LE(gzip.size(), 60000u) << c.what;
        const std::string unpacked = Gunzip(gzip);
        EXPECT_GT(unpacked.size(), 30000u) << c.what;
        EXPECT_LT(unpacked.size(), kept.size()) << c.what;
        EXPECT_TRUE(EndsWith(kept, unpacked)) << c.what;
    }
}

TEST_F(LoggingTest, LogTailGivesNothingWhenNothingFits)
{
    OpenLog(dir.File("assertions.dat"), false, true);
    // Random bytes do not compress: at a limit below one block nothing of them fits.
    std::mt19937 random(7);
    std::string noise(100000, '\0');
    for (auto& c : noise)
        c = static_cast<char>(random());
    WriteFile(dir.File("assertions.dat"), noise);
    EXPECT_EQ(LogTail(262144, 4096), "");
    // At the usual limit some end of them does.
    const std::string tail = LogTail(262144, 60000);
    ASSERT_FALSE(tail.empty());
    EXPECT_TRUE(EndsWith(noise, Gunzip(Base64Decode(tail))));
}

TEST_F(LoggingTest, LogTailEdgeCases)
{
    EXPECT_EQ(LogTail(262144, 60000), ""); // the main log is not open
    OpenLog(dir.File("assertions.dat"), false, true);
    EXPECT_EQ(LogTail(262144, 60000), ""); // its file does not exist
    EXPECT_FALSE(std::filesystem::exists(dir.File("assertions.dat")));
    WriteFile(dir.File("assertions.dat"), "");
    EXPECT_EQ(LogTail(262144, 60000), "");

    // Below the smallest limit nothing is sent and the log is not trimmed either.
    const std::string log = LogText(300000);
    WriteFile(dir.File("assertions.dat"), log);
    EXPECT_EQ(LogTail(262144, 1023), "");
    EXPECT_EQ(ReadFile(dir.File("assertions.dat")), log);
    EXPECT_EQ(Gunzip(Base64Decode(LogTail(1000, 1024))), log.substr(299000));
}
