// SCF support: the magic-number test, the version field and the delta filters.
#include <seqtrace/byte_order_io.h>
#include <seqtrace/scf_support.h>
#include <seqtrace/xalloc.h>

#include "delta_plain.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The value atof gives for a field made only of digits, full stops and spaces,
// computed without atof so that the caller's locale (which may make the comma the
// decimal point) cannot change it. Such a field holds at most four digits, so the
// number is an integer below 10^4 over a power of ten below 10^4; both are exact
// doubles and one IEEE division rounds their quotient correctly, exactly as the
// C library's decimal conversion does.
double parse_version_prefix(const char *text) {
    while (*text == ' ')
        ++text;
    unsigned digits_value = 0;
    int fraction_digits = 0;
    bool any_digit = false;
    for (; is_digit(*text); ++text) {
        digits_value = digits_value * 10 + static_cast<unsigned>(*text - '0');
        any_digit = true;
    }
    if (*text == '.') {
        for (++text; is_digit(*text); ++text) {
            digits_value = digits_value * 10 + static_cast<unsigned>(*text - '0');
            ++fraction_digits;
            any_digit = true;
        }
    }
    if (!any_digit)
        return 0.0;
    static const double powers_of_ten[] = {1.0, 10.0, 100.0, 1000.0};
    return static_cast<double>(digits_value) / powers_of_ten[fraction_digits];
}

// Rewrites the output of "%1.2f" with '.' as the decimal point, whatever bytes the
// current locale used for it: the sign and integer digits, then the locale's point,
// then exactly two digits. Texts without digits (inf, nan) pass unchanged.
size_t normalise_decimal_point(const char *in, size_t length, char *out) {
    size_t i = 0;
    size_t o = 0;
    if (i < length && in[i] == '-')
        out[o++] = in[i++];
    if (i == length || !is_digit(in[i])) {
        while (i < length)
            out[o++] = in[i++];
        return o;
    }
    while (i < length && is_digit(in[i]))
        out[o++] = in[i++];
    if (i < length && length - i > 2) {
        out[o++] = '.';
        out[o++] = in[length - 2];
        out[o++] = in[length - 1];
    }
    return o;
}

// The delta filters as plain loops: the reference the vector code must match.
// T is the unsigned type of the sample width, so all arithmetic wraps.
template <typename T> void delta_encode_plain(T *s, int32_t n) {
    for (int32_t i = n - 1; i >= 2; --i)
        s[i] = static_cast<T>(s[i] - 2 * s[i - 1] + s[i - 2]);
    if (n >= 2)
        s[1] = static_cast<T>(s[1] - 2 * s[0]);
}

// first and value carry the two running sums in, so the loop can finish what
// vector code began.
template <typename T> void delta_decode_plain(T *s, int32_t n, T first = 0, T value = 0) {
    for (int32_t i = 0; i < n; ++i) {
        first = static_cast<T>(first + s[i]);  // the first differences
        value = static_cast<T>(value + first); // the values
        s[i] = value;
    }
}

template <typename T> void delta_filter_plain(T *samples, int32_t count, int32_t job) {
    if (count <= 0)
        return;
    if (job == 1)
        delta_encode_plain(samples, count);
    else
        delta_decode_plain(samples, count);
}

#if (defined(__SSE2__) || defined(__ARM_NEON)) && (defined(__GNUC__) || defined(__clang__))
#define SEQTRACE_DELTA_VECTORS 1

// 16-byte vectors through the GCC/Clang vector extensions, which become SSE2 on
// x86-64 and NEON on aarch64. Other hosts use the plain loops alone.
typedef uint8_t u8x16 __attribute__((vector_size(16)));
typedef uint16_t u16x8 __attribute__((vector_size(16)));

template <typename V, typename T> V load(const T *p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename V, typename T> void store(T *p, V v) {
    std::memcpy(p, &v, sizeof v);
}

// Sums of each lane with all lanes below it: shift-and-add, log2(lanes) steps.
u16x8 prefix_sums(u16x8 v) {
    const u16x8 z = {};
    v += __builtin_shufflevector(v, z, 8, 0, 1, 2, 3, 4, 5, 6);
    v += __builtin_shufflevector(v, z, 8, 8, 0, 1, 2, 3, 4, 5);
    v += __builtin_shufflevector(v, z, 8, 8, 8, 8, 0, 1, 2, 3);
    return v;
}

u8x16 prefix_sums(u8x16 v) {
    const u8x16 z = {};
    v += __builtin_shufflevector(v, z, 16, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14);
    v += __builtin_shufflevector(v, z, 16, 16, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13);
    v += __builtin_shufflevector(v, z, 16, 16, 16, 16, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11);
    v += __builtin_shufflevector(v, z, 16, 16, 16, 16, 16, 16, 16, 16, 0, 1, 2, 3, 4, 5, 6, 7);
    return v;
}

// The top lane in every lane.
u16x8 top_lane(u16x8 v) {
    return __builtin_shufflevector(v, v, 7, 7, 7, 7, 7, 7, 7, 7);
}

u8x16 top_lane(u8x16 v) {
    return __builtin_shufflevector(v, v, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,
                                   15);
}

// Encodes s[top - k * lanes, top) block by block from the top down, leaving the
// bottom of the array, below the returned index (at least 2), to the plain loop.
// Each block's values and both predecessors are loaded before it is stored, and
// every block below it is still unchanged, exactly as the downward loop needs.
template <typename V, typename T> int32_t delta_encode_vector(T *s, int32_t n) {
    constexpr int32_t lanes = sizeof(V) / sizeof(T);
    int32_t top = n;
    for (; top - lanes >= 2; top -= lanes) {
        T *block = s + (top - lanes);
        const V x = load<V>(block);
        const V p1 = load<V>(block - 1);
        const V p2 = load<V>(block - 2);
        store(block, x - p1 - p1 + p2);
    }
    return top;
}

// Interleaves the low halves, and the high halves, of two vectors' lanes.
u16x8 unpack_low(u16x8 a, u16x8 b) {
    return __builtin_shufflevector(a, b, 0, 8, 1, 9, 2, 10, 3, 11);
}
u16x8 unpack_high(u16x8 a, u16x8 b) {
    return __builtin_shufflevector(a, b, 4, 12, 5, 13, 6, 14, 7, 15);
}

// Transposes eight vectors of eight lanes: afterwards rows[j] lane c holds what
// rows[c] lane j held. Three rounds of interleaving row i with row i + 4.
void transpose(u16x8 (&rows)[8]) {
    for (int round = 0; round < 3; ++round) {
        u16x8 out[8];
        for (size_t i = 0; i < 4; ++i) {
            out[2 * i] = unpack_low(rows[i], rows[i + 4]);
            out[2 * i + 1] = unpack_high(rows[i], rows[i + 4]);
        }
        for (size_t i = 0; i < 8; ++i)
            rows[i] = out[i];
    }
}

template <typename V, typename T> V broadcast(T x) {
    V v;
    for (size_t i = 0; i < sizeof(V) / sizeof(T); ++i)
        v[i] = x;
    return v;
}

// Decodes the first 8 * chunk 2-byte values, chunk a multiple of 8, as eight
// chunks side by side: with the chunks transposed into the lanes, each lane runs
// both sums down its own chunk with plain vertical adds, from zero. Then every
// chunk is put right with the sums carried into it from the chunks below: a chunk
// entered with sums f and v needs v + (i + 1) * f added to its i-th value. (For
// 1-byte values the sixteen-lane version of this spills registers and loses to
// the blocks, so they keep to the blocks.)
void delta_decode_chunks(uint16_t *s, size_t chunk, uint16_t *first, uint16_t *value) {
    u16x8 firsts = {};
    u16x8 values = {};
    for (size_t row = 0; row < chunk; row += 8) {
        u16x8 tile[8];
        for (size_t c = 0; c < 8; ++c)
            tile[c] = load<u16x8>(s + c * chunk + row);
        transpose(tile);
        for (size_t j = 0; j < 8; ++j) {
            firsts += tile[j];
            values += firsts;
            tile[j] = values;
        }
        transpose(tile);
        for (size_t c = 0; c < 8; ++c)
            store(s + c * chunk + row, tile[c]);
    }

    const u16x8 ramp = {1, 2, 3, 4, 5, 6, 7, 8};
    uint16_t f = 0;
    uint16_t v = 0;
    for (size_t c = 0; c < 8; ++c) {
        if (c > 0) {
            u16x8 add = broadcast<u16x8>(v) + ramp * broadcast<u16x8>(f);
            const u16x8 step = broadcast<u16x8>(static_cast<uint16_t>(8 * f));
            for (uint16_t *p = s + c * chunk, *end = p + chunk; p < end; p += 8, add += step)
                store(p, load<u16x8>(p) + add);
        }
        v = static_cast<uint16_t>(v + values[c] + chunk * f);
        f = static_cast<uint16_t>(f + firsts[c]);
    }
    *first = f;
    *value = v;
}

// Decodes whole blocks from the bottom up, from the sums first and value: both
// running sums are prefix sums within the block plus the sums carried from the
// block below, kept in every lane. Returns how many values it decoded, and leaves
// the two sums reached in first and value.
template <typename V, typename T> int32_t delta_decode_blocks(T *s, int32_t n, T *first, T *value) {
    constexpr int32_t lanes = sizeof(V) / sizeof(T);
    V carried_first = broadcast<V>(*first);
    V carried_value = broadcast<V>(*value);
    int32_t i = 0;
    for (; i + lanes <= n; i += lanes) {
        const V firsts = prefix_sums(load<V>(s + i)) + carried_first;
        const V values = prefix_sums(firsts) + carried_value;
        store(s + i, values);
        carried_first = top_lane(firsts);
        carried_value = top_lane(values);
    }
    *first = carried_first[0];
    *value = carried_value[0];
    return i;
}

// Long arrays of 2-byte values go through the chunks, whatever is left through
// whole blocks, the last few values through the plain loop.
template <typename V, typename T> void delta_decode_vector(T *s, int32_t n) {
    T first = 0;
    T value = 0;
    int32_t done = 0;
    // Eight chunks of a multiple of 8 values, worth it from a few hundred on.
    if constexpr (std::is_same_v<T, uint16_t>) {
        const int32_t chunk = n / 64 * 8;
        if (chunk >= 32) {
            delta_decode_chunks(s, static_cast<size_t>(chunk), &first, &value);
            done = 8 * chunk;
        }
    }
    done += delta_decode_blocks<V>(s + done, n - done, &first, &value);
    delta_decode_plain(s + done, n - done, first, value);
}

template <typename V, typename T> void delta_filter(T *samples, int32_t count, int32_t job) {
    if (count <= 0)
        return;
    if (job == 1)
        delta_encode_plain(samples, delta_encode_vector<V>(samples, count));
    else
        delta_decode_vector<V>(samples, count);
}
#endif

} // namespace

extern "C" {

int32_t is_scf(const char *path) {
    FILE *stream = std::fopen(path, "rb");
    if (stream == nullptr)
        return -1;
    uint32_t magic = 0;
    const int32_t result = be_read_int_4(stream, &magic) == 1 && magic == SCF_MAGIC ? 1 : 0;
    std::fclose(stream);
    return result;
}

float scf_version_str2float(const char version[4]) {
    char field[5];
    std::strncpy(field, version, 4);
    field[4] = '\0';
    if (std::strspn(field, "0123456789. ") != 4)
        return 0.0f;
    return static_cast<float>(parse_version_prefix(field));
}

const char *scf_version_float2str(float version) {
    static char text[5];
    // Large enough for "%1.2f" of any float: sign, 39 digits, a locale's decimal
    // point of up to a few bytes, two decimals.
    char full[80];
    const int length = std::snprintf(full, sizeof full, "%1.2f", static_cast<double>(version));
    char plain[sizeof full];
    size_t plain_length = 0;
    if (length > 0 && static_cast<size_t>(length) < sizeof full)
        plain_length = normalise_decimal_point(full, static_cast<size_t>(length), plain);
    if (plain_length > sizeof text - 1)
        plain_length = sizeof text - 1;
    std::memcpy(text, plain, plain_length);
    text[plain_length] = '\0';
    return text;
}

void delta_samples1(int8_t *samples, int32_t count, int32_t job) {
    // uint8_t may alias the caller's int8_t array, and its arithmetic wraps.
#ifdef SEQTRACE_DELTA_VECTORS
    delta_filter<u8x16>(reinterpret_cast<uint8_t *>(samples), count, job);
#else
    delta_filter_plain(reinterpret_cast<uint8_t *>(samples), count, job);
#endif
}

void delta_samples2(uint16_t *samples, int32_t count, int32_t job) {
#ifdef SEQTRACE_DELTA_VECTORS
    delta_filter<u16x8>(samples, count, job);
#else
    delta_filter_plain(samples, count, job);
#endif
}

ScfRecord *scf_allocate(int32_t num_samples, int32_t sample_size, int32_t num_bases,
                        int32_t comments_size, int32_t private_size) {
    if (num_samples < 0 || num_bases < 0 || comments_size < 0 || private_size < 0)
        return nullptr;
    // Every size is checked before anything is allocated, so a refusal leaves
    // nothing to release and no size can wrap to a smaller block.
    const int64_t point_bytes = sample_size == 1 ? 4 : 8;
    const int64_t sample_bytes = int64_t{num_samples} * point_bytes + 1;
    const int64_t base_entries = int64_t{num_bases} + 1;
    const int64_t comment_bytes = int64_t{comments_size} + 1;
    if (sample_bytes > INT32_MAX || base_entries * int64_t{sizeof(ScfBase)} > INT32_MAX ||
        comment_bytes > INT32_MAX)
        return nullptr;

    auto *record = static_cast<ScfRecord *>(xcalloc(1, static_cast<int32_t>(sizeof(ScfRecord))));
    if (record == nullptr)
        return nullptr;
    record->bases =
        xcalloc(static_cast<int32_t>(sizeof(ScfBase)), static_cast<int32_t>(base_entries));
    if (record->bases == nullptr)
        goto release_record;
    record->header.sample_size = static_cast<uint32_t>(sample_size);
    record->samples = xmalloc(static_cast<int32_t>(sample_bytes));
    if (record->samples == nullptr)
        goto release_bases;
    if (comments_size != 0) {
        record->comments = static_cast<char *>(xmalloc(static_cast<int32_t>(comment_bytes)));
        if (record->comments == nullptr)
            goto release_samples;
    }
    if (private_size != 0) {
        record->private_data = xmalloc(private_size);
        if (record->private_data == nullptr)
            goto release_comments;
    }
    return record;

release_comments:
    if (record->comments != nullptr)
        xfree(record->comments);
release_samples:
    xfree(record->samples);
release_bases:
    xfree(record->bases);
release_record:
    xfree(record);
    return nullptr;
}

void scf_deallocate(ScfRecord *record) {
    xfree(record->bases);
    xfree(record->samples);
    if (record->comments != nullptr)
        xfree(record->comments);
    if (record->private_data != nullptr)
        xfree(record->private_data);
    xfree(record);
}

} // extern "C"

namespace seqtrace_internal {

void delta_samples1_plain(int8_t *samples, int32_t count, int32_t job) {
    delta_filter_plain(reinterpret_cast<uint8_t *>(samples), count, job);
}

void delta_samples2_plain(uint16_t *samples, int32_t count, int32_t job) {
    delta_filter_plain(samples, count, job);
}

} // namespace seqtrace_internal
