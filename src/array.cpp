// Growable arrays: doubling growth, one reallocation per extension, and every
// size computed in 64 bits so that nothing wraps.
#include <seqtrace/array.h>
#include <seqtrace/xalloc.h>

#include <cstddef>
#include <cstdint>

namespace {

int32_t set_status(int32_t status) {
    ArrayError = status;
    return status;
}

void *element(Array array, int32_t index) {
    return static_cast<char *>(array->storage) +
           static_cast<ptrdiff_t>(index) * array->element_size;
}

// ArrayRef for a NULL array, a negative index, or an index at or beyond the
// capacity: refuses, or grows the array to hold the element.
__attribute__((noinline)) void *ref_beyond_capacity(Array array, int32_t index) {
    if (array == nullptr || index < 0) {
        ArrayError = ARRAY_INVALID_ARGUMENTS;
        return nullptr;
    }
    // index + 1 would not fit: no capacity can hold this element.
    if (index == INT32_MAX) {
        ArrayError = ARRAY_FULL;
        return nullptr;
    }
    if (ArrayExtend(array, index + 1) != ARRAY_NO_ERROR)
        return nullptr;
    array->count = index + 1;
    return element(array, index);
}

} // namespace

extern "C" {

int32_t ArrayError = ARRAY_NO_ERROR;

Array ArrayCreate(int32_t element_size, int32_t initial_capacity) {
    if (element_size < 0 || initial_capacity < 0) {
        ArrayError = ARRAY_INVALID_ARGUMENTS;
        return nullptr;
    }
    const int32_t capacity = initial_capacity == 0 ? 1 : initial_capacity;
    const int64_t bytes = int64_t{element_size} * capacity;
    if (bytes > INT32_MAX) {
        ArrayError = ARRAY_OUT_OF_MEMORY;
        return nullptr;
    }
    auto *array = static_cast<Array>(xmalloc(static_cast<int32_t>(sizeof(ArrayRecord))));
    if (array == nullptr) {
        ArrayError = ARRAY_OUT_OF_MEMORY;
        return nullptr;
    }
    array->storage = xmalloc(static_cast<int32_t>(bytes));
    if (array->storage == nullptr) {
        xfree(array);
        ArrayError = ARRAY_OUT_OF_MEMORY;
        return nullptr;
    }
    array->element_size = element_size;
    array->capacity = capacity;
    array->count = 0;
    return array;
}

int32_t ArrayExtend(Array array, int32_t n) {
    if (array == nullptr)
        return set_status(ARRAY_INVALID_ARGUMENTS);
    if (n < array->capacity)
        return set_status(ARRAY_NO_ERROR);
    int64_t capacity = array->capacity > 0 ? array->capacity : 1;
    while (capacity <= n) {
        capacity *= 2;
        if (capacity > INT32_MAX)
            return set_status(ARRAY_FULL);
    }
    const int64_t bytes = capacity * array->element_size;
    if (bytes > INT32_MAX)
        return set_status(ARRAY_OUT_OF_MEMORY);
    void *grown = xrealloc(array->storage, static_cast<int32_t>(bytes));
    if (grown == nullptr)
        return set_status(ARRAY_OUT_OF_MEMORY);
    array->storage = grown;
    array->capacity = static_cast<int32_t>(capacity);
    return set_status(ARRAY_NO_ERROR);
}

void *ArrayRef(Array array, int32_t index) {
    // The common case, an element within the capacity, costs a comparison and a
    // raise of count; as unsigned values a negative index is never below it.
    // Everything else is left to a function of its own, so that this path needs
    // no stack frame.
    if (array != nullptr && static_cast<uint32_t>(index) < static_cast<uint32_t>(array->capacity)) {
        if (index >= array->count)
            array->count = index + 1;
        return element(array, index);
    }
    return ref_beyond_capacity(array, index);
}

int32_t ArrayDestroy(Array array) {
    if (array == nullptr)
        return set_status(ARRAY_INVALID_ARGUMENTS);
    if (array->storage != nullptr)
        xfree(array->storage);
    xfree(array);
    return set_status(ARRAY_NO_ERROR);
}

const char *ArrayErrorString(int32_t code) {
    switch (code) {
    case ARRAY_NO_ERROR:
        return "No error";
    case ARRAY_FULL:
        return "Array full";
    case ARRAY_INVALID_ARGUMENTS:
        return "Invalid arguments";
    case ARRAY_OUT_OF_MEMORY:
        return "Out of memory";
    default:
        return "Unknown error";
    }
}

} // extern "C"
