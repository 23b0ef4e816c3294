#include <seqtrace/scf_support.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "delta_plain.h"
#include "every_failure.h"
#include "files.h"

using seqtrace_test::TempDir;

namespace {

float field_value(const std::string &field) {
    // Exactly four characters, with nothing after them: a reader that looked past
    // the field would be caught by the sanitizers.
    std::array<char, 4> chars{};
    std::memcpy(chars.data(), field.data(), std::min<size_t>(4, field.size()));
    return scf_version_str2float(chars.data());
}

} // namespace

// ---- is_scf ---------------------------------------------------------------

TEST(IsScf, TellsByTheFirstFourBytes) {
    struct Case {
        const char *name;
        std::string bytes;
        int32_t expected;
    };
    const Case cases[] = {
        {"magic alone", "\x2E\x73\x63\x66", 1},
        {"magic then data", std::string("\x2E\x73\x63\x66\x00\x00\x01", 7), 1},
        {"magic in the other byte order", "\x66\x63\x73\x2E", 0},
        {"empty file", "", 0},
        {"three bytes of the magic", "\x2E\x73\x63", 0},
        {"text", "hello world", 0},
    };
    TempDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(is_scf(dir.write("f", c.bytes).c_str()), c.expected);
    }
}

TEST(IsScf, ReportsUnopenableFileAsMinusOne) {
    TempDir dir;
    EXPECT_EQ(is_scf(dir.path("missing.scf").c_str()), -1);
    EXPECT_EQ(is_scf(dir.path("no/such/dir.scf").c_str()), -1);
}

TEST(IsScf, ClosesEveryStreamItOpens) {
    TempDir dir;
    const std::string scf = dir.write("a.scf", ".scf");
    const std::string other = dir.write("b", "xy");
    const std::string missing = dir.path("c");
    const int before = seqtrace_test::open_descriptor_count();
    for (int i = 0; i < 50; ++i) {
        is_scf(scf.c_str());
        is_scf(other.c_str());
        is_scf(missing.c_str());
    }
    EXPECT_EQ(seqtrace_test::open_descriptor_count(), before);
}

// ---- version field --------------------------------------------------------

TEST(ScfVersionStr2Float, ReadsTheNumberInTheField) {
    struct Case {
        std::string field;
        float expected;
    };
    const Case cases[] = {
        {"3.00", 3.0f},  {"2.10", 2.1f}, {" 3.0", 3.0f},    {"1.2.", 1.2f},
        {"9.99", 9.99f}, {"0.00", 0.0f}, {"  12", 12.0f},   {"5.  ", 5.0f},
        {"1 .5", 1.0f},  {".500", 0.5f}, {"1234", 1234.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field);
        const float expected = c.expected;
        EXPECT_EQ(field_value(c.field), expected);
    }
}

TEST(ScfVersionStr2Float, GivesZeroForMalformedFields) {
    const std::string cases[] = {
        std::string("3.1\0", 4),
        std::string("\0"
                    "3.0",
                    4),
        "x3.0",
        "3.0x",
        "....",
        "    ",
        ". 5 ",
        "-3.0",
        "+3.0",
        "3,00",
        "3e00",
    };
    for (const auto &field : cases) {
        SCOPED_TRACE(field);
        EXPECT_EQ(field_value(field), 0.0f);
    }
}

TEST(ScfVersionStr2Float, AgreesWithAtofOnEveryFieldOfTheAllowedCharacters) {
    // In the C locale the conversion must be exactly atof's, rounded to float.
    const char alphabet[] = "0123456789. ";
    char field[5] = {};
    for (int i = 0; i < 12 * 12 * 12 * 12; ++i) {
        int rest = i;
        for (int k = 0; k < 4; ++k, rest /= 12)
            field[k] = alphabet[rest % 12];
        const float expected = static_cast<float>(std::atof(field));
        const float got = scf_version_str2float(field);
        ASSERT_EQ(got, expected) << "field \"" << field << "\"";
    }
}

TEST(ScfVersionFloat2Str, FormatsWithTwoDecimals) {
    struct Case {
        float value;
        const char *text;
    };
    const Case cases[] = {
        {3.0f, "3.00"},
        {2.999f, "3.00"},
        {0.0f, "0.00"},
        {2.1f, "2.10"},
        {9.994f, "9.99"},
        {9.995f, "9.99"}, // the float nearest 9.995 lies just below it
        // Rounding follows the float's exact binary value, as printf's does.
        {0.005f, "0.00"},
        {0.0051f, "0.01"},
        {1.005f, "1.00"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_STREQ(scf_version_float2str(c.value), c.text);
    }
}

TEST(ScfVersionFloat2Str, CutsValuesOutsideTheRangeToFourCharacters) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float value;
        const char *text;
    };
    const Case cases[] = {
        {9.9951f, "10.0"},
        {12.345f, "12.3"},
        {1e10f, "1000"},
        {std::numeric_limits<float>::max(), "3402"},
        {-std::numeric_limits<float>::max(), "-340"},
        {-1.0f, "-1.0"},
        {-0.0f, "-0.0"},
        {-0.001f, "-0.0"},
        {inf, "inf"},
        {-inf, "-inf"},
        {nan, "nan"},
        {-nan, "-nan"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const char *text = scf_version_float2str(c.value);
        EXPECT_LE(std::strlen(text), 4u);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(ScfVersionFloat2Str, ReusesOneStaticBuffer) {
    const char *first = scf_version_float2str(2.0f);
    EXPECT_STREQ(first, "2.00");
    const char *second = scf_version_float2str(3.5f);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "3.50");
}

TEST(ScfVersionConversions, ParseAfterFormatGivesTheRoundedValue) {
    char expected_text[16];
    for (int hundredths = 0; hundredths < 1000; ++hundredths) {
        const float value = static_cast<float>(hundredths / 100.0);
        std::snprintf(expected_text, sizeof expected_text, "%1.2f", static_cast<double>(value));
        const char *text = scf_version_float2str(value);
        ASSERT_STREQ(text, expected_text);
        const float parsed = field_value(text);
        ASSERT_EQ(parsed, value) << text;
    }
}

TEST(ScfVersionConversions, IgnoreTheCallersLocale) {
    // A locale with a decimal comma must not leak into SCF headers.
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        if (std::getenv("CI") != nullptr)
            FAIL() << "locale de_DE.UTF-8 is missing; CI must generate it";
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed here";
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%1.2f", 3.0);
    EXPECT_STREQ(probe, "3,00") << "the locale did not take effect";

    const std::string text = scf_version_float2str(3.0f);
    const std::string negative = scf_version_float2str(-1.5f);
    const float parsed = field_value("2.10");
    const float comma = field_value("2,10");
    std::setlocale(LC_ALL, "C");

    const float expected = 2.1f;
    EXPECT_EQ(text, "3.00");
    EXPECT_EQ(negative, "-1.5");
    EXPECT_EQ(parsed, expected);
    EXPECT_EQ(comma, 0.0f);
}

// ---- delta filters --------------------------------------------------------

namespace {

template <typename T> struct DeltaCase {
    const char *name;
    std::vector<T> values;
    std::vector<T> differences;
};

// The second difference computed out of place, straight from its definition.
template <typename T> std::vector<T> second_difference(const std::vector<T> &s) {
    std::vector<T> out(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const int prev1 = i >= 1 ? s[i - 1] : 0;
        const int prev2 = i >= 2 ? s[i - 2] : 0;
        out[i] = static_cast<T>(s[i] - 2 * prev1 + prev2);
    }
    return out;
}

void filter(std::vector<uint8_t> &v, int32_t job) {
    delta_samples1(reinterpret_cast<int8_t *>(v.data()), static_cast<int32_t>(v.size()), job);
}

void filter(std::vector<uint16_t> &v, int32_t job) {
    delta_samples2(v.data(), static_cast<int32_t>(v.size()), job);
}

template <typename T> void check_cases(const std::vector<DeltaCase<T>> &cases) {
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<T> v = c.values;
        filter(v, 1);
        EXPECT_EQ(v, c.differences);
        filter(v, 0);
        EXPECT_EQ(v, c.values);
    }
}

template <typename T> std::vector<T> random_samples(std::mt19937 &rng, size_t n) {
    std::vector<T> v(n);
    for (auto &x : v)
        x = static_cast<T>(rng());
    return v;
}

} // namespace

TEST(DeltaSamples1, EncodesAndDecodesKnownArrays) {
    check_cases<uint8_t>({
        {"ramp", {10, 20, 30, 40}, {10, 0, 0, 0}},
        {"turn", {5, 9, 4}, {5, 255, 247}},
        {"wraps", {200, 100}, {200, 212}},
        {"one value", {77}, {77}},
        {"empty", {}, {}},
    });
}

TEST(DeltaSamples2, EncodesAndDecodesKnownArrays) {
    check_cases<uint16_t>({
        {"flat", {1000, 1000, 1000, 1000}, {1000, 65536 - 1000, 0, 0}},
        {"ramp", {100, 300, 500}, {100, 100, 0}},
        {"one value", {65535}, {65535}},
        {"wraps", {65535, 0, 65535}, {65535, 2, 65534}},
    });
}

TEST(DeltaSamples, NonPositiveCountChangesNothing) {
    for (const int32_t count : {0, -1, -1000}) {
        for (const int32_t job : {0, 1}) {
            SCOPED_TRACE(std::to_string(count) + " job " + std::to_string(job));
            int8_t bytes[3] = {1, 2, 3};
            uint16_t words[3] = {1, 2, 3};
            delta_samples1(bytes, count, job);
            delta_samples2(words, count, job);
            EXPECT_EQ(bytes[0] + bytes[1] * 10 + bytes[2] * 100, 321);
            EXPECT_EQ(words[0] + words[1] * 10 + words[2] * 100, 321);
        }
    }
}

TEST(DeltaSamples, EveryJobButOneDecodes) {
    for (const int32_t job : {0, 2, -1, 1000}) {
        SCOPED_TRACE(job);
        std::vector<uint8_t> bytes = {10, 0, 0, 0};
        std::vector<uint16_t> words = {10, 0, 0, 0};
        filter(bytes, job);
        filter(words, job);
        EXPECT_EQ(bytes, (std::vector<uint8_t>{10, 20, 30, 40}));
        EXPECT_EQ(words, (std::vector<uint16_t>{10, 20, 30, 40}));
    }
}

template <typename T> void check_random_round_trips() {
    std::mt19937 rng(12345);
    for (size_t n = 0; n <= 300; ++n) {
        SCOPED_TRACE(n);
        const std::vector<T> original = random_samples<T>(rng, n);
        std::vector<T> v = original;
        filter(v, 1);
        ASSERT_EQ(v, second_difference(original));
        filter(v, 0);
        ASSERT_EQ(v, original);
    }
}

TEST(DeltaSamples1, EncodingIsTheSecondDifferenceAndDecodingUndoesIt) {
    check_random_round_trips<uint8_t>();
}

TEST(DeltaSamples2, EncodingIsTheSecondDifferenceAndDecodingUndoesIt) {
    check_random_round_trips<uint16_t>();
}

TEST(DeltaSamples, TouchesNothingOutsideTheArray) {
    std::mt19937 rng(7);
    for (const int32_t job : {0, 1}) {
        for (int32_t n = 1; n <= 40; ++n) {
            SCOPED_TRACE(std::to_string(n) + " job " + std::to_string(job));
            std::vector<uint8_t> bytes = random_samples<uint8_t>(rng, static_cast<size_t>(n) + 32);
            std::vector<uint16_t> words =
                random_samples<uint16_t>(rng, static_cast<size_t>(n) + 32);
            const auto bytes_before = bytes;
            const auto words_before = words;
            delta_samples1(reinterpret_cast<int8_t *>(bytes.data() + 16), n, job);
            delta_samples2(words.data() + 16, n, job);
            for (size_t i = 0; i < bytes.size(); ++i) {
                if (i < 16 || i >= 16 + static_cast<size_t>(n)) {
                    ASSERT_EQ(bytes[i], bytes_before[i]) << i;
                    ASSERT_EQ(words[i], words_before[i]) << i;
                }
            }
        }
    }
}

namespace {

// Filters copies of words and bytes at offset with the fast path and the plain
// loop, both directions, and requires the whole buffers, guards included, to agree.
void check_fast_against_plain(const std::vector<uint8_t> &bytes, const std::vector<uint16_t> &words,
                              size_t offset, int32_t n) {
    for (const int32_t job : {1, 0}) {
        auto fast1 = bytes, plain1 = bytes;
        auto fast2 = words, plain2 = words;
        delta_samples1(reinterpret_cast<int8_t *>(fast1.data() + offset), n, job);
        seqtrace_internal::delta_samples1_plain(reinterpret_cast<int8_t *>(plain1.data() + offset),
                                                n, job);
        delta_samples2(fast2.data() + offset, n, job);
        seqtrace_internal::delta_samples2_plain(plain2.data() + offset, n, job);
        ASSERT_EQ(fast1, plain1) << "job " << job;
        ASSERT_EQ(fast2, plain2) << "job " << job;
    }
}

} // namespace

TEST(DeltaSamples, FastPathMatchesThePlainLoopAtEveryLengthAndOffset) {
    // Each array sits at a different offset in a buffer whose guard bytes must
    // come through untouched.
    std::mt19937 rng(99);
    constexpr size_t kGuard = 40;
    for (int32_t n = 0; n <= 300; ++n) {
        for (size_t offset = 0; offset < 8; ++offset) {
            SCOPED_TRACE("length " + std::to_string(n) + ", offset " + std::to_string(offset));
            const size_t size = static_cast<size_t>(n) + 2 * kGuard;
            check_fast_against_plain(random_samples<uint8_t>(rng, size),
                                     random_samples<uint16_t>(rng, size), offset, n);
        }
    }
}

TEST(DeltaSamples, FastPathMatchesThePlainLoopOnLongArrays) {
    // Long arrays are decoded in chunks side by side; these lengths reach that
    // path for both widths, with every kind of remainder after it.
    std::mt19937 rng(7);
    for (const int32_t n :
         {255, 256, 257, 319, 1023, 1024, 1025, 1279, 4096, 4353, 65535, 100003}) {
        for (const size_t offset : {0, 1, 3, 7}) {
            SCOPED_TRACE("length " + std::to_string(n) + ", offset " + std::to_string(offset));
            const size_t size = static_cast<size_t>(n) + 16;
            check_fast_against_plain(random_samples<uint8_t>(rng, size),
                                     random_samples<uint16_t>(rng, size), offset, n);
        }
    }
}

// ---- SCF record -------------------------------------------------------------

namespace {

bool all_bytes_are(const void *block, size_t size, unsigned char value) {
    const auto *p = static_cast<const unsigned char *>(block);
    return std::all_of(p, p + size, [value](unsigned char b) { return b == value; });
}

} // namespace

TEST(ScfAllocate, SizesEveryBlockFromTheCounts) {
    struct Case {
        int32_t samples, sample_size, bases, comments, private_size;
        int32_t sample_bytes, base_bytes, comment_bytes, private_bytes; // -1: no block
    };
    const Case cases[] = {
        {100, 1, 10, 0, 0, 401, 132, -1, -1}, {100, 2, 10, 0, 0, 801, 132, -1, -1},
        {100, 4, 10, 0, 0, 801, 132, -1, -1}, {0, 1, 0, 0, 0, 1, 12, -1, -1},
        {0, 2, 0, 5, 7, 1, 12, 6, 7},         {3, 1, 2, 1, 1, 13, 36, 2, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.samples) + "/" + std::to_string(c.sample_size) + "/" +
                     std::to_string(c.bases) + "/" + std::to_string(c.comments) + "/" +
                     std::to_string(c.private_size));
        test_alloc::reset();
        ScfRecord *r = scf_allocate(c.samples, c.sample_size, c.bases, c.comments, c.private_size);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(test_alloc::size_of(r), static_cast<int32_t>(sizeof(ScfRecord)));
        EXPECT_EQ(test_alloc::size_of(r->samples), c.sample_bytes);
        EXPECT_EQ(test_alloc::size_of(r->bases), c.base_bytes);
        EXPECT_TRUE(all_bytes_are(r->bases, static_cast<size_t>(c.base_bytes), 0));
        EXPECT_EQ(r->comments == nullptr, c.comment_bytes < 0);
        EXPECT_EQ(test_alloc::size_of(r->comments), c.comment_bytes);
        EXPECT_EQ(r->private_data == nullptr, c.private_bytes < 0);
        EXPECT_EQ(test_alloc::size_of(r->private_data), c.private_bytes);

        // The header holds sample_size and nothing else.
        EXPECT_EQ(r->header.sample_size, static_cast<uint32_t>(c.sample_size));
        ScfHeader expected{};
        expected.sample_size = static_cast<uint32_t>(c.sample_size);
        EXPECT_EQ(std::memcmp(&r->header, &expected, sizeof expected), 0);
        scf_deallocate(r);
        EXPECT_EQ(test_alloc::live_blocks(), 0);
        EXPECT_EQ(test_alloc::bad_frees(), 0);
    }
}

TEST(ScfAllocate, ReleasesEverythingWhenAnyAllocationFails) {
    struct Case {
        int32_t comments, private_size;
        long requests; // allocation points the call has
    };
    for (const Case c : {Case{3, 4, 5}, Case{3, 0, 4}, Case{0, 4, 4}, Case{0, 0, 3}}) {
        SCOPED_TRACE(std::to_string(c.comments) + "/" + std::to_string(c.private_size));
        const long made = test_alloc::check_every_failure(
            [&] { return scf_allocate(10, 2, 5, c.comments, c.private_size); }, scf_deallocate);
        EXPECT_EQ(made, c.requests);
    }
}

TEST(ScfAllocate, RefusesSizesThatDoNotFitWithoutAllocating) {
    struct Case {
        const char *name;
        int32_t samples, sample_size, bases, comments, private_size;
    };
    const Case cases[] = {
        {"0x40000000 1-byte samples", 0x40000000, 1, 0, 0, 0},
        {"0x1FFFFFFF 2-byte samples", 0x1FFFFFFF, 2, 0, 0, 0},
        {"most samples", INT32_MAX, 1, 0, 0, 0},
        {"num_bases 0x7FFFFFFF", 0, 1, 0x7FFFFFFF, 0, 0},
        {"bases just over", 0, 1, INT32_MAX / 12, 0, 0},
        {"comments_size 0x7FFFFFFF", 0, 1, 0, INT32_MAX, 0},
        {"negative samples", -1, 1, 0, 0, 0},
        {"negative bases", 0, 1, -1, 0, 0},
        {"negative comments", 0, 1, 0, -1, 0},
        {"negative private", 0, 1, 0, 0, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        test_alloc::reset();
        EXPECT_EQ(scf_allocate(c.samples, c.sample_size, c.bases, c.comments, c.private_size),
                  nullptr);
        EXPECT_EQ(test_alloc::requests(), 0);
        EXPECT_EQ(test_alloc::live_blocks(), 0);
    }
}

TEST(ScfAllocate, AcceptsTheLargestBlocksThatFit) {
    // One below each limit must pass the size checks and reach the allocator,
    // which refuses here only because of the test's own limit.
    test_alloc::reset();
    test_alloc::set_limit(1 << 20);
    EXPECT_EQ(scf_allocate((INT32_MAX - 1) / 4, 1, 0, 0, 0), nullptr);
    EXPECT_EQ(test_alloc::largest_request(), int64_t{(INT32_MAX - 1) / 4} * 4 + 1);
    test_alloc::reset();
    test_alloc::set_limit(1 << 20);
    EXPECT_EQ(scf_allocate(0, 1, INT32_MAX / 12 - 1, 0, 0), nullptr);
    EXPECT_EQ(test_alloc::largest_request(), int64_t{INT32_MAX / 12} * 12);
    test_alloc::reset();
    EXPECT_EQ(test_alloc::live_blocks(), 0);
}

TEST(ScfDeallocate, ReleasesTheBlocksInOrder) {
    for (const bool optional_blocks : {true, false}) {
        SCOPED_TRACE(optional_blocks ? "with comments and private data" : "without");
        test_alloc::reset();
        ScfRecord *r = scf_allocate(10, 1, 2, optional_blocks ? 3 : 0, optional_blocks ? 4 : 0);
        ASSERT_NE(r, nullptr);
        std::vector<void *> expected = {r->bases, r->samples};
        if (optional_blocks) {
            expected.push_back(r->comments);
            expected.push_back(r->private_data);
        }
        expected.push_back(r);
        test_alloc::reset();
        scf_deallocate(r);
        std::vector<void *> freed;
        for (const auto &e : test_alloc::log())
            if (e.kind == test_alloc::Event::Free)
                freed.push_back(e.block);
        EXPECT_EQ(freed, expected);
        EXPECT_EQ(test_alloc::bad_frees(), 0);
        EXPECT_EQ(test_alloc::live_blocks(), 0);
    }
}

TEST(ScfRecordLayout, MatchesTheFileFormat) {
    EXPECT_EQ(sizeof(ScfHeader), 128u);
    EXPECT_EQ(offsetof(ScfHeader, samples_offset), 8u);
    EXPECT_EQ(offsetof(ScfHeader, comments_offset), 32u);
    EXPECT_EQ(offsetof(ScfHeader, version), 36u);
    EXPECT_EQ(offsetof(ScfHeader, sample_size), 40u);
    EXPECT_EQ(offsetof(ScfHeader, private_offset), 52u);
    EXPECT_EQ(sizeof(ScfBase), 12u);
    EXPECT_EQ(offsetof(ScfBase, base), 8u);
    EXPECT_EQ(sizeof(ScfSamples1), 4u);
    EXPECT_EQ(sizeof(ScfSamples2), 8u);
}
