/* seqtrace: the CTF codec the library's CTF file access calls.
 *
 * The codec is not one of the library's modules: the library ships a small
 * stand-in (platform/ctf_codec.cpp) that seqtrace::seqtrace links by default, and
 * a program may link its own ctfFRead, ctfFWrite and ctfFreeTrace instead.
 *
 * The stand-in's byte format, every integer big-endian:
 *
 *   offset  size              field
 *   0       4                 magic, the bytes 2E 63 74 66 (".ctf")
 *   4       4                 format version, 1
 *   8       4                 format, the record's format field (signed)
 *   12      4                 num_points, at most CTF_MAX_COUNT
 *   16      4                 num_bases, at most CTF_MAX_COUNT
 *   20      2 * num_points    channel A sample values
 *           2 * num_points    channel C, then G, then T likewise
 *           num_bases         base calls, one byte each
 *           4 * num_bases     each base's peak position
 *
 * A trace is exactly that long and nothing follows it, so traces may stand one
 * after another in a stream. All memory comes from the allocation services.
 */
#ifndef SEQTRACE_CTF_CODEC_H
#define SEQTRACE_CTF_CODEC_H

#include <stdint.h>
#include <stdio.h>

#include <seqtrace/export.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The largest num_points and num_bases the stand-in codec reads or writes. */
#define CTF_MAX_COUNT (1 << 24)

/* One trace in memory. The record owns every block it points to; arrays are NULL
 * when their count is 0. Release it with ctfFreeTrace. */
typedef struct TraceRecord {
    int32_t format;     /* a tag the writer chose; stored as it is */
    char *file_name;    /* NUL-terminated, owned by the record, or NULL */
    int32_t num_points; /* sample points per channel */
    uint16_t *trace_A;  /* num_points values of each channel */
    uint16_t *trace_C;
    uint16_t *trace_G;
    uint16_t *trace_T;
    int32_t num_bases;    /* number of base calls */
    char *bases;          /* num_bases base calls */
    uint32_t *base_peaks; /* num_bases peak positions, indices into the samples */
} TraceRecord;

/* Decodes one trace from the stream's current position, reading exactly its bytes.
 * Returns a new record, with file_name NULL, that the caller releases with
 * ctfFreeTrace. Returns NULL, with nothing left allocated, on a wrong magic or
 * version, a count above CTF_MAX_COUNT, a stream that ends early or fails, or a
 * failed allocation. Storage grows as data arrives, so a count the stream cannot
 * back never causes a large allocation. The stream stays open. */
SEQTRACE_API TraceRecord *ctfFRead(FILE *stream);

/* Encodes trace at the stream's current position and flushes the stream.
 * file_name is not stored. Returns 0 on success and -1 when trace is NULL, a count
 * is negative or above CTF_MAX_COUNT, an array with a non-zero count is NULL, or a
 * write or the flush fails. The stream stays open. */
SEQTRACE_API int32_t ctfFWrite(FILE *stream, TraceRecord *trace);

/* Releases trace and everything it owns, file_name included. Accepts NULL. */
SEQTRACE_API void ctfFreeTrace(TraceRecord *trace);

#ifdef __cplusplus
}
#endif

#endif /* SEQTRACE_CTF_CODEC_H */
