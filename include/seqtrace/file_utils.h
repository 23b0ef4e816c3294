/* seqtrace: questions about paths, and file-of-filenames lists.
 *
 * The probes answer with stat, following symbolic links: a link to a directory is a
 * directory, a dangling link does not exist. Every failure of stat (no such file, a
 * path through something that is not a directory, no permission) counts as "no", or
 * as size 0. They open no file, allocate nothing and keep nothing.
 *
 * A file of file names lists one name per line: the first word of the line, a run
 * of characters without white space; leading white space is skipped, the rest of
 * the line ignored, lines without a word skipped. Lines are read in pieces of at
 * most 253 characters, so a longer line counts as several.
 */
#ifndef SEQTRACE_FILE_UTILS_H
#define SEQTRACE_FILE_UTILS_H

#include <stdint.h>
#include <stdio.h>

#include <seqtrace/export.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- File probes ------------------------------------------------------------ */

/* Returns 1 if path names a directory (after following links), else 0. */
SEQTRACE_API int32_t is_directory(const char *path);

/* Returns 1 if path names a regular file (after following links), else 0. Devices,
 * pipes and directories give 0. */
SEQTRACE_API int32_t is_file(const char *path);

/* Returns 1 if stat succeeds on path, whatever the file's type, else 0. */
SEQTRACE_API int32_t file_exists(const char *path);

/* Returns 1 if path exists as it is or with one of the suffixes ".gz", ".bz",
 * ".bz2", ".Z", ".z", probed in that order, stopping at the first found; else 0.
 * Only existence is tested, not the type or the content of what was found. The
 * suffixed names are built in a buffer on the stack; the caller's path is not
 * changed. A path too long for that buffer (longer than the system's PATH_MAX,
 * which stat would refuse anyway) is probed only as itself. */
SEQTRACE_API int32_t compressed_file_exists(const char *path);

/* Returns the size in bytes of the file path names (after following links), or 0
 * when stat fails. A size of 2^31 bytes or more gives 2147483647: the result
 * saturates and is never wrapped or negative. */
SEQTRACE_API int32_t file_size(const char *path);

/* ---- File-of-filenames lists --------------------------------------------------- */

/* Opens the list at path for reading (fopen mode "r"). Returns the stream, which
 * is the caller's until close_fofn, or NULL when it cannot be opened. */
SEQTRACE_API FILE *open_fofn(const char *path);

/* Returns the next name in the list, or NULL at the end of the list or on a read
 * error (the two are not told apart). Each call reads the next piece of a line,
 * at most 253 characters and never past a newline, and returns its first word;
 * pieces without a word are skipped. White space is what isspace says in the
 * current locale (space, \t, \n, \v, \f, \r in the C locale), and a NUL byte ends
 * a piece's text.
 *
 * The name lives in one static 256-byte buffer: every call returns the same
 * pointer, and the text stays until the next name is found, in this list or any
 * other. Copy it to keep it. Not thread-safe. stream must be open; it is not
 * checked. */
SEQTRACE_API char *read_fofn(FILE *stream);

/* Closes a list from open_fofn. Returns the result of fclose: 0 on success. */
SEQTRACE_API int32_t close_fofn(FILE *stream);

#ifdef __cplusplus
}
#endif

#endif /* SEQTRACE_FILE_UTILS_H */
