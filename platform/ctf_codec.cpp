// The stand-in CTF codec. Input is untrusted: counts are capped, every read is
// checked, and arrays grow only as far as the data read so far.
#include <seqtrace/ctf_codec.h>
#include <seqtrace/xalloc.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const unsigned char kMagic[4] = {0x2E, 0x63, 0x74, 0x66};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderBytes = 20;
constexpr uint32_t kChunk = 4096; // values moved per stdio call

uint32_t get_be(const unsigned char *p, size_t width) {
    uint32_t v = 0;
    for (size_t i = 0; i < width; ++i)
        v = v << 8 | p[i];
    return v;
}

void put_be(unsigned char *p, uint32_t v, size_t width) {
    for (size_t i = width; i-- > 0; v >>= 8)
        p[i] = static_cast<unsigned char>(v);
}

void release(void *block) {
    if (block != nullptr)
        xfree(block);
}

// Reads count big-endian values into a new array (NULL for count 0). The array is
// enlarged, by doubling, only after the chunk that needs the room has been read,
// so at most twice what the stream really held is ever allocated.
template <typename T> bool read_array(FILE *stream, uint32_t count, T **out) {
    *out = nullptr;
    T *array = nullptr;
    uint32_t capacity = 0;
    unsigned char raw[kChunk * sizeof(T)];
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(count - done, kChunk);
        if (std::fread(raw, sizeof(T), n, stream) != n)
            goto fail;
        if (done + n > capacity) {
            capacity = std::min(count, std::max(kChunk, 2 * capacity));
            const auto bytes = static_cast<int32_t>(capacity * sizeof(T));
            T *grown = static_cast<T *>(array ? xrealloc(array, bytes) : xmalloc(bytes));
            if (grown == nullptr)
                goto fail;
            array = grown;
        }
        for (uint32_t i = 0; i < n; ++i)
            array[done + i] = static_cast<T>(get_be(raw + i * sizeof(T), sizeof(T)));
        done += n;
    }
    *out = array;
    return true;
fail:
    release(array);
    return false;
}

template <typename T> bool write_array(FILE *stream, uint32_t count, const T *array) {
    unsigned char raw[kChunk * sizeof(T)];
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(count - done, kChunk);
        for (uint32_t i = 0; i < n; ++i)
            put_be(raw + i * sizeof(T), static_cast<uint32_t>(array[done + i]), sizeof(T));
        if (std::fwrite(raw, sizeof(T), n, stream) != n)
            return false;
        done += n;
    }
    return true;
}

bool valid_count(int32_t count) {
    return count >= 0 && count <= CTF_MAX_COUNT;
}

} // namespace

extern "C" {

TraceRecord *ctfFRead(FILE *stream) {
    unsigned char header[kHeaderBytes];
    if (std::fread(header, sizeof header, 1, stream) != 1)
        return nullptr;
    if (std::memcmp(header, kMagic, sizeof kMagic) != 0 || get_be(header + 4, 4) != kVersion)
        return nullptr;
    const uint32_t points = get_be(header + 12, 4);
    const uint32_t bases = get_be(header + 16, 4);
    if (points > CTF_MAX_COUNT || bases > CTF_MAX_COUNT)
        return nullptr;

    auto *trace = static_cast<TraceRecord *>(xcalloc(1, static_cast<int32_t>(sizeof(TraceRecord))));
    if (trace == nullptr)
        return nullptr;
    trace->format = static_cast<int32_t>(get_be(header + 8, 4));
    trace->num_points = static_cast<int32_t>(points);
    trace->num_bases = static_cast<int32_t>(bases);
    if (!read_array(stream, points, &trace->trace_A) ||
        !read_array(stream, points, &trace->trace_C) ||
        !read_array(stream, points, &trace->trace_G) ||
        !read_array(stream, points, &trace->trace_T) || !read_array(stream, bases, &trace->bases) ||
        !read_array(stream, bases, &trace->base_peaks)) {
        ctfFreeTrace(trace);
        return nullptr;
    }
    return trace;
}

int32_t ctfFWrite(FILE *stream, TraceRecord *trace) {
    if (trace == nullptr || !valid_count(trace->num_points) || !valid_count(trace->num_bases))
        return -1;
    const auto points = static_cast<uint32_t>(trace->num_points);
    const auto bases = static_cast<uint32_t>(trace->num_bases);
    if (points > 0 && (trace->trace_A == nullptr || trace->trace_C == nullptr ||
                       trace->trace_G == nullptr || trace->trace_T == nullptr))
        return -1;
    if (bases > 0 && (trace->bases == nullptr || trace->base_peaks == nullptr))
        return -1;

    unsigned char header[kHeaderBytes];
    std::memcpy(header, kMagic, sizeof kMagic);
    put_be(header + 4, kVersion, 4);
    put_be(header + 8, static_cast<uint32_t>(trace->format), 4);
    put_be(header + 12, points, 4);
    put_be(header + 16, bases, 4);
    const bool written = std::fwrite(header, sizeof header, 1, stream) == 1 &&
                         write_array(stream, points, trace->trace_A) &&
                         write_array(stream, points, trace->trace_C) &&
                         write_array(stream, points, trace->trace_G) &&
                         write_array(stream, points, trace->trace_T) &&
                         write_array(stream, bases, trace->bases) &&
                         write_array(stream, bases, trace->base_peaks);
    // Flushing makes a full disk show up here rather than at some later close.
    return written && std::fflush(stream) == 0 ? 0 : -1;
}

void ctfFreeTrace(TraceRecord *trace) {
    if (trace == nullptr)
        return;
    release(trace->file_name);
    release(trace->trace_A);
    release(trace->trace_C);
    release(trace->trace_G);
    release(trace->trace_T);
    release(trace->bases);
    release(trace->base_peaks);
    xfree(trace);
}

} // extern "C"
