// Temporary files and streams for the tests: every test that touches the file
// system goes through these, so nothing is left behind and no names collide.
#ifndef SEQTRACE_TESTS_SUPPORT_FILES_H
#define SEQTRACE_TESTS_SUPPORT_FILES_H

#include <cstdio>
#include <memory>
#include <string>

namespace seqtrace_test {

struct FileCloser {
    void operator()(FILE *stream) const {
        if (stream != nullptr)
            std::fclose(stream);
    }
};
using File = std::unique_ptr<FILE, FileCloser>;

// A fresh directory under the system's temporary directory, removed with all its
// contents when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // The directory itself, or name inside it.
    const std::string &path() const { return root_; }
    std::string path(const std::string &name) const { return root_ + "/" + name; }

    // Creates (or replaces) the file name holding exactly bytes; returns its path.
    std::string write(const std::string &name, const std::string &bytes) const;

  private:
    std::string root_;
};

// An anonymous read/write stream holding bytes, positioned at its start.
File stream_with(const std::string &bytes);

// Everything in stream from its start, leaving it positioned at its end.
std::string contents_of(FILE *stream);

// Everything in the file at path; empty when it cannot be read.
std::string contents_of(const std::string &path);

// How many descriptors this process has open, from /proc/self/fd.
int open_descriptor_count();

} // namespace seqtrace_test

#endif
