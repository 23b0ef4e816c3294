// Integer bits as float: a copy of the bits, never a numeric conversion.
#include <seqtrace/int_float.h>

#include <cstring>

static_assert(sizeof(float) == sizeof(int32_t), "float must be 32 bits wide");

extern "C" float int_to_float(int32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
