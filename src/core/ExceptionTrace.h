#pragma once
#include <string>

namespace orlinda {

// The exception trace: a hardware fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL) leaves one line in
// the log before the process dies of it as it would have, for example
//   Access violation[000055D2A3C01A2F, 000055D2A3C01B10, 000055D2A3C01C44]
// the fault's text, the address of the faulting instruction and up to seven return
// addresses of the calls that led there. Language exceptions (C++ throw) are not traced.
//
// Installs the handlers and prepares the calling thread (see below). Call it first thing
// in main(); calling it again does nothing.
void InstallExceptionTrace();
// Puts back the handlers that were in force before.
void RemoveExceptionTrace();
bool ExceptionTraceInstalled();

// Gives the calling thread an alternate signal stack, so that a stack overflow in it can be
// traced too, and records its stack bounds to tell an overflow from other access violations.
// InstallExceptionTrace does this for its own thread; other threads call it when they start.
void PrepareThreadForExceptionTrace();

// The return addresses of the current call chain, starting at the caller of CallStackText:
// at most seven, each in upper-case hexadecimal of at least eight digits, joined by ", ".
std::string CallStackText();

// The line's text for a fault: "Access violation", "Stack overflow", "Devision by zero", …
// or empty for a fault without a name.
const char* FaultText(int signal, int code, bool stackOverflow);

} // namespace orlinda
