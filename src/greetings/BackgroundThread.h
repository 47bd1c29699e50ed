#pragma once
// The life cycle the greeting workers share: a thread started once, a terminate flag it
// polls, waits made of 50 ms sleeps that end early on termination, and synchronised calls
// to the user-interface thread.
#include <atomic>
#include <functional>
#include <thread>

namespace orlinda {

class TBackgroundThread {
public:
    static constexpr int kPollMs = 50;

    TBackgroundThread() = default;
    // The derived class must have ended the thread (Terminate + WaitFor) before its own
    // members go; this destructor only makes sure the thread is not left running.
    virtual ~TBackgroundThread();
    TBackgroundThread(const TBackgroundThread&) = delete;
    TBackgroundThread& operator=(const TBackgroundThread&) = delete;

    // Starts Execute on a thread of its own; a second call does nothing.
    void StartThread();
    void Terminate() { terminated_.store(true); }
    bool Terminated() const { return terminated_.load(); }
    bool Started() const { return started_; }
    // Waits until Execute has returned. On the main thread of a TQueuedMainThread the queued
    // calls keep running meanwhile, so a worker that is waiting for one can see the flag;
    // this thread's own calls are skipped once it is terminated.
    void WaitFor();

protected:
    virtual void Execute() = 0;

    // Sleeps up to ms in steps of 50 ms; ends early when the thread is terminated or wake()
    // holds. True when it ended because of wake().
    bool Pause(int ms, const std::function<bool()>& wake = {});
    // Runs the call on the user-interface thread and waits for it (MainThread). Skipped
    // once terminated; an exception inside the call is swallowed.
    void Sync(const std::function<void()>& call);

private:
    std::thread thread_;
    bool started_ = false;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
};

} // namespace orlinda
