/* seqtrace: support for the SCF trace format.
 *
 * The magic-number test, conversion of the header's four-character version field
 * to a number and back, the second-difference filters applied to sample data, and
 * the in-memory SCF record with its storage.
 */
#ifndef SEQTRACE_SCF_SUPPORT_H
#define SEQTRACE_SCF_SUPPORT_H

#include <stddef.h>
#include <stdint.h>

#include <seqtrace/export.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The first four bytes of every SCF file, ".scf", read as one big-endian integer. */
#define SCF_MAGIC 0x2E736366u

/* ---- Records ----------------------------------------------------------------- */

/* The 128-byte SCF file header, field for field in the file's order. In a file
 * every field is a big-endian integer; in memory the fields are in host order. */
typedef struct ScfHeader {
    uint32_t magic_number;   /* SCF_MAGIC */
    uint32_t samples;        /* sample points per channel */
    uint32_t samples_offset; /* byte offset of the sample data */
    uint32_t bases;          /* number of bases */
    uint32_t bases_left_clip;
    uint32_t bases_right_clip;
    uint32_t bases_offset;  /* byte offset of the base data */
    uint32_t comments_size; /* bytes of comment text */
    uint32_t comments_offset;
    char version[4];      /* e.g. "3.00", no terminator */
    uint32_t sample_size; /* bytes per sample value: 1, or 2 */
    uint32_t code_set;
    uint32_t private_size; /* bytes of private data */
    uint32_t private_offset;
    uint32_t spare[18];
} ScfHeader;

/* One sample point of 1-byte values, and of 2-byte values. */
typedef struct ScfSamples1 {
    uint8_t sample_A, sample_C, sample_G, sample_T;
} ScfSamples1;

typedef struct ScfSamples2 {
    uint16_t sample_A, sample_C, sample_G, sample_T;
} ScfSamples2;

/* One base call, 12 bytes as in the file's base records. */
typedef struct ScfBase {
    uint32_t peak_index; /* index of the base's peak in the sample points */
    uint8_t prob_A, prob_C, prob_G, prob_T;
    char base;
    uint8_t spare[3];
} ScfBase;

/* The layout is the file format's; these fail to compile if a compiler pads it. */
typedef char scf_header_is_128_bytes[sizeof(ScfHeader) == 128 ? 1 : -1];
typedef char scf_version_is_at_36[offsetof(ScfHeader, version) == 36 ? 1 : -1];
typedef char scf_sample_size_is_at_40[offsetof(ScfHeader, sample_size) == 40 ? 1 : -1];
typedef char scf_base_is_12_bytes[sizeof(ScfBase) == 12 ? 1 : -1];

/* One SCF trace in memory. The record owns its blocks: samples (sample points,
 * ScfSamples1 or ScfSamples2 by header.sample_size), bases (ScfBase entries),
 * comments (text, or NULL) and private_data (or NULL). Users fill the header and
 * the blocks; scf_allocate sizes them and only sets header.sample_size. */
typedef struct ScfRecord {
    ScfHeader header;
    void *samples;
    void *bases;
    char *comments;
    void *private_data;
} ScfRecord;

/* Makes a record and all its storage in one call, through the allocation services:
 *  - the record itself, all zero but for header.sample_size = sample_size;
 *  - samples: num_samples * 4 + 1 bytes when sample_size is 1, otherwise
 *    num_samples * 8 + 1 bytes, not initialised;
 *  - bases: num_bases + 1 entries of 12 bytes, all zero;
 *  - comments: comments_size + 1 bytes (room for a NUL), not initialised, or NULL
 *    when comments_size is 0;
 *  - private_data: exactly private_size bytes, not initialised, or NULL when
 *    private_size is 0.
 * Returns the record, which the caller gives back with scf_deallocate. Returns
 * NULL, with nothing left allocated, when any allocation fails, when a count or
 * size is negative, or when a block's size would exceed 2147483647 bytes (for
 * example 0x40000000 samples of 1 byte, or num_bases 0x7FFFFFFF). */
SEQTRACE_API ScfRecord *scf_allocate(int32_t num_samples, int32_t sample_size, int32_t num_bases,
                                     int32_t comments_size, int32_t private_size);

/* Releases a record from scf_allocate and its blocks, in this order: bases,
 * samples, comments (if not NULL), private_data (if not NULL), the record. The
 * bases and samples pointers must still hold blocks from the allocation services;
 * record must not be NULL. */
SEQTRACE_API void scf_deallocate(ScfRecord *record);

/* ---- File test and version field ---------------------------------------- */

/* Tells whether the file at path is an SCF file by its first four bytes.
 * Returns 1 when they equal SCF_MAGIC (whatever follows), 0 when they differ or the
 * file is shorter than four bytes, and -1 when the file cannot be opened. Reads
 * nothing beyond the first four bytes and always closes the stream it opened. */
SEQTRACE_API int32_t is_scf(const char *path);

/* Converts the four characters of a version field, such as "3.00", to a number.
 * The field needs no terminator; a NUL within the first four characters ends it.
 * Returns the decimal number at its start (leading spaces skipped, the rest after
 * the number ignored, so "1.2." gives 1.2), rounded to single precision; returns
 * 0.0 unless all four characters are digits, full stops or spaces (so "3.1" with a
 * NUL, "x3.0" and "...." give 0.0, as does "0.00"). The full stop is the decimal
 * point whatever the caller's locale. Keeps no state; thread-safe. */
SEQTRACE_API float scf_version_str2float(const char version[4]);

/* Formats a version number as the header's field text, "%1.2f" in the C locale:
 * 3.0 gives "3.00", 2.999 gives "3.00", 0.0 gives "0.00". For values from +0.0 up
 * to but not including 9.995 the text has exactly four characters, and
 * scf_version_str2float of it gives back the value rounded to two decimals.
 * Other values (9.995 and more, negatives and -0.0, infinities, NaN) give that same
 * text cut to its first four characters, e.g. "10.0", "-1.0", "-0.0", "inf", "nan".
 * The full stop is the decimal point whatever the caller's locale.
 *
 * Returns a pointer to a static 5-byte buffer, valid until the next call, which
 * overwrites it; every call returns the same pointer. Not thread-safe. */
SEQTRACE_API const char *scf_version_float2str(float version);

/* ---- Sample delta filters ------------------------------------------------ */

/* Filters count 1-byte sample values in place, modulo 2^8.
 * job 1 encodes: each value becomes its second difference, the two values before
 * the start taken as zero (10 20 30 40 becomes 10 0 0 0). Any other job decodes,
 * undoing the encoding exactly, wrap-around included. A count of 1 or less changes
 * nothing. Uses no other memory; thread-safe for distinct arrays. */
SEQTRACE_API void delta_samples1(int8_t *samples, int32_t count, int32_t job);

/* As delta_samples1, for 2-byte sample values in host order, modulo 2^16. */
SEQTRACE_API void delta_samples2(uint16_t *samples, int32_t count, int32_t job);

#ifdef __cplusplus
}
#endif

#endif /* SEQTRACE_SCF_SUPPORT_H */
