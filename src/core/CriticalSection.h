#pragma once
#include <mutex>
#include <string>
#include <utility>

namespace orlinda {

// A recursive lock that carries a name for diagnostics ("unitExceptions",
// "unitLog.messages", "UsageHistory"). The thread that holds it may enter it again.
// Usable with std::lock_guard / std::unique_lock.
class TCriticalSection {
public:
    explicit TCriticalSection(std::string name = {}) : name_(std::move(name)) {}
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }
    bool TryEnter() { return mutex_.try_lock(); }

    void lock() { mutex_.lock(); }
    void unlock() { mutex_.unlock(); }
    bool try_lock() { return mutex_.try_lock(); }

    const std::string& Name() const { return name_; }

private:
    std::recursive_mutex mutex_;
    std::string name_;
};

} // namespace orlinda
