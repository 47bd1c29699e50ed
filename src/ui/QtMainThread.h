#pragma once
// Synchronised calls of the worker threads in the desktop program: a call from another
// thread is posted into the Qt event loop and the thread waits until it has run. After
// Close (the program is ending) waiting and later calls return without running, so that
// a worker blocked in a call can see its terminate flag while the user-interface thread
// waits for it to end.
#include "core/MainThread.h"

#include <QObject>

#include <condition_variable>
#include <mutex>

namespace orlinda {

class TQtMainThread : public QObject, public MainThread {
    Q_OBJECT
public:
    // The constructing thread is the user-interface thread.
    TQtMainThread();
    ~TQtMainThread() override;

    void invoke(std::function<void()> call) override;
    void Close();
    bool Closed() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable finished_;
    bool closed_ = false;
};

} // namespace orlinda
