#include "failing_stream.h"

#include <cerrno>
#include <cstring>
#include <sys/types.h>

namespace {

struct Cookie {
    std::string data;
    size_t position = 0;
    size_t fail_at = 0;
};

ssize_t read_cookie(void *c, char *buffer, size_t size) {
    auto *cookie = static_cast<Cookie *>(c);
    if (cookie->position >= cookie->fail_at) {
        errno = EIO;
        return -1;
    }
    size_t n = std::min(size, cookie->fail_at - cookie->position);
    n = std::min(n, cookie->data.size() - std::min(cookie->position, cookie->data.size()));
    std::memcpy(buffer, cookie->data.data() + cookie->position, n);
    cookie->position += n;
    return static_cast<ssize_t>(n); // 0 only at the real end of the data
}

ssize_t write_cookie(void *c, const char *, size_t size) {
    auto *cookie = static_cast<Cookie *>(c);
    if (cookie->position >= cookie->fail_at) {
        errno = ENOSPC;
        return -1;
    }
    const size_t n = std::min(size, cookie->fail_at - cookie->position);
    cookie->position += n;
    return static_cast<ssize_t>(n);
}

int close_cookie(void *c) {
    delete static_cast<Cookie *>(c);
    return 0;
}

} // namespace

namespace seqtrace_test {

FILE *failing_stream(const std::string &data, size_t fail_at, const char *mode) {
    auto *cookie = new Cookie{data, 0, fail_at};
    cookie_io_functions_t functions{};
    functions.read = read_cookie;
    functions.write = write_cookie;
    functions.close = close_cookie;
    FILE *stream = fopencookie(cookie, mode, functions);
    if (stream == nullptr) {
        delete cookie;
        return nullptr;
    }
    setvbuf(stream, nullptr, _IONBF, 0);
    return stream;
}

} // namespace seqtrace_test
