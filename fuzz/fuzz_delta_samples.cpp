// The delta filters on arbitrary samples at arbitrary offsets: both directions
// agree bit for bit with the plain loops behind the vector code, encoding gives
// the second difference computed out of place, decoding restores the samples, and
// no byte outside the array changes.
#include <seqtrace/scf_support.h>

#include "delta_plain.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kGuard = 16;

// The filter's definition, out of place: s[i] - 2 s[i-1] + s[i-2], with the two
// values before the start taken as zero.
template <typename T> std::vector<T> second_difference(const T *s, size_t n) {
    std::vector<T> out(n);
    for (size_t i = 0; i < n; ++i) {
        const unsigned prev1 = i >= 1 ? s[i - 1] : 0;
        const unsigned prev2 = i >= 2 ? s[i - 2] : 0;
        out[i] = static_cast<T>(s[i] - 2 * prev1 + prev2);
    }
    return out;
}

void filter(uint8_t *s, int32_t n, int32_t job) {
    delta_samples1(reinterpret_cast<int8_t *>(s), n, job);
}
void filter(uint16_t *s, int32_t n, int32_t job) {
    delta_samples2(s, n, job);
}
void plain(uint8_t *s, int32_t n, int32_t job) {
    seqtrace_internal::delta_samples1_plain(reinterpret_cast<int8_t *>(s), n, job);
}
void plain(uint16_t *s, int32_t n, int32_t job) {
    seqtrace_internal::delta_samples2_plain(s, n, job);
}

template <typename T> void check(const uint8_t *data, size_t size, size_t offset) {
    const size_t n = size / sizeof(T);
    std::vector<T> buffer(kGuard + n + kGuard);
    for (size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<T>(0x5A5A ^ i);
    T *samples = buffer.data() + offset;
    memcpy(samples, data, n * sizeof(T));
    const std::vector<T> before = buffer;
    const std::vector<T> expected = second_difference(samples, n);

    // Fast and plain agree in both directions on the raw input.
    for (const int32_t job : {1, 0}) {
        std::vector<T> fast = buffer;
        std::vector<T> reference = buffer;
        filter(fast.data() + offset, static_cast<int32_t>(n), job);
        plain(reference.data() + offset, static_cast<int32_t>(n), job);
        if (fast != reference)
            abort();
    }

    filter(samples, static_cast<int32_t>(n), 1);
    if (!std::equal(expected.begin(), expected.end(), samples))
        abort();
    filter(samples, static_cast<int32_t>(n), 0);
    if (buffer != before)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte places the array in the buffer, to vary its alignment.
    const size_t offset = data[0] % kGuard;
    check<uint8_t>(data + 1, size - 1, offset);
    check<uint16_t>(data + 1, size - 1, offset);
    return 0;
}
