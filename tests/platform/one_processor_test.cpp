#include "platform/posix/one_processor.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <thread>

namespace kestrova {
namespace {

int ProcessorsOfThisThread() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return -1;
    return CPU_COUNT(&set);
}

// An AVIF decode runs inside the scope: the codec's threads, started then,
// must see one processor, and the picture worker must get all of its
// processors back afterwards, or every later decode stays on one.
TEST(OneProcessorScope, HoldsTheThreadAndWhatItStartsThenGivesBackWhatItHad) {
    const int before = ProcessorsOfThisThread();
    ASSERT_GT(before, 0);
    if (before < 2) GTEST_SKIP() << "this thread may use one processor only";
    {
        OneProcessorScope scope;
        ASSERT_TRUE(scope.Holding());
        EXPECT_EQ(ProcessorsOfThisThread(), 1);
        EXPECT_EQ(ProcessorsAllowed(), 1);
        int started_with = 0;
        std::thread([&] { started_with = ProcessorsOfThisThread(); }).join();
        EXPECT_EQ(started_with, 1);
    }
    EXPECT_EQ(ProcessorsOfThisThread(), before);
    EXPECT_EQ(ProcessorsAllowed(), before);
    int started_after = 0;
    std::thread([&] { started_after = ProcessorsOfThisThread(); }).join();
    EXPECT_EQ(started_after, before);
}

}  // namespace
}  // namespace kestrova
