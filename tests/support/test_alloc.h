// A test allocator: the four allocation entry points, linked into a test in place
// of the default ones. It fails the Nth request on demand, counts live blocks,
// remembers each block's requested size, logs every call, and fills new blocks with
// junk so that code relying on zeroed memory it did not ask for is caught.
#ifndef SEQTRACE_TESTS_SUPPORT_TEST_ALLOC_H
#define SEQTRACE_TESTS_SUPPORT_TEST_ALLOC_H

#include <cstdint>
#include <vector>

namespace test_alloc {

// The byte every xmalloc'd block, and the new part of a grown one, is filled with.
constexpr unsigned char kJunk = 0xA5;

struct Event {
    enum Kind { Malloc, Calloc, Realloc, Free } kind;
    int64_t size; // bytes requested (count * size for xcalloc); 0 for Free
    void *block;  // the block returned (NULL on failure), or the one freed
};

// Clears the log and the counters of requests and bad frees, and cancels any
// planned failure. Blocks still live stay counted as live.
void reset();

// Makes the nth request from now (1 = the next) fail; 0 cancels. Requests are
// calls of xmalloc, xcalloc and xrealloc.
void fail_at(long n);

// Refuses, like a failure, every request of more than bytes; negative: no limit.
void set_limit(int64_t bytes);

long requests();                    // requests since reset
long failures();                    // requests refused since reset
long live_blocks();                 // blocks handed out and not yet freed
int64_t largest_request();          // the largest size asked for since reset
long bad_frees();                   // xfree of NULL or of a pointer it never handed out
int32_t size_of(const void *block); // requested size of a live block; -1 if unknown
const std::vector<Event> &log();

} // namespace test_alloc

#endif
