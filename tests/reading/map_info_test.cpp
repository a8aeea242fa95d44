#include "reading/map_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/shared/map_file.h"
#include "tests/shared/scratch_folder.h"
#include "tests/shared/world_file_fixture.h"
#include "world/world.h"

using namespace qormap;

namespace {

constexpr VoxelColor boxColor = 0x80112233u;
constexpr VoxelColor pillarColor = 0x80445566u;
constexpr VoxelColor floatingColor = 0x80778899u;

class MapInfoOfWorld : public WorldFileTest {};

// A 10 x 10 box 21 voxels high in the corner (0, 0), a lone column 41 high and
// one floating voxel; everything else air.
MapInfo summarizeHandBuiltWorld(const std::string& folder) {
    fillBox(0, 9, 0, 9, 0, 20, boxColor);
    fillColumnSpan(100, 100, 0, 40, pillarColor);
    fillColumnSpan(300, 300, 5, 5, floatingColor);
    const std::vector<uint8_t> file = writeWorldBytes(folder);
    MapInfo info;
    VxlDecodeError error{};
    EXPECT_TRUE(summarizeMap(file.data(), file.size(), info, error)) << describeVxlError(error);
    return info;
}

}  // namespace

TEST_F(MapInfoOfWorld, CountsEveryKindOfVoxel) {
    const MapInfo info = summarizeHandBuiltWorld(folder);
    struct Fact {
        const char* name;
        int64_t actual, expected;
    };
    const Fact facts[] = {
        // 102 columns of one span, the floating voxel's of two, the rest all air
        {"spans", info.spans, columnCount + 1},
        {"solid voxels", info.solidVoxels, 10 * 10 * 21 + 41 + 1},
        // the box hides all but its top and its two inner sides (its outer
        // sides face the world's edges, its bottom the bottom layer)
        {"coloured voxels", info.coloredVoxels, (10 * 10 * 21 - 9 * 9 * 20) + 41 + 1},
        {"empty columns", info.emptyColumns, columnCount - 102},
        {"distinct colours", info.distinctColors, 3},
    };
    for (const Fact& fact : facts) {
        SCOPED_TRACE(fact.name);
        EXPECT_EQ(fact.actual, fact.expected);
    }
    std::vector<int64_t> heights(info.surfaceHeights, info.surfaceHeights + worldSizeZ);
    std::vector<int64_t> expected(worldSizeZ, 0);
    expected[20] = 100;
    expected[40] = 1;
    expected[5] = 1;
    EXPECT_EQ(heights, expected);
}

TEST_F(MapInfoOfWorld, TextShowsFactsAndBars) {
    const std::string text = formatMapInfo("box.vxl", summarizeHandBuiltWorld(folder));
    const char* lines[] = {
        "file              box.vxl\n",
        "solid voxels      2142\n",
        "hidden voxels     1620\n",
        "distinct colours  3\n",
        // the commonest height gets the full bar; a rare one still one mark
        "\n  20      100 ########################################\n",
        "\n   5        1 #\n",
    };
    for (const char* line : lines) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "in\n" << text;
    }
}

TEST(MapInfoJson, HoldsEveryFieldAndAllHeights) {
    MapInfo info{};
    info.fileSize = 2097152;
    info.spans = 262144;
    info.solidVoxels = 7;
    info.coloredVoxels = 5;
    info.emptyColumns = 1;
    info.distinctColors = 2;
    info.surfaceHeights[0] = 3;
    info.surfaceHeights[63] = 4;
    std::string heights = "3";
    for (int32_t h = 1; h < 63; ++h) {
        heights += ", 0";
    }
    heights += ", 4";
    EXPECT_EQ(formatMapInfoJson("m.vxl", info),
              "{\"file\": \"m.vxl\", \"bytes\": 2097152, \"columns\": 262144, \"spans\": 262144, "
              "\"solid_voxels\": 7, \"colored_voxels\": 5, \"hidden_voxels\": 2, "
              "\"empty_columns\": 1, \"distinct_colors\": 2, \"surface_heights\": [" +
                  heights + "]}\n");
}

TEST(MapInfoJson, EscapesFileNames) {
    struct Case {
        std::string text, quoted;
    };
    const Case cases[] = {
        {"map.vxl", "\"map.vxl\""},
        {"a \"b\".vxl", "\"a \\\"b\\\".vxl\""},
        {"C:\\maps\\x.vxl", "\"C:\\\\maps\\\\x.vxl\""},
        {"line\nbreak\t\x01", "\"line\\u000abreak\\u0009\\u0001\""},
        {"kart\xc3\xa9.vxl", "\"kart\xc3\xa9.vxl\""},  // UTF-8 passes through
        {"\xf0\x9f\x97\xba\xef\xbf\xbd", "\"\xf0\x9f\x97\xba\xef\xbf\xbd\""},
        // bytes that are no UTF-8: Latin-1, a cut sequence, an encoded surrogate, overlong
        {"kart\xe9.vxl", "\"kart\\udce9.vxl\""},
        {"\xc3", "\"\\udcc3\""},
        {"\xed\xa0\x80", "\"\\udced\\udca0\\udc80\""},
        {"\xc0\xaf\xf5", "\"\\udcc0\\udcaf\\udcf5\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(jsonString(c.text), c.quoted);
    }
}
