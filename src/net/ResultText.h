#pragma once
#include <string>

namespace orlinda {

// Result kinds of a network operation.
namespace ResultKind {
inline constexpr int Success = 0;
inline constexpr int Internet = 1;   // WinInet-numbered errors
inline constexpr int Http = 2;       // an HTTP status
inline constexpr int Socket = 3;     // a socket error
inline constexpr int System = 4;     // an operating-system error
inline constexpr int Database = 5;
inline constexpr int General = 100;  // the general codes ("User abort", "Timeout", ...)
} // namespace ResultKind

// The English message for a result kind and number.
std::string ResultText(int kind, int number);

} // namespace orlinda
