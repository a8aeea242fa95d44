#include "platform/whole_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/shared/scratch_folder.h"

using namespace qormap;

namespace {

std::string contents(const WholeFile& file) {
    return {reinterpret_cast<const char*>(file.data), file.size};
}

}  // namespace

// Every byte arrives as stored: no line ends turned, no stop at 0x1A (the
// end of a text file on Windows), nothing lost past a megabyte's read.
TEST(WholeFile, ReadsEveryByteAsStored) {
    const std::string folder = makeScratchFolder();
    std::string bytes = std::string("a\r\nb\nc\x1A"
                                    "d\0e",
                                    9);
    bytes += std::string((size_t{3} << 20) + 5, '\x1A');
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {{"empty", ""}, {"text bytes", bytes.substr(0, 9)}, {"long", bytes}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder + "/file";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        // The tightest limit, and one no memory could hold: only what the
        // file needs is taken.
        for (const size_t largest : {c.bytes.size(), SIZE_MAX / 4}) {
            WholeFile file{};
            int error = 0;
            ASSERT_TRUE(readWholeFile(path.c_str(), largest, file, error)) << std::strerror(error);
            EXPECT_EQ(contents(file), c.bytes);
            releaseWholeFile(file);
            EXPECT_EQ(file.storage, nullptr);
        }
    }
    std::filesystem::remove_all(folder);
}

TEST(WholeFile, Refusals) {
    const std::string folder = makeScratchFolder();
    std::ofstream(folder + "/four", std::ios::binary) << "four";
    const struct {
        std::string path;
        size_t largest;
        int error;
    } cases[] = {
        {folder + "/missing", 100, ENOENT},
        {folder, 100, EISDIR},
        {folder + "/four", 3, EFBIG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        WholeFile file{};
        int error = 0;
        EXPECT_FALSE(readWholeFile(c.path.c_str(), c.largest, file, error));
        EXPECT_EQ(error, c.error) << std::strerror(error);
        EXPECT_EQ(file.storage, nullptr);
    }
    std::filesystem::remove_all(folder);
}
