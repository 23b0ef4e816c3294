/* seqtrace: the allocation services.
 *
 * Every block the library makes or releases goes through these four functions.
 * They are not part of the library's modules: the default ones wrap the system
 * allocator, and a program may link its own four instead (to count, limit or log
 * allocations), as long as it keeps the contract below.
 *
 * Contract, relied on by every caller in the library:
 *  - a block is aligned for any object, as malloc's are;
 *  - failure gives NULL; nothing prints and nothing ends the program;
 *  - a negative size or count gives NULL;
 *  - sizes are bytes in a signed 32-bit integer, so no block exceeds 2147483647
 *    bytes: an xcalloc product that does not fit gives NULL, never a smaller block.
 *
 * The default services are as thread-safe as the system allocator.
 */
#ifndef SEQTRACE_XALLOC_H
#define SEQTRACE_XALLOC_H

#include <stdint.h>

#include <seqtrace/export.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Returns a new block of at least size bytes, not initialised, or NULL when none
 * can be had or size is negative. A size of 0 gives a valid, distinct block. The
 * caller releases it with xfree. */
SEQTRACE_API void *xmalloc(int32_t size);

/* Returns a new block of count * size bytes, all zero, or NULL when none can be had,
 * when either factor is negative, or when the product exceeds 2147483647. Only the
 * product matters; the factors may come in either order. Released with xfree. */
SEQTRACE_API void *xcalloc(int32_t count, int32_t size);

/* Resizes block (from xmalloc, xcalloc or xrealloc, or NULL for a new block) to
 * size bytes, keeping its contents up to the smaller of the two sizes, perhaps at
 * a new address. Returns the block, or NULL when it cannot be resized or size is
 * negative; then the old block is untouched and still the caller's. */
SEQTRACE_API void *xrealloc(void *block, int32_t size);

/* Releases a block returned by one of the other three. NULL is accepted and ignored,
 * although the library itself never passes it. */
SEQTRACE_API void xfree(void *block);

#ifdef __cplusplus
}
#endif

#endif /* SEQTRACE_XALLOC_H */
