// Whole maps, byte for byte: the hashes of files written by the program for
// fixed arguments. Any change of arithmetic, draw order or file layout shows.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "app/driver.h"
#include "qormap/qormap.h"
#include "tests/shared/golden_maps.h"
#include "tests/shared/locations.h"
#include "tests/shared/map_file.h"
#include "tests/shared/run_process.h"
#include "tests/shared/scratch_folder_fixture.h"
#include "tests/shared/sha256_hex.h"

namespace {

const std::string program = generatorProgram();

class Golden : public ScratchFolderTest {
protected:
    std::string writeMap(std::vector<std::string> words) {
        const std::string path = folder + "/map.vxl";
        words.insert(words.begin(), {"qormap", "-o", path});
        const ProcessResult result = runProcess(program, words);
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        return readAll(path);
    }
};

}  // namespace

// Names the case by its arguments in test listings.
void PrintTo(const GoldenMap& golden, std::ostream* out) {
    for (const std::string& word : golden.words) {
        *out << word << ' ';
    }
}

// Names a case by its arguments, for test filters.
std::string caseName(const testing::TestParamInfo<GoldenMap>& info) {
    std::string name;
    for (const std::string& word : info.param.words) {
        for (char ch : word) {
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        }
        name += '_';
    }
    return name + std::to_string(info.index);
}

// The library's options for the words, read as the command reads them.
qormap_options libraryOptions(const std::vector<std::string>& words) {
    std::vector<std::string> texts = words;
    std::vector<char*> arguments{const_cast<char*>("qormap")};
    for (std::string& text : texts) {
        arguments.push_back(text.data());
    }
    arguments.push_back(nullptr);
    CommandLine commandLine =
        readCommandLine(static_cast<int>(arguments.size()) - 1, arguments.data(), 0);
    const qormap_options options = commandLine.map;
    releaseCommandLine(commandLine);
    return options;
}

class GoldenFile : public Golden, public testing::WithParamInterface<GoldenMap> {};
class GoldenInMemory : public testing::TestWithParam<GoldenMap> {};

// A table that failed to load would otherwise just run no cases.
TEST(GoldenTable, HoldsEveryRecordedMap) {
    ASSERT_EQ(goldenMaps().size(), 18u) << "reading " << goldenMapsFile();
    for (const GoldenMap& map : goldenMaps()) {
        SCOPED_TRACE(testing::PrintToString(map));
        EXPECT_EQ(map.sha256.size(), 64u);
        EXPECT_FALSE(map.words.empty());
    }
}

TEST_P(GoldenFile, MatchesRecordedHash) {
    const GoldenMap& golden = GetParam();
    const std::string file = writeMap(golden.words);
    EXPECT_EQ(file.size(), golden.size);
    // Printed in hex on a mismatch, ready to compare or (after review) record.
    EXPECT_EQ(sha256Hex(file), golden.sha256);
}

INSTANTIATE_TEST_SUITE_P(Maps, GoldenFile, testing::ValuesIn(goldenMaps()), caseName);

// In one process, one map after another: none may depend on the one before.
TEST_P(GoldenInMemory, MatchesRecordedHash) {
    const GoldenMap& golden = GetParam();
    const qormap_options options = libraryOptions(golden.words);
    unsigned char* data = nullptr;
    size_t size = 0;
    ASSERT_EQ(qormap_generate(&options, &data, &size), QORMAP_OK);
    const std::string file(reinterpret_cast<const char*>(data), size);
    qormap_free(data);
    EXPECT_EQ(file.size(), golden.size);
    EXPECT_EQ(sha256Hex(file), golden.sha256);
}

INSTANTIATE_TEST_SUITE_P(Maps, GoldenInMemory, testing::ValuesIn(goldenMaps()), caseName);

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
