#include "platform/file_names.h"

#include <gtest/gtest.h>

using namespace qormap;

// A backslash is an ordinary character in POSIX names.
TEST(PosixFileNames, FolderEndsAtASlash) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"qormap", "qormap"},
        {"/usr/bin/qormap", "qormap"},
        {"./build\\qormap", "build\\qormap"},
        {"bin/", ""},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(withoutFolder(c.path), c.name) << c.path;
    }
}
