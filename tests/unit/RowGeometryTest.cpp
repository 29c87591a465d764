#include "common/RowGeometry.h"

#include <gtest/gtest.h>

namespace {
// Every digit 6 pixels wide, like the list's 12-pixel font.
int SixPerDigit(const std::string& digits) { return 6 * static_cast<int>(digits.size()); }
} // namespace

TEST(RowGeometry, TheTextColumnMovesWhenTheCountGainsADigit)
{
    const Cell cell = {0, 44, 249, 66};
    const RowPlaces nine = PlaceRow(9, cell, 12, SixPerDigit);
    EXPECT_EQ(nine.numberX, 5);
    EXPECT_EQ(nine.textX, 13 + 6);
    EXPECT_EQ(nine.y, 44 + 5);
    const RowPlaces ten = PlaceRow(10, cell, 12, SixPerDigit);
    EXPECT_EQ(ten.textX, nine.textX + 6);
}

TEST(RowGeometry, DropsTheRemainderWhenCentring)
{
    EXPECT_EQ(PlaceRow(1, {3, 0, 100, 22}, 13, SixPerDigit).y, 4);
    EXPECT_EQ(PlaceRow(1, {3, 0, 100, 22}, 13, SixPerDigit).numberX, 8);
    EXPECT_EQ(RowNumberText(11), "12.");
}
