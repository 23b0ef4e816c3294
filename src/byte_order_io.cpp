// Byte-order integer I/O. The stream bytes are built from the value with shifts,
// so the host's own byte order never enters into it.
#include <seqtrace/byte_order_io.h>

#include <cstdio>
#include <stdio.h>

namespace {

// The stream's error indicator. glibc's ferror takes the stream's lock for this
// one read of a flag, which costs as much again as the flag itself; the unlocked
// read sees the same flag, which only decides what this call returns.
bool stream_error(FILE *stream) {
#if defined(__GLIBC__)
    return ferror_unlocked(stream) != 0;
#else
    return std::ferror(stream) != 0;
#endif
}

// One fwrite call. glibc's fwrite counts an item as written when the write
// underneath failed before any byte left (it takes the bytes to be waiting in the
// buffer), so an error indicator raised by this very call is a failure too. An
// indicator already set before the call is the caller's to judge and is left alone.
int32_t write_bytes(FILE *stream, const void *bytes, size_t width) {
    const bool had_error = stream_error(stream);
    const bool written = std::fwrite(bytes, width, 1, stream) == 1;
    return written && (had_error || !stream_error(stream)) ? 1 : 0;
}

// Reads width bytes in one call; false leaves the caller's variable alone.
bool read_bytes(FILE *stream, void *bytes, size_t width) {
    return std::fread(bytes, width, 1, stream) == 1;
}

} // namespace

extern "C" {

int32_t be_write_int_1(FILE *stream, const uint8_t *value) {
    return write_bytes(stream, value, 1);
}

int32_t le_write_int_1(FILE *stream, const uint8_t *value) {
    return be_write_int_1(stream, value);
}

int32_t be_write_int_2(FILE *stream, const uint16_t *value) {
    const uint16_t v = *value;
    const unsigned char bytes[2] = {static_cast<unsigned char>(v >> 8),
                                    static_cast<unsigned char>(v)};
    return write_bytes(stream, bytes, 2);
}

int32_t le_write_int_2(FILE *stream, const uint16_t *value) {
    const uint16_t v = *value;
    const unsigned char bytes[2] = {static_cast<unsigned char>(v),
                                    static_cast<unsigned char>(v >> 8)};
    return write_bytes(stream, bytes, 2);
}

int32_t be_write_int_4(FILE *stream, const uint32_t *value) {
    const uint32_t v = *value;
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
        static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
    return write_bytes(stream, bytes, 4);
}

int32_t le_write_int_4(FILE *stream, const uint32_t *value) {
    const uint32_t v = *value;
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
        static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    return write_bytes(stream, bytes, 4);
}

int32_t be_read_int_1(FILE *stream, uint8_t *value) {
    return read_bytes(stream, value, 1) ? 1 : 0;
}

int32_t le_read_int_1(FILE *stream, uint8_t *value) {
    return be_read_int_1(stream, value);
}

int32_t be_read_int_2(FILE *stream, uint16_t *value) {
    unsigned char b[2];
    if (!read_bytes(stream, b, 2))
        return 0;
    *value = static_cast<uint16_t>(b[0] << 8 | b[1]);
    return 1;
}

int32_t le_read_int_2(FILE *stream, uint16_t *value) {
    unsigned char b[2];
    if (!read_bytes(stream, b, 2))
        return 0;
    *value = static_cast<uint16_t>(b[1] << 8 | b[0]);
    return 1;
}

int32_t be_read_int_4(FILE *stream, uint32_t *value) {
    unsigned char b[4];
    if (!read_bytes(stream, b, 4))
        return 0;
    *value = uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | uint32_t{b[3]};
    return 1;
}

int32_t le_read_int_4(FILE *stream, uint32_t *value) {
    unsigned char b[4];
    if (!read_bytes(stream, b, 4))
        return 0;
    *value = uint32_t{b[3]} << 24 | uint32_t{b[2]} << 16 | uint32_t{b[1]} << 8 | uint32_t{b[0]};
    return 1;
}

} // extern "C"
