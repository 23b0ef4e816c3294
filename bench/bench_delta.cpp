// The delta filters against the plain loops (the algorithm written
// straightforwardly) and against memcpy of the same array.
#include <seqtrace/scf_support.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

template <typename T> void plain_encode(T *s, int32_t n) {
    for (int32_t i = n - 1; i >= 2; --i)
        s[i] = static_cast<T>(s[i] - 2 * s[i - 1] + s[i - 2]);
    if (n >= 2)
        s[1] = static_cast<T>(s[1] - 2 * s[0]);
}

// The same loop with the compiler's own vectoriser turned off: GCC vectorises the
// 16-bit plain encode at -O3, so this shows what the plain loop costs as written.
#if defined(__clang__)
template <typename T> void scalar_encode(T *s, int32_t n) {
#pragma clang loop vectorize(disable) interleave(disable)
    for (int32_t i = n - 1; i >= 2; --i)
        s[i] = static_cast<T>(s[i] - 2 * s[i - 1] + s[i - 2]);
    if (n >= 2)
        s[1] = static_cast<T>(s[1] - 2 * s[0]);
}
#else
template <typename T>
__attribute__((optimize("no-tree-vectorize"))) void scalar_encode(T *s, int32_t n) {
    for (int32_t i = n - 1; i >= 2; --i)
        s[i] = static_cast<T>(s[i] - 2 * s[i - 1] + s[i - 2]);
    if (n >= 2)
        s[1] = static_cast<T>(s[1] - 2 * s[0]);
}
#endif

template <typename T> void plain_decode(T *s, int32_t n) {
    T d = 0, p = 0;
    for (int32_t i = 0; i < n; ++i) {
        d = static_cast<T>(d + s[i]);
        p = static_cast<T>(p + d);
        s[i] = p;
    }
}

template <typename T> std::vector<T> samples(benchmark::State &state) {
    std::vector<T> v(static_cast<size_t>(state.range(0)));
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<T>(i * 2654435761u >> 13);
    return v;
}

template <typename T> void finish(benchmark::State &state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0) *
                            static_cast<int64_t>(sizeof(T)));
}

template <typename T, typename Filter> void run(benchmark::State &state, Filter filter) {
    std::vector<T> v = samples<T>(state);
    const auto n = static_cast<int32_t>(v.size());
    for (auto _ : state) {
        filter(v.data(), n);
        benchmark::ClobberMemory();
    }
    finish<T>(state);
}

void lib1(uint8_t *s, int32_t n, int32_t job) {
    delta_samples1(reinterpret_cast<int8_t *>(s), n, job);
}

void BM_delta2_encode(benchmark::State &s) {
    run<uint16_t>(s, [](uint16_t *v, int32_t n) { delta_samples2(v, n, 1); });
}
void BM_delta2_encode_plain(benchmark::State &s) {
    run<uint16_t>(s, plain_encode<uint16_t>);
}
void BM_delta2_encode_scalar(benchmark::State &s) {
    run<uint16_t>(s, scalar_encode<uint16_t>);
}
void BM_delta2_decode(benchmark::State &s) {
    run<uint16_t>(s, [](uint16_t *v, int32_t n) { delta_samples2(v, n, 0); });
}
void BM_delta2_decode_plain(benchmark::State &s) {
    run<uint16_t>(s, plain_decode<uint16_t>);
}
void BM_delta1_encode(benchmark::State &s) {
    run<uint8_t>(s, [](uint8_t *v, int32_t n) { lib1(v, n, 1); });
}
void BM_delta1_encode_plain(benchmark::State &s) {
    run<uint8_t>(s, plain_encode<uint8_t>);
}
void BM_delta1_decode(benchmark::State &s) {
    run<uint8_t>(s, [](uint8_t *v, int32_t n) { lib1(v, n, 0); });
}
void BM_delta1_decode_plain(benchmark::State &s) {
    run<uint8_t>(s, plain_decode<uint8_t>);
}

template <typename T> void BM_memcpy(benchmark::State &state) {
    std::vector<T> from = samples<T>(state);
    std::vector<T> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(T));
        benchmark::ClobberMemory();
    }
    finish<T>(state);
}
void BM_delta2_memcpy(benchmark::State &s) {
    BM_memcpy<uint16_t>(s);
}
void BM_delta1_memcpy(benchmark::State &s) {
    BM_memcpy<uint8_t>(s);
}

} // namespace

#define SIZES Arg(16 << 10)->Arg(1 << 20)
BENCHMARK(BM_delta2_encode)->SIZES;
BENCHMARK(BM_delta2_encode_plain)->SIZES;
BENCHMARK(BM_delta2_encode_scalar)->SIZES;
BENCHMARK(BM_delta2_decode)->SIZES;
BENCHMARK(BM_delta2_decode_plain)->SIZES;
BENCHMARK(BM_delta2_memcpy)->SIZES;
BENCHMARK(BM_delta1_encode)->SIZES;
BENCHMARK(BM_delta1_encode_plain)->SIZES;
BENCHMARK(BM_delta1_decode)->SIZES;
BENCHMARK(BM_delta1_decode_plain)->SIZES;
BENCHMARK(BM_delta1_memcpy)->SIZES;
