// File probes and file-of-filenames lists.
#include <seqtrace/file_utils.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#ifndef PATH_MAX
#define PATH_MAX 4096
#endif

namespace {

// The type bits of st_mode, or 0 when stat fails (no file type is 0).
unsigned file_type(const char *path) {
    struct stat st;
    if (stat(path, &st) != 0)
        return 0;
    return static_cast<unsigned>(st.st_mode) & S_IFMT;
}

bool exists(const char *path) {
    struct stat st;
    return stat(path, &st) == 0;
}

struct Suffix {
    const char *text;
    size_t size; // with its NUL
};

constexpr Suffix kSuffixes[] = {{".gz", 4}, {".bz", 4}, {".bz2", 5}, {".Z", 3}, {".z", 3}};
constexpr size_t kLongestSuffix = 5;

// Lines are read in pieces of at most this many characters.
constexpr int kPieceLength = 253;

} // namespace

extern "C" {

int32_t is_directory(const char *path) {
    return file_type(path) == S_IFDIR ? 1 : 0;
}

int32_t is_file(const char *path) {
    return file_type(path) == S_IFREG ? 1 : 0;
}

int32_t file_exists(const char *path) {
    return exists(path) ? 1 : 0;
}

int32_t compressed_file_exists(const char *path) {
    if (exists(path))
        return 1;
    // stat refuses names of PATH_MAX bytes or more, so a longer buffer is no use.
    char name[PATH_MAX + kLongestSuffix];
    const size_t length = std::strlen(path);
    if (length > sizeof name - kLongestSuffix)
        return 0;
    std::memcpy(name, path, length);
    for (const Suffix &suffix : kSuffixes) {
        std::memcpy(name + length, suffix.text, suffix.size);
        if (exists(name))
            return 1;
    }
    return 0;
}

int32_t file_size(const char *path) {
    struct stat st;
    if (stat(path, &st) != 0 || st.st_size < 0)
        return 0;
    return st.st_size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(st.st_size);
}

FILE *open_fofn(const char *path) {
    return std::fopen(path, "r");
}

char *read_fofn(FILE *stream) {
    // A piece holds at most 253 characters, so its first word always fits.
    static char name[256];
    char piece[kPieceLength + 1];
    while (std::fgets(piece, sizeof piece, stream) != nullptr) {
        if (std::sscanf(piece, "%255s", name) == 1)
            return name;
    }
    return nullptr;
}

int32_t close_fofn(FILE *stream) {
    return std::fclose(stream);
}

} // extern "C"
