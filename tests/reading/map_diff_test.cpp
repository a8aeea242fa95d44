#include "reading/map_diff.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/shared/map_file.h"
#include "tests/shared/scratch_folder.h"
#include "tests/shared/world_file_fixture.h"
#include "vxl/writer.h"
#include "world/world.h"

using namespace qormap;

namespace {

constexpr VoxelColor groundColor = 0x80336633u;

// Ground 21 voxels deep under the whole map.
void buildGround() {
    clearWorld();
    fillBox(0, worldSizeX - 1, 0, worldSizeY - 1, 0, 20, groundColor);
}

struct Comparison {
    bool valid;
    MapDifference difference;
    VxlFault fault;
    int faultyMap;
    int64_t redPixels;  // of the picture of the differences
};

Comparison compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    Comparison result{};
    VxlDecodeError error{};
    result.faultyMap = -1;
    result.valid = compareMaps(a.data(), a.size(), b.data(), b.size(), result.difference, error,
                               result.faultyMap);
    result.fault = error.fault;
    // The picture walks the same way, and marks each differing column once.
    Image picture;
    MapDifference painted{};
    int faultyMap = -1;
    const bool valid = paintDifferences(a.data(), a.size(), b.data(), b.size(), picture, painted,
                                        error, faultyMap);
    EXPECT_EQ(valid, result.valid);
    EXPECT_EQ(painted.voxels, result.difference.voxels);
    for (size_t pixel = 0; valid && pixel < picture.rgba.size(); pixel += 4) {
        result.redPixels += picture.rgba[pixel] == 0xFF && picture.rgba[pixel + 1] == 0x40;
    }
    return result;
}

class MapDiff : public WorldFileTest {
protected:
    void SetUp() override {
        WorldFileTest::SetUp();
        buildGround();
        ground = writeWorldBytes(folder);
    }
    std::vector<uint8_t> ground;
};

}  // namespace

TEST_F(MapDiff, CountsColumnsAndVoxels) {
    struct Change {
        const char* name;
        void (*apply)();
        int64_t columns, voxels;
        int32_t firstX, firstY;
    };
    const Change changes[] = {
        {"nothing", [] {}, 0, 0, -1, -1},
        {"one top colour", [] { fillColumnSpan(40, 30, 20, 20, 0x80FFFFFFu); }, 1, 1, 40, 30},
        // the carved voxel turns air, the one below it gets a colour
        {"a voxel carved from the top", [] { fillColumnSpan(40, 30, 20, 20, 0); }, 1, 2, 40, 30},
        // y is the outer order of the file: (7, 3) comes before (2, 5)
        {"two columns",
         [] {
             fillColumnSpan(2, 5, 20, 20, 0x80FFFFFFu);
             fillColumnSpan(7, 3, 20, 20, 0x80FFFFFFu);
         },
         2, 2, 7, 3},
        // the hidden voxels a colour is painted over are never stored
        {"a hidden colour", [] { fillColumnSpan(40, 30, 5, 5, 0x80FFFFFFu); }, 0, 0, -1, -1},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        buildGround();
        change.apply();
        const Comparison result = compare(ground, writeWorldBytes(folder));
        ASSERT_TRUE(result.valid);
        EXPECT_EQ(result.difference.columns, change.columns);
        EXPECT_EQ(result.redPixels, change.columns);
        EXPECT_EQ(result.difference.voxels, change.voxels);
        EXPECT_EQ(result.difference.firstX, change.firstX);
        EXPECT_EQ(result.difference.firstY, change.firstY);
    }
}

TEST_F(MapDiff, NamesTheInvalidMap) {
    const std::vector<uint8_t> cut(ground.begin(), ground.begin() + 1000);
    std::vector<uint8_t> longer = ground;
    longer.push_back(0);
    struct Case {
        const char* name;
        const std::vector<uint8_t>& a;
        const std::vector<uint8_t>& b;
        VxlFault fault;
        int faultyMap;
    };
    const Case cases[] = {
        {"first map cut short", cut, ground, VxlFault::missingColumns, 0},
        {"second map cut short", ground, cut, VxlFault::missingColumns, 1},
        {"second map too long", ground, longer, VxlFault::trailingBytes, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Comparison result = compare(c.a, c.b);
        EXPECT_FALSE(result.valid);
        EXPECT_EQ(result.fault, c.fault);
        EXPECT_EQ(result.faultyMap, c.faultyMap);
    }
}
