// A test allocator: the four allocation entry points, linked into a test in place
// of the default ones. It fails the Nth request on demand, counts live blocks,
// remembers each block's requested size, logs every call, and fills new blocks with
// junk so that code relying on zeroed memory it did not ask for is caught.
#ifndef SEQTRACE_TESTS_SUPPORT_TEST_ALLOC_H
#define SEQTRACE_TESTS_SUPPORT_TEST_ALLOC_H

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace test_alloc {

// The byte every xmalloc'd block, and the new part of a grown one, is filled with.
constexpr unsigned char kJunk = 0xA5;

struct Event {
    enum Kind { Malloc, Calloc, Realloc, Free } kind;
    int64_t size; // bytes requested (count * size for xcalloc); 0 for Free
    void *block;  // the block returned (NULL on failure), or the one freed
    bool failed;  // the request was refused
};

// Clears the log and the counters of requests and bad frees, and cancels any
// planned failure. Blocks still live stay counted as live.
void reset();

// Makes the nth request from now (1 = the next) fail, and every later one too when
// sticky; 0 cancels. Requests are calls of xmalloc, xcalloc and xrealloc.
void fail_at(long n, bool sticky = false);

// Refuses, like a failure, every request of more than bytes; negative: no limit.
void set_limit(int64_t bytes);

long requests();                    // requests since reset
long failures();                    // requests refused since reset
long live_blocks();                 // blocks handed out and not yet freed
int64_t largest_request();          // the largest size asked for since reset
long bad_frees();                   // xfree of NULL or of a pointer it never handed out
int32_t size_of(const void *block); // requested size of a live block; -1 if unknown
const std::vector<Event> &log();

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
