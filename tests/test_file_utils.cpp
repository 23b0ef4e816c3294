#include <seqtrace/file_utils.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <random>
#include <string>
#include <vector>

#include "failing_stream.h"
#include "files.h"

using seqtrace_test::TempDir;

namespace {

void make_dir(const std::string &path) {
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path;
}

void make_link(const std::string &target, const std::string &link) {
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0) << link;
}

// A file of the given size that takes no disk space.
void make_sparse(const std::string &path, off_t size) {
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    EXPECT_EQ(ftruncate(fd, size), 0);
    close(fd);
}

// Runs the working directory elsewhere for the life of the object.
class InDirectory {
  public:
    explicit InDirectory(const std::string &dir) {
        EXPECT_NE(getcwd(old_, sizeof old_), nullptr);
        EXPECT_EQ(chdir(dir.c_str()), 0);
    }
    ~InDirectory() { EXPECT_EQ(chdir(old_), 0); }

  private:
    char old_[4096];
};

// Every name the list file holding bytes yields, in order.
std::vector<std::string> names_in(const std::string &bytes) {
    TempDir dir;
    FILE *list = open_fofn(dir.write("list.fofn", bytes).c_str());
    EXPECT_NE(list, nullptr);
    std::vector<std::string> names;
    if (list == nullptr)
        return names;
    while (const char *name = read_fofn(list))
        names.emplace_back(name);
    EXPECT_EQ(close_fofn(list), 0);
    return names;
}

} // namespace

// ---- probes ---------------------------------------------------------------------

TEST(FileProbes, TellFileTypesFollowingLinks) {
    TempDir dir;
    dir.write("plain", "12345");
    make_dir(dir.path("dir"));
    ASSERT_EQ(mkfifo(dir.path("fifo").c_str(), 0644), 0);
    make_link(dir.path("plain"), dir.path("link_to_file"));
    make_link(dir.path("dir"), dir.path("link_to_dir"));
    make_link(dir.path("missing"), dir.path("dangling"));

    struct Case {
        std::string path;
        int32_t directory, file, exists;
    };
    const Case cases[] = {
        {"/", 1, 0, 1},
        {"/dev/null", 0, 0, 1},
        {dir.path("plain"), 0, 1, 1},
        {dir.path("dir"), 1, 0, 1},
        {dir.path("dir/"), 1, 0, 1},
        {dir.path("fifo"), 0, 0, 1},
        {dir.path("link_to_file"), 0, 1, 1},
        {dir.path("link_to_dir"), 1, 0, 1},
        {dir.path("dangling"), 0, 0, 0},
        {dir.path("missing"), 0, 0, 0},
        {dir.path("plain/inside"), 0, 0, 0}, // runs through a regular file
        {"", 0, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(is_directory(c.path.c_str()), c.directory);
        EXPECT_EQ(is_file(c.path.c_str()), c.file);
        EXPECT_EQ(file_exists(c.path.c_str()), c.exists);
    }
}

TEST(FileSize, GivesTheSizeOrZero) {
    TempDir dir;
    make_link(dir.write("five", "12345"), dir.path("link"));
    struct Case {
        std::string path;
        int32_t size;
    };
    const Case cases[] = {
        {dir.write("empty", ""), 0}, {dir.path("five"), 5},        {dir.path("link"), 5},
        {dir.path("missing"), 0},    {dir.path("five/inside"), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(file_size(c.path.c_str()), c.size);
    }
}

TEST(FileSize, SaturatesAtTheLargestInt32) {
    TempDir dir;
    struct Case {
        off_t size;
        int32_t expected;
    };
    const Case cases[] = {
        {off_t{INT32_MAX}, INT32_MAX},
        {off_t{1} << 31, INT32_MAX},
        {off_t{3} << 30, INT32_MAX},       // 3 GiB
        {(off_t{1} << 32) + 5, INT32_MAX}, // would wrap to 5
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.size);
        const std::string path = dir.path("sparse");
        make_sparse(path, c.size);
        EXPECT_EQ(file_size(path.c_str()), c.expected);
    }
}

TEST(CompressedFileExists, FindsThePlainOrACompressedForm) {
    struct Case {
        const char *name;
        std::vector<std::string> files; // made in a fresh directory
        std::vector<std::string> dirs;
        int32_t found;
    };
    const Case cases[] = {
        {"only x.gz", {"x.gz"}, {}, 1},
        {"x and x.gz", {"x", "x.gz"}, {}, 1},
        {"only x", {"x"}, {}, 1},
        {"only x.bz", {"x.bz"}, {}, 1},
        {"directory x.bz2", {}, {"x.bz2"}, 1},
        {"only x.Z", {"x.Z"}, {}, 1},
        {"only x.z", {"x.z"}, {}, 1},
        {"directory x", {}, {"x"}, 1},
        {"x.zip and x.gzip do not count", {"x.zip", "x.gzip", "x.bz3", "x.gz2", "xgz"}, {}, 0},
        {"nothing", {"y", "y.gz"}, {}, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        for (const auto &f : c.files)
            dir.write(f, "data");
        for (const auto &d : c.dirs)
            make_dir(dir.path(d));
        const std::string x = dir.path("x");
        EXPECT_EQ(compressed_file_exists(x.c_str()), c.found);
        EXPECT_EQ(x, dir.path("x")); // the caller's path is not changed
    }
}

TEST(CompressedFileExists, KeepsExistenceSeparateFromFileExists) {
    TempDir dir;
    dir.write("x.gz", "data");
    EXPECT_EQ(file_exists(dir.path("x").c_str()), 0);
    EXPECT_EQ(compressed_file_exists(dir.path("x").c_str()), 1);
}

TEST(CompressedFileExists, ProbesSuffixesAloneForTheEmptyPath) {
    TempDir dir;
    {
        InDirectory here(dir.path());
        EXPECT_EQ(compressed_file_exists(""), 0);
    }
    dir.write(".z", "");
    InDirectory here(dir.path());
    EXPECT_EQ(compressed_file_exists(""), 1);
}

TEST(CompressedFileExists, HandlesPathsUpToAndBeyondTheSystemLimit) {
    TempDir dir;
    dir.write("x.gz", "data");
    // "./" repeated before the name makes a long path to the same file.
    auto padded = [&](size_t length) {
        std::string tail = "/x";
        std::string p = dir.path();
        while (p.size() + tail.size() + 2 <= length)
            p += "/.";
        p += std::string(length - p.size() - tail.size(), '/');
        return p + tail;
    };
    const std::string near_limit = padded(4000);
    ASSERT_EQ(near_limit.size(), 4000u);
    EXPECT_EQ(compressed_file_exists(near_limit.c_str()), 1);

    // Too long for stat with a suffix, and far too long for any buffer: no, and
    // nothing written beyond the buffer (the sanitizer builds would see it).
    for (const size_t length : {4094, 4095, 4096, 4097, 100000}) {
        SCOPED_TRACE(length);
        const std::string long_path = padded(length);
        EXPECT_EQ(compressed_file_exists(long_path.c_str()), 0);
    }
    const std::string letters(100000, 'a');
    EXPECT_EQ(compressed_file_exists(letters.c_str()), 0);
}

// ---- file-of-filenames lists -------------------------------------------------------

TEST(ReadFofn, YieldsTheFirstWordOfEachPiece) {
    const std::string w253(253, 'n');
    const std::string w300 = std::string(253, 'p') + std::string(47, 'q');
    struct Case {
        const char *name;
        std::string bytes;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"blank lines and trailing words", "a.scf\n\n   \nb.scf more words\n", {"a.scf", "b.scf"}},
        {"leading spaces and a tab", "  \t c.scf\n", {"c.scf"}},
        {"carriage return", "d.scf\r\ne.scf\r\n", {"d.scf", "e.scf"}},
        {"last line without newline", "f.scf\ng.scf", {"f.scf", "g.scf"}},
        {"empty list", "", {}},
        {"only white space", " \t\r\n\n\v\f\n", {}},
        {"300 characters", w300 + "\n", {std::string(253, 'p'), std::string(47, 'q')}},
        {"exactly 253 characters", w253 + "\nnext\n", {w253, "next"}},
        {"word across the 253rd character", std::string(250, ' ') + "abcdefgh\n", {"abc", "defgh"}},
        {"trailing word after 253 characters", w253 + " tail\n", {w253, "tail"}},
        {"600 characters",
         std::string(600, 'r'),
         {std::string(253, 'r'), std::string(253, 'r'), std::string(94, 'r')}},
        {"vertical tab and form feed are white space", "\v\fh.scf\f rest\n\v\n", {"h.scf"}},
        {"NUL ends a piece's text", std::string("ab\0cd\n\0ignored\nef\n", 19), {"ab", "ef"}},
        {"non-ASCII bytes inside names",
         "caf\xC3\xA9.scf\n\xFF\xFE\x80 x\n",
         {"caf\xC3\xA9.scf", "\xFF\xFE\x80"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(names_in(c.bytes), c.names);
    }
}

namespace {

// The names a plain fgets(line, 254, f) + sscanf(line, "%s", name) reader finds.
std::vector<std::string> reference_names(const std::string &bytes) {
    TempDir dir;
    seqtrace_test::File f(std::fopen(dir.write("list", bytes).c_str(), "r"));
    std::vector<std::string> names;
    char line[254];
    char name[256];
    while (std::fgets(line, 254, f.get()) != nullptr)
        if (std::sscanf(line, "%s", name) == 1)
            names.emplace_back(name);
    return names;
}

// A list of random lines from an alphabet rich in white space, NULs and high bytes,
// with some lines long enough to be split.
std::string random_list(std::mt19937 &rng) {
    static const char alphabet[] = " \t\n\v\f\r\0abcXYZ09._/-\x80\xA0\xC3\xA9\xFF";
    std::string list;
    const int lines = static_cast<int>(rng() % 40);
    for (int i = 0; i < lines; ++i) {
        const size_t length = rng() % 8 == 0 ? 200 + rng() % 400 : rng() % 30;
        for (size_t k = 0; k < length; ++k)
            list += alphabet[rng() % (sizeof alphabet - 1)];
        if (rng() % 10 != 0)
            list += '\n';
    }
    return list;
}

} // namespace

TEST(ReadFofn, AgreesWithFgetsAndSscanfOnRandomLists) {
    std::mt19937 rng(2024);
    for (const char *locale : {"C", "de_DE.UTF-8"}) {
        if (std::setlocale(LC_ALL, locale) == nullptr)
            continue; // the decimal-comma tests say whether this one must exist
        SCOPED_TRACE(locale);
        for (int round = 0; round < 300; ++round) {
            const std::string list = random_list(rng);
            ASSERT_EQ(names_in(list), reference_names(list)) << "round " << round;
        }
    }
    std::setlocale(LC_ALL, "C");
}

TEST(ReadFofn, ReturnsTheSameBufferAndKeepsTheLastName) {
    TempDir dir;
    FILE *list = open_fofn(dir.write("list", "first\nsecond\n   \n").c_str());
    ASSERT_NE(list, nullptr);
    char *one = read_fofn(list);
    ASSERT_NE(one, nullptr);
    EXPECT_STREQ(one, "first");
    char *two = read_fofn(list);
    EXPECT_EQ(two, one);
    EXPECT_STREQ(two, "second");
    EXPECT_EQ(read_fofn(list), nullptr);
    EXPECT_STREQ(one, "second"); // the end of the list leaves the text alone
    EXPECT_EQ(close_fofn(list), 0);
}

TEST(ReadFofn, EndsTheListOnAReadError) {
    // A directory opens for reading but every read of it fails.
    TempDir dir;
    FILE *list = open_fofn(dir.path().c_str());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(read_fofn(list), nullptr);
    EXPECT_EQ(close_fofn(list), 0);
}

TEST(ReadFofn, EndsTheListAtAStreamErrorAtAnyByte) {
    // Newlines at offsets 1, 8, 9 and 13: a name comes back only when its whole
    // piece was read before the failing byte, and the failure ends the list.
    const std::string list = "a\n  bb x\n\nccc\n";
    const std::vector<std::pair<size_t, std::string>> lines = {{1, "a"}, {8, "bb"}, {13, "ccc"}};
    for (size_t fail_at = 0; fail_at <= list.size() + 1; ++fail_at) {
        SCOPED_TRACE(fail_at);
        seqtrace_test::File stream(seqtrace_test::failing_stream(list, fail_at, "r"));
        ASSERT_TRUE(stream);
        std::vector<std::string> expected;
        for (const auto &[newline, name] : lines)
            if (newline < fail_at)
                expected.push_back(name);
        std::vector<std::string> names;
        char *name = nullptr;
        while ((name = read_fofn(stream.get())) != nullptr)
            names.emplace_back(name);
        EXPECT_EQ(names, expected);
        EXPECT_EQ(read_fofn(stream.get()), nullptr); // and stays ended
    }
}

TEST(OpenFofn, GivesNullForAListThatCannotBeOpened) {
    TempDir dir;
    EXPECT_EQ(open_fofn(dir.path("missing").c_str()), nullptr);
    EXPECT_EQ(open_fofn(dir.path("missing/list").c_str()), nullptr);
}

TEST(OpenFofn, LeavesNoDescriptorOpenAfterClose) {
    TempDir dir;
    const std::string path = dir.write("list", "a\nb\n");
    const int before = seqtrace_test::open_descriptor_count();
    for (int i = 0; i < 20; ++i) {
        FILE *list = open_fofn(path.c_str());
        ASSERT_NE(list, nullptr);
        while (read_fofn(list) != nullptr) {
        }
        EXPECT_EQ(close_fofn(list), 0);
    }
    EXPECT_EQ(seqtrace_test::open_descriptor_count(), before);
}
