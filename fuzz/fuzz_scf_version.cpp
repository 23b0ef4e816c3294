// The version conversions on arbitrary 4-byte fields and float bit patterns:
// parsing agrees with atof in the C locale, formatting never passes its buffer
// and gives the C-locale "%1.2f" text cut to four characters, and values in range
// parse back to themselves rounded to two decimals.
#include <seqtrace/scf_support.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 4)
        return 0;

    // The input's first four bytes as a version field, with nothing after them.
    char *field = static_cast<char *>(malloc(4));
    memcpy(field, data, 4);
    const float parsed = scf_version_str2float(field);
    char copy[5] = {};
    strncpy(copy, field, 4);
    free(field);
    const float expected =
        strspn(copy, "0123456789. ") == 4 ? static_cast<float>(atof(copy)) : 0.0f;
    if (!(parsed == expected))
        abort();

    // The same bytes as a float bit pattern.
    float value;
    memcpy(&value, data, sizeof value);
    const char *text = scf_version_float2str(value);
    if (strlen(text) > 4)
        abort();
    char reference[64];
    snprintf(reference, sizeof reference, "%1.2f", static_cast<double>(value));
    if (strncmp(text, reference, 4) != 0)
        abort();
    const bool in_range = !std::signbit(value) && static_cast<double>(value) < 9.995;
    if (in_range) {
        if (strlen(text) != 4)
            abort();
        const float back = scf_version_str2float(text);
        const float rounded = static_cast<float>(atof(reference));
        if (!(back == rounded))
            abort();
    }
    return 0;
}
