#include "platform/whole_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

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
        std::string bytes(c.size, '\0');
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>(i * 7 / 3);
        }
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        std::thread writer([&] {
            for (size_t sent = 0; sent < bytes.size();) {
                const ssize_t count = write(ends[1], bytes.data() + sent, bytes.size() - sent);
                if (count <= 0) {
                    break;  // the reader gave up
                }
                sent += static_cast<size_t>(count);
            }
            close(ends[1]);
        });
        WholeFile file{};
        int error = 0;
        const std::string path = "/dev/fd/" + std::to_string(ends[0]);
        EXPECT_EQ(readWholeFile(path.c_str(), c.largest, file, error), c.error == 0);
        char rest[4096];
        while (read(ends[0], rest, sizeof rest) > 0) {
        }
        close(ends[0]);
        writer.join();
        EXPECT_EQ(error, c.error) << std::strerror(error);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data), file.size),
                  c.error == 0 ? bytes : "");
        releaseWholeFile(file);
    }
}
