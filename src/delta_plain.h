// Internal to the library, not installed: the delta filters as plain loops, the
// reference that the vector code in delta_samples1 and delta_samples2 must match
// bit for bit. The tests and the fuzz target compare the two; the symbols are
// hidden from a shared build.
#ifndef SEQTRACE_SRC_DELTA_PLAIN_H
#define SEQTRACE_SRC_DELTA_PLAIN_H

#include <cstdint>

namespace seqtrace_internal {

void delta_samples1_plain(int8_t *samples, int32_t count, int32_t job);
void delta_samples2_plain(uint16_t *samples, int32_t count, int32_t job);

} // namespace seqtrace_internal

#endif
