// Whole maps, byte for byte: the hashes of files written by the program for
// fixed arguments. Any change of arithmetic, draw order or file layout shows.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <ostream>
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

struct GoldenMap {
    std::vector<std::string> words;
    size_t size;
    const char* sha256;
};

// Maps from an independent build of the same design, plus -b 50, which must
// be the default exactly.
const GoldenMap goldenMaps[] = {
    // default options, several seeds
    {{"-s", "0"}, 2820376, "3e6cf09b3ed92de96e5d8fff9e0f9a8b5dd75c0076cade98236c103e34622a3e"},
    {{"-s", "1"}, 2860836, "57785b160dd1ae48becaa1b345a927dda361f4dc9d2809e6aad4dc21f62f7cfa"},
    {{"-s", "2"}, 2863012, "fae29bcbd3e49a77a5178c003533a57157dadb3f724702030028bac716b6f0ae"},
    {{"-s", "42"}, 2858456, "8c621343a58f7d3ae596f81a0bbe96edafbbb9285183d9090fa53198cce004a1"},
    // a negative seed
    {{"-s", "-1"}, 2831496, "87b685f28fef8587986854381a715508e70556d2af373f6f9d3554911ec14e5c"},
    // seeded with the bit pattern of 4000000000
    {{"-s", "4000000000"},
     2859260,
     "b7f693b66d369ff95b330cadc09fd74553708eb202445b85e831737c26d18871"},
    {{"-s", "123456789"},
     2847648,
     "6dd462bc8eccdc5fdad56c975c3583f2f894307850a6555f9fd77da6cd14b266"},
    // flat valley floor
    {{"-s", "1", "-b", "0"},
     2874596,
     "aba5b851f8a0c99d544fd2dafeb7b115277bb1d267237120da521bc67de69eba"},
    // full bumpiness
    {{"-s", "1", "-b", "100"},
     2839524,
     "b1a53f4692b8ddcdf3ae8145e5a843057497e9e24831e49d9f606c79d69cd94c"},
    // bumpiness 0.33, colour top 9
    {{"-s", "1", "-b", "33"},
     2865980,
     "3cbcc8e83114592533c9d78b7cdbfb08da76fbc5795fe78952f3d16eeffd2f8b"},
    // terrain alone
    {{"-s", "1", "-p", "0", "-c", "0"},
     2441572,
     "23e9c449999b7b8d3ecf7f3034fc0acdf64a3de2bdf14f621f6e251059f4e13c"},
    // connectors between the anchors only
    {{"-s", "1", "-p", "0"},
     2602512,
     "e2fbcbe6d8ed3ba53f1d01a8d43cf46e26aae0e6f8e12832b6666cf161929b75"},
    // pillars without connectors
    {{"-s", "1", "-c", "0"},
     2560632,
     "59bdcee416927e802c9e1e01c8a9fc7048f2dfc158640fb98bcdcd6a83d1929a"},
    // start-region outlines
    {{"-s", "7", "-d"},
     2848420,
     "1de707f5210c753737fcaae67a5edc4e92cb61428aaa4501657af0d4d4c77849"},
    // many structures
    {{"-s", "99", "-p", "2000", "-c", "2000"},
     4472068,
     "4ef58ed0942107c77f3efac81a75ded223944062ad9a881fa933963f97657938"},
    // the most connectors
    {{"-s", "5", "-c", "65536"},
     4232364,
     "b4cbf5ccee71d8a9c47ceb1fc2bf4d4cc2902d9b193e5bdb67a7796320886d11"},
    // the most pillars
    {{"-s", "6", "-p", "65536", "-c", "300"},
     3138712,
     "60b236af13ee40858188040907853a8e3e17f5af04af43caae2d1ad9012821a2"},
    // -b 50 is the default
    {{"-s", "1", "-b", "50"},
     2860836,
     "57785b160dd1ae48becaa1b345a927dda361f4dc9d2809e6aad4dc21f62f7cfa"},
};

// Names the case by its arguments in test listings.
void PrintTo(const GoldenMap& golden, std::ostream* out) {
    for (const std::string& word : golden.words) {
        *out << word << ' ';
    }
}

class GoldenFile : public Golden, public testing::WithParamInterface<GoldenMap> {};

TEST_P(GoldenFile, MatchesRecordedHash) {
    const GoldenMap& golden = GetParam();
    const std::string file = writeMap(golden.words);
    EXPECT_EQ(file.size(), golden.size);
    // Printed in hex on a mismatch, ready to compare or (after review) record.
    EXPECT_EQ(sha256Hex(file), golden.sha256);
}

INSTANTIATE_TEST_SUITE_P(Maps, GoldenFile, testing::ValuesIn(goldenMaps),
                         [](const testing::TestParamInfo<GoldenMap>& info) {
                             std::string name;
                             for (const std::string& word : info.param.words) {
                                 for (char ch : word) {
                                     name +=
                                         std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                                 }
                                 name += '_';
                             }
                             return name + std::to_string(info.index);
                         });

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
