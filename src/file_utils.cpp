// File probes and file-of-filenames lists.
#include <seqtrace/file_utils.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctype.h>
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

// White space as isspace says in the current locale, which is what sscanf's "%s"
// goes by. glibc's isspace is a function call in C++; its table, read once per
// call of read_fofn, gives the same answers without one call per character.
class Spaces {
  public:
#if defined(__GLIBC__)
    Spaces() : table_(*__ctype_b_loc()) {}
    bool operator()(unsigned char c) const {
        return (table_[c] & _ISspace) != 0;
    }

  private:
    const unsigned short *table_;
#else
    bool operator()(unsigned char c) const {
        return std::isspace(c) != 0;
    }
#endif
};

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
    const Spaces spaces;
    while (std::fgets(piece, sizeof piece, stream) != nullptr) {
        // The first word as sscanf("%s") finds it: white space skipped, then
        // everything up to white space or the NUL that ends the text.
        const auto *p = reinterpret_cast<const unsigned char *>(piece);
        while (*p != '\0' && spaces(*p))
            ++p;
        if (*p == '\0')
            continue;
        const unsigned char *word = p;
        while (*p != '\0' && !spaces(*p))
            ++p;
        const auto length = static_cast<size_t>(p - word);
        std::memcpy(name, word, length);
        name[length] = '\0';
        return name;
    }
    return nullptr;
}

int32_t close_fofn(FILE *stream) {
    return std::fclose(stream);
}

} // extern "C"
