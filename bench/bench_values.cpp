// Byte-order I/O per value against the raw stdio call of the same width, and
// ArrayRef filling an array against std::vector<int>::push_back.
#include <seqtrace/array.h>
#include <seqtrace/byte_order_io.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

namespace {

constexpr long kValues = 1 << 20; // per pass over the stream

// A stream of kValues 4-byte values to read, rewound at its end.
FILE *input() {
    static FILE *f = [] {
        FILE *t = std::tmpfile();
        for (long i = 0; i < kValues; ++i) {
            const auto v = static_cast<uint32_t>(i * 2654435761u);
            std::fwrite(&v, 4, 1, t);
        }
        return t;
    }();
    return f;
}

FILE *output() {
    static FILE *f = std::fopen("/dev/null", "wb");
    return f;
}

// One 4-byte read per iteration, rewinding the input at its end.
template <typename Read> void read_values(benchmark::State &state, Read read) {
    FILE *f = input();
    std::rewind(f);
    uint32_t v = 0;
    long left = kValues;
    for (auto _ : state) {
        if (left-- == 0) {
            std::rewind(f);
            left = kValues - 1;
        }
        benchmark::DoNotOptimize(read(f, &v));
    }
}

void BM_be_read_int_4(benchmark::State &state) {
    read_values(state, be_read_int_4);
}

void BM_be_read_int_4_fread(benchmark::State &state) {
    read_values(state, [](FILE *f, uint32_t *v) { return std::fread(v, 4, 1, f); });
}

void BM_le_write_int_2(benchmark::State &state) {
    FILE *f = output();
    uint16_t v = 0xABCD;
    for (auto _ : state)
        benchmark::DoNotOptimize(le_write_int_2(f, &v));
}

void BM_le_write_int_2_fwrite(benchmark::State &state) {
    FILE *f = output();
    uint16_t v = 0xABCD;
    for (auto _ : state)
        benchmark::DoNotOptimize(std::fwrite(&v, 2, 1, f));
}

constexpr int32_t kInts = 1 << 20;

void BM_array_ref_fill(benchmark::State &state) {
    for (auto _ : state) {
        Array a = ArrayCreate(static_cast<int32_t>(sizeof(int)), 0);
        for (int32_t i = 0; i < kInts; ++i)
            *static_cast<int *>(ArrayRef(a, i)) = i;
        benchmark::DoNotOptimize(a->storage);
        ArrayDestroy(a);
    }
    state.SetItemsProcessed(state.iterations() * kInts);
}

void BM_array_ref_fill_vector(benchmark::State &state) {
    for (auto _ : state) {
        std::vector<int> v;
        for (int32_t i = 0; i < kInts; ++i)
            v.push_back(i);
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(state.iterations() * kInts);
}

} // namespace

BENCHMARK(BM_be_read_int_4);
BENCHMARK(BM_be_read_int_4_fread);
BENCHMARK(BM_le_write_int_2);
BENCHMARK(BM_le_write_int_2_fwrite);
BENCHMARK(BM_array_ref_fill);
BENCHMARK(BM_array_ref_fill_vector);
