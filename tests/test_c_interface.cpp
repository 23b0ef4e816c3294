// Runs the C translation unit that calls every exported function.
#include <gtest/gtest.h>

#include <cstddef>

#include "files.h"

extern "C" int seqtrace_c_interface_failures(const char *dir, char *message, size_t size);

TEST(CInterface, EveryExportedFunctionWorksFromC) {
    seqtrace_test::TempDir dir;
    char message[256];
    EXPECT_EQ(seqtrace_c_interface_failures(dir.path().c_str(), message, sizeof message), 0)
        << message;
}
