#pragma once
// Where the main list paints a row's number and text.
#include <string>

struct Cell {
    int left, top, right, bottom;
};

struct RowPlaces {
    int numberX, textX, y;
};

const int kListRowHeight = 22;

// `digitWidth` measures a text of digits in the list's font; `count` is the number of
// entries, `textHeight` the height of "A". The text column starts just right of the
// widest row number, so it moves when the count gains a digit.
template <typename MeasureDigits>
RowPlaces PlaceRow(int count, const Cell& cell, int textHeight, MeasureDigits digitWidth)
{
    const int w = digitWidth(std::to_string(count));
    const int dy = (cell.bottom - cell.top - textHeight) / 2;
    return {cell.left + 5, cell.left + 3 + w + 10, cell.top + dy};
}

// "12." for the row with index 11.
inline std::string RowNumberText(int index) { return std::to_string(index + 1) + "."; }

// The row `y` pixels below the top of a list of fixed `rowHeight` rows whose top visible
// row is `top`, of `count` rows; -1 above the list or below its last row. Counted in 64
// bits: the top index of a long list plus the rows below it may pass 16 bits.
inline int RowAt(long long top, long long count, int y, int rowHeight)
{
    if (top < 0 || y < 0)
        return -1;
    const long long index = top + y / rowHeight;
    return index < count ? static_cast<int>(index) : -1;
}
