#include "model/LayoutFormats.h"

#include <gtest/gtest.h>

using namespace orlinda;

TEST(LayoutFormats, WindowPlacement)
{
    EXPECT_EQ(FormatWindowPlacement({true, 100, 80, 900, 600}), "M|100|80|900|600");
    EXPECT_EQ(FormatWindowPlacement({false, -8, 0, 1032, 776}), "|-8|0|1032|776");

    const TWindowPlacement current{false, 1, 2, 3, 4};
    struct Case {
        const char* text;
        TWindowPlacement expected;
    };
    const Case cases[] = {
        {"M|100|80|900|600", {true, 100, 80, 900, 600}},
        {"|100|80|900|600", {false, 100, 80, 900, 600}},
        {"|a|80|900|600", {false, 1, 80, 900, 600}},   // a field that is no number keeps its value
        {"|10|20", {false, 10, 20, 3, 4}},             // missing fields too
        {"M", {true, 1, 2, 3, 4}},
        {"x|10| 20 |+30|-40", {false, 10, 20, 30, -40}},
        {"|1.5|99999999999|0x10|", {false, 1, 2, 3, 4}},
        {"", {false, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        TWindowPlacement p = ParseWindowPlacement(c.text, current);
        EXPECT_EQ(p.Maximized, c.expected.Maximized) << c.text;
        EXPECT_EQ(p.Left, c.expected.Left) << c.text;
        EXPECT_EQ(p.Top, c.expected.Top) << c.text;
        EXPECT_EQ(p.Right, c.expected.Right) << c.text;
        EXPECT_EQ(p.Bottom, c.expected.Bottom) << c.text;
    }
}

namespace {

// Four columns in their natural order, 100, 110, 120, 130 pixels; column 2 has a fixed width.
std::vector<TColumnState> FourColumns()
{
    return {{0, true, 100, true}, {1, true, 110, true}, {2, true, 120, false}, {3, true, 130, true}};
}

std::vector<int> Positions(const std::vector<TColumnState>& columns)
{
    std::vector<int> p;
    for (const auto& c : columns)
        p.push_back(c.Position);
    return p;
}

} // namespace

TEST(LayoutFormats, ColumnOrderAndWidthsRoundTrip)
{
    auto columns = FourColumns();
    columns[0].Position = 2;
    columns[2].Position = 0;
    columns[1].Visible = false;
    EXPECT_EQ(FormatColumnOrder(columns), "3,-2,1,4");
    EXPECT_EQ(FormatColumnWidths(columns), "120,110,100,130");

    auto restored = FourColumns();
    RestoreColumnLayout(FormatColumnOrder(columns), "125,111,101,131", restored);
    EXPECT_EQ(Positions(restored), Positions(columns));
    EXPECT_FALSE(restored[1].Visible);
    EXPECT_TRUE(restored[0].Visible);
    EXPECT_EQ(restored[0].Width, 101);
    EXPECT_EQ(restored[1].Width, 111);
    EXPECT_EQ(restored[2].Width, 120) << "a column of fixed width keeps it";
    EXPECT_EQ(restored[3].Width, 131);
}

TEST(LayoutFormats, MalformedColumnListsStopAtTheBadEntry)
{
    struct Case {
        const char* order;
        const char* widths;
        std::vector<int> positions;
        std::vector<bool> visible;
        std::vector<int> width;
    };
    const Case cases[] = {
        {"2,x,4,3", "", {1, 0, 2, 3}, {true, true, true, true}, {100, 110, 120, 130}},
        {"4,0,1", "", {1, 2, 3, 0}, {true, true, true, true}, {100, 110, 120, 130}},
        {"-1,5,2", "", {0, 1, 2, 3}, {false, true, true, true}, {100, 110, 120, 130}},
        {"", "50,60,x,70", {0, 1, 2, 3}, {true, true, true, true}, {50, 60, 120, 130}},
        {"", "50,-1,70", {0, 1, 2, 3}, {true, true, true, true}, {50, 110, 120, 130}},
        {"", "1,2,3,4,5,6", {0, 1, 2, 3}, {true, true, true, true}, {1, 2, 120, 4}},
        {"4,3,2,1,9", "40,30,20,10", {3, 2, 1, 0}, {true, true, true, true}, {10, 20, 120, 40}},
        {"", "", {0, 1, 2, 3}, {true, true, true, true}, {100, 110, 120, 130}},
    };
    for (const Case& c : cases) {
        auto columns = FourColumns();
        RestoreColumnLayout(c.order, c.widths, columns);
        EXPECT_EQ(Positions(columns), c.positions) << c.order << " / " << c.widths;
        for (size_t i = 0; i < columns.size(); ++i) {
            EXPECT_EQ(columns[i].Visible, c.visible[i]) << c.order << " column " << i;
            EXPECT_EQ(columns[i].Width, c.width[i]) << c.widths << " column " << i;
        }
    }
}

TEST(LayoutFormats, SortState)
{
    EXPECT_EQ(FormatSortState({2, false}), "-3");
    EXPECT_EQ(FormatSortState({2, true}), "3");
    EXPECT_EQ(FormatSortState({-1, false}), "0");

    struct Case {
        const char* text;
        int column;
        bool reversed;
    };
    const Case cases[] = {
        {"-3", 2, false},   // normal order on the third column
        {"3", 2, true},     // reversed on it
        {"0", -1, false},   // no sort column
        {"-1", 0, false},
        {"abc", 0, false},  // not a number counts as -1
        {"-2147483648", 2147483647, false},
    };
    for (const Case& c : cases) {
        auto state = ParseSortState(c.text);
        ASSERT_TRUE(state.has_value()) << c.text;
        EXPECT_EQ(state->Column, c.column) << c.text;
        EXPECT_EQ(state->Reversed, c.reversed) << c.text;
    }
    EXPECT_FALSE(ParseSortState("").has_value()) << "an empty value restores nothing";
}
