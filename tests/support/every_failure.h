// Allocation checks for GoogleTest: a fixture that fails a test which leaks or
// frees badly, and the out-of-memory loop, an operation run with each of its
// allocations failing in turn and checked to fail cleanly every time.
#ifndef SEQTRACE_TESTS_SUPPORT_EVERY_FAILURE_H
#define SEQTRACE_TESTS_SUPPORT_EVERY_FAILURE_H

#include <gtest/gtest.h>

#include <string>

#include "test_alloc.h"

namespace test_alloc {

// Starts each test with a clean allocator and ends it with nothing leaked and
// nothing freed twice or out of nowhere.
class CheckedTest : public ::testing::Test {
  protected:
    void SetUp() override { reset(); }
    void TearDown() override {
        EXPECT_EQ(live_blocks(), 0);
        EXPECT_EQ(bad_frees(), 0);
    }
};

// Calls make() with the 1st, 2nd, ... request failing in turn, until a call makes
// no request that was failed. Each failing call must return NULL and leave no new
// live block. The successful result is passed to release(). Returns how many
// requests the successful call made.
template <typename Make, typename Release> long check_every_failure(Make make, Release release) {
    for (long n = 1;; ++n) {
        SCOPED_TRACE("failing request " + std::to_string(n));
        const long live_before = live_blocks();
        reset();
        fail_at(n);
        auto *result = make();
        fail_at(0);
        if (failures() == 0) {
            EXPECT_NE(result, nullptr);
            const long made = requests();
            if (result != nullptr)
                release(result);
            EXPECT_EQ(live_blocks(), live_before);
            return made;
        }
        EXPECT_EQ(result, nullptr);
        EXPECT_EQ(live_blocks(), live_before);
        EXPECT_EQ(bad_frees(), 0);
        if (result != nullptr || n > 1000)
            return -1;
    }
}

} // namespace test_alloc

#endif
