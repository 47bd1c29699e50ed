#include "core/ExceptionTrace.h"

#include "core/Log.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <mutex>
#include <pthread.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

namespace orlinda {

namespace {

constexpr int kTracedSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr int kMaxReturnAddresses = 7;
constexpr size_t kAltStackSize = 256 * 1024;
// Below the lowest stack address the kernel keeps a gap (256 pages by default) into which a
// growing main stack runs; an access there is an overflow, not a stray pointer.
constexpr uintptr_t kStackGap = 1024 * 1024;

std::atomic<bool> busy{false};
std::mutex installLock;
bool installed = false;
struct sigaction previous[4];

// Plain values, readable from the signal handler without any initialisation code.
thread_local uintptr_t stackLow = 0;   // lowest address of the thread's stack
thread_local uintptr_t stackGuard = 0; // size of the guard area above stackLow

struct AltStack {
    void* memory = nullptr;
    ~AltStack()
    {
        if (!memory)
            return;
        stack_t current{};
        if (::sigaltstack(nullptr, &current) == 0 && current.ss_sp == memory) {
            stack_t off{};
            off.ss_flags = SS_DISABLE;
            ::sigaltstack(&off, nullptr);
            ::munmap(memory, kAltStackSize);
        }
    }
};
thread_local AltStack altStack;

// Appends the value in upper-case hexadecimal, at least eight digits.
char* AppendHex(char* out, char* end, uintptr_t value)
{
    char digits[2 * sizeof(uintptr_t)];
    int n = 0;
    do {
        digits[n++] = "0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (n < 8)
        digits[n++] = '0';
    while (n > 0 && out < end)
        *out++ = digits[--n];
    return out;
}

char* AppendText(char* out, char* end, const char* text)
{
    while (*text && out < end)
        *out++ = *text++;
    return out;
}

uintptr_t InstructionAddress(const siginfo_t* info, const void* context)
{
    const auto* uc = static_cast<const ucontext_t*>(context);
    if (uc) {
#if defined(__x86_64__)
        return static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__i386__)
        return static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_EIP]);
#elif defined(__aarch64__)
        return static_cast<uintptr_t>(uc->uc_mcontext.pc);
#endif
    }
    return reinterpret_cast<uintptr_t>(info->si_addr);
}

// An access close to the lowest address of the thread's stack. Above it the stack is mapped
// (an access there cannot fault but for the guard area, or for a main stack that grows until
// it meets the kernel's gap above the mapping below it); below it lies the guard gap.
bool IsStackOverflow(const siginfo_t* info)
{
    if (stackLow == 0)
        return false;
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    const uintptr_t from = stackLow > kStackGap ? stackLow - kStackGap : 0;
    return address >= from && address < stackLow + stackGuard + kStackGap;
}

void WaitMilliseconds(int ms)
{
    timespec pause{ms / 1000, (ms % 1000) * 1000000L};
    while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

void FaultHandler(int signal, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    if (!busy.exchange(true)) {
        char line[320];
        char* const end = line + sizeof line - 2;
        char* out = AppendText(line, end, FaultText(signal, info->si_code, (signal == SIGSEGV || signal == SIGBUS) && IsStackOverflow(info)));
        out = AppendText(out, end, "[");
        const uintptr_t at = InstructionAddress(info, context);
        out = AppendHex(out, end, at);

        // The chain as the unwinder sees it from here: this handler, the signal frame, the
        // faulting function (at the faulting instruction), then its callers.
        void* frames[40];
        const int count = ::backtrace(frames, 40);
        int first = -1;
        for (int i = 0; i < count; ++i)
            if (reinterpret_cast<uintptr_t>(frames[i]) == at) {
                first = i + 1;
                break;
            }
        if (first < 0)
            first = count > 2 ? 3 : count; // the unwinder did not report the faulting frame as such
        for (int i = first, written = 0; i < count && written < kMaxReturnAddresses; ++i, ++written) {
            out = AppendText(out, end, ", ");
            out = AppendHex(out, end, reinterpret_cast<uintptr_t>(frames[i]));
        }
        out = AppendText(out, end + 1, "]");
        *out = '\0';
        detail::LogFromFault(line, 3000);
        // The busy flag stays set: the process is about to die of this fault, and a fault in
        // another thread meanwhile must not add a second line.
    } else {
        // Another thread is writing its trace and will end the process; let it finish.
        WaitMilliseconds(3000);
    }

    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    // A fault happens again when the handler returns to the faulting instruction and then
    // gets the default action; a signal sent by a process has to be raised once more.
    if (info->si_code <= 0)
        ::raise(signal);
    errno = savedErrno;
}

} // namespace

const char* FaultText(int signal, int code, bool stackOverflow)
{
    switch (signal) {
    case SIGSEGV:
    case SIGBUS:
        return stackOverflow ? "Stack overflow" : "Access violation";
    case SIGFPE:
        switch (code) {
        case FPE_INTDIV: return "Devision by zero";
        case FPE_INTOVF: return "Integer overflow";
        case FPE_FLTDIV: return "Float devision by zero";
        case FPE_FLTOVF: return "Float overflow";
        case FPE_FLTUND: return "Float underflow";
        case FPE_FLTRES: return "Float inexact result";
        case FPE_FLTINV: return "Float invalid operation";
        case FPE_FLTSUB: return "Array bounds exceeded";
        default: return "";
        }
    case SIGILL:
        return code == ILL_PRVOPC || code == ILL_PRVREG ? "Priveleged instruction" : "";
    default:
        return "";
    }
}

void PrepareThreadForExceptionTrace()
{
    if (!altStack.memory) {
        void* memory = ::mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory != MAP_FAILED) {
            stack_t stack{};
            stack.ss_sp = memory;
            stack.ss_size = kAltStackSize;
            if (::sigaltstack(&stack, nullptr) == 0)
                altStack.memory = memory;
            else
                ::munmap(memory, kAltStackSize);
        }
    }
    pthread_attr_t attr;
    if (::pthread_getattr_np(::pthread_self(), &attr) == 0) {
        void* low = nullptr;
        size_t size = 0;
        size_t guard = 0;
        if (::pthread_attr_getstack(&attr, &low, &size) == 0)
            stackLow = reinterpret_cast<uintptr_t>(low);
        if (::pthread_attr_getguardsize(&attr, &guard) == 0)
            stackGuard = guard;
        ::pthread_attr_destroy(&attr);
    }
}

void InstallExceptionTrace()
{
    std::lock_guard<std::mutex> guard(installLock);
    if (installed)
        return;
    // Everything the handler touches is made ready now: the unwinder's library is loaded by
    // the first backtrace, the log's state and the user name on first use.
    void* warm[4];
    ::backtrace(warm, 4);
    LogLock();
    UserPrefix();
    PrepareThreadForExceptionTrace();

    struct sigaction action {};
    action.sa_sigaction = FaultHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kTracedSignals)
        sigaddset(&action.sa_mask, signal);
    for (size_t i = 0; i < std::size(kTracedSignals); ++i)
        ::sigaction(kTracedSignals[i], &action, &previous[i]);
    installed = true;
}

void RemoveExceptionTrace()
{
    std::lock_guard<std::mutex> guard(installLock);
    if (!installed)
        return;
    for (size_t i = 0; i < std::size(kTracedSignals); ++i)
        ::sigaction(kTracedSignals[i], &previous[i], nullptr);
    installed = false;
}

bool ExceptionTraceInstalled()
{
    std::lock_guard<std::mutex> guard(installLock);
    return installed;
}

__attribute__((noinline)) std::string CallStackText()
{
    std::lock_guard<TCriticalSection> guard(LogLock());
    void* frames[kMaxReturnAddresses + 8];
    const int count = ::backtrace(frames, kMaxReturnAddresses + 8);
    // The chain starts where CallStackText returns to. Frames before it are CallStackText's
    // own (and those of anything that wraps backtrace, such as a sanitizer's interceptor).
    void* const caller = __builtin_extract_return_addr(__builtin_return_address(0));
    int first = 1;
    for (int i = 0; i < count; ++i)
        if (frames[i] == caller) {
            first = i;
            break;
        }
    std::string text;
    for (int i = first; i < count && i < first + kMaxReturnAddresses; ++i) {
        char buffer[2 * sizeof(uintptr_t) + 1];
        char* end = AppendHex(buffer, buffer + sizeof buffer - 1, reinterpret_cast<uintptr_t>(frames[i]));
        if (!text.empty())
            text += ", ";
        text.append(buffer, end);
    }
    return text;
}

} // namespace orlinda
