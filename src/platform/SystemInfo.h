#pragma once
#include <cstdint>
#include <string>

namespace orlinda {

// What the system tells about the processor, memory and operating system.

struct TCpuFacts {
    bool Known = false;      // false when the processor could not be queried at all
    std::string Vendor;      // "GenuineIntel"; "Unidentified" without the identification instruction
    std::string Name;        // brand string; "Unidentified CPU" without it
    int MHz = 0;             // nominal clock, 0 when the system does not tell it
};

struct TMemoryFacts {
    uint64_t TotalPhysical = 0;  // bytes
    uint64_t TotalSwap = 0;      // bytes
};

TCpuFacts QueryCpu();
// False when the system does not answer.
bool QueryMemory(TMemoryFacts& facts);
// "Linux 6.1.0-18-amd64 (#1 SMP PREEMPT_DYNAMIC …)": system name, release and version
// as uname gives them; empty when uname fails.
std::string QueryOperatingSystem();

} // namespace orlinda
