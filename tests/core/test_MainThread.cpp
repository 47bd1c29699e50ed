// Synchronised calls through the queued main-thread implementation.
#include "core/MainThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

using namespace orlinda;

namespace {

TEST(QueuedMainThread, CallsFromOtherThreadsRunWhenPumped)
{
    TQueuedMainThread main;
    std::thread::id ranOn;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        main.invoke([&] { ranOn = std::this_thread::get_id(); });
        returned = true;
    });
    while (main.Waiting() == 0)
        std::this_thread::yield();
    EXPECT_FALSE(returned); // blocked until the main thread runs the call
    EXPECT_EQ(main.Pump(), 1);
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(QueuedMainThread, OnTheMainThreadTheCallRunsAtOnce)
{
    TQueuedMainThread main;
    int n = 0;
    main.invoke([&] { ++n; });
    EXPECT_EQ(n, 1);
    EXPECT_EQ(main.Waiting(), 0u);
}

TEST(QueuedMainThread, ExceptionsGoBackToTheCaller)
{
    TQueuedMainThread main;
    std::string caught;
    std::thread worker([&] {
        try {
            main.invoke([] { throw std::runtime_error("handler failed"); });
        } catch (const std::exception& e) {
            caught = e.what();
        }
    });
    EXPECT_EQ(main.PumpFor(std::chrono::seconds(10)), 1);
    worker.join();
    EXPECT_EQ(caught, "handler failed");
}

TEST(QueuedMainThread, ClosingReleasesWaitingThreadsWithoutRunningTheirCalls)
{
    TQueuedMainThread main;
    std::atomic<int> ran{0};
    std::thread worker([&] {
        main.invoke([&] { ++ran; });
        main.invoke([&] { ++ran; }); // after the close: returns at once
    });
    while (main.Waiting() == 0)
        std::this_thread::yield();
    main.Close();
    worker.join();
    EXPECT_EQ(ran, 0);
}

TEST(Synchronize, WithoutAnImplementationCallsDirectly)
{
    SetMainThread(nullptr);
    int n = 0;
    Synchronize([&] { ++n; });
    EXPECT_EQ(n, 1);

    TQueuedMainThread main;
    SetMainThread(&main);
    std::thread worker([&] { Synchronize([&] { ++n; }); });
    EXPECT_TRUE(main.PumpUntil([&] { return n == 2; }, std::chrono::seconds(10)));
    worker.join();
    SetMainThread(nullptr);
}

} // namespace
