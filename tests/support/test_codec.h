// A test codec: ctfFRead, ctfFWrite and ctfFreeTrace, linked into a test in place
// of the stand-in codec. It counts calls, remembers the stream and record it saw,
// and does what the test tells it: accept or reject, consume or write bytes, and
// return a chosen result.
#ifndef SEQTRACE_TESTS_SUPPORT_TEST_CODEC_H
#define SEQTRACE_TESTS_SUPPORT_TEST_CODEC_H

#include <seqtrace/ctf_codec.h>

#include <cstdio>
#include <string>

namespace test_codec {

struct State {
    // What the codec does.
    bool accept = true;       // ctfFRead returns a new record (else NULL)
    long consume = 0;         // bytes ctfFRead reads from the stream first
    std::string write_bytes;  // what ctfFWrite puts into the stream (unflushed)
    int32_t write_result = 0; // what ctfFWrite returns

    // What it saw.
    long read_calls = 0;
    long write_calls = 0;
    FILE *last_stream = nullptr;
    TraceRecord *last_read = nullptr;    // the record ctfFRead returned last
    TraceRecord *last_written = nullptr; // the record ctfFWrite was given last
};

State &state();
void reset(); // back to a fresh State

} // namespace test_codec

#endif
