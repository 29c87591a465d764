#include "common/DateTime.h"

#include <gtest/gtest.h>

TEST(DateTime, DayZeroIsThe30thOfDecember1899)
{
    EXPECT_EQ(FormatDateTime(0), "1899-12-30 00:00:00");
    EXPECT_DOUBLE_EQ(ToDateTime({1900, 1, 1, 0, 0, 0}), 2.0);
    EXPECT_DOUBLE_EQ(ToDateTime({2000, 3, 1, 12, 0, 0}), 36586.5);
}

TEST(DateTime, FormatsAndParsesTheStoredForm)
{
    DateTime value = -1;
    ASSERT_TRUE(ParseDateTime("2026-12-07 08:05:09", value));
    EXPECT_EQ(FormatDateTime(value), "2026-12-07 08:05:09");
    ASSERT_TRUE(ParseDateTime("2024-02-29 23:59:59", value));
    EXPECT_EQ(FormatDateTime(value), "2024-02-29 23:59:59");
    ASSERT_TRUE(ParseDateTime("", value));
    EXPECT_EQ(value, 0);
}

TEST(DateTime, RejectsAllButExactlyTheStoredForm)
{
    for (const char* text :
         {"yesterday", "2023-02-29 00:00:00", "2026-12-07 24:00:00", "2026-12-07 08:60:00", "2026-13-01 00:00:00",
          "2026-12-07 08:05:09 extra", " 2026-12-07 08:05:09", "2026-12-07", "2026-12-07 1:2:3456",
          "2026-12-07 08:05:0x", "2026-12-07 +8:+5:09", "2026-12-07T08:05:09", "2026-+1-07 08:05:09"}) {
        DateTime value = 7;
        EXPECT_FALSE(ParseDateTime(text, value)) << text;
        EXPECT_EQ(value, 7);
    }
}

TEST(DateTime, DifferencesAreDaysWithFractions)
{
    const DateTime a = ToDateTime({2026, 11, 30, 12, 0, 0});
    const DateTime b = ToDateTime({2026, 12, 7, 12, 0, 1});
    EXPECT_NEAR(b - a, 7 + 1 / 86400.0, 1e-9);
}
