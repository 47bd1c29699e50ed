#include "ui/QtMainThread.h"

#include <QMetaObject>
#include <QThread>

#include <exception>
#include <memory>

namespace orlinda {

namespace {

struct TJob {
    std::function<void()> call;
    std::exception_ptr error;
    bool done = false;
};

} // namespace

TQtMainThread::TQtMainThread() = default;

TQtMainThread::~TQtMainThread()
{
    Close();
}

void TQtMainThread::invoke(std::function<void()> call)
{
    if (QThread::currentThread() == thread()) {
        call();
        return;
    }
    auto job = std::make_shared<TJob>();
    job->call = std::move(call);
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, job] {
            {
                std::lock_guard lock(mutex_);
                if (closed_)
                    return;
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
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return job->done || closed_; });
    if (job->done && job->error)
        std::rethrow_exception(job->error);
}

void TQtMainThread::Close()
{
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    finished_.notify_all();
}

bool TQtMainThread::Closed() const
{
    std::lock_guard lock(mutex_);
    return closed_;
}

} // namespace orlinda
