/* seqtrace: a 32-bit integer's bits taken as a single-precision float. */
#ifndef SEQTRACE_INT_FLOAT_H
#define SEQTRACE_INT_FLOAT_H

#include <stdint.h>

#include <seqtrace/export.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Returns the IEEE 754 single-precision number whose bit pattern is bits.
 * Nothing is converted, rounded or tested: 0x3F800000 gives 1.0f, 1 gives the
 * smallest positive subnormal, 0x7F800000 gives +infinity, and NaN patterns give
 * NaNs. Keeps no state; callable from any thread. */
SEQTRACE_API float int_to_float(int32_t bits);

#ifdef __cplusplus
}
#endif

#endif /* SEQTRACE_INT_FLOAT_H */
