// scftool: reports on SCF trace files and writes synthetic ones.
//
//   scftool info [-f LIST] [FILE...]
//   scftool sample [--sample-size 1|2] OUT.scf
//
// info says, for each name, whether the file exists and in which form, its size,
// whether it is an SCF file, and for SCF files the version and counts; for version
// 3 files it decodes the trace and gives each channel's range. It exits 0 when
// every name was found and every plain SCF file was read cleanly, 1 otherwise, and
// 2 for a usage error. A damaged file is reported, never trusted.
#include <seqtrace/seqtrace.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int scftool_main(int argc, char **argv, FILE *out, FILE *err);

namespace {

const char kUsage[] = "usage: scftool info [-f LIST] [FILE...]\n"
                      "       scftool sample [--sample-size 1|2] OUT.scf\n";
const char *const kSuffixes[] = {".gz", ".bz", ".bz2", ".Z", ".z"};
const char kChannels[] = "ACGT";
constexpr int64_t kHeaderBytes = 128;

// A sample point's four values, and a base's four probabilities, in file order.
template <typename Point> std::array<decltype(Point::sample_A) Point::*, 4> channel_fields() {
    return {&Point::sample_A, &Point::sample_C, &Point::sample_G, &Point::sample_T};
}
const std::array<uint8_t ScfBase::*, 4> kProbabilities = {&ScfBase::prob_A, &ScfBase::prob_C,
                                                          &ScfBase::prob_G, &ScfBase::prob_T};

struct Tool {
    FILE *out;
    FILE *err;
    bool ok = true;

    void fail(const std::string &name, const char *what) {
        std::fprintf(err, "scftool: %s: %s\n", name.c_str(), what);
        ok = false;
    }
};

// ---- reading ----------------------------------------------------------------------

bool read_header(FILE *f, ScfHeader &h) {
    uint32_t *const before_version[] = {&h.magic_number, &h.samples,         &h.samples_offset,
                                        &h.bases,        &h.bases_left_clip, &h.bases_right_clip,
                                        &h.bases_offset, &h.comments_size,   &h.comments_offset};
    for (uint32_t *field : before_version)
        if (!be_read_int_4(f, field))
            return false;
    if (std::fread(h.version, sizeof h.version, 1, f) != 1)
        return false;
    uint32_t *const after_version[] = {&h.sample_size, &h.code_set, &h.private_size,
                                       &h.private_offset};
    for (uint32_t *field : after_version)
        if (!be_read_int_4(f, field))
            return false;
    for (uint32_t &spare : h.spare)
        if (!be_read_int_4(f, &spare))
            return false;
    return true;
}

// Whether the region [offset, offset + bytes) lies within a file of size bytes.
bool fits(int64_t offset, int64_t bytes, int64_t size) {
    return offset >= kHeaderBytes && bytes >= 0 && offset + bytes <= size;
}

// The header's regions against the file's size; a message for the first that
// does not fit, or nullptr.
const char *check_layout(const ScfHeader &h, int64_t size) {
    if (h.sample_size != 1 && h.sample_size != 2)
        return "sample size is neither 1 nor 2";
    const int64_t sample_bytes = int64_t{h.samples} * 4 * h.sample_size;
    if (h.samples > 0 && !fits(h.samples_offset, sample_bytes, size))
        return "samples extend beyond the end of the file";
    if (h.bases > 0 && !fits(h.bases_offset, int64_t{h.bases} * 12, size))
        return "bases extend beyond the end of the file";
    if (h.comments_size > 0 && !fits(h.comments_offset, h.comments_size, size))
        return "comments extend beyond the end of the file";
    if (h.private_size > 0 && !fits(h.private_offset, h.private_size, size))
        return "private data extends beyond the end of the file";
    return nullptr;
}

bool seek(FILE *f, uint32_t offset) {
    return std::fseek(f, long{offset}, SEEK_SET) == 0;
}

template <typename T> bool read_value(FILE *f, T &v);
template <> bool read_value(FILE *f, uint8_t &v) {
    return be_read_int_1(f, &v) == 1;
}
template <> bool read_value(FILE *f, uint16_t &v) {
    return be_read_int_2(f, &v) == 1;
}

void undelta(std::vector<uint8_t> &c) {
    delta_samples1(reinterpret_cast<int8_t *>(c.data()), static_cast<int32_t>(c.size()), 0);
}
void undelta(std::vector<uint16_t> &c) {
    delta_samples2(c.data(), static_cast<int32_t>(c.size()), 0);
}

// Reads the four channels of a version 3 file, one after another and each stored
// as second differences, into the record's points; reports each channel's range.
template <typename Point, typename T>
bool read_channels(FILE *f, const ScfHeader &h, seqtrace::view<Point> points, Tool &tool) {
    std::vector<T> channel(h.samples);
    const auto fields = channel_fields<Point>();
    std::fprintf(tool.out, " ");
    for (int c = 0; c < 4; ++c) {
        for (T &v : channel)
            if (!read_value(f, v))
                return false;
        undelta(channel);
        for (size_t i = 0; i < channel.size(); ++i)
            points[i].*fields[c] = channel[i];
        const auto [lo, hi] = std::minmax_element(channel.begin(), channel.end());
        if (channel.empty())
            std::fprintf(tool.out, " %c -", kChannels[c]);
        else
            std::fprintf(tool.out, " %c %u..%u", kChannels[c], unsigned{*lo}, unsigned{*hi});
    }
    std::fprintf(tool.out, "\n");
    return true;
}

// Reads a version 3 base block: peak indices, the four probability runs, the base
// calls and the spare bytes, each a run of `bases` entries.
bool read_bases(FILE *f, seqtrace::view<ScfBase> bases) {
    for (ScfBase &b : bases)
        if (!be_read_int_4(f, &b.peak_index))
            return false;
    for (auto field : kProbabilities)
        for (ScfBase &b : bases)
            if (!be_read_int_1(f, &(b.*field)))
                return false;
    for (ScfBase &b : bases) {
        uint8_t call;
        if (!be_read_int_1(f, &call))
            return false;
        b.base = static_cast<char>(call);
    }
    for (int i = 0; i < 3; ++i)
        for (ScfBase &b : bases)
            if (!be_read_int_1(f, &b.spare[i]))
                return false;
    return true;
}

void print_comments(const char *text, size_t size, FILE *out) {
    std::string line;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || text[i] == '\n' || text[i] == '\0') {
            if (!line.empty())
                std::fprintf(out, "  %s\n", line.c_str());
            line.clear();
            if (i < size && text[i] == '\0')
                break;
        } else {
            line += text[i];
        }
    }
}

// Decodes a version 3 trace into a record from scf_allocate.
bool decode_v3(FILE *f, const ScfHeader &h, Tool &tool, const std::string &name) {
    seqtrace::scf_record record = seqtrace::make_scf_record(
        static_cast<int32_t>(h.samples), static_cast<int32_t>(h.sample_size),
        static_cast<int32_t>(h.bases), static_cast<int32_t>(h.comments_size), 0);
    if (!record) {
        tool.fail(name, "out of memory");
        return false;
    }
    record->header = h;
    bool read = seek(f, h.samples_offset);
    const seqtrace::sample_view points = seqtrace::samples(*record);
    if (read && h.sample_size == 1)
        read = read_channels<ScfSamples1, uint8_t>(f, h, std::get<0>(points), tool);
    else if (read)
        read = read_channels<ScfSamples2, uint16_t>(f, h, std::get<1>(points), tool);
    read = read && seek(f, h.bases_offset) && read_bases(f, seqtrace::bases(*record));
    if (read && h.comments_size > 0) {
        read =
            seek(f, h.comments_offset) && std::fread(record->comments, h.comments_size, 1, f) == 1;
        if (read)
            print_comments(record->comments, h.comments_size, tool.out);
    }
    if (!read)
        tool.fail(name, "trace data is truncated or unreadable");
    return read;
}

void info_plain(const std::string &name, Tool &tool) {
    const int32_t size = file_size(name.c_str());
    std::fprintf(tool.out, "%s: plain, %ld bytes", name.c_str(), long{size});
    if (is_scf(name.c_str()) != 1) {
        std::fprintf(tool.out, ", not SCF\n");
        std::fprintf(tool.err, "scftool: %s: not an SCF file\n", name.c_str());
        return;
    }
    FILE *f = std::fopen(name.c_str(), "rb");
    ScfHeader h{};
    if (f == nullptr || !read_header(f, h)) {
        std::fprintf(tool.out, ", SCF\n");
        tool.fail(name, "header is truncated");
        if (f != nullptr)
            std::fclose(f);
        return;
    }
    const float version = scf_version_str2float(h.version);
    std::fprintf(tool.out, ", SCF version %s\n", scf_version_float2str(version));
    if (const char *problem = check_layout(h, size)) {
        tool.fail(name, problem);
        std::fclose(f);
        return;
    }
    std::fprintf(tool.out, "  %lu samples of %lu byte%s, %lu bases\n",
                 static_cast<unsigned long>(h.samples), static_cast<unsigned long>(h.sample_size),
                 h.sample_size == 1 ? "" : "s", static_cast<unsigned long>(h.bases));
    // Version 2 and older interleave the samples and are reported by header only.
    if (version >= 3.0f)
        decode_v3(f, h, tool, name);
    std::fclose(f);
}

void info_one(const std::string &name, Tool &tool) {
    if (file_exists(name.c_str())) {
        info_plain(name, tool);
        return;
    }
    if (compressed_file_exists(name.c_str())) {
        for (const char *suffix : kSuffixes) {
            const std::string form = name + suffix;
            if (file_exists(form.c_str())) {
                std::fprintf(tool.out, "%s: compressed as %s, %ld bytes (not decompressed)\n",
                             name.c_str(), form.c_str(), long{file_size(form.c_str())});
                return;
            }
        }
    }
    std::fprintf(tool.out, "%s: missing\n", name.c_str());
    tool.fail(name, "missing");
}

int info(int argc, char **argv, Tool &tool) {
    const char *list = nullptr;
    std::vector<std::string> names;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "-f") == 0 && i + 1 < argc)
            list = argv[++i];
        else if (argv[i][0] == '-')
            return std::fprintf(tool.err, "%s", kUsage), 2;
        else
            names.emplace_back(argv[i]);
    }
    if (list != nullptr) {
        seqtrace::fofn_names listed(list);
        if (!listed.opened()) {
            std::fprintf(tool.err, "scftool: %s: cannot open list\n", list);
            return 1;
        }
        for (std::string_view name : listed)
            names.emplace_back(name);
    }
    if (names.empty() && list == nullptr)
        return std::fprintf(tool.err, "%s", kUsage), 2;
    for (const std::string &name : names)
        info_one(name, tool);
    return tool.ok ? 0 : 1;
}

// ---- writing ----------------------------------------------------------------------

// A synthetic trace: a base every 10 points, each a smooth peak in its channel.
constexpr int32_t kPoints = 400;
constexpr int32_t kBases = 39;
const char kSequence[] = "GATTACACCGTAGGCTTAACGTGCATCGATCCAGTACGT";
const char kComment[] = "NAME=sample\n";

template <typename T, typename Point>
void fill_points(seqtrace::view<Point> points, double height) {
    const auto fields = channel_fields<Point>();
    for (int32_t i = 0; i < kPoints; ++i) {
        double level[4] = {4, 4, 4, 4};
        for (int32_t b = 0; b < kBases; ++b) {
            const double d = i - (10.0 * b + 10.0);
            const int c = static_cast<int>(std::strchr(kChannels, kSequence[b]) - kChannels);
            level[c] += height * (0.7 + 0.3 * ((b * 7) % 5) / 4.0) * std::exp(-d * d / 8.0);
        }
        for (int c = 0; c < 4; ++c)
            points[static_cast<size_t>(i)].*fields[c] = static_cast<T>(std::lround(level[c]));
    }
}

bool write_value(FILE *f, uint8_t v) {
    return be_write_int_1(f, &v) == 1;
}
bool write_value(FILE *f, uint16_t v) {
    return be_write_int_2(f, &v) == 1;
}
void delta(std::vector<uint8_t> &c) {
    delta_samples1(reinterpret_cast<int8_t *>(c.data()), static_cast<int32_t>(c.size()), 1);
}
void delta(std::vector<uint16_t> &c) {
    delta_samples2(c.data(), static_cast<int32_t>(c.size()), 1);
}

template <typename T, typename Point> bool write_channels(FILE *f, seqtrace::view<Point> points) {
    const auto fields = channel_fields<Point>();
    for (auto field : fields) {
        std::vector<T> channel;
        for (const Point &p : points)
            channel.push_back(p.*field);
        delta(channel);
        for (T v : channel)
            if (!write_value(f, v))
                return false;
    }
    return true;
}

bool write_trace(FILE *f, ScfRecord &record) {
    const ScfHeader &h = record.header;
    const uint32_t before_version[] = {h.magic_number, h.samples,         h.samples_offset,
                                       h.bases,        h.bases_left_clip, h.bases_right_clip,
                                       h.bases_offset, h.comments_size,   h.comments_offset};
    for (uint32_t v : before_version)
        if (!be_write_int_4(f, &v))
            return false;
    if (std::fwrite(h.version, 4, 1, f) != 1)
        return false;
    const uint32_t after_version[] = {h.sample_size, h.code_set, h.private_size, h.private_offset};
    for (uint32_t v : after_version)
        if (!be_write_int_4(f, &v))
            return false;
    for (uint32_t v : h.spare)
        if (!be_write_int_4(f, &v))
            return false;

    const seqtrace::sample_view points = seqtrace::samples(record);
    const bool samples = h.sample_size == 1 ? write_channels<uint8_t>(f, std::get<0>(points))
                                            : write_channels<uint16_t>(f, std::get<1>(points));
    if (!samples)
        return false;
    const seqtrace::view<ScfBase> bases = seqtrace::bases(record);
    for (const ScfBase &b : bases)
        if (!be_write_int_4(f, &b.peak_index))
            return false;
    for (auto field : kProbabilities)
        for (const ScfBase &b : bases)
            if (!be_write_int_1(f, &(b.*field)))
                return false;
    for (const ScfBase &b : bases) {
        const auto call = static_cast<uint8_t>(b.base);
        if (!be_write_int_1(f, &call))
            return false;
    }
    for (int i = 0; i < 3; ++i)
        for (const ScfBase &b : bases)
            if (!be_write_int_1(f, &b.spare[i]))
                return false;
    return std::fwrite(record.comments, h.comments_size, 1, f) == 1;
}

int sample(int argc, char **argv, Tool &tool) {
    int sample_size = 2;
    const char *path = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sample-size") == 0 && i + 1 < argc &&
            (std::strcmp(argv[i + 1], "1") == 0 || std::strcmp(argv[i + 1], "2") == 0))
            sample_size = argv[++i][0] - '0';
        else if (argv[i][0] != '-' && path == nullptr)
            path = argv[i];
        else
            return std::fprintf(tool.err, "%s", kUsage), 2;
    }
    if (path == nullptr)
        return std::fprintf(tool.err, "%s", kUsage), 2;

    const auto comment_bytes = static_cast<int32_t>(sizeof kComment - 1);
    seqtrace::scf_record record =
        seqtrace::make_scf_record(kPoints, sample_size, kBases, comment_bytes, 0);
    if (!record) {
        std::fprintf(tool.err, "scftool: out of memory\n");
        return 1;
    }
    ScfHeader &h = record->header;
    h.magic_number = SCF_MAGIC;
    h.samples = kPoints;
    h.samples_offset = kHeaderBytes;
    h.bases = kBases;
    h.bases_offset = h.samples_offset + kPoints * 4 * static_cast<uint32_t>(sample_size);
    h.comments_size = static_cast<uint32_t>(comment_bytes);
    h.comments_offset = h.bases_offset + kBases * 12;
    std::memcpy(h.version, scf_version_float2str(3.0f), 4);
    h.private_offset = h.comments_offset + h.comments_size;

    const seqtrace::sample_view points = seqtrace::samples(*record);
    if (sample_size == 1)
        fill_points<uint8_t>(std::get<0>(points), 180.0);
    else
        fill_points<uint16_t>(std::get<1>(points), 1800.0);
    int32_t b = 0;
    for (ScfBase &base : seqtrace::bases(*record)) {
        base.peak_index = static_cast<uint32_t>(10 * b + 10);
        base.base = kSequence[b++];
        base.prob_A = base.prob_C = base.prob_G = base.prob_T = 2;
        (&base.prob_A)[std::strchr(kChannels, base.base) - kChannels] = 40;
    }
    std::memcpy(record->comments, kComment, h.comments_size);

    FILE *f = std::fopen(path, "wb");
    if (f == nullptr) {
        std::fprintf(tool.err, "scftool: %s: cannot create\n", path);
        return 1;
    }
    const bool written = write_trace(f, *record);
    if (std::fclose(f) != 0 || !written) {
        std::fprintf(tool.err, "scftool: %s: write failed\n", path);
        return 1;
    }
    return 0;
}

} // namespace

int scftool_main(int argc, char **argv, FILE *out, FILE *err) {
    Tool tool{out, err};
    if (argc >= 2 && std::strcmp(argv[1], "info") == 0)
        return info(argc - 2, argv + 2, tool);
    if (argc >= 2 && std::strcmp(argv[1], "sample") == 0)
        return sample(argc - 2, argv + 2, tool);
    std::fprintf(err, "%s", kUsage);
    return 2;
}

#ifndef SCFTOOL_NO_MAIN
int main(int argc, char **argv) {
    return scftool_main(argc, argv, stdout, stderr);
}
#endif
