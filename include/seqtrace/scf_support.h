/* seqtrace: support for the SCF trace format.
 *
 * The magic-number test, conversion of the header's four-character version field
 * to a number and back, and the second-difference filters applied to sample data.
 */
#ifndef SEQTRACE_SCF_SUPPORT_H
#define SEQTRACE_SCF_SUPPORT_H

#include <stdint.h>

#include <seqtrace/export.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The first four bytes of every SCF file, ".scf", read as one big-endian integer. */
#define SCF_MAGIC 0x2E736366u

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
