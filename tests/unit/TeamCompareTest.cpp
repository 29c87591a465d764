// The comparison that numbers a new version's templates and counts what it changed.
#include "store/TeamCompare.h"

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<TeamVersionRow>;

} // namespace

TEST(TeamCompare, NumbersFollowTheTemplateAndMovesAreNoChange)
{
    // The current version: numbers 1..3 from DB.mdb IDs 10, 20, 30; the set has given up to 5.
    const Rows current = {{1, 10, "您好"}, {2, 20, "请稍等"}, {3, 30, "再见"}};
    struct Case {
        const char* what;
        TeamIdentity identity;
        Rows next;
        std::vector<long long> numbers;
        int added, changed, removed;
    };
    const Case cases[] = {
        {"moved only",
         TeamIdentity::SourceId,
         {{0, 30, "再见"}, {0, 10, "您好"}, {0, 20, "请稍等"}},
         {3, 1, 2},
         0,
         0,
         0},
        {"edited by ID", TeamIdentity::SourceId, {{0, 10, "您好！"}, {0, 20, "请稍等"}}, {1, 2}, 0, 1, 1},
        {"added after the highest ever given",
         TeamIdentity::SourceId,
         {{0, 40, "新的"}, {0, 10, "您好"}, {0, 20, "请稍等"}, {0, 30, "再见"}},
         {6, 1, 2, 3},
         1,
         0,
         0},
        // An ID the text of another row now has: the ID decides, not the text.
        {"IDs before texts", TeamIdentity::SourceId, {{0, 99, "请稍等"}, {0, 20, "稍等一下"}}, {6, 2}, 1, 1, 2},
        {"retyped under a new ID", TeamIdentity::SourceId, {{0, 77, "再见"}}, {3}, 0, 0, 2},
        {"another DB.mdb: text only", TeamIdentity::Text, {{0, 20, "再见"}, {0, 10, "您好！"}}, {3, 6}, 1, 0, 2},
        {"rollback keeps numbers",
         TeamIdentity::Numbered,
         {{4, 0, "已删除的"}, {1, 0, "您好啊"}, {2, 0, "请稍等"}},
         {4, 1, 2},
         1,
         1,
         1},
    };
    for (const Case& c : cases) {
        Rows next = c.next;
        const TeamComparison result = CompareVersions(current, next, c.identity, 5);
        std::vector<long long> numbers;
        for (const TeamVersionRow& row : next)
            numbers.push_back(row.templateNo);
        EXPECT_EQ(numbers, c.numbers) << c.what;
        EXPECT_EQ(result.added, c.added) << c.what;
        EXPECT_EQ(result.changed, c.changed) << c.what;
        EXPECT_EQ(result.removed, c.removed) << c.what;
    }
    // A first version numbers from 1; the set's highest number moves with it.
    Rows first = {{0, 1, "甲"}, {0, 2, "乙"}};
    EXPECT_EQ(CompareVersions({}, first, TeamIdentity::SourceId, 0).lastTemplateNo, 2);
    EXPECT_EQ(first[1].templateNo, 2);

    using Kind = TeamDifference::Kind;
    const std::vector<TeamDifference> diff =
        DiffVersions(current, {{3, 30, "再见"}, {6, 40, "新的"}, {1, 10, "您好！"}});
    ASSERT_EQ(diff.size(), 3u);
    EXPECT_TRUE(diff[0].kind == Kind::Added && diff[0].templateNo == 6 && diff[0].after == "新的");
    EXPECT_TRUE(diff[1].kind == Kind::Changed && diff[1].before == "您好" && diff[1].after == "您好！");
    EXPECT_TRUE(diff[2].kind == Kind::Removed && diff[2].templateNo == 2 && diff[2].before == "请稍等");
}
