#include "test_codec.h"

#include <seqtrace/xalloc.h>

namespace test_codec {

State &state() {
    static State s;
    return s;
}

void reset() {
    state() = State();
}

} // namespace test_codec

extern "C" {

TraceRecord *ctfFRead(FILE *stream) {
    auto &s = test_codec::state();
    ++s.read_calls;
    s.last_stream = stream;
    for (long i = 0; i < s.consume; ++i)
        std::fgetc(stream);
    TraceRecord *trace = nullptr;
    if (s.accept) {
        trace = static_cast<TraceRecord *>(xcalloc(1, static_cast<int32_t>(sizeof(TraceRecord))));
        if (trace != nullptr)
            trace->format = 77;
    }
    s.last_read = trace;
    return trace;
}

int32_t ctfFWrite(FILE *stream, TraceRecord *trace) {
    auto &s = test_codec::state();
    ++s.write_calls;
    s.last_stream = stream;
    s.last_written = trace;
    if (!s.write_bytes.empty())
        std::fwrite(s.write_bytes.data(), 1, s.write_bytes.size(), stream);
    return s.write_result;
}

void ctfFreeTrace(TraceRecord *trace) {
    if (trace == nullptr)
        return;
    if (trace->file_name != nullptr)
        xfree(trace->file_name);
    xfree(trace);
}

} // extern "C"
