/* seqtrace: a growable array of fixed-size elements.
 *
 * ArrayRef hands out the address of any element by index and enlarges the
 * storage, by doubling, when the index lies beyond it. Status is reported twice:
 * as the return value and in the process-wide variable ArrayError.
 *
 * Elements are never initialised: a new or newly grown region holds whatever the
 * allocator left there. Growth keeps every element's value but may move storage,
 * so an address from ArrayRef is valid only until the next growth. Storage comes
 * from the allocation services (xalloc.h).
 *
 * Threads: ArrayError is one variable for the whole process and arrays carry no
 * lock; callers sharing an array, or relying on ArrayError, across threads must
 * serialise those calls.
 */
#ifndef SEQTRACE_ARRAY_H
#define SEQTRACE_ARRAY_H

#include <stdint.h>

#include <seqtrace/export.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes, returned and stored in ArrayError. */
#define ARRAY_NO_ERROR 0
#define ARRAY_FULL (-1)              /* capacity would pass 2147483647 elements */
#define ARRAY_INVALID_ARGUMENTS (-2) /* a NULL array, negative size or index */
#define ARRAY_OUT_OF_MEMORY (-3)     /* an allocation failed or could not be sized */

/* The array record. Callers may read the fields; only the functions change them.
 * Invariants: 0 <= count <= capacity, 1 <= capacity, storage never NULL. */
typedef struct ArrayRecord {
    int32_t element_size; /* bytes per element, as given to ArrayCreate */
    int32_t capacity;     /* elements storage has room for */
    int32_t count;        /* one more than the highest index referenced; 0 when new */
    void *storage;        /* element_size * capacity bytes */
} ArrayRecord;

typedef ArrayRecord *Array;

/* The status of the last operation that set it; 0 at program start. */
SEQTRACE_API extern int32_t ArrayError;

/* Makes an empty array (count 0) with room for initial_capacity elements of
 * element_size bytes each; an initial_capacity of 0 gives room for 1.
 * Returns the array, which the caller gives back with ArrayDestroy; ArrayError
 * is not changed. Returns NULL with ArrayError set to ARRAY_INVALID_ARGUMENTS when
 * either argument is negative, and to ARRAY_OUT_OF_MEMORY when an allocation fails
 * or the storage would exceed 2147483647 bytes; nothing is left allocated then. */
SEQTRACE_API Array ArrayCreate(int32_t element_size, int32_t initial_capacity);

/* Makes the capacity greater than n. When it already is, nothing changes. Otherwise
 * the capacity is doubled as often as needed, in one reallocation. Returns, and
 * stores in ArrayError:
 *  - ARRAY_NO_ERROR on success;
 *  - ARRAY_FULL when the capacity would pass 2147483647 (so from a power-of-two
 *    capacity any n of 1073741824 or more);
 *  - ARRAY_OUT_OF_MEMORY when the reallocation fails or the storage would exceed
 *    2147483647 bytes;
 *  - ARRAY_INVALID_ARGUMENTS for a NULL array.
 * On failure the array is unchanged and its storage still valid. count is never
 * changed. */
SEQTRACE_API int32_t ArrayExtend(Array array, int32_t n);

/* Returns the address of element index, growing the array (as ArrayExtend with
 * index + 1) when index is not below the capacity, and raising count to index + 1
 * when index is not below it. For an index below count nothing changes, ArrayError
 * included. Returns NULL, with the array unchanged, when growth fails (ArrayError
 * holds its status), for index 2147483647 (ARRAY_FULL), and for a negative index
 * or a NULL array (ARRAY_INVALID_ARGUMENTS). */
SEQTRACE_API void *ArrayRef(Array array, int32_t index);

/* Releases the array and its storage. Returns ARRAY_NO_ERROR, or
 * ARRAY_INVALID_ARGUMENTS for a NULL array; ArrayError is set to the same. */
SEQTRACE_API int32_t ArrayDestroy(Array array);

/* Returns the message for a status code: "No error", "Array full", "Invalid
 * arguments", "Out of memory", or "Unknown error" for any other code. The text is
 * constant and never NULL; ArrayError is not changed. */
SEQTRACE_API const char *ArrayErrorString(int32_t code);

#ifdef __cplusplus
}
#endif

#endif /* SEQTRACE_ARRAY_H */
