#include "common/FailureQueue.h"

#include <gtest/gtest.h>

TEST(PaintFailures, EachFailureWaitsOnceAndComesOutInOrder)
{
    FailureQueue queue;
    EXPECT_TRUE(queue.add("no such table: TText"));
    // Every repaint behind the box raises it again: it must not pile up.
    EXPECT_FALSE(queue.add("no such table: TText"));
    EXPECT_TRUE(queue.add("找不到字段 TText"));
    std::string text;
    ASSERT_TRUE(queue.take(text));
    EXPECT_EQ(text, "no such table: TText");
    ASSERT_TRUE(queue.take(text));
    EXPECT_EQ(text, "找不到字段 TText");
    EXPECT_FALSE(queue.take(text));
    EXPECT_FALSE(queue.add("no such table: TText")) << "already shown once";
}
