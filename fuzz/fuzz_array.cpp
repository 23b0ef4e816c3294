// Arrays driven by the input: ArrayRef and ArrayExtend calls with small, large and
// hostile arguments and injected allocation failures, each checked against a
// model of what the array must do: result, ArrayError, count, capacity, contents.
#include <seqtrace/array.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "test_alloc.h"

namespace {

// Requests above this fail as out of memory, so growth stays cheap.
constexpr int64_t kLimit = 1 << 22;

struct Model {
    int32_t element_size;
    int64_t capacity;
    int64_t count = 0;
    int32_t error;
    std::vector<uint8_t> bytes; // element_size * count, valid where known[i]
    std::vector<bool> known;
    bool fail_next = false; // an allocation failure is armed
};

class Input {
  public:
    Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t word() { return static_cast<uint16_t>(byte() << 8 | byte()); }

  private:
    const uint8_t *data_;
    size_t size_;
    size_t at_ = 0;
};

void require(bool condition) {
    if (!condition)
        abort();
}

void check_fields(Array a, const Model &m) {
    require(a->element_size == m.element_size);
    require(a->capacity == m.capacity);
    require(a->count == m.count);
    require(ArrayError == m.error);
}

// What growing to hold index n (ArrayExtend(a, n)) must give, per the model.
int32_t expected_extend(const Model &m, int64_t n, int64_t *capacity) {
    *capacity = m.capacity;
    if (n < m.capacity)
        return ARRAY_NO_ERROR;
    int64_t k = m.capacity;
    while (k <= n) {
        k *= 2;
        if (k > INT32_MAX)
            return ARRAY_FULL;
    }
    const int64_t bytes = k * m.element_size;
    if (bytes > INT32_MAX || bytes > kLimit || m.fail_next)
        return ARRAY_OUT_OF_MEMORY;
    *capacity = k;
    return ARRAY_NO_ERROR;
}

void arm_failure(Model &m) {
    test_alloc::fail_at(1);
    m.fail_next = true;
}

// After a call that may have made an allocation request, the armed failure is
// used up if a request was made.
void settle_failure(Model &m, long requests_before) {
    if (m.fail_next && test_alloc::requests() > requests_before) {
        m.fail_next = false;
        test_alloc::fail_at(0);
    }
}

void do_extend(Array a, Model &m, int32_t n) {
    int64_t capacity;
    const int32_t expected = expected_extend(m, n, &capacity);
    const long before = test_alloc::requests();
    require(ArrayExtend(a, n) == expected);
    settle_failure(m, before);
    m.error = expected;
    if (expected == ARRAY_NO_ERROR)
        m.capacity = capacity;
}

void do_ref(Array a, Model &m, int32_t index, uint8_t stamp) {
    // Predict first: the call may use up an armed allocation failure.
    bool succeeds = true;
    int32_t status = m.error; // unchanged unless something below sets it
    int64_t capacity = m.capacity;
    if (index < 0) {
        succeeds = false;
        status = ARRAY_INVALID_ARGUMENTS;
    } else if (index >= m.count && index == INT32_MAX) {
        succeeds = false;
        status = ARRAY_FULL;
    } else if (index >= m.count && index >= m.capacity) {
        status = expected_extend(m, int64_t{index} + 1, &capacity);
        succeeds = status == ARRAY_NO_ERROR;
    }

    const long before = test_alloc::requests();
    void *got = ArrayRef(a, index);
    settle_failure(m, before);
    m.error = status;
    if (!succeeds) {
        require(got == nullptr);
        return;
    }
    m.capacity = capacity;
    if (index >= m.count) {
        m.count = int64_t{index} + 1;
        m.bytes.resize(static_cast<size_t>(m.count * m.element_size));
        m.known.resize(static_cast<size_t>(m.count), false);
    }
    require(got == static_cast<char *>(a->storage) + int64_t{index} * m.element_size);
    auto *element = static_cast<uint8_t *>(got);
    uint8_t *model = m.bytes.data() + int64_t{index} * m.element_size;
    const auto size = static_cast<size_t>(m.element_size);
    if (m.known[static_cast<size_t>(index)])
        require(size == 0 || memcmp(element, model, size) == 0);
    if (size > 0) {
        memset(element, stamp, size);
        memset(model, stamp, size);
    }
    m.known[static_cast<size_t>(index)] = true;
}

int32_t special(Input &in, const Model &m) {
    const int64_t values[] = {-1,          INT32_MIN, INT32_MAX,      1 << 30,   (1 << 30) - 1,
                              m.count - 1, m.count,   m.capacity - 1, m.capacity};
    return static_cast<int32_t>(values[in.byte() % (sizeof values / sizeof values[0])]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Input in(data, size);
    test_alloc::reset();
    test_alloc::set_limit(kLimit);
    ArrayError = ARRAY_NO_ERROR;

    static const int32_t sizes[] = {0, 1, 2, 4, 8, 13};
    const int32_t element_size = sizes[in.byte() % 6];
    static const int32_t capacities[] = {0, 1, 2, 3, 4, 5, 7, 8, 100};
    const int32_t capacity = capacities[in.byte() % 9];
    if (in.byte() & 1) {
        test_alloc::fail_at(1 + (in.byte() & 1)); // the record, or its storage
        require(ArrayCreate(element_size, capacity) == nullptr);
        require(ArrayError == ARRAY_OUT_OF_MEMORY);
        require(test_alloc::live_blocks() == 0);
        test_alloc::fail_at(0);
    }
    const int32_t status_before = ArrayError;
    Array a = ArrayCreate(element_size, capacity);
    require(a != nullptr);
    Model m{element_size, capacity == 0 ? 1 : capacity, 0, status_before, {}, {}};
    check_fields(a, m);

    while (!in.empty()) {
        const uint8_t op = in.byte();
        switch (op % 5) {
        case 0:
            do_ref(a, m, in.word() % 2048, op);
            break;
        case 1:
            do_ref(a, m, special(in, m), op);
            break;
        case 2:
            do_extend(a, m, in.word() % 4096);
            break;
        case 3:
            do_extend(a, m, special(in, m));
            break;
        case 4:
            arm_failure(m);
            break;
        }
        check_fields(a, m);
    }
    for (int64_t i = 0; m.element_size > 0 && i < m.count; ++i) {
        if (m.known[static_cast<size_t>(i)])
            require(memcmp(static_cast<char *>(a->storage) + i * m.element_size,
                           m.bytes.data() + i * m.element_size,
                           static_cast<size_t>(m.element_size)) == 0);
    }
    test_alloc::fail_at(0);
    require(ArrayDestroy(a) == ARRAY_NO_ERROR);
    require(test_alloc::live_blocks() == 0 && test_alloc::bad_frees() == 0);
    return 0;
}
