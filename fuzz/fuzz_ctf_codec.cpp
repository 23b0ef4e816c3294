// ctfFRead on arbitrary bytes: no crash, no leak, no allocation beyond the cap or
// beyond what the data can back, and a trace it accepts encodes back to exactly
// the bytes it read.
#include <seqtrace/ctf_codec.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "test_alloc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    test_alloc::reset();
    FILE *in = fmemopen(const_cast<uint8_t *>(data), size, "rb");
    if (in == nullptr)
        abort();
    TraceRecord *trace = ctfFRead(in);
    const long consumed = ftell(in);
    fclose(in);

    const int64_t cap = int64_t{CTF_MAX_COUNT} * 4;
    const int64_t backed = std::max<int64_t>(int64_t{sizeof(TraceRecord)}, 2 * int64_t(size));
    if (test_alloc::largest_request() > std::min(cap, backed))
        abort();

    if (trace != nullptr) {
        if (trace->file_name != nullptr)
            abort();
        char *bytes = nullptr;
        size_t length = 0;
        FILE *out = open_memstream(&bytes, &length);
        if (out == nullptr || ctfFWrite(out, trace) != 0)
            abort();
        fclose(out);
        if (static_cast<long>(length) != consumed || memcmp(bytes, data, length) != 0)
            abort();
        free(bytes);
        ctfFreeTrace(trace);
    }
    if (test_alloc::live_blocks() != 0 || test_alloc::bad_frees() != 0)
        abort();
    return 0;
}
