// The header-only C++ layer: owners, the list range and the typed views.
#include <seqtrace/seqtrace.hpp>

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "every_failure.h"
#include "files.h"

using seqtrace_test::TempDir;

using CppLayerTest = test_alloc::CheckedTest;

TEST_F(CppLayerTest, OwnersReleaseEverythingTheyHold) {
    {
        seqtrace::scf_record record = seqtrace::make_scf_record(10, 1, 2, 3, 4);
        seqtrace::array array = seqtrace::make_array(4, 8);
        ASSERT_TRUE(record);
        ASSERT_TRUE(array);
        EXPECT_EQ(test_alloc::live_blocks(), 7);
    }
    EXPECT_EQ(test_alloc::live_blocks(), 0);

    TempDir dir;
    const std::string path = dir.path("t.ctf");
    TraceRecord empty{};
    ASSERT_EQ(write_ctf(path.c_str(), &empty), 0);
    {
        seqtrace::trace trace = seqtrace::read_trace(path.c_str());
        ASSERT_TRUE(trace);
        EXPECT_STREQ(trace->file_name, path.c_str());
    }
    EXPECT_FALSE(seqtrace::read_trace(dir.path("missing").c_str()));
}

TEST_F(CppLayerTest, OwnersAreEmptyWhenTheCallFails) {
    test_alloc::fail_at(1);
    EXPECT_FALSE(seqtrace::make_scf_record(10, 1, 2, 0, 0));
    test_alloc::fail_at(1);
    EXPECT_FALSE(seqtrace::make_array(4, 8));
    EXPECT_EQ(ArrayError, ARRAY_OUT_OF_MEMORY);
}

TEST_F(CppLayerTest, ListOwnerClosesTheStream) {
    TempDir dir;
    const std::string path = dir.write("list", "a\n");
    const int before = seqtrace_test::open_descriptor_count();
    {
        seqtrace::fofn list = seqtrace::open_list(path.c_str());
        ASSERT_TRUE(list);
        EXPECT_EQ(seqtrace_test::open_descriptor_count(), before + 1);
    }
    EXPECT_EQ(seqtrace_test::open_descriptor_count(), before);
}

TEST_F(CppLayerTest, FofnNamesRangesOverTheNames) {
    TempDir dir;
    const std::string path = dir.write("list", "  a.scf trailing\n\n\tb.scf\nc.scf");
    std::vector<std::string> names;
    seqtrace::fofn_names listed(path);
    EXPECT_TRUE(listed.opened());
    for (std::string_view name : listed)
        names.emplace_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.scf", "b.scf", "c.scf"}));
}

TEST_F(CppLayerTest, FofnNamesOfAMissingOrEmptyListIsEmpty) {
    TempDir dir;
    seqtrace::fofn_names missing(dir.path("missing"));
    EXPECT_FALSE(missing.opened());
    EXPECT_TRUE(missing.begin() == missing.end());
    seqtrace::fofn_names empty(dir.write("empty", "\n \n"));
    EXPECT_TRUE(empty.opened());
    EXPECT_TRUE(empty.begin() == empty.end());
}

TEST_F(CppLayerTest, SampleViewFollowsTheSampleSize) {
    for (const int32_t sample_size : {1, 2, 4}) {
        SCOPED_TRACE(sample_size);
        seqtrace::scf_record record = seqtrace::make_scf_record(5, sample_size, 0, 0, 0);
        ASSERT_TRUE(record);
        record->header.samples = 5;
        seqtrace::sample_view view = seqtrace::samples(*record);
        if (sample_size == 1) {
            ASSERT_TRUE(std::holds_alternative<seqtrace::view<ScfSamples1>>(view));
            auto points = std::get<seqtrace::view<ScfSamples1>>(view);
            EXPECT_EQ(points.size(), 5u);
            points[4].sample_T = 200;
            EXPECT_EQ(static_cast<uint8_t *>(record->samples)[4 * 4 + 3], 200);
        } else {
            ASSERT_TRUE(std::holds_alternative<seqtrace::view<ScfSamples2>>(view));
            auto points = std::get<seqtrace::view<ScfSamples2>>(view);
            EXPECT_EQ(points.size(), 5u);
            EXPECT_EQ(static_cast<void *>(points.data()), record->samples);
            points[4].sample_T = 60000;
            EXPECT_EQ(static_cast<uint16_t *>(record->samples)[4 * 4 + 3], 60000);
        }
    }
}

TEST_F(CppLayerTest, BasesViewCoversTheHeadersBases) {
    seqtrace::scf_record record = seqtrace::make_scf_record(0, 1, 3, 0, 0);
    ASSERT_TRUE(record);
    record->header.bases = 3;
    seqtrace::view<ScfBase> bases = seqtrace::bases(*record);
    ASSERT_EQ(bases.size(), 3u);
    for (const ScfBase &b : bases)
        EXPECT_EQ(b.base, 0); // zeroed by scf_allocate
    bases[2].base = 'T';
    EXPECT_EQ(static_cast<ScfBase *>(record->bases)[2].base, 'T');
}
