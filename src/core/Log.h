#pragma once
#include "core/CriticalSection.h"

#include <functional>
#include <string>

namespace orlinda {

// The writer behind Log: receives each finished message. It is called with the
// process-wide lock held, so it must not call Log itself.
using TLogWriter = std::function<void(const std::string&)>;

// The process-wide log procedure: hands the message to the installed writer under the
// process-wide lock. Never fails; a writer that throws loses that message.
void Log(const std::string& message);

// Installs a writer (an empty one drops every message) and returns the one in force.
// At start the default writer is installed; logging start-up replaces it with the main-log writer.
void SetLogWriter(TLogWriter writer);
TLogWriter LogWriter();

// The default writer: appends "<stamp> (<user>) <message>" to the default log file, or
// drops the message while that file name is empty (the default in both programs).
void DefaultLogWriter(const std::string& message);
void SetDefaultLogFile(const std::string& fileName);
std::string DefaultLogFile();

// The process-wide lock "unitExceptions" that serialises logging and tracing.
TCriticalSection& LogLock();

// "(" + the user's login name + ") ", or empty when the name cannot be read.
const std::string& UserPrefix();

namespace detail {
// For the fault handler only: waits at most timeoutMs for the process-wide lock (a thread
// that died holding it must not hang the dying process), then calls the writer. Does not
// allocate before the writer is called.
void LogFromFault(const char* message, int timeoutMs);
} // namespace detail

} // namespace orlinda
