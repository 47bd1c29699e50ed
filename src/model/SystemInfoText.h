#pragma once
#include <cstdint>
#include <string>

namespace orlinda {

// The facts the system description is made of.
struct TSystemFacts {
    std::string Version;      // "1.0": the first two numbers of the program's version
    std::string Build;        // the build number
    bool CpuKnown = false;    // false: "CPU: Unknown"
    std::string CpuVendor, CpuName;
    int CpuMHz = 0;
    uint64_t TotalPhysical = 0;  // bytes
    uint64_t TotalPageFile = 0;  // bytes (swap)
    std::string OperatingSystem; // "Linux 6.1.0 (#1 SMP …)"
};

// The description of the program and the machine that starts every session of the log
// and goes with feedback to the developers; lines end with CR LF:
//
//   (empty line)
//   (empty line)
//   == Application Info ===========
//   Orlinda 1.0
//   Build: 1
//   == System Info ================
//   CPU: GenuineIntel [Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz] at 1800 MHz
//   Memory: 16 318 264 Kb (Page File: 2 097 148 Kb)
//   OS: Linux 6.1.0-18-amd64 (#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1)
//   ===============================
//   (empty line)
std::string FormatSystemInfo(const TSystemFacts& facts);

// FormatSystemInfo of this program on this machine; empty when the system cannot be asked.
std::string SystemInfoText();

// Bytes / 1024, rounded, with a space between groups of three digits: 16 318 264.
std::string FormatKilobytes(uint64_t bytes);

} // namespace orlinda
