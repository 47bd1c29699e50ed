#include "core/Clock.h"
#include "core/Error.h"
#include "core/ExceptionTrace.h"
#include "core/Log.h"
#include "core/Logging.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <sys/resource.h>
#include <sys/wait.h>
#include <sstream>
#include <thread>
#include <vector>

using namespace orlinda;
using orlinda::test::ReadFile;
using orlinda::test::TempDir;

namespace {

// ---- faults, each in a function of its own so its address can be checked ----

__attribute__((noinline)) void WriteInvalidPointer()
{
    volatile int* volatile p = reinterpret_cast<int*>(uintptr_t{0x10});
    *p = 1;
}

__attribute__((noinline)) void DivideByZero()
{
#if defined(__x86_64__) || defined(__i386__)
    // Written as the instruction itself: the division the compiler would emit is undefined
    // behaviour that a sanitizer would report before the processor faults.
    int dividend = 7, divisor = 0;
    asm volatile("cltd\n\tidivl %1" : "+a"(dividend) : "r"(divisor) : "edx", "cc");
#endif
}

__attribute__((noinline)) void IllegalInstruction()
{
    __builtin_trap();
}

__attribute__((noinline)) void SendSegv()
{
    ::raise(SIGSEGV);
}

volatile bool keepGoing = true;

// Grows the stack until it overflows; the array keeps every frame large and alive.
__attribute__((noinline)) int Recurse(int depth)
{
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    return keepGoing ? Recurse(depth + 1) + frame[0] : 0;
}

__attribute__((noinline)) void OverflowStack()
{
    Recurse(0);
}

__attribute__((noinline)) void OverflowStackInThread()
{
    std::thread([] {
        PrepareThreadForExceptionTrace();
        Recurse(0);
    }).join();
}

__attribute__((noinline)) void FaultInThread()
{
    std::thread(WriteInvalidPointer).join();
}

// Calls the fault from a frame of its own, so the first return address is known.
__attribute__((noinline)) void Caller(void (*fault)())
{
    fault();
    asm volatile("" ::: "memory"); // not a tail call
}

bool Within(uintptr_t address, void (*function)(), uintptr_t size = 512)
{
    auto start = reinterpret_cast<uintptr_t>(function);
    return address >= start && address < start + size;
}

bool Within(uintptr_t address, void (*function)(void (*)()), uintptr_t size = 512)
{
    auto start = reinterpret_cast<uintptr_t>(function);
    return address >= start && address < start + size;
}

// The child's set-up: the real main log (no user name, a fixed stamp) and the trace.
void StartTracing(const std::string& file)
{
    // A stack without a limit would take all memory before it overflows.
    rlimit stack{};
    if (::getrlimit(RLIMIT_STACK, &stack) == 0 && (stack.rlim_cur == RLIM_INFINITY || stack.rlim_cur > (64u << 20))) {
        stack.rlim_cur = 8u << 20;
        ::setrlimit(RLIMIT_STACK, &stack);
    }
    static TFixedClock clock(EncodeDateTime(2026, 12, 9, 13, 5, 0));
    SetClock(&clock);
    StartLogging();
    OpenLog(file, false, false);
    InstallExceptionTrace();
}

std::vector<std::string> Lines(const std::string& file)
{
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(file));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Parses "A, B, C": upper-case hexadecimal numbers of at least eight digits joined by ", ".
bool ParseAddresses(const std::string& list, std::vector<uintptr_t>& addresses)
{
    addresses.clear();
    size_t pos = 0;
    while (pos < list.size()) {
        if (!addresses.empty()) {
            if (list.compare(pos, 2, ", ") != 0)
                return false;
            pos += 2;
        }
        size_t end = list.find_first_not_of("0123456789ABCDEF", pos);
        if (end == std::string::npos)
            end = list.size();
        if (end - pos < 8 || end - pos > 2 * sizeof(uintptr_t))
            return false;
        addresses.push_back(static_cast<uintptr_t>(std::stoull(list.substr(pos, end - pos), nullptr, 16)));
        pos = end;
    }
    return !addresses.empty();
}

// Parses a trace line "<stamp> <text>[<address>, <return address>, …]".
bool ParseTrace(const std::string& line, std::string& text, uintptr_t& at, std::vector<uintptr_t>& returns)
{
    const std::string stamp = "09-12-2026 13:05:00 ";
    const size_t open = line.find('[');
    if (line.compare(0, stamp.size(), stamp) != 0 || open == std::string::npos || line.back() != ']')
        return false;
    text = line.substr(stamp.size(), open - stamp.size());
    std::vector<uintptr_t> all;
    if (!ParseAddresses(line.substr(open + 1, line.size() - open - 2), all) || all.size() > 8)
        return false;
    at = all[0];
    returns.assign(all.begin() + 1, all.end());
    return true;
}

class ExceptionTraceTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "fast"); }
    TempDir dir;
    const std::string file = dir.File("assertions.dat");
};

} // namespace

TEST_F(ExceptionTraceTest, AFaultLeavesOneLineAndKillsTheProcess)
{
    struct Case { const char* name; void (*fault)(); int signal; const char* text; bool checkAddress; };
    const Case cases[] = {
        {"invalid pointer", WriteInvalidPointer, SIGSEGV, "Access violation", true},
        {"division by zero", DivideByZero, SIGFPE, "Devision by zero", true},
        {"illegal instruction", IllegalInstruction, SIGILL, "", true},
        {"SIGSEGV sent by kill", SendSegv, SIGSEGV, "Access violation", false},
        {"stack overflow", OverflowStack, SIGSEGV, "Stack overflow", false},
        {"stack overflow in a thread", OverflowStackInThread, SIGSEGV, "Stack overflow", false},
        {"invalid pointer in a thread", FaultInThread, SIGSEGV, "Access violation", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
#if !defined(__x86_64__) && !defined(__i386__)
        if (c.fault == DivideByZero)
            continue; // integer division does not trap on every processor
#endif
        TempDir child;
        const std::string log = child.File("assertions.dat");
        EXPECT_EXIT(
            {
                StartTracing(log);
                Caller(c.fault);
            },
            ::testing::KilledBySignal(c.signal), "");
        const auto lines = Lines(log);
        ASSERT_EQ(lines.size(), 1u);
        std::string text;
        uintptr_t at = 0;
        std::vector<uintptr_t> returns;
        ASSERT_TRUE(ParseTrace(lines[0], text, at, returns)) << lines[0];
        EXPECT_EQ(text, c.text) << lines[0];
        ASSERT_GE(returns.size(), 1u) << lines[0];
        if (c.checkAddress) {
            // The faulting instruction, then the call in Caller that led to it.
            EXPECT_TRUE(Within(at, c.fault)) << lines[0];
            EXPECT_TRUE(Within(returns[0], Caller)) << lines[0];
        }
    }
}

TEST_F(ExceptionTraceTest, CaughtLanguageExceptionsAreNotTraced)
{
    EXPECT_EXIT(
        {
            StartTracing(file);
            try {
                throw Error("Error reading data from stream");
            } catch (const Error&) {
            }
            try {
                std::vector<int>().at(3);
            } catch (const std::exception&) {
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(Lines(file).empty());
}

TEST_F(ExceptionTraceTest, AFaultInsideTheTracerIsNotTraced)
{
    EXPECT_EXIT(
        {
            InstallExceptionTrace();
            const std::string path = file;
            SetLogWriter([path](const std::string&) {
                AppendLine(path, "writer called");
                WriteInvalidPointer();
            });
            WriteInvalidPointer();
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    EXPECT_EQ(Lines(file), std::vector<std::string>{"writer called"});
}

TEST_F(ExceptionTraceTest, FaultsInTwoThreadsAtOnceLeaveOneLine)
{
    EXPECT_EXIT(
        {
            StartTracing(file);
            std::atomic<int> ready{0};
            auto fault = [&] {
                ++ready;
                while (ready < 2) {
                }
                WriteInvalidPointer();
            };
            std::thread a(fault);
            std::thread b(fault);
            a.join();
            b.join();
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    const auto lines = Lines(file);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("09-12-2026 13:05:00 Access violation[", 0), 0u) << lines[0];
}

TEST_F(ExceptionTraceTest, RemovedTraceWritesNothing)
{
    EXPECT_EXIT(
        {
            StartTracing(file);
            EXPECT_TRUE(ExceptionTraceInstalled());
            RemoveExceptionTrace();
            if (ExceptionTraceInstalled())
                std::exit(3);
            WriteInvalidPointer();
        },
        // Whatever handled faults before takes over again (a sanitizer's report and exit, say).
        [](int status) { return WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 3); },
        "");
    EXPECT_TRUE(Lines(file).empty());
}

TEST(FaultText, NamesOfTheFaults)
{
    struct Case { int signal, code; bool overflow; const char* text; };
    const Case cases[] = {
        {SIGSEGV, SEGV_MAPERR, false, "Access violation"},
        {SIGBUS, BUS_ADRERR, false, "Access violation"},
        {SIGSEGV, SEGV_ACCERR, true, "Stack overflow"},
        {SIGFPE, FPE_INTDIV, false, "Devision by zero"},
        {SIGFPE, FPE_INTOVF, false, "Integer overflow"},
        {SIGFPE, FPE_FLTDIV, false, "Float devision by zero"},
        {SIGFPE, FPE_FLTOVF, false, "Float overflow"},
        {SIGFPE, FPE_FLTUND, false, "Float underflow"},
        {SIGFPE, FPE_FLTRES, false, "Float inexact result"},
        {SIGFPE, FPE_FLTINV, false, "Float invalid operation"},
        {SIGFPE, FPE_FLTSUB, false, "Array bounds exceeded"},
        {SIGFPE, 0, false, ""},
        {SIGILL, ILL_PRVOPC, false, "Priveleged instruction"},
        {SIGILL, ILL_PRVREG, false, "Priveleged instruction"},
        {SIGILL, ILL_ILLOPN, false, ""},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(FaultText(c.signal, c.code, c.overflow), c.text) << c.signal << "/" << c.code;
}

namespace {
std::string stackText;
__attribute__((noinline)) void Innermost()
{
    stackText = CallStackText();
    asm volatile("" ::: "memory");
}
__attribute__((noinline)) void Middle()
{
    Innermost();
    asm volatile("" ::: "memory");
}
} // namespace

TEST(CallStackText, ReturnAddressesFromTheCaller)
{
    Middle();
    std::vector<uintptr_t> addresses;
    ASSERT_TRUE(ParseAddresses(stackText, addresses)) << stackText;
    ASSERT_EQ(addresses.size(), 7u) << stackText; // the test runner's frames lie above
    EXPECT_TRUE(Within(addresses[0], Innermost)) << stackText;
    EXPECT_TRUE(Within(addresses[1], Middle)) << stackText;
}
