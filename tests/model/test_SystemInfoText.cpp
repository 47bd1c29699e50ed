#include "model/SystemInfoText.h"

#include "core/Version.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(SystemInfoText, LineLayout)
{
    TSystemFacts facts;
    facts.Version = "1.0";
    facts.Build = "42";
    facts.CpuKnown = true;
    facts.CpuVendor = "  GenuineIntel\t";
    facts.CpuName = "Intel(R)   Core(TM) i5 \x01 CPU  ";
    facts.CpuMHz = 1800;
    facts.TotalPhysical = 16709902336ull;  // 16 318 264 Kb
    facts.TotalPageFile = 1023;            // rounds to 1 Kb
    facts.OperatingSystem = "Linux 6.1.0 (#1 SMP)";
    EXPECT_EQ(FormatSystemInfo(facts),
              "\r\n"
              "\r\n"
              "== Application Info ===========\r\n"
              "Orlinda 1.0\r\n"
              "Build: 42\r\n"
              "== System Info ================\r\n"
              "CPU:  GenuineIntel [Intel(R) Core(TM) i5 CPU ] at 1800 MHz\r\n"
              "Memory: 16 318 264 Kb (Page File: 1 Kb)\r\n"
              "OS: Linux 6.1.0 (#1 SMP)\r\n"
              "===============================\r\n"
              "\r\n");

    facts.CpuKnown = false;
    EXPECT_NE(FormatSystemInfo(facts).find("\r\nCPU: Unknown\r\n"), std::string::npos);
}

TEST(SystemInfoText, Thousands)
{
    EXPECT_EQ(FormatKilobytes(0), "0");
    EXPECT_EQ(FormatKilobytes(999 * 1024), "999");
    EXPECT_EQ(FormatKilobytes(1000 * 1024), "1 000");
    EXPECT_EQ(FormatKilobytes(123456789ull * 1024), "123 456 789");
}

TEST(SystemInfoText, DescribesThisProgramAndMachine)
{
    std::string text = SystemInfoText();
    ASSERT_FALSE(text.empty());
    const std::string version = "Orlinda " + std::to_string(ORLINDA_VERSION_MAJOR) + "." + std::to_string(ORLINDA_VERSION_MINOR);
    EXPECT_NE(text.find("\r\n" + version + "\r\nBuild: " + std::to_string(ORLINDA_BUILD_NUMBER) + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nCPU: "), std::string::npos);
    EXPECT_NE(text.find(" MHz\r\nMemory: "), std::string::npos);
    EXPECT_NE(text.find(" Kb (Page File: "), std::string::npos);
    EXPECT_NE(text.find("\r\nOS: Linux "), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 37), "\r\n===============================\r\n\r\n");
}
