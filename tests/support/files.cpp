#include "files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace seqtrace_test {

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "seqtrace-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string TempDir::write(const std::string &name, const std::string &bytes) const {
    const std::string full = path(name);
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + full);
    return full;
}

File stream_with(const std::string &bytes) {
    File stream(std::tmpfile());
    if (!stream)
        throw std::runtime_error("tmpfile failed");
    if (!bytes.empty() && std::fwrite(bytes.data(), bytes.size(), 1, stream.get()) != 1)
        throw std::runtime_error("cannot fill temporary stream");
    std::rewind(stream.get());
    return stream;
}

std::string contents_of(FILE *stream) {
    std::fflush(stream);
    std::rewind(stream);
    std::string bytes;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0)
        bytes.append(chunk, got);
    return bytes;
}

std::string contents_of(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int open_descriptor_count() {
    int count = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

} // namespace seqtrace_test
