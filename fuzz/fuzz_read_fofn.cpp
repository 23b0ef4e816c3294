// read_fofn on arbitrary bytes must give exactly the names that the plain
// fgets(line, 254, f) + sscanf(line, "%s", name) reader gives, in the same order.
#include <seqtrace/file_utils.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

FILE *open_bytes(const uint8_t *data, size_t size) {
    return fmemopen(const_cast<uint8_t *>(data), size, "r");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0; // fmemopen refuses an empty buffer
    FILE *library = open_bytes(data, size);
    FILE *reference = open_bytes(data, size);
    if (library == nullptr || reference == nullptr)
        abort();

    std::vector<std::string> got;
    while (const char *name = read_fofn(library))
        got.emplace_back(name);

    std::vector<std::string> want;
    char line[254];
    char name[256];
    while (fgets(line, 254, reference) != nullptr)
        if (sscanf(line, "%s", name) == 1)
            want.emplace_back(name);

    fclose(library);
    fclose(reference);
    if (got != want)
        abort();
    return 0;
}
