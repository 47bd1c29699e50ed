#include "model/LayoutFormats.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace orlinda {

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> fields;
    size_t pos = 0;
    for (;;) {
        size_t next = text.find(separator, pos);
        fields.push_back(text.substr(pos, next == std::string::npos ? std::string::npos : next - pos));
        if (next == std::string::npos)
            return fields;
        pos = next + 1;
    }
}

// Column indices ordered by display position.
std::vector<int> DisplayOrder(const std::vector<TColumnState>& columns)
{
    std::vector<int> order(columns.size());
    for (size_t i = 0; i < columns.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return columns[static_cast<size_t>(a)].Position < columns[static_cast<size_t>(b)].Position;
    });
    return order;
}

std::string Join(const std::vector<std::string>& parts, char separator)
{
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            text += separator;
        text += parts[i];
    }
    return text;
}

} // namespace

bool ParseLayoutNumber(const std::string& text, int& value)
{
    size_t begin = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return false;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    if (*first == '+')
        ++first;
    if (first == last)
        return false;
    int32_t parsed = 0;
    auto result = std::from_chars(first, last, parsed);
    if (result.ec != std::errc() || result.ptr != last)
        return false;
    value = parsed;
    return true;
}

std::string FormatWindowPlacement(const TWindowPlacement& p)
{
    return std::string(p.Maximized ? "M|" : "|") + std::to_string(p.Left) + "|" + std::to_string(p.Top) + "|"
        + std::to_string(p.Right) + "|" + std::to_string(p.Bottom);
}

TWindowPlacement ParseWindowPlacement(const std::string& text, const TWindowPlacement& current)
{
    TWindowPlacement result = current;
    if (text.empty())
        return result;
    std::vector<std::string> fields = Split(text, '|');
    if (fields[0] == "M")
        result.Maximized = true;
    int* targets[] = {&result.Left, &result.Top, &result.Right, &result.Bottom};
    for (size_t i = 0; i < 4 && i + 1 < fields.size(); ++i) {
        int value = 0;
        if (ParseLayoutNumber(fields[i + 1], value))
            *targets[i] = value;
    }
    return result;
}

std::string FormatColumnOrder(const std::vector<TColumnState>& columns)
{
    std::vector<std::string> parts;
    for (int index : DisplayOrder(columns))
        parts.push_back(std::to_string(columns[static_cast<size_t>(index)].Visible ? index + 1 : -(index + 1)));
    return Join(parts, ',');
}

std::string FormatColumnWidths(const std::vector<TColumnState>& columns)
{
    std::vector<std::string> parts;
    for (int index : DisplayOrder(columns))
        parts.push_back(std::to_string(columns[static_cast<size_t>(index)].Width));
    return Join(parts, ',');
}

void RestoreColumnLayout(const std::string& order, const std::string& widths, std::vector<TColumnState>& columns)
{
    const int count = static_cast<int>(columns.size());
    std::vector<int> display = DisplayOrder(columns);
    if (!order.empty()) {
        std::vector<std::string> entries = Split(order, ',');
        for (int position = 0; position < static_cast<int>(entries.size()) && position < count; ++position) {
            int entry = 0;
            if (!ParseLayoutNumber(entries[static_cast<size_t>(position)], entry) || entry == 0 || entry > count
                || entry < -count)
                break;
            int column = (entry < 0 ? -entry : entry) - 1;
            // Moving a column shifts the ones between its old and new place, as a list view does.
            display.erase(std::find(display.begin(), display.end(), column));
            display.insert(display.begin() + position, column);
            columns[static_cast<size_t>(column)].Visible = entry > 0;
        }
        for (int position = 0; position < count; ++position)
            columns[static_cast<size_t>(display[static_cast<size_t>(position)])].Position = position;
    }
    if (!widths.empty()) {
        std::vector<std::string> entries = Split(widths, ',');
        for (int position = 0; position < static_cast<int>(entries.size()) && position < count; ++position) {
            int width = 0;
            if (!ParseLayoutNumber(entries[static_cast<size_t>(position)], width) || width < 0)
                break;
            TColumnState& column = columns[static_cast<size_t>(display[static_cast<size_t>(position)])];
            if (column.Resizable)
                column.Width = width;
        }
    }
}

std::string FormatSortState(const TSortState& state)
{
    return std::to_string(state.Reversed ? state.Column + 1 : -(state.Column + 1));
}

std::optional<TSortState> ParseSortState(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    int value = 0;
    if (!ParseLayoutNumber(text, value))
        value = -1;
    TSortState state;
    state.Reversed = value > 0;
    // |value| - 1, computed without overflowing for the most negative number.
    state.Column = value > 0 ? value - 1 : static_cast<int>(-(static_cast<int64_t>(value) + 1));
    return state;
}

} // namespace orlinda
