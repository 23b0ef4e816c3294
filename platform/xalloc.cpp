// The default allocation services: the system allocator behind the 32-bit
// contract. A program replaces this file's four functions by linking its own.
#include <seqtrace/xalloc.h>

#include <cstdlib>

namespace {

// malloc(0) may legitimately return NULL, which callers would take for failure.
size_t at_least_one(int32_t size) {
    return size > 0 ? static_cast<size_t>(size) : 1;
}

} // namespace

extern "C" {

void *xmalloc(int32_t size) {
    if (size < 0)
        return nullptr;
    return std::malloc(at_least_one(size));
}

void *xcalloc(int32_t count, int32_t size) {
    if (count < 0 || size < 0)
        return nullptr;
    const int64_t bytes = int64_t{count} * size;
    if (bytes > INT32_MAX)
        return nullptr;
    return std::calloc(at_least_one(static_cast<int32_t>(bytes)), 1);
}

void *xrealloc(void *block, int32_t size) {
    if (size < 0)
        return nullptr;
    return std::realloc(block, at_least_one(size));
}

void xfree(void *block) {
    std::free(block);
}

} // extern "C"
