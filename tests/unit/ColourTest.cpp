#include "common/Colour.h"

#include <gtest/gtest.h>

namespace {
std::uint32_t SystemColour(int index) { return 0x00100000u + static_cast<std::uint32_t>(index); }
} // namespace

TEST(StoredColour, PlainValuesPaintAsStoredAndSystemReferencesAsTheSystemColour)
{
    EXPECT_EQ(PaintedColour(0x9DCEFF, SystemColour), 0x9DCEFFu);
    EXPECT_EQ(PaintedColour(0, SystemColour), 0u);
    // 0xFF00000F: the button-face colour, by its index in the low byte.
    EXPECT_EQ(PaintedColour(static_cast<int>(0xFF00000Fu), SystemColour), 0x0010000Fu);
    EXPECT_EQ(PaintedColour(static_cast<int>(0xFF000005u), SystemColour), 0x00100005u);
    // Anything else above 0xFFFFFF keeps only its low three bytes.
    EXPECT_EQ(PaintedColour(0x12345678, SystemColour), 0x345678u);
    EXPECT_EQ(PaintedColour(static_cast<int>(0x80FF0000u), SystemColour), 0xFF0000u);
    EXPECT_EQ(PaintedColour(-1, [](int) { return 0xFFFFFFFFu; }), 0xFFFFFFu) << "never more than RGB";
}
