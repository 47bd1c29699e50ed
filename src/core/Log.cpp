#include "core/Log.h"

#include "core/Clock.h"
#include "core/FormatDateTime.h"
#include "core/Logging.h"
#include "platform/UserName.h"

#include <ctime>

namespace orlinda {

namespace {

struct LogState {
    TCriticalSection lock{"unitExceptions"};
    TLogWriter writer = DefaultLogWriter;
    std::string defaultLogFile;
};

// Built on first use, so units that log while they are being initialised find it ready.
LogState& State()
{
    static LogState state;
    return state;
}

} // namespace

TCriticalSection& LogLock()
{
    return State().lock;
}

const std::string& UserPrefix()
{
    static const std::string prefix = [] {
        std::string name = UserName();
        return name.empty() ? std::string() : "(" + name + ") ";
    }();
    return prefix;
}

void Log(const std::string& message)
{
    LogState& state = State();
    std::lock_guard<TCriticalSection> guard(state.lock);
    if (!state.writer)
        return;
    try {
        state.writer(message);
    } catch (...) {
        // Logging never fails its caller.
    }
}

void SetLogWriter(TLogWriter writer)
{
    LogState& state = State();
    std::lock_guard<TCriticalSection> guard(state.lock);
    state.writer = std::move(writer);
}

TLogWriter LogWriter()
{
    LogState& state = State();
    std::lock_guard<TCriticalSection> guard(state.lock);
    return state.writer;
}

void SetDefaultLogFile(const std::string& fileName)
{
    LogState& state = State();
    std::lock_guard<TCriticalSection> guard(state.lock);
    state.defaultLogFile = fileName;
}

std::string DefaultLogFile()
{
    LogState& state = State();
    std::lock_guard<TCriticalSection> guard(state.lock);
    return state.defaultLogFile;
}

void DefaultLogWriter(const std::string& message)
{
    const std::string fileName = DefaultLogFile();
    if (fileName.empty())
        return;
    AppendLine(fileName, FormatDateTime("dd/mm/yyyy hh:nn:ss", Now(), '-', ':') + " " + UserPrefix() + message);
}

namespace detail {

void LogFromFault(const char* message, int timeoutMs)
{
    LogState& state = State();
    bool locked = state.lock.TryEnter();
    for (int waited = 0; !locked && waited < timeoutMs; ++waited) {
        timespec pause{0, 1000000};
        ::nanosleep(&pause, nullptr);
        locked = state.lock.TryEnter();
    }
    try {
        if (state.writer)
            state.writer(message);
    } catch (...) {
    }
    if (locked)
        state.lock.Leave();
}

} // namespace detail

} // namespace orlinda
