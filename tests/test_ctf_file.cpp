// CTF file access over the test codec, which shows each codec call and lets the
// tests choose its results.
#include <seqtrace/ctf_file.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "every_failure.h"
#include "files.h"
#include "test_codec.h"

using seqtrace_test::contents_of;
using seqtrace_test::open_descriptor_count;
using seqtrace_test::TempDir;

namespace {

class CtfFileTest : public test_alloc::CheckedTest {
  protected:
    void SetUp() override {
        CheckedTest::SetUp();
        test_codec::reset();
        descriptors_ = open_descriptor_count();
    }
    void TearDown() override {
        EXPECT_EQ(open_descriptor_count(), descriptors_);
        CheckedTest::TearDown();
    }
    test_codec::State &codec() { return test_codec::state(); }
    TempDir dir_;
    int descriptors_ = 0;
};

} // namespace

TEST_F(CtfFileTest, ReadOfMissingFileNeverCallsTheCodec) {
    EXPECT_EQ(read_ctf(dir_.path("missing.ctf").c_str()), nullptr);
    EXPECT_EQ(codec().read_calls, 0);
}

TEST_F(CtfFileTest, ReadOfRejectedFileReturnsNullAndClosesIt) {
    codec().accept = false;
    EXPECT_EQ(read_ctf(dir_.write("bad.ctf", "junk").c_str()), nullptr);
    EXPECT_EQ(codec().read_calls, 1);
    // TearDown checks that no descriptor is left open.
}

TEST_F(CtfFileTest, ReadNamesTheTraceWithItsOwnCopyOfThePath) {
    std::string path = dir_.write("a.ctf", "data");
    TraceRecord *trace = read_ctf(path.c_str());
    ASSERT_NE(trace, nullptr);
    EXPECT_EQ(trace, codec().last_read);
    ASSERT_NE(trace->file_name, nullptr);
    EXPECT_NE(trace->file_name, path.c_str());
    EXPECT_EQ(test_alloc::size_of(trace->file_name), static_cast<int32_t>(path.size() + 1));
    const std::string original = path;
    path.assign(path.size(), 'x'); // the caller's string may change afterwards
    EXPECT_STREQ(trace->file_name, original.c_str());
    ctfFreeTrace(trace);
}

TEST_F(CtfFileTest, ReadKeepsTheTraceWhenTheNameCannotBeCopied) {
    const std::string path = dir_.write("a.ctf", "data");
    test_alloc::fail_at(2); // the codec's record is request 1, the name request 2
    TraceRecord *trace = read_ctf(path.c_str());
    ASSERT_NE(trace, nullptr);
    EXPECT_EQ(test_alloc::failures(), 1);
    EXPECT_EQ(trace->file_name, nullptr);
    EXPECT_EQ(trace->format, 77);
    ctfFreeTrace(trace);
}

TEST_F(CtfFileTest, WriteToMissingDirectoryFailsWithoutCallingTheCodec) {
    TraceRecord trace{};
    EXPECT_EQ(write_ctf(dir_.path("no/such/dir.ctf").c_str(), &trace), -1);
    EXPECT_EQ(codec().write_calls, 0);
}

TEST_F(CtfFileTest, WriteTruncatesTheFileBeforeEncoding) {
    const std::string path = dir_.write("a.ctf", "a much longer old content");
    TraceRecord trace{};
    codec().write_bytes = "new";
    EXPECT_EQ(write_ctf(path.c_str(), &trace), 0);
    EXPECT_EQ(codec().last_written, &trace);
    EXPECT_EQ(contents_of(path), "new");
}

TEST_F(CtfFileTest, WriteReportsCodecFailure) {
    const std::string path = dir_.write("a.ctf", "old");
    TraceRecord trace{};
    for (const int32_t result : {-1, 1}) {
        SCOPED_TRACE(result);
        codec().write_result = result;
        codec().write_bytes = "part";
        EXPECT_EQ(write_ctf(path.c_str(), &trace), -1);
        EXPECT_EQ(contents_of(path), "part"); // created and truncated all the same
    }
}

TEST_F(CtfFileTest, WriteReportsDataLostOnClose) {
    // The codec succeeds but its bytes are still buffered; /dev/full refuses them
    // when the file is closed.
    TraceRecord trace{};
    codec().write_bytes = "trace bytes";
    EXPECT_EQ(write_ctf("/dev/full", &trace), -1);
    EXPECT_EQ(codec().write_calls, 1);
}

TEST_F(CtfFileTest, StreamFunctionsPassTheCodecsResultsAndLeaveTheStreamOpen) {
    auto stream = seqtrace_test::stream_with("0123456789");
    codec().consume = 4;
    TraceRecord *trace = fread_ctf(stream.get());
    EXPECT_EQ(trace, codec().last_read);
    EXPECT_EQ(codec().last_stream, stream.get());
    EXPECT_EQ(std::ftell(stream.get()), 4);
    EXPECT_EQ(std::fgetc(stream.get()), '4'); // still open and readable
    ctfFreeTrace(trace);

    codec().accept = false;
    EXPECT_EQ(fread_ctf(stream.get()), nullptr);

    TraceRecord record{};
    codec().write_bytes = "ab";
    for (const int32_t result : {0, -1, 42}) {
        SCOPED_TRACE(result);
        codec().write_result = result;
        const long before = std::ftell(stream.get());
        EXPECT_EQ(fwrite_ctf(stream.get(), &record), result);
        EXPECT_EQ(codec().last_written, &record);
        EXPECT_EQ(std::ftell(stream.get()), before + 2);
    }
}
