// The example tool, run in-process: scftool.cpp is compiled into this test with
// its main() left out.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "files.h"

int scftool_main(int argc, char **argv, FILE *out, FILE *err);

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome scftool(std::vector<std::string> args) {
    args.insert(args.begin(), "scftool");
    std::vector<char *> argv;
    for (auto &a : args)
        argv.push_back(a.data());
    seqtrace_test::File out(std::tmpfile());
    seqtrace_test::File err(std::tmpfile());
    const int status =
        scftool_main(static_cast<int>(argv.size()), argv.data(), out.get(), err.get());
    return {status, seqtrace_test::contents_of(out.get()), seqtrace_test::contents_of(err.get())};
}

bool has(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

// Overwrites the 4-byte big-endian header field at offset in bytes.
void set_field(std::string &bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<size_t>(i)] = static_cast<char>(value >> (24 - 8 * i));
}

class ScftoolTest : public ::testing::Test {
  protected:
    std::string sample(int sample_size) {
        const std::string path = dir_.path("sample" + std::to_string(sample_size) + ".scf");
        const Outcome made =
            scftool({"sample", "--sample-size", std::to_string(sample_size), path});
        EXPECT_EQ(made.status, 0) << made.err;
        return path;
    }
    seqtrace_test::TempDir dir_;
};

} // namespace

TEST_F(ScftoolTest, InfoReadsBackWhatSampleWrote) {
    struct Case {
        int sample_size;
        const char *counts;
        const char *ranges;
        long bytes;
    };
    const Case cases[] = {
        {1, "400 samples of 1 byte, 39 bases", "A 4..184 C 4..184 G 4..184 T 4..184", 2208},
        {2, "400 samples of 2 bytes, 39 bases", "A 4..1804 C 4..1804 G 4..1804 T 4..1804", 3808},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sample_size);
        const std::string path = sample(c.sample_size);
        const Outcome info = scftool({"info", path});
        EXPECT_EQ(info.status, 0) << info.err;
        EXPECT_EQ(info.err, "");
        EXPECT_TRUE(has(info.out, path + ": plain, " + std::to_string(c.bytes) + " bytes"));
        EXPECT_TRUE(has(info.out, "SCF version 3.00")) << info.out;
        EXPECT_TRUE(has(info.out, c.counts)) << info.out;
        EXPECT_TRUE(has(info.out, c.ranges)) << info.out;
        EXPECT_TRUE(has(info.out, "NAME=sample")) << info.out;
    }
}

TEST_F(ScftoolTest, ReportsTruncatedFilesWithoutTrustingThem) {
    const std::string whole = seqtrace_test::contents_of(sample(2));
    for (const size_t length :
         {size_t{4}, size_t{100}, size_t{128}, size_t{129}, size_t{1000}, whole.size() - 1}) {
        SCOPED_TRACE(length);
        const std::string path = dir_.write("cut.scf", whole.substr(0, length));
        const Outcome info = scftool({"info", path});
        EXPECT_EQ(info.status, 1);
        EXPECT_TRUE(has(info.err, path)) << info.err;
    }
}

TEST_F(ScftoolTest, ReportsHeaderCountsAndOffsetsPastTheEnd) {
    const std::string whole = seqtrace_test::contents_of(sample(1));
    struct Case {
        const char *name;
        size_t offset;
        uint32_t value;
        const char *message;
    };
    const Case cases[] = {
        {"samples", 4, 0x7FFFFFFF, "samples extend beyond the end of the file"},
        {"samples offset", 8, 0xFFFFFFF0, "samples extend beyond the end of the file"},
        {"bases", 12, 0x40000000, "bases extend beyond the end of the file"},
        {"bases offset", 24, 0x7FFFFFFF, "bases extend beyond the end of the file"},
        {"comments size", 28, 0xFFFFFFFF, "comments extend beyond the end of the file"},
        {"private size", 48, 100000, "private data extends beyond the end of the file"},
        {"sample size", 40, 3, "sample size is neither 1 nor 2"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = whole;
        set_field(bytes, c.offset, c.value);
        const std::string path = dir_.write("bad.scf", bytes);
        const Outcome info = scftool({"info", path});
        EXPECT_EQ(info.status, 1);
        EXPECT_TRUE(has(info.err, path + ": " + c.message)) << info.err;
    }
}

TEST_F(ScftoolTest, ReportsAListedNameThatIsMissing) {
    const std::string present = sample(1);
    const std::string missing = dir_.path("missing.scf");
    const std::string list = dir_.write("list.fofn", present + "\n" + missing + "\n");
    const Outcome info = scftool({"info", "-f", list});
    EXPECT_EQ(info.status, 1);
    EXPECT_TRUE(has(info.out, present + ": plain"));
    EXPECT_TRUE(has(info.out, missing + ": missing"));
    EXPECT_EQ(info.err, "scftool: " + missing + ": missing\n");
}

TEST_F(ScftoolTest, CountsACompressedFormAsFound) {
    const std::string name = dir_.path("packed.scf");
    dir_.write("packed.scf.bz2", "not really compressed");
    const Outcome info = scftool({"info", name});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, name + ": compressed as " + name + ".bz2, 21 bytes (not decompressed)\n");
}

TEST_F(ScftoolTest, SaysWhichFilesAreNotScf) {
    const std::string path = dir_.write("notes.txt", "just text\n");
    const Outcome info = scftool({"info", path});
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.out, path + ": plain, 10 bytes, not SCF\n");
    EXPECT_EQ(info.err, "scftool: " + path + ": not an SCF file\n");
}

TEST_F(ScftoolTest, ReportsOlderVersionsByHeaderOnly) {
    std::string bytes = seqtrace_test::contents_of(sample(1));
    bytes.replace(36, 4, "2.00");
    const std::string path = dir_.write("old.scf", bytes);
    const Outcome info = scftool({"info", path});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_TRUE(has(info.out, "SCF version 2.00\n  400 samples of 1 byte, 39 bases\n"));
    EXPECT_FALSE(has(info.out, "A 4.."));
}

TEST_F(ScftoolTest, RejectsBadUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"info"},
        {"info", "-x"},
        {"sample"},
        {"sample", "--sample-size", "3", "out.scf"},
        {"sample", "a.scf", "b.scf"},
    };
    for (const auto &args : cases) {
        SCOPED_TRACE(args.empty() ? "no arguments" : args[0] + " ...");
        const Outcome run = scftool(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(has(run.err, "usage: scftool"));
    }
}

TEST_F(ScftoolTest, ReportsAListThatCannotBeOpened) {
    const Outcome info = scftool({"info", "-f", dir_.path("no-list")});
    EXPECT_EQ(info.status, 1);
    EXPECT_TRUE(has(info.err, "cannot open list"));
}
