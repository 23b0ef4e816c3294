// read_fofn against fgets + sscanf and against a bare fgets loop, and
// compressed_file_exists in its worst case against the six stat calls it makes.
#include <seqtrace/file_utils.h>

#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// A 200,000-line list, made once: names with leading white space, some with
// trailing words, a few blank lines.
class List {
  public:
    List() {
        char pattern[] = "/tmp/seqtrace-bench-XXXXXX";
        dir_ = mkdtemp(pattern);
        path_ = dir_ + "/list.fofn";
        FILE *f = std::fopen(path_.c_str(), "w");
        for (int i = 0; i < 200000; ++i) {
            const char *indent[] = {"", " ", "\t", "   "};
            std::fprintf(f, "%s/data/run%03d/sample_%06d.scf%s\n", indent[i % 4], i % 977, i,
                         i % 3 == 0 ? " trailing words here" : "");
            if (i % 50 == 0)
                std::fputs("   \n", f);
        }
        std::fclose(f);
        stream_ = std::fopen(path_.c_str(), "r");
    }
    ~List() {
        std::fclose(stream_);
        std::remove(path_.c_str());
        rmdir(dir_.c_str());
    }
    FILE *rewound() {
        std::rewind(stream_);
        return stream_;
    }
    const std::string &dir() const { return dir_; }

  private:
    std::string dir_, path_;
    FILE *stream_ = nullptr;
};

List &list() {
    static List l;
    return l;
}

constexpr int64_t kNames = 200000;

void BM_read_fofn(benchmark::State &state) {
    for (auto _ : state) {
        FILE *f = list().rewound();
        int64_t n = 0;
        while (read_fofn(f) != nullptr)
            ++n;
        if (n != kNames)
            state.SkipWithError("wrong count");
    }
    state.SetItemsProcessed(state.iterations() * kNames);
}

void BM_read_fofn_fgets_sscanf(benchmark::State &state) {
    char line[254];
    char name[256];
    for (auto _ : state) {
        FILE *f = list().rewound();
        int64_t n = 0;
        while (std::fgets(line, 254, f) != nullptr)
            if (std::sscanf(line, "%s", name) == 1)
                ++n;
        if (n != kNames)
            state.SkipWithError("wrong count");
    }
    state.SetItemsProcessed(state.iterations() * kNames);
}

void BM_read_fofn_fgets(benchmark::State &state) {
    char line[254];
    for (auto _ : state) {
        FILE *f = list().rewound();
        int64_t n = 0;
        while (std::fgets(line, 254, f) != nullptr)
            ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations() * kNames);
}

void BM_compressed_file_exists(benchmark::State &state) {
    const std::string path = list().dir() + "/absent.scf";
    for (auto _ : state)
        benchmark::DoNotOptimize(compressed_file_exists(path.c_str()));
}

void BM_compressed_file_exists_stats(benchmark::State &state) {
    const std::string base = list().dir() + "/absent.scf";
    const std::string names[] = {base,          base + ".gz", base + ".bz",
                                 base + ".bz2", base + ".Z",  base + ".z"};
    struct stat st;
    for (auto _ : state)
        for (const std::string &name : names)
            benchmark::DoNotOptimize(stat(name.c_str(), &st));
}

} // namespace

BENCHMARK(BM_read_fofn);
BENCHMARK(BM_read_fofn_fgets_sscanf);
BENCHMARK(BM_read_fofn_fgets);
BENCHMARK(BM_compressed_file_exists);
BENCHMARK(BM_compressed_file_exists_stats);
