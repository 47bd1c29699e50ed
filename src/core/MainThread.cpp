#include "core/MainThread.h"

#include <atomic>

namespace orlinda {

namespace {
std::atomic<MainThread*> current{nullptr};
} // namespace

MainThread* CurrentMainThread()
{
    return current.load();
}

void SetMainThread(MainThread* mainThread)
{
    current.store(mainThread);
}

void Synchronize(const std::function<void()>& call)
{
    if (MainThread* m = current.load())
        m->invoke(call);
    else
        call();
}

TQueuedMainThread::TQueuedMainThread() : owner_(std::this_thread::get_id()) {}

TQueuedMainThread::~TQueuedMainThread()
{
    Close();
}

void TQueuedMainThread::invoke(std::function<void()> call)
{
    if (IsMainThread()) {
        call();
        return;
    }
    auto job = std::make_shared<Job>();
    job->call = std::move(call);
    std::unique_lock lock(mutex_);
    if (closed_)
        return;
    queue_.push_back(job);
    arrived_.notify_all();
    finished_.wait(lock, [&] { return job->done || closed_; });
    if (job->done && job->error)
        std::rethrow_exception(job->error);
}

int TQueuedMainThread::Pump()
{
    int ran = 0;
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty() || closed_)
                return ran;
            job = queue_.front();
            queue_.pop_front();
        }
        try {
            job->call();
        } catch (...) {
            job->error = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            job->done = true;
        }
        finished_.notify_all();
        ++ran;
    }
}

int TQueuedMainThread::PumpFor(std::chrono::milliseconds timeout)
{
    {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, timeout, [&] { return !queue_.empty() || closed_; });
    }
    return Pump();
}

bool TQueuedMainThread::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        Pump();
        if (done())
            return true;
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        std::unique_lock lock(mutex_);
        // Wake for a new call, or every 10 ms to look at the condition again.
        arrived_.wait_for(lock, std::min<std::chrono::steady_clock::duration>(deadline - now, std::chrono::milliseconds(10)),
                          [&] { return !queue_.empty() || closed_; });
    }
}

size_t TQueuedMainThread::Waiting() const
{
    std::lock_guard lock(mutex_);
    return queue_.size();
}

void TQueuedMainThread::Close()
{
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        queue_.clear();
    }
    arrived_.notify_all();
    finished_.notify_all();
}

} // namespace orlinda
