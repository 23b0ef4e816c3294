#include <seqtrace/array.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "every_failure.h"

namespace {

// Every test starts from a clean allocator and a known ArrayError, and ends with
// nothing leaked and nothing freed twice.
class ArrayTest : public test_alloc::CheckedTest {
  protected:
    void SetUp() override {
        CheckedTest::SetUp();
        ArrayError = 12345;
    }
    void TearDown() override {
        if (array_ != nullptr)
            ArrayDestroy(array_);
        CheckedTest::TearDown();
    }
    Array make(int32_t element_size, int32_t capacity) {
        array_ = ArrayCreate(element_size, capacity);
        EXPECT_NE(array_, nullptr);
        return array_;
    }
    long reallocs() const {
        long n = 0;
        for (const auto &e : test_alloc::log())
            n += e.kind == test_alloc::Event::Realloc;
        return n;
    }
    Array array_ = nullptr;
};

char *start_of(Array a) {
    return static_cast<char *>(a->storage);
}

} // namespace

TEST_F(ArrayTest, CreateGivesCapacityAtLeastOne) {
    for (const int32_t capacity : {0, 1, 7}) {
        SCOPED_TRACE(capacity);
        ArrayError = 12345;
        Array a = ArrayCreate(4, capacity);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->element_size, 4);
        EXPECT_EQ(a->capacity, capacity == 0 ? 1 : capacity);
        EXPECT_EQ(a->count, 0);
        EXPECT_EQ(test_alloc::size_of(a->storage), 4 * a->capacity);
        EXPECT_EQ(ArrayError, 12345); // success leaves it alone
        ArrayDestroy(a);
    }
}

TEST_F(ArrayTest, RefGrowsByDoublingPastTheIndex) {
    struct Case {
        int32_t capacity, index, grown_capacity;
    };
    const Case cases[] = {
        {1, 0, 1}, {4, 3, 4}, {4, 4, 8}, {4, 7, 16}, {1, 100, 128}, {3, 3, 6}, {3, 12, 24},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.capacity) + " ref " + std::to_string(c.index));
        test_alloc::reset();
        Array a = ArrayCreate(4, c.capacity);
        ASSERT_NE(a, nullptr);
        char *element = static_cast<char *>(ArrayRef(a, c.index));
        EXPECT_EQ(element, start_of(a) + 4 * c.index);
        EXPECT_EQ(a->capacity, c.grown_capacity);
        EXPECT_EQ(a->count, c.index + 1);
        EXPECT_EQ(reallocs(), c.grown_capacity == c.capacity ? 0 : 1);
        EXPECT_EQ(test_alloc::size_of(a->storage), 4 * c.grown_capacity);
        ArrayDestroy(a);
    }
}

TEST_F(ArrayTest, RefBelowCountChangesNothing) {
    Array a = make(4, 8);
    ASSERT_NE(ArrayRef(a, 4), nullptr);
    ArrayError = 777;
    test_alloc::reset();
    EXPECT_EQ(ArrayRef(a, 2), start_of(a) + 8);
    EXPECT_EQ(a->count, 5);
    EXPECT_EQ(a->capacity, 8);
    EXPECT_EQ(ArrayError, 777);
    EXPECT_EQ(test_alloc::requests(), 0);
}

TEST_F(ArrayTest, GrowthKeepsEveryElement) {
    Array a = make(static_cast<int32_t>(sizeof(int)), 0);
    for (int i = 0; i < 5000; ++i) {
        int *slot = static_cast<int *>(ArrayRef(a, i));
        ASSERT_NE(slot, nullptr);
        *slot = i * 3;
    }
    EXPECT_EQ(a->count, 5000);
    EXPECT_EQ(a->capacity, 8192);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(static_cast<int *>(a->storage)[i], i * 3);
    // Growth leaves a free element past the index, so index 1 already takes
    // capacity 1 to 4; from there one reallocation per doubling up to 8192.
    EXPECT_EQ(reallocs(), 12);
}

TEST_F(ArrayTest, ExtendMakesCapacityGreaterThanN) {
    struct Case {
        int32_t capacity, n, expected_capacity;
    };
    const Case cases[] = {{4, 3, 4}, {4, 4, 8}, {4, -5, 4}, {4, 100, 128}, {5, 5, 10}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.capacity) + " extend " + std::to_string(c.n));
        test_alloc::reset();
        Array a = ArrayCreate(2, c.capacity);
        ASSERT_NE(a, nullptr);
        void *storage = a->storage;
        ArrayError = 12345;
        EXPECT_EQ(ArrayExtend(a, c.n), ARRAY_NO_ERROR);
        EXPECT_EQ(ArrayError, ARRAY_NO_ERROR);
        EXPECT_EQ(a->capacity, c.expected_capacity);
        EXPECT_EQ(a->count, 0);
        EXPECT_EQ(reallocs(), c.expected_capacity == c.capacity ? 0 : 1);
        if (c.expected_capacity == c.capacity) {
            EXPECT_EQ(a->storage, storage);
        }
        ArrayDestroy(a);
    }
}

TEST_F(ArrayTest, CapacityNeverPassesTheLimit) {
    // Zero-byte elements make the largest capacities cheap to reach.
    Array a = make(0, 1);
    EXPECT_EQ(ArrayExtend(a, (1 << 30) - 1), ARRAY_NO_ERROR);
    EXPECT_EQ(a->capacity, 1 << 30);
    for (const int32_t n : {1 << 30, INT32_MAX}) {
        SCOPED_TRACE(n);
        ArrayError = 12345;
        EXPECT_EQ(ArrayExtend(a, n), ARRAY_FULL);
        EXPECT_EQ(ArrayError, ARRAY_FULL);
        EXPECT_EQ(a->capacity, 1 << 30);
    }
    EXPECT_EQ(ArrayRef(a, 1 << 30), nullptr);
    EXPECT_EQ(ArrayError, ARRAY_FULL);
    EXPECT_EQ(a->count, 0);
    EXPECT_STREQ(ArrayErrorString(ArrayError), "Array full");
}

TEST_F(ArrayTest, NonPowerOfTwoCapacityStopsBelowTheLimit) {
    Array a = make(0, 3);
    EXPECT_EQ(ArrayExtend(a, 1610612735), ARRAY_NO_ERROR);
    EXPECT_EQ(a->capacity, 1610612736); // 3 * 2^29
    EXPECT_EQ(ArrayExtend(a, 1610612736), ARRAY_FULL);
    EXPECT_EQ(a->capacity, 1610612736);
}

TEST_F(ArrayTest, TopIndexIsNeverReferenced) {
    for (const int32_t capacity : {1, 1 << 20, INT32_MAX}) {
        SCOPED_TRACE(capacity);
        Array a = ArrayCreate(0, capacity);
        ASSERT_NE(a, nullptr);
        test_alloc::reset();
        ArrayError = 12345;
        EXPECT_EQ(ArrayRef(a, INT32_MAX), nullptr);
        EXPECT_EQ(ArrayError, ARRAY_FULL);
        EXPECT_EQ(a->count, 0);
        EXPECT_EQ(a->capacity, capacity);
        EXPECT_EQ(test_alloc::requests(), 0);
        ArrayDestroy(a);
    }
}

TEST_F(ArrayTest, ByteSizesNeverWrap) {
    // 2^20-byte elements: 2048 of them are 2^31 bytes, one past what fits.
    test_alloc::reset();
    EXPECT_EQ(ArrayCreate(1 << 20, 2048), nullptr);
    EXPECT_EQ(ArrayError, ARRAY_OUT_OF_MEMORY);
    EXPECT_EQ(ArrayCreate(INT32_MAX, 2), nullptr);
    EXPECT_EQ(ArrayError, ARRAY_OUT_OF_MEMORY);
    EXPECT_EQ(test_alloc::requests(), 0);

    Array a = make(1 << 20, 1);
    void *storage = a->storage;
    test_alloc::reset();
    EXPECT_EQ(ArrayExtend(a, 2047), ARRAY_OUT_OF_MEMORY);
    EXPECT_EQ(ArrayRef(a, 4096), nullptr);
    EXPECT_EQ(ArrayError, ARRAY_OUT_OF_MEMORY);
    EXPECT_EQ(test_alloc::requests(), 0);
    EXPECT_EQ(a->capacity, 1);
    EXPECT_EQ(a->storage, storage);
}

TEST_F(ArrayTest, CreateReleasesWhatItMadeWhenAllocationFails) {
    const long made = test_alloc::check_every_failure(
        [] {
            Array a = ArrayCreate(8, 16);
            if (a == nullptr) {
                EXPECT_EQ(ArrayError, ARRAY_OUT_OF_MEMORY);
            }
            return a;
        },
        ArrayDestroy);
    EXPECT_EQ(made, 2);
}

TEST_F(ArrayTest, FailedGrowthLeavesTheArrayAsItWas) {
    Array a = make(static_cast<int32_t>(sizeof(int)), 4);
    for (int i = 0; i < 4; ++i)
        *static_cast<int *>(ArrayRef(a, i)) = 100 + i;
    void *storage = a->storage;
    test_alloc::fail_at(1);
    EXPECT_EQ(ArrayRef(a, 10), nullptr);
    EXPECT_EQ(ArrayError, ARRAY_OUT_OF_MEMORY);
    test_alloc::fail_at(1);
    EXPECT_EQ(ArrayExtend(a, 10), ARRAY_OUT_OF_MEMORY);
    EXPECT_EQ(ArrayError, ARRAY_OUT_OF_MEMORY);
    EXPECT_EQ(a->storage, storage);
    EXPECT_EQ(a->capacity, 4);
    EXPECT_EQ(a->count, 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(static_cast<int *>(a->storage)[i], 100 + i);
}

TEST_F(ArrayTest, SuccessfulCreateAfterFailureKeepsTheError) {
    test_alloc::fail_at(1);
    EXPECT_EQ(ArrayCreate(4, 4), nullptr);
    EXPECT_EQ(ArrayError, ARRAY_OUT_OF_MEMORY);
    make(4, 4);
    EXPECT_EQ(ArrayError, ARRAY_OUT_OF_MEMORY);
}

TEST_F(ArrayTest, RefusesInvalidArguments) {
    struct Case {
        int32_t element_size, capacity;
    };
    for (const Case c : {Case{-1, 4}, Case{4, -1}, Case{INT32_MIN, INT32_MIN}}) {
        SCOPED_TRACE(std::to_string(c.element_size) + "/" + std::to_string(c.capacity));
        ArrayError = 12345;
        EXPECT_EQ(ArrayCreate(c.element_size, c.capacity), nullptr);
        EXPECT_EQ(ArrayError, ARRAY_INVALID_ARGUMENTS);
    }
    ArrayError = 12345;
    EXPECT_EQ(ArrayExtend(nullptr, 1), ARRAY_INVALID_ARGUMENTS);
    EXPECT_EQ(ArrayError, ARRAY_INVALID_ARGUMENTS);
    ArrayError = 12345;
    EXPECT_EQ(ArrayRef(nullptr, 0), nullptr);
    EXPECT_EQ(ArrayError, ARRAY_INVALID_ARGUMENTS);
    ArrayError = 12345;
    EXPECT_EQ(ArrayDestroy(nullptr), ARRAY_INVALID_ARGUMENTS);
    EXPECT_EQ(ArrayError, ARRAY_INVALID_ARGUMENTS);
    EXPECT_EQ(test_alloc::requests(), 0);
}

TEST_F(ArrayTest, NegativeIndexTouchesNothing) {
    Array a = make(4, 4);
    ASSERT_NE(ArrayRef(a, 1), nullptr);
    for (const int32_t index : {-1, -4, INT32_MIN}) {
        SCOPED_TRACE(index);
        test_alloc::reset();
        EXPECT_EQ(ArrayRef(a, index), nullptr);
        EXPECT_EQ(ArrayError, ARRAY_INVALID_ARGUMENTS);
        EXPECT_EQ(a->count, 2);
        EXPECT_EQ(a->capacity, 4);
        EXPECT_EQ(test_alloc::requests(), 0);
    }
}

TEST_F(ArrayTest, DestroyReleasesStorageAndRecord) {
    Array a = ArrayCreate(4, 4);
    ASSERT_NE(a, nullptr);
    void *storage = a->storage;
    test_alloc::reset();
    EXPECT_EQ(ArrayDestroy(a), ARRAY_NO_ERROR);
    EXPECT_EQ(ArrayError, ARRAY_NO_ERROR);
    ASSERT_EQ(test_alloc::log().size(), 2u);
    EXPECT_EQ(test_alloc::log()[0].block, storage);
    EXPECT_EQ(test_alloc::log()[1].block, static_cast<void *>(a));
}

TEST(ArrayErrorString, NamesEveryStatus) {
    struct Case {
        int32_t code;
        const char *text;
    };
    const Case cases[] = {
        {ARRAY_NO_ERROR, "No error"},
        {ARRAY_FULL, "Array full"},
        {ARRAY_INVALID_ARGUMENTS, "Invalid arguments"},
        {ARRAY_OUT_OF_MEMORY, "Out of memory"},
        {-4, "Unknown error"},
        {1, "Unknown error"},
        {INT32_MIN, "Unknown error"},
        {INT32_MAX, "Unknown error"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        ArrayError = 4242;
        EXPECT_STREQ(ArrayErrorString(c.code), c.text);
        EXPECT_EQ(ArrayError, 4242);
    }
}
