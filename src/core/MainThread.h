#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace orlinda {

// Synchronised calls: how a worker thread runs code on the user-interface thread.
//
// invoke runs the call on the user-interface thread and blocks until it has run; called
// on that thread itself it runs the call at once. An exception escaping the call is
// passed back to the caller of invoke. Once the implementation has been shut down (the
// program is ending), invoke returns without running the call, so a worker blocked in it
// can see its terminate flag and end.
//
// The desktop program implements it with Qt (a blocking queued call into the event loop);
// tests and the command line use TQueuedMainThread below.
class MainThread {
public:
    virtual ~MainThread() = default;
    virtual void invoke(std::function<void()> call) = 0;
};

// The implementation in force (not owned), or null. Install it before workers start.
MainThread* CurrentMainThread();
void SetMainThread(MainThread* mainThread);

// invoke through the installed implementation; without one the call runs directly on the
// calling thread (single-threaded tools).
void Synchronize(const std::function<void()>& call);

// Calls from other threads wait in a queue until the owning thread pumps it, so thread
// interplay in tests is deterministic: the test decides when handlers run.
class TQueuedMainThread : public MainThread {
public:
    // The constructing thread is the main thread.
    TQueuedMainThread();
    ~TQueuedMainThread() override;
    TQueuedMainThread(const TQueuedMainThread&) = delete;
    TQueuedMainThread& operator=(const TQueuedMainThread&) = delete;

    void invoke(std::function<void()> call) override;

    // Runs the calls queued now (and any queued while they run); returns how many ran.
    // Only on the main thread.
    int Pump();
    // Waits up to timeout for at least one call, then pumps; returns how many ran.
    int PumpFor(std::chrono::milliseconds timeout);
    // Pumps until done() holds or the timeout passes; true when it holds.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Number of calls waiting.
    size_t Waiting() const;
    // Shut down: waiting and later calls return to their threads without running.
    void Close();

    bool IsMainThread() const { return std::this_thread::get_id() == owner_; }

private:
    struct Job {
        std::function<void()> call;
        std::exception_ptr error;
        bool done = false;
    };

    std::thread::id owner_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;   // a job was queued
    std::condition_variable finished_;  // a job finished or the queue closed
    std::deque<std::shared_ptr<Job>> queue_;
    bool closed_ = false;
};

} // namespace orlinda
