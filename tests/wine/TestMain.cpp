// Entry point of VelmoraWineTests.exe. CTest runs it once per suite with --gtest_filter; a
// filter that selects nothing (a suite compiled out, a stale build) is a failure, not a pass.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (result == 0 && testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::fprintf(stderr, "No test matched the filter.\n");
        return 1;
    }
    return result;
}
