#include "platform/SystemInfo.h"

#include "platform/Folders.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define ORLINDA_HAVE_CPUID 1
#endif

namespace orlinda {

namespace {

// The value of the first "key : value" line of /proc/cpuinfo with that key.
std::string CpuinfoValue(const std::string& text, const std::string& key)
{
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.pop_back();
        if (name != key)
            continue;
        std::string value = line.substr(colon + 1);
        size_t start = value.find_first_not_of(" \t");
        return start == std::string::npos ? std::string() : value.substr(start);
    }
    return {};
}

int ClockMHz(const std::string& cpuinfo)
{
    // The nominal (highest) clock where cpufreq tells it, else the current one.
    std::string text;
    if (ReadFileContent("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq", text)) {
        long long khz = std::atoll(text.c_str());
        if (khz > 0)
            return static_cast<int>((khz + 500) / 1000);
    }
    std::string mhz = CpuinfoValue(cpuinfo, "cpu MHz");
    if (!mhz.empty()) {
        double value = std::atof(mhz.c_str());
        if (value > 0)
            return static_cast<int>(std::lround(value));
    }
    return 0;
}

#ifdef ORLINDA_HAVE_CPUID
bool CpuidIdentity(std::string& vendor, std::string& name)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(0, &a, &b, &c, &d))
        return false;
    char id[13] = {};
    std::memcpy(id, &b, 4);
    std::memcpy(id + 4, &d, 4);
    std::memcpy(id + 8, &c, 4);
    vendor = id;
    name.clear();
    if (__get_cpuid(0x80000000, &a, &b, &c, &d) && a >= 0x80000004) {
        char brand[49] = {};
        for (unsigned leaf = 0; leaf < 3; ++leaf) {
            unsigned r[4] = {};
            __get_cpuid(0x80000002 + leaf, &r[0], &r[1], &r[2], &r[3]);
            std::memcpy(brand + leaf * 16, r, 16);
        }
        name = brand;
    }
    return true;
}
#endif

} // namespace

TCpuFacts QueryCpu()
{
    TCpuFacts facts;
    std::string cpuinfo;
    ReadFileContent("/proc/cpuinfo", cpuinfo);
#ifdef ORLINDA_HAVE_CPUID
    if (CpuidIdentity(facts.Vendor, facts.Name)) {
        if (facts.Name.empty())
            facts.Name = CpuinfoValue(cpuinfo, "model name");
    } else {
        facts.Vendor = "Unidentified";
        facts.Name = "Unidentified CPU";
    }
    facts.Known = true;
#else
    facts.Vendor = CpuinfoValue(cpuinfo, "vendor_id");
    if (facts.Vendor.empty())
        facts.Vendor = CpuinfoValue(cpuinfo, "CPU implementer");
    facts.Name = CpuinfoValue(cpuinfo, "model name");
    if (facts.Name.empty())
        facts.Name = CpuinfoValue(cpuinfo, "Model");
    facts.Known = !facts.Vendor.empty() || !facts.Name.empty();
    if (facts.Known && facts.Vendor.empty())
        facts.Vendor = "Unidentified";
    if (facts.Known && facts.Name.empty())
        facts.Name = "Unidentified CPU";
#endif
    facts.MHz = ClockMHz(cpuinfo);
    return facts;
}

bool QueryMemory(TMemoryFacts& facts)
{
    struct sysinfo info{};
    if (::sysinfo(&info) != 0)
        return false;
    const uint64_t unit = info.mem_unit ? info.mem_unit : 1;
    facts.TotalPhysical = static_cast<uint64_t>(info.totalram) * unit;
    facts.TotalSwap = static_cast<uint64_t>(info.totalswap) * unit;
    return true;
}

std::string QueryOperatingSystem()
{
    struct utsname name{};
    if (::uname(&name) != 0)
        return {};
    return std::string(name.sysname) + " " + name.release + " (" + name.version + ")";
}

} // namespace orlinda
