// The stand-in CTF codec, and CTF file access through it: round trips, the byte
// format, and hostile input.
#include <seqtrace/ctf_codec.h>
#include <seqtrace/ctf_file.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "every_failure.h"
#include "files.h"

using seqtrace_test::stream_with;

namespace {

// A trace held in vectors, convertible to and from a TraceRecord.
struct Trace {
    int32_t format = 0;
    std::vector<uint16_t> a, c, g, t;
    std::string bases;
    std::vector<uint32_t> peaks;

    TraceRecord record() {
        TraceRecord r{};
        r.format = format;
        r.num_points = static_cast<int32_t>(a.size());
        r.trace_A = a.empty() ? nullptr : a.data();
        r.trace_C = c.empty() ? nullptr : c.data();
        r.trace_G = g.empty() ? nullptr : g.data();
        r.trace_T = t.empty() ? nullptr : t.data();
        r.num_bases = static_cast<int32_t>(bases.size());
        r.bases = bases.empty() ? nullptr : bases.data();
        r.base_peaks = peaks.empty() ? nullptr : peaks.data();
        return r;
    }
};

Trace ramp(int points, int bases) {
    Trace tr;
    tr.format = -7;
    for (int i = 0; i < points; ++i) {
        tr.a.push_back(static_cast<uint16_t>(i));
        tr.c.push_back(static_cast<uint16_t>(65535 - i));
        tr.g.push_back(static_cast<uint16_t>(i * 257));
        tr.t.push_back(static_cast<uint16_t>(0x8000 | i));
    }
    for (int i = 0; i < bases; ++i) {
        tr.bases.push_back("ACGTN\xE9\0-"[i % 8]);
        tr.peaks.push_back(0xFFFFFFF0u + static_cast<uint32_t>(i));
    }
    return tr;
}

void expect_same(const TraceRecord *got, Trace &want) {
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->format, want.format);
    ASSERT_EQ(got->num_points, static_cast<int32_t>(want.a.size()));
    ASSERT_EQ(got->num_bases, static_cast<int32_t>(want.bases.size()));
    const auto points = want.a.size();
    const auto bases = want.bases.size();
    auto same = [](const void *x, const void *y, size_t bytes) {
        return bytes == 0 || (x != nullptr && std::memcmp(x, y, bytes) == 0);
    };
    EXPECT_TRUE(same(got->trace_A, want.a.data(), points * 2));
    EXPECT_TRUE(same(got->trace_C, want.c.data(), points * 2));
    EXPECT_TRUE(same(got->trace_G, want.g.data(), points * 2));
    EXPECT_TRUE(same(got->trace_T, want.t.data(), points * 2));
    EXPECT_TRUE(same(got->bases, want.bases.data(), bases));
    EXPECT_TRUE(same(got->base_peaks, want.peaks.data(), bases * 4));
}

std::string encode(Trace tr) {
    auto stream = stream_with("");
    TraceRecord r = tr.record();
    EXPECT_EQ(ctfFWrite(stream.get(), &r), 0);
    return seqtrace_test::contents_of(stream.get());
}

using CtfCodecTest = test_alloc::CheckedTest;

} // namespace

TEST_F(CtfCodecTest, RoundTripsTracesOnAStream) {
    const std::pair<int, int> sizes[] = {{0, 0}, {1, 0}, {0, 3}, {17, 9}, {5000, 1200}, {9000, 0}};
    for (const auto &[points, bases] : sizes) {
        SCOPED_TRACE(std::to_string(points) + " points, " + std::to_string(bases) + " bases");
        Trace want = ramp(points, bases);
        auto stream = stream_with(encode(want));
        TraceRecord *got = ctfFRead(stream.get());
        expect_same(got, want);
        EXPECT_EQ(got->file_name, nullptr);
        EXPECT_EQ(std::fgetc(stream.get()), EOF); // read exactly its own bytes
        ctfFreeTrace(got);
    }
}

TEST_F(CtfCodecTest, RoundTripsTracesThroughFilesByPath) {
    seqtrace_test::TempDir dir;
    const std::string path = dir.path("trace.ctf");
    Trace want = ramp(300, 40);
    TraceRecord r = want.record();
    ASSERT_EQ(write_ctf(path.c_str(), &r), 0);
    TraceRecord *got = read_ctf(path.c_str());
    expect_same(got, want);
    ASSERT_NE(got->file_name, nullptr);
    EXPECT_STREQ(got->file_name, path.c_str());
    ctfFreeTrace(got);
}

TEST_F(CtfCodecTest, ReadsTracesOneAfterAnother) {
    Trace first = ramp(3, 2);
    Trace second = ramp(10, 4);
    second.format = 99;
    auto stream = stream_with(encode(first) + encode(second));
    TraceRecord *one = fread_ctf(stream.get());
    TraceRecord *two = fread_ctf(stream.get());
    expect_same(one, first);
    expect_same(two, second);
    EXPECT_EQ(fread_ctf(stream.get()), nullptr);
    ctfFreeTrace(one);
    ctfFreeTrace(two);
}

TEST_F(CtfCodecTest, WritesTheDocumentedBytes) {
    Trace tr;
    tr.format = 0x01020304;
    tr.a = {0x1122};
    tr.c = {0x3344};
    tr.g = {0x5566};
    tr.t = {0x7788};
    tr.bases = "G";
    tr.peaks = {0xA1B2C3D4};
    const std::string expected("\x2E\x63\x74\x66"
                               "\0\0\0\x01"
                               "\x01\x02\x03\x04"
                               "\0\0\0\x01"
                               "\0\0\0\x01"
                               "\x11\x22\x33\x44\x55\x66\x77\x88"
                               "G"
                               "\xA1\xB2\xC3\xD4",
                               33);
    EXPECT_EQ(encode(tr), expected);
}

TEST_F(CtfCodecTest, RejectsEveryTruncation) {
    const std::string bytes = encode(ramp(5, 3));
    for (size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        auto stream = stream_with(bytes.substr(0, length));
        EXPECT_EQ(ctfFRead(stream.get()), nullptr);
        EXPECT_EQ(test_alloc::live_blocks(), 0);
    }
}

TEST_F(CtfCodecTest, RejectsWrongHeaders) {
    const std::string good = encode(ramp(2, 1));
    auto with = [&](size_t offset, const std::string &bytes) {
        std::string s = good;
        s.replace(offset, bytes.size(), bytes);
        return s;
    };
    struct Case {
        const char *name;
        std::string bytes;
    };
    const Case cases[] = {
        {"wrong magic", with(0, ".scf")},
        {"magic byte-swapped", with(0, "ftc.")},
        {"version 2", with(4, std::string("\0\0\0\x02", 4))},
        {"version 0", with(4, std::string("\0\0\0\0", 4))},
        {"points above the cap", with(12, std::string("\x01\0\0\x01", 4))},
        {"bases above the cap", with(16, std::string("\x01\0\0\x01", 4))},
        {"negative points", with(12, "\xFF\xFF\xFF\xFF")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto stream = stream_with(c.bytes);
        test_alloc::reset();
        EXPECT_EQ(ctfFRead(stream.get()), nullptr);
        EXPECT_EQ(test_alloc::requests(), 0);
    }
}

TEST_F(CtfCodecTest, NeverAllocatesBeyondWhatTheDataBacks) {
    // The largest counts allowed, followed by a few bytes of data only.
    const std::string header("\x2E\x63\x74\x66"
                             "\0\0\0\x01"
                             "\0\0\0\0"
                             "\x01\0\0\0"
                             "\x01\0\0\0",
                             20);
    for (const size_t data : {0, 10, 9000, 20000}) {
        SCOPED_TRACE(data);
        auto stream = stream_with(header + std::string(data, '\x07'));
        test_alloc::reset();
        EXPECT_EQ(ctfFRead(stream.get()), nullptr);
        // The record, and at most one chunk or twice the data read per channel.
        EXPECT_LE(test_alloc::largest_request(),
                  std::max<int64_t>(int64_t{sizeof(TraceRecord)},
                                    std::max<int64_t>(8192, 2 * int64_t(data))));
    }
}

TEST_F(CtfCodecTest, ReleasesEverythingWhenAllocationFails) {
    const std::string bytes = encode(ramp(9000, 5000));
    auto stream = stream_with(bytes);
    const long made = test_alloc::check_every_failure(
        [&] {
            std::rewind(stream.get());
            return ctfFRead(stream.get());
        },
        ctfFreeTrace);
    EXPECT_GT(made, 7); // the record, six arrays, and growth of the long ones
}

TEST_F(CtfCodecTest, RefusesToWriteInvalidTraces) {
    Trace tr = ramp(4, 2);
    struct Case {
        const char *name;
        void (*spoil)(TraceRecord &);
    };
    const Case cases[] = {
        {"negative points", [](TraceRecord &r) { r.num_points = -1; }},
        {"points above the cap", [](TraceRecord &r) { r.num_points = CTF_MAX_COUNT + 1; }},
        {"negative bases", [](TraceRecord &r) { r.num_bases = -1; }},
        {"missing channel", [](TraceRecord &r) { r.trace_G = nullptr; }},
        {"missing base calls", [](TraceRecord &r) { r.bases = nullptr; }},
        {"missing peaks", [](TraceRecord &r) { r.base_peaks = nullptr; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TraceRecord r = tr.record();
        c.spoil(r);
        auto stream = stream_with("");
        EXPECT_EQ(ctfFWrite(stream.get(), &r), -1);
    }
    auto stream = stream_with("");
    EXPECT_EQ(ctfFWrite(stream.get(), nullptr), -1);
}

TEST_F(CtfCodecTest, ReportsAFullDisk) {
    Trace tr = ramp(10, 2);
    TraceRecord r = tr.record();
    seqtrace_test::File full(std::fopen("/dev/full", "wb"));
    ASSERT_TRUE(full);
    EXPECT_EQ(fwrite_ctf(full.get(), &r), -1);
    EXPECT_EQ(write_ctf("/dev/full", &r), -1);
}

TEST_F(CtfCodecTest, FreeAcceptsNull) {
    ctfFreeTrace(nullptr);
}
