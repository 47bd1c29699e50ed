#include "core/MatchMask.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(MatchMask, Cases)
{
    struct Case { const char* text; const char* mask; bool match; };
    const Case cases[] = {
        {"12ab", "##ab", true},
        {"1xab", "##ab", false},
        {"file1.txt", "file?.txt", true},
        {"file1.txt", "file?.doc", false},
        {"abc", "a*c", true},
        {"abc", "abc", true},
        {"abc", "abd", false},
        {"Abc", "abc", false}, // case-sensitive
        {"abc", "*", true},
        {"abc", "a*", true},
        {"orlindacontact.exe", "orlinda*.exe", true},
        {"orlinda.exe", "contact*.exe", false},
        {"aab", "[a]b", true},
        {"acb", "[!a]b", false},
        {"xyb", "[!a]b", true},
        {"abcab", "[abc]", true},
        {"abd", "[abc]", false},
        {"b", "[a]b", true},     // the run of set characters may be empty
        {"ab", "[a", false},     // no closing bracket
        {"ab", "[]b", false},    // empty set
        {"ab", "[!]b", false},
        // Forbidden pairs never match.
        {"abc", "*?", false}, {"a1", "*#", false}, {"ab", "*[a]", false}, {"ab", "**", false},
        {"ab", "[a]?", false}, {"a1", "[a]#", false}, {"ab", "[a][b]", false}, {"ab", "[a]*", false},
        // Empty text or mask.
        {"", "*", false}, {"abc", "", false}, {"", "", false},
        // The walk ends with one character to spare on either side.
        {"ab", "ab#", true},
        {"abc", "ab", true},
        {"abcd", "ab", false},
        {"ab", "ab##", false},
        {"a", "a*", true},
        // '*' looks for its run again further on when the first place does not lead to a match.
        {"banana", "*a", true},
        {"abab", "*ab", true},
        {"my.app.exe", "*.exe", true},
        {"abcabd", "a*bd", true},
        {"abcabc", "a*bd", false},
        {"xaybzc", "*a*b*c", true},
        {"xaybz", "*a*b*c", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchMask(c.text, c.mask), c.match) << "'" << c.text << "' against '" << c.mask << "'";
}

TEST(MatchMask, BacktracksThroughManyNearMatches)
{
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "ab";
    EXPECT_FALSE(MatchMask(text, "*ab##"));
    EXPECT_TRUE(MatchMask(text + "ab12", "*ab##"));
}
