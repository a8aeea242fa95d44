#include "platform/whole_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

using namespace qormap;

// A stream says nothing of its length: what it holds arrives whole however
// long it is, up to the limit.
TEST(PosixWholeFile, StreamsOfAnyLength) {
    const struct {
        size_t size;
        size_t largest;
        int error;
    } cases[] = {
        {0, 100, 0},
        {(size_t{9} << 20) + 3, size_t{16} << 20, 0},  // past the first storage, twice
        {(size_t{9} << 20) + 3, size_t{9} << 20, EFBIG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        std::FILE* pipe = popen(("yes | head -c " + std::to_string(c.size)).c_str(), "r");
        const std::string path = "/dev/fd/" + std::to_string(fileno(pipe));
        WholeFile file{};
        int error = 0;
        EXPECT_EQ(readWholeFile(path.c_str(), c.largest, file, error), c.error == 0);
        pclose(pipe);
        EXPECT_EQ(error, c.error) << std::strerror(error);
        std::string lines;
        for (size_t i = 0; c.error == 0 && i < c.size; i += 2) {
            lines += "y\n";
        }
        EXPECT_TRUE(std::string(reinterpret_cast<const char*>(file.data), file.size) ==
                    lines.substr(0, c.size));
        releaseWholeFile(file);
    }
}
