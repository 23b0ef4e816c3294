// CTF file access: files opened and closed around the codec.
#include <seqtrace/ctf_file.h>
#include <seqtrace/xalloc.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

extern "C" {

TraceRecord *fread_ctf(FILE *stream) {
    return ctfFRead(stream);
}

int32_t fwrite_ctf(FILE *stream, TraceRecord *trace) {
    return ctfFWrite(stream, trace);
}

TraceRecord *read_ctf(const char *path) {
    FILE *stream = std::fopen(path, "rb");
    if (stream == nullptr)
        return nullptr;
    TraceRecord *trace = fread_ctf(stream);
    std::fclose(stream); // only read from, so closing cannot lose anything
    if (trace == nullptr)
        return nullptr;
    const size_t size = std::strlen(path) + 1;
    trace->file_name =
        size <= INT32_MAX ? static_cast<char *>(xmalloc(static_cast<int32_t>(size))) : nullptr;
    if (trace->file_name != nullptr)
        std::memcpy(trace->file_name, path, size);
    return trace;
}

int32_t write_ctf(const char *path, TraceRecord *trace) {
    FILE *stream = std::fopen(path, "wb");
    if (stream == nullptr)
        return -1;
    const int32_t encoded = fwrite_ctf(stream, trace);
    // Buffered data reaches the file only here, so a failed close is a lost trace.
    const int closed = std::fclose(stream);
    return encoded == 0 && closed == 0 ? 0 : -1;
}

} // extern "C"
