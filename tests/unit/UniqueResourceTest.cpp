#include "common/UniqueResource.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace {

// Handles are small numbers; the deleter records each one it is given.
std::vector<int> deleted;

struct RecordDeletion {
    void operator()(int handle) const { deleted.push_back(handle); }
};

using Owner = UniqueResource<int, RecordDeletion>;

class UniqueResourceTest : public ::testing::Test {
protected:
    void SetUp() override { deleted.clear(); }
};

static_assert(!std::is_copy_constructible_v<Owner> && !std::is_copy_assignable_v<Owner>,
              "a copy would delete the handle twice");
static_assert(std::is_nothrow_move_constructible_v<Owner> && std::is_nothrow_move_assignable_v<Owner>);

} // namespace

TEST_F(UniqueResourceTest, AnEmptyOwnerDeletesNothing)
{
    {
        Owner empty;
    }
    {
        Owner zero(0);
    }
    EXPECT_TRUE(deleted.empty());
}

TEST_F(UniqueResourceTest, MovedHandlesAreDeletedOnceByTheLastOwner)
{
    {
        Owner first(7);
        Owner second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), 7);
        Owner third;
        third = std::move(second);
        EXPECT_TRUE(deleted.empty()) << "a moved-from owner deleted its old handle";
    }
    EXPECT_EQ(deleted, std::vector<int>({7}));
}

TEST_F(UniqueResourceTest, TakingANewHandleDeletesTheOldOneAtOnce)
{
    Owner held(1);
    held = Owner(2);
    EXPECT_EQ(deleted, std::vector<int>({1}));
    held.reset(3);
    EXPECT_EQ(deleted, std::vector<int>({1, 2}));
    held.reset();
    EXPECT_EQ(deleted, std::vector<int>({1, 2, 3}));
    EXPECT_FALSE(held);
}

TEST_F(UniqueResourceTest, SelfMoveKeepsTheHandle)
{
    {
        Owner held(5);
        Owner& alias = held;
        held = std::move(alias);
        EXPECT_EQ(held.get(), 5);
        EXPECT_TRUE(deleted.empty());
    }
    EXPECT_EQ(deleted, std::vector<int>({5}));
}

TEST_F(UniqueResourceTest, ReleaseGivesUpOwnership)
{
    {
        Owner held(9);
        EXPECT_EQ(held.release(), 9);
        EXPECT_EQ(held.get(), 0);
    }
    EXPECT_TRUE(deleted.empty());
}
