/* seqtrace: reading and writing CTF trace files, by path or on an open stream.
 *
 * The encoding itself belongs to the CTF codec (ctf_codec.h); these functions open
 * and close files around it and name the traces read by path. A returned trace
 * belongs to the caller, who releases it with ctfFreeTrace. No shared state.
 */
#ifndef SEQTRACE_CTF_FILE_H
#define SEQTRACE_CTF_FILE_H

#include <stdint.h>
#include <stdio.h>

#include <seqtrace/ctf_codec.h>
#include <seqtrace/export.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Reads one trace from the file at path (opened "rb" and always closed again).
 * Returns the trace, whose file_name is a copy of path made with xmalloc (the
 * caller may change or release its own string). If that copy cannot be allocated
 * the trace is still returned, with file_name NULL. Returns NULL when the file
 * cannot be opened (the codec is not called) or the codec rejects it. */
SEQTRACE_API TraceRecord *read_ctf(const char *path);

/* Reads one trace at the stream's position: returns exactly what ctfFRead returns.
 * The stream stays open, positioned where the codec left it. */
SEQTRACE_API TraceRecord *fread_ctf(FILE *stream);

/* Writes trace to the file at path, which is opened "wb": created, or truncated
 * before encoding. Returns 0 when the file was opened, the codec returned 0 and the
 * file closed cleanly; -1 otherwise: the file cannot be opened (the codec is not
 * called), the codec fails, or closing fails (a full disk). After a failure the
 * file may exist, empty or incomplete. */
SEQTRACE_API int32_t write_ctf(const char *path, TraceRecord *trace);

/* Writes trace at the stream's position: returns exactly what ctfFWrite returns.
 * The stream stays open, positioned where the codec left it. */
SEQTRACE_API int32_t fwrite_ctf(FILE *stream, TraceRecord *trace);

#ifdef __cplusplus
}
#endif

#endif /* SEQTRACE_CTF_FILE_H */
