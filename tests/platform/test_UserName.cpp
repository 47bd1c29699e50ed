#include "platform/UserName.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace orlinda;

TEST(UserName, IsTheLoginNameOfTheEffectiveUser)
{
    std::string expected;
    if (FILE* id = ::popen("id -un 2>/dev/null", "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, id))
            expected += buffer;
        ::pclose(id);
    }
    while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r'))
        expected.pop_back();
    if (expected.empty())
        GTEST_SKIP() << "id -un gives no name here";
    EXPECT_EQ(UserName(), expected);
}
