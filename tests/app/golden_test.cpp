// Whole maps, byte for byte: the hashes of files written by the program for
// fixed arguments. Any change of arithmetic, draw order or file layout shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "map_file.h"
#include "run_process.h"

namespace {

const std::string program = QORMAP_EXECUTABLE;

class Golden : public testing::Test {
protected:
    void SetUp() override { folder = makeScratchFolder(); }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string writeMap(std::vector<std::string> words) {
        const std::string path = folder + "/map.vxl";
        words.insert(words.begin(), {"qormap", "-o", path});
        const ProcessResult result = runProcess(program, words);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        return readAll(path);
    }

    std::string folder;
};

}  // namespace

TEST_F(Golden, WholeMapsMatchRecordedHashes) {
    struct Case {
        std::vector<std::string> words;
        size_t size;
        const char* sha256;
    };
    const Case cases[] = {
        // Terrain alone: the valley, walls, low ground and their colours.
        {{"-s", "1", "-p", "0", "-c", "0"},
         2441572,
         "23e9c449999b7b8d3ecf7f3034fc0acdf64a3de2bdf14f621f6e251059f4e13c"},
        // -b 50 is the default bumpiness, exactly.
        {{"-s", "1", "-b", "50", "-p", "0", "-c", "0"},
         2441572,
         "23e9c449999b7b8d3ecf7f3034fc0acdf64a3de2bdf14f621f6e251059f4e13c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.words));
        const std::string file = writeMap(c.words);
        EXPECT_EQ(file.size(), c.size);
        EXPECT_EQ(sha256Hex(file), c.sha256);
    }
}

TEST_F(Golden, EveryColumnShowsItsTopColour) {
    const std::string file = writeMap({"-s", "1"});
    const std::span<const uint8_t> bytes = asBytes(file);
    const std::vector<size_t> offsets = recordOffsets(bytes);
    ASSERT_EQ(offsets.size(), 512u * 512u);
    for (size_t i = 0; i < offsets.size(); ++i) {
        const size_t at = offsets[i];
        // The first span's top colours run from its start to its end height.
        ASSERT_GE(bytes[at + 2], bytes[at + 1]) << "record " << i;
    }
    EXPECT_GE(file.size(), 2097152u);
}
