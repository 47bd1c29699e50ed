#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(SystemInfo, DescribesThisMachine)
{
    TCpuFacts cpu = QueryCpu();
    ASSERT_TRUE(cpu.Known);
    EXPECT_FALSE(cpu.Vendor.empty());
    EXPECT_FALSE(cpu.Name.empty());
    EXPECT_GE(cpu.MHz, 0);

    TMemoryFacts memory;
    ASSERT_TRUE(QueryMemory(memory));
    EXPECT_GT(memory.TotalPhysical, 16u * 1024 * 1024);

    std::string os = QueryOperatingSystem();
    EXPECT_EQ(os.rfind("Linux ", 0), 0u) << os;
    EXPECT_EQ(os.back(), ')');
    EXPECT_NE(os.find(" ("), std::string::npos);
}
