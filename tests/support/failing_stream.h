// A stdio stream that fails with an error (not end of file) at a chosen byte:
// reads return the data before that offset and then fail; writes are accepted up
// to that offset and then fail. The stream is unbuffered, so every stdio call
// meets the failure at once rather than at a later flush.
#ifndef SEQTRACE_TESTS_SUPPORT_FAILING_STREAM_H
#define SEQTRACE_TESTS_SUPPORT_FAILING_STREAM_H

#include <cstddef>
#include <cstdio>
#include <string>

namespace seqtrace_test {

// Opens a stream over a copy of data (mode "r" or "w") whose fail_at-th byte, and
// every one after it, fails. Written bytes are discarded. Close it with fclose.
FILE *failing_stream(const std::string &data, size_t fail_at, const char *mode);

} // namespace seqtrace_test

#endif
