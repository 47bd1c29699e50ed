#include "greetings/BackgroundThread.h"

#include "core/MainThread.h"

#include <algorithm>
#include <chrono>

namespace orlinda {

TBackgroundThread::~TBackgroundThread()
{
    Terminate();
    WaitFor();
}

void TBackgroundThread::StartThread()
{
    if (started_)
        return;
    started_ = true;
    thread_ = std::thread([this] {
        try {
            Execute();
        } catch (...) {
            // A worker never takes the program down.
        }
        finished_.store(true);
    });
}

void TBackgroundThread::WaitFor()
{
    if (!thread_.joinable())
        return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
        return;
    }
    auto* queued = dynamic_cast<TQueuedMainThread*>(CurrentMainThread());
    const bool pump = queued && queued->IsMainThread();
    while (!finished_.load()) {
        if (pump)
            queued->Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    thread_.join();
}

bool TBackgroundThread::Pause(int ms, const std::function<bool()>& wake)
{
    int waited = 0;
    for (;;) {
        if (Terminated())
            return false;
        if (wake && wake())
            return true;
        if (waited >= ms)
            return false;
        const int step = std::min(kPollMs, ms - waited);
        std::this_thread::sleep_for(std::chrono::milliseconds(step));
        waited += step;
    }
}

void TBackgroundThread::Sync(const std::function<void()>& call)
{
    if (Terminated())
        return;
    try {
        Synchronize([this, &call] {
            if (Terminated())
                return;
            try {
                call();
            } catch (...) {
            }
        });
    } catch (...) {
    }
}

} // namespace orlinda
