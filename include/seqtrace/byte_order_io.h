/* seqtrace: single integers on a stream in a fixed byte order.
 *
 * The be_ functions keep big-endian data in the stream (most significant byte
 * first), the le_ functions little-endian data (least significant byte first).
 * The caller's variable is always in the host's own order, and the bytes in the
 * stream are the same on every host. A value occupies exactly its width in the
 * stream: no prefix, padding or separator.
 *
 * Every function takes an open stream and a pointer to the caller's variable,
 * makes exactly one fread or fwrite call, uses no heap memory and returns 1 on
 * success or 0 on failure. End of file and stream errors both give 0; the
 * stream's own error and end-of-file indicators are left as stdio set them.
 * A write fails when fwrite reports the item unwritten, and also when the call
 * raises the stream's error indicator (glibc's fwrite can report a failed
 * unbuffered write as done); an indicator already set before the call does not
 * by itself fail a write. A write never changes the variable. A read stores into
 * the variable only on success: after a short read the bytes that were read are
 * consumed and the variable keeps its old value. Neither the stream nor the
 * pointer is checked.
 *
 * The functions keep no state; they are as thread-safe as a single stdio call
 * on the stream they are given.
 */
#ifndef SEQTRACE_BYTE_ORDER_IO_H
#define SEQTRACE_BYTE_ORDER_IO_H

#include <stdint.h>
#include <stdio.h>

#include <seqtrace/export.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Writes the byte *value to stream. Returns 1 when it was written, else 0. */
SEQTRACE_API int32_t be_write_int_1(FILE *stream, const uint8_t *value);

/* Writes *value as 2 bytes, most significant first. Returns 1 when written, else 0. */
SEQTRACE_API int32_t be_write_int_2(FILE *stream, const uint16_t *value);

/* Writes *value as 4 bytes, most significant first. Returns 1 when written, else 0. */
SEQTRACE_API int32_t be_write_int_4(FILE *stream, const uint32_t *value);

/* Reads one byte into *value. Returns 1 on success; 0 at end of file or on an
 * error, with *value unchanged. */
SEQTRACE_API int32_t be_read_int_1(FILE *stream, uint8_t *value);

/* Reads 2 bytes, most significant first, into *value. Returns 1 on success; 0 when
 * fewer than 2 bytes could be read, with *value unchanged. */
SEQTRACE_API int32_t be_read_int_2(FILE *stream, uint16_t *value);

/* Reads 4 bytes, most significant first, into *value. Returns 1 on success; 0 when
 * fewer than 4 bytes could be read, with *value unchanged. */
SEQTRACE_API int32_t be_read_int_4(FILE *stream, uint32_t *value);

/* Writes the byte *value to stream; identical to be_write_int_1. Returns 1 or 0. */
SEQTRACE_API int32_t le_write_int_1(FILE *stream, const uint8_t *value);

/* Writes *value as 2 bytes, least significant first. Returns 1 when written, else 0. */
SEQTRACE_API int32_t le_write_int_2(FILE *stream, const uint16_t *value);

/* Writes *value as 4 bytes, least significant first. Returns 1 when written, else 0. */
SEQTRACE_API int32_t le_write_int_4(FILE *stream, const uint32_t *value);

/* Reads one byte into *value; identical to be_read_int_1. Returns 1 or 0, and on 0
 * *value is unchanged. */
SEQTRACE_API int32_t le_read_int_1(FILE *stream, uint8_t *value);

/* Reads 2 bytes, least significant first, into *value. Returns 1 on success; 0 when
 * fewer than 2 bytes could be read, with *value unchanged. */
SEQTRACE_API int32_t le_read_int_2(FILE *stream, uint16_t *value);

/* Reads 4 bytes, least significant first, into *value. Returns 1 on success; 0 when
 * fewer than 4 bytes could be read, with *value unchanged. */
SEQTRACE_API int32_t le_read_int_4(FILE *stream, uint32_t *value);

#ifdef __cplusplus
}
#endif

#endif /* SEQTRACE_BYTE_ORDER_IO_H */
