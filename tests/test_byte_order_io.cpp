#include <seqtrace/byte_order_io.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "failing_stream.h"
#include "files.h"

using seqtrace_test::contents_of;
using seqtrace_test::stream_with;

namespace {

// One writer applied to one value, and the bytes it must leave in the stream.
struct WriteCase {
    const char *name;
    std::function<int32_t(FILE *)> write;
    std::string bytes;
};

// One reader, the bytes it reads and the value it must produce.
struct ReadCase {
    const char *name;
    int width;
    std::function<int32_t(FILE *, uint32_t *)> read;
    std::string bytes;
    uint32_t value;
};

template <typename T> std::function<int32_t(FILE *)> writer(int32_t (*fn)(FILE *, const T *), T v) {
    return [fn, v](FILE *stream) { return fn(stream, &v); };
}

// Adapts a reader of any width to a uint32_t variable, storing only when the
// reader stored, so the tests can see whether the variable was touched.
template <typename T>
std::function<int32_t(FILE *, uint32_t *)> reader(int32_t (*fn)(FILE *, T *)) {
    return [fn](FILE *stream, uint32_t *out) {
        T v = static_cast<T>(*out);
        const int32_t ok = fn(stream, &v);
        *out = v;
        return ok;
    };
}

std::vector<ReadCase> read_cases() {
    return {
        {"be_read_int_1", 1, reader(be_read_int_1), "\x9A", 0x9A},
        {"le_read_int_1", 1, reader(le_read_int_1), "\x9A", 0x9A},
        {"be_read_int_2", 2, reader(be_read_int_2), "\xAB\xCD", 0xABCD},
        {"le_read_int_2", 2, reader(le_read_int_2), "\xCD\xAB", 0xABCD},
        {"be_read_int_4", 4, reader(be_read_int_4), "\x11\x22\x33\x44", 0x11223344},
        {"le_read_int_4", 4, reader(le_read_int_4), "\x44\x33\x22\x11", 0x11223344},
    };
}

} // namespace

TEST(ByteOrderIo, WritesBytesInTheFamilysOrder) {
    const std::vector<WriteCase> cases = {
        {"be_write_int_1", writer<uint8_t>(be_write_int_1, 0x9A), "\x9A"},
        {"le_write_int_1", writer<uint8_t>(le_write_int_1, 0x9A), "\x9A"},
        {"be_write_int_2", writer<uint16_t>(be_write_int_2, 0xABCD), "\xAB\xCD"},
        {"le_write_int_2", writer<uint16_t>(le_write_int_2, 0xABCD), "\xCD\xAB"},
        {"be_write_int_4", writer<uint32_t>(be_write_int_4, 0x11223344), "\x11\x22\x33\x44"},
        {"le_write_int_4", writer<uint32_t>(le_write_int_4, 0x11223344), "\x44\x33\x22\x11"},
        {"be_write_int_4 high bit", writer<uint32_t>(be_write_int_4, 0x80000001),
         std::string("\x80\x00\x00\x01", 4)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto stream = stream_with("");
        EXPECT_EQ(c.write(stream.get()), 1);
        EXPECT_EQ(contents_of(stream.get()), c.bytes);
    }
}

TEST(ByteOrderIo, ReadsBytesInTheFamilysOrder) {
    for (const auto &c : read_cases()) {
        SCOPED_TRACE(c.name);
        auto stream = stream_with(c.bytes + "rest");
        uint32_t value = 0;
        EXPECT_EQ(c.read(stream.get(), &value), 1);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(std::ftell(stream.get()), c.width); // exactly the value's width consumed
    }
}

TEST(ByteOrderIo, ReadsBackWhatTheSameFamilyWrote) {
    for (const uint32_t v : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xDEADBEEFu}) {
        SCOPED_TRACE(v);
        auto stream = stream_with("");
        const auto v2 = static_cast<uint16_t>(v);
        const auto v1 = static_cast<uint8_t>(v);
        ASSERT_EQ(be_write_int_4(stream.get(), &v), 1);
        ASSERT_EQ(le_write_int_4(stream.get(), &v), 1);
        ASSERT_EQ(be_write_int_2(stream.get(), &v2), 1);
        ASSERT_EQ(le_write_int_2(stream.get(), &v2), 1);
        ASSERT_EQ(be_write_int_1(stream.get(), &v1), 1);
        std::rewind(stream.get());
        uint32_t r4 = 0;
        uint16_t r2 = 0;
        uint8_t r1 = 0;
        EXPECT_EQ(be_read_int_4(stream.get(), &r4), 1);
        EXPECT_EQ(r4, v);
        EXPECT_EQ(le_read_int_4(stream.get(), &r4), 1);
        EXPECT_EQ(r4, v);
        EXPECT_EQ(be_read_int_2(stream.get(), &r2), 1);
        EXPECT_EQ(r2, v2);
        EXPECT_EQ(le_read_int_2(stream.get(), &r2), 1);
        EXPECT_EQ(r2, v2);
        EXPECT_EQ(le_read_int_1(stream.get(), &r1), 1);
        EXPECT_EQ(r1, v1);
    }
}

TEST(ByteOrderIo, OtherFamilysReaderSeesBytesReversed) {
    auto stream = stream_with("");
    const uint32_t v4 = 0x11223344;
    const uint16_t v2 = 0xABCD;
    ASSERT_EQ(be_write_int_4(stream.get(), &v4), 1);
    ASSERT_EQ(le_write_int_2(stream.get(), &v2), 1);
    std::rewind(stream.get());
    uint32_t r4 = 0;
    uint16_t r2 = 0;
    EXPECT_EQ(le_read_int_4(stream.get(), &r4), 1);
    EXPECT_EQ(r4, 0x44332211u);
    EXPECT_EQ(be_read_int_2(stream.get(), &r2), 1);
    EXPECT_EQ(r2, 0xCDABu);
}

TEST(ByteOrderIo, KeepsValueOnShortRead) {
    for (const auto &c : read_cases()) {
        // Every proper prefix of the value's bytes, the empty stream included.
        for (int have = 0; have < c.width; ++have) {
            SCOPED_TRACE(std::string(c.name) + " with " + std::to_string(have) + " bytes");
            auto stream = stream_with(c.bytes.substr(0, static_cast<size_t>(have)));
            uint32_t value = 0x5A5A5A5A & (c.width == 4 ? 0xFFFFFFFFu : (1u << (8 * c.width)) - 1);
            const uint32_t before = value;
            EXPECT_EQ(c.read(stream.get(), &value), 0);
            EXPECT_EQ(value, before);
            // The partial bytes were consumed: nothing is left to read.
            EXPECT_EQ(std::fgetc(stream.get()), EOF);
        }
    }
}

TEST(ByteOrderIo, FailsToWriteToReadOnlyStream) {
    seqtrace_test::TempDir dir;
    const std::string path = dir.write("ro", "");
    const uint8_t v1 = 1;
    const uint16_t v2 = 2;
    const uint32_t v4 = 4;
    const std::vector<std::pair<const char *, std::function<int32_t(FILE *)>>> writers = {
        {"be_write_int_1", [&](FILE *s) { return be_write_int_1(s, &v1); }},
        {"le_write_int_1", [&](FILE *s) { return le_write_int_1(s, &v1); }},
        {"be_write_int_2", [&](FILE *s) { return be_write_int_2(s, &v2); }},
        {"le_write_int_2", [&](FILE *s) { return le_write_int_2(s, &v2); }},
        {"be_write_int_4", [&](FILE *s) { return be_write_int_4(s, &v4); }},
        {"le_write_int_4", [&](FILE *s) { return le_write_int_4(s, &v4); }},
    };
    for (const auto &[name, write] : writers) {
        SCOPED_TRACE(name);
        seqtrace_test::File stream(std::fopen(path.c_str(), "rb"));
        ASSERT_TRUE(stream);
        EXPECT_EQ(write(stream.get()), 0);
    }
    EXPECT_EQ(seqtrace_test::contents_of(path), "");
}

TEST(ByteOrderIo, ReadersFailOnAStreamErrorAndKeepTheValue) {
    for (const auto &c : read_cases()) {
        for (size_t fail_at = 0; fail_at <= static_cast<size_t>(c.width); ++fail_at) {
            SCOPED_TRACE(std::string(c.name) + " failing at byte " + std::to_string(fail_at));
            seqtrace_test::File stream(seqtrace_test::failing_stream(c.bytes, fail_at, "r"));
            ASSERT_TRUE(stream);
            const bool whole = fail_at == static_cast<size_t>(c.width);
            uint32_t value = c.width == 1 ? 0x11 : 0x1111;
            const uint32_t before = value;
            EXPECT_EQ(c.read(stream.get(), &value), whole ? 1 : 0);
            EXPECT_EQ(value, whole ? c.value : before);
            EXPECT_EQ(std::ferror(stream.get()) != 0, !whole);
        }
    }
}

TEST(ByteOrderIo, WritersFailOnAStreamError) {
    const uint8_t v1 = 0x9A;
    const uint16_t v2 = 0xABCD;
    const uint32_t v4 = 0x11223344;
    struct Case {
        const char *name;
        size_t width;
        std::function<int32_t(FILE *)> write;
    };
    const Case cases[] = {
        {"be_write_int_1", 1, [&](FILE *s) { return be_write_int_1(s, &v1); }},
        {"le_write_int_1", 1, [&](FILE *s) { return le_write_int_1(s, &v1); }},
        {"be_write_int_2", 2, [&](FILE *s) { return be_write_int_2(s, &v2); }},
        {"le_write_int_2", 2, [&](FILE *s) { return le_write_int_2(s, &v2); }},
        {"be_write_int_4", 4, [&](FILE *s) { return be_write_int_4(s, &v4); }},
        {"le_write_int_4", 4, [&](FILE *s) { return le_write_int_4(s, &v4); }},
    };
    for (const auto &c : cases) {
        for (size_t fail_at = 0; fail_at <= c.width; ++fail_at) {
            SCOPED_TRACE(std::string(c.name) + " failing at byte " + std::to_string(fail_at));
            seqtrace_test::File stream(seqtrace_test::failing_stream("", fail_at, "w"));
            ASSERT_TRUE(stream);
            EXPECT_EQ(c.write(stream.get()), fail_at == c.width ? 1 : 0);
        }
    }
    EXPECT_EQ(v1, 0x9A);
    EXPECT_EQ(v2, 0xABCD);
    EXPECT_EQ(v4, 0x11223344u);
}
