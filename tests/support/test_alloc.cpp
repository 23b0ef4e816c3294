#include "test_alloc.h"

#include <seqtrace/xalloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace {

struct State {
    std::unordered_map<const void *, int32_t> live; // block -> requested size
    std::vector<test_alloc::Event> log;
    long requests = 0;
    long failures = 0;
    long bad_frees = 0;
    int64_t largest = 0;
    long fail_at = 0;
    int64_t limit = -1;
};

State &state() {
    static State s;
    return s;
}

// Junk-fills at most this much of a block, so huge blocks stay cheap.
constexpr size_t kJunkLimit = 1 << 20;

void junk(void *block, size_t from, size_t to) {
    to = std::min(to, kJunkLimit);
    if (from < to)
        std::memset(static_cast<unsigned char *>(block) + from, test_alloc::kJunk, to - from);
}

// Counts a request and decides whether to refuse it.
bool refuse(int64_t size) {
    State &s = state();
    ++s.requests;
    s.largest = std::max(s.largest, size);
    bool refused = size < 0 || size > INT32_MAX || (s.limit >= 0 && size > s.limit);
    if (s.fail_at > 0 && s.requests == s.fail_at)
        refused = true;
    if (refused)
        ++s.failures;
    return refused;
}

void record(test_alloc::Event::Kind kind, int64_t size, void *block) {
    state().log.push_back({kind, size, block});
}

size_t bytes(int64_t size) {
    return size > 0 ? static_cast<size_t>(size) : 1;
}

} // namespace

namespace test_alloc {

void reset() {
    State &s = state();
    s.log.clear();
    s.requests = s.failures = s.bad_frees = 0;
    s.largest = 0;
    s.fail_at = 0;
    s.limit = -1;
}

void fail_at(long n) {
    state().fail_at = n > 0 ? state().requests + n : 0;
}

void set_limit(int64_t limit) {
    state().limit = limit;
}
long requests() {
    return state().requests;
}
long failures() {
    return state().failures;
}
long live_blocks() {
    return static_cast<long>(state().live.size());
}
int64_t largest_request() {
    return state().largest;
}
long bad_frees() {
    return state().bad_frees;
}
const std::vector<Event> &log() {
    return state().log;
}

int32_t size_of(const void *block) {
    const auto it = state().live.find(block);
    return it == state().live.end() ? -1 : it->second;
}

} // namespace test_alloc

extern "C" {

void *xmalloc(int32_t size) {
    if (refuse(size)) {
        record(test_alloc::Event::Malloc, size, nullptr);
        return nullptr;
    }
    void *block = std::malloc(bytes(size));
    if (block != nullptr) {
        junk(block, 0, static_cast<size_t>(size));
        state().live[block] = size;
    }
    record(test_alloc::Event::Malloc, size, block);
    return block;
}

void *xcalloc(int32_t count, int32_t size) {
    const int64_t total = count < 0 || size < 0 ? -1 : int64_t{count} * size;
    if (refuse(total)) {
        record(test_alloc::Event::Calloc, total, nullptr);
        return nullptr;
    }
    void *block = std::calloc(bytes(total), 1);
    if (block != nullptr)
        state().live[block] = static_cast<int32_t>(total);
    record(test_alloc::Event::Calloc, total, block);
    return block;
}

void *xrealloc(void *block, int32_t size) {
    State &s = state();
    if (block != nullptr && s.live.find(block) == s.live.end()) {
        ++s.bad_frees;
        return nullptr;
    }
    if (refuse(size)) {
        record(test_alloc::Event::Realloc, size, nullptr);
        return nullptr;
    }
    const int32_t old_size = block != nullptr ? s.live[block] : 0;
    void *grown = std::realloc(block, bytes(size));
    if (grown != nullptr) {
        s.live.erase(block);
        junk(grown, static_cast<size_t>(std::min(old_size, size)), static_cast<size_t>(size));
        s.live[grown] = size;
    }
    record(test_alloc::Event::Realloc, size, grown);
    return grown;
}

void xfree(void *block) {
    State &s = state();
    record(test_alloc::Event::Free, 0, block);
    if (block == nullptr || s.live.erase(block) == 0) {
        ++s.bad_frees;
        return;
    }
    std::free(block);
}

} // extern "C"
