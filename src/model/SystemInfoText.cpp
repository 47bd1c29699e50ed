#include "model/SystemInfoText.h"

#include "core/TextUtils.h"
#include "core/Version.h"
#include "platform/SystemInfo.h"

#include <exception>

namespace orlinda {

std::string FormatKilobytes(uint64_t bytes)
{
    std::string digits = std::to_string((bytes + 512) / 1024);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ' ';
        out += digits[i];
    }
    return out;
}

std::string FormatSystemInfo(const TSystemFacts& facts)
{
    const char* const eol = "\r\n";
    std::string cpu = facts.CpuKnown
        ? CollapseBlanks(facts.CpuVendor + " [" + facts.CpuName + "] at " + std::to_string(facts.CpuMHz) + " MHz")
        : std::string("Unknown");
    std::string text;
    text += eol;
    text += eol;
    text += std::string("== Application Info ===========") + eol;
    text += "Orlinda " + facts.Version + eol;
    text += "Build: " + facts.Build + eol;
    text += std::string("== System Info ================") + eol;
    text += "CPU: " + cpu + eol;
    text += "Memory: " + FormatKilobytes(facts.TotalPhysical) + " Kb (Page File: "
        + FormatKilobytes(facts.TotalPageFile) + " Kb)" + eol;
    text += "OS: " + facts.OperatingSystem + eol;
    text += std::string("===============================") + eol;
    text += eol;
    return text;
}

std::string SystemInfoText()
{
    try {
        TSystemFacts facts;
        facts.Version = std::to_string(ORLINDA_VERSION_MAJOR) + "." + std::to_string(ORLINDA_VERSION_MINOR);
        facts.Build = std::to_string(ORLINDA_BUILD_NUMBER);
        TCpuFacts cpu = QueryCpu();
        facts.CpuKnown = cpu.Known;
        facts.CpuVendor = cpu.Vendor;
        facts.CpuName = cpu.Name;
        facts.CpuMHz = cpu.MHz;
        TMemoryFacts memory;
        if (!QueryMemory(memory))
            return {};
        facts.TotalPhysical = memory.TotalPhysical;
        facts.TotalPageFile = memory.TotalSwap;
        facts.OperatingSystem = QueryOperatingSystem();
        if (facts.OperatingSystem.empty())
            return {};
        return FormatSystemInfo(facts);
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace orlinda
