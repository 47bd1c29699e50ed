#include "core/Clock.h"
#include "core/CriticalSection.h"
#include "core/Log.h"
#include "platform/UserName.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace orlinda;
using orlinda::test::ReadFile;
using orlinda::test::TempDir;

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override { SetClock(&clock); }
    void TearDown() override
    {
        SetLogWriter(DefaultLogWriter);
        SetDefaultLogFile("");
        SetClock(nullptr);
    }
    TFixedClock clock{EncodeDateTime(2026, 12, 9, 13, 5, 0)};
    TempDir dir;
};

} // namespace

TEST_F(LogTest, DefaultWriterDropsMessagesUntilItHasAFile)
{
    Log("dropped");
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

    SetDefaultLogFile(dir.File("trace.log"));
    Log("Access violation[00401000]");
    const std::string name = UserName();
    EXPECT_EQ(UserPrefix(), name.empty() ? "" : "(" + name + ") ");
    EXPECT_EQ(ReadFile(dir.File("trace.log")), "09-12-2026 13:05:00 " + UserPrefix() + "Access violation[00401000]\r\n");
}

TEST_F(LogTest, WritersCanBeReplacedAndNeverFailTheCaller)
{
    std::vector<std::string> seen;
    SetLogWriter([&](const std::string& message) { seen.push_back(message); });
    Log("one");
    ASSERT_TRUE(LogWriter());
    LogWriter()("two");
    EXPECT_EQ(seen, (std::vector<std::string>{"one", "two"}));

    SetLogWriter([](const std::string&) { throw std::runtime_error("disk full"); });
    EXPECT_NO_THROW(Log("lost"));
    SetLogWriter(nullptr);
    EXPECT_NO_THROW(Log("nowhere"));
}

TEST_F(LogTest, OneWriterCallAtATime)
{
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    SetLogWriter([&](const std::string&) {
        if (++inside > 1)
            overlapped = true;
        std::this_thread::yield();
        --inside;
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 500; ++i)
                Log("x");
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_FALSE(overlapped);
}

TEST(CriticalSection, IsRecursiveAndNamed)
{
    TCriticalSection lock("UsageHistory");
    EXPECT_EQ(lock.Name(), "UsageHistory");
    EXPECT_EQ(LogLock().Name(), "unitExceptions");
    std::lock_guard<TCriticalSection> outer(lock);
    EXPECT_TRUE(lock.TryEnter()); // the holder may enter again
    lock.Leave();
    bool other = true;
    std::thread([&] { other = lock.TryEnter(); }).join();
    EXPECT_FALSE(other);
}
