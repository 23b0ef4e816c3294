#include <seqtrace/int_float.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

uint32_t bits_of(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

int32_t as_int(uint32_t bits) {
    int32_t v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

} // namespace

TEST(IntToFloat, GivesTheNumberTheBitsEncode) {
    // Expected values live in float variables, so no host may compare them in a
    // wider precision than the result.
    struct Case {
        uint32_t bits;
        float expected;
    };
    const Case cases[] = {
        {0x3F800000u, 1.0f},
        {0xBF800000u, -1.0f},
        {0x40490FDBu, 3.14159274f},
        {0x00000001u, std::numeric_limits<float>::denorm_min()},
        {0x00800000u, std::numeric_limits<float>::min()},
        {0x7F7FFFFFu, std::numeric_limits<float>::max()},
        {0x7F800000u, std::numeric_limits<float>::infinity()},
        {0xFF800000u, -std::numeric_limits<float>::infinity()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bits);
        const float got = int_to_float(as_int(c.bits));
        EXPECT_EQ(got, c.expected);
    }
}

TEST(IntToFloat, KeepsTheSignOfZero) {
    const float positive = int_to_float(0);
    const float negative = int_to_float(as_int(0x80000000u));
    EXPECT_EQ(positive, 0.0f);
    EXPECT_FALSE(std::signbit(positive));
    EXPECT_EQ(negative, 0.0f);
    EXPECT_TRUE(std::signbit(negative));
}

TEST(IntToFloat, CopiesEveryBitOfNaNs) {
    for (const uint32_t bits : {0x7FC00000u, 0xFFC00001u, 0x7FA5A5A5u}) {
        SCOPED_TRACE(bits);
        const float got = int_to_float(as_int(bits));
        EXPECT_TRUE(std::isnan(got));
        EXPECT_EQ(bits_of(got), bits);
    }
}

TEST(IntToFloat, RoundTripsBitPatterns) {
    for (uint32_t bits = 0x12345; bits < 0xFF000000u; bits += 0x00FEDCBAu) {
        const float got = int_to_float(as_int(bits));
        EXPECT_EQ(bits_of(got), bits);
    }
}
