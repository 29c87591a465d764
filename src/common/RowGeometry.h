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
