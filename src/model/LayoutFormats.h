#pragma once
#include <optional>
#include <string>
#include <vector>

namespace orlinda {

// The text forms in which the main window keeps its placement and the layout of its
// lists in the settings ("Layout", "… Order", "… Width", "… Sort").

// "Layout": "M|" when maximized, else "|", then left|top|right|bottom of the normal
// (restored) rectangle, e.g. M|100|80|900|600.
struct TWindowPlacement {
    bool Maximized = false;
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};
std::string FormatWindowPlacement(const TWindowPlacement& placement);
// Starts from current: a field that is missing or not a number keeps its current value,
// and a first field "M" maximizes (anything else leaves Maximized as it is).
TWindowPlacement ParseWindowPlacement(const std::string& text, const TWindowPlacement& current);

// One column of a list, indexed by its column number.
struct TColumnState {
    int Position = 0;        // display position, 0 = leftmost
    bool Visible = true;
    int Width = 0;           // pixels
    bool Resizable = true;   // the user may change the width
};

// Column order: one entry per display position from left to right, the column's index + 1,
// negated when hidden; widths: the widths of the columns in that same order.
std::string FormatColumnOrder(const std::vector<TColumnState>& columns);
std::string FormatColumnWidths(const std::vector<TColumnState>& columns);
// Moves each column named by the order list to its position and shows or hides it, then
// gives the width of each entry of the width list to the column at that display position
// when it is resizable. Each list stops at its first malformed entry (not a number, zero,
// a column that does not exist, a negative width); what came before it is kept.
void RestoreColumnLayout(const std::string& order, const std::string& widths,
                         std::vector<TColumnState>& columns);

// Sort: -(column + 1) for the list's normal order, column + 1 when reversed; column -1
// (no sort column) in normal order is 0.
struct TSortState {
    int Column = -1;         // -1: no sort column
    bool Reversed = false;
};
std::string FormatSortState(const TSortState& state);
// Nothing (std::nullopt) for an empty text; a text that is not a number counts as -1.
// A value <= 0 is the normal order, and the column is the absolute value - 1.
std::optional<TSortState> ParseSortState(const std::string& text);

// A whole decimal number within 32 bits with an optional sign, blanks around it allowed.
bool ParseLayoutNumber(const std::string& text, int& value);

} // namespace orlinda
