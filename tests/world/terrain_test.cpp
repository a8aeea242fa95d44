#include "world/terrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "random/random.h"
#include "tests/shared/float_bits.h"
#include "tests/shared/reference_runs.h"
#include "tests/shared/world_census.h"
#include "world/world.h"

using namespace qormap;

namespace {

int64_t sumColumnHeights() {
    int64_t sum = 0;
    for (int32_t h : columnHeight) {
        sum += h;
    }
    return sum;
}

uint32_t sumColumnColors() {
    uint32_t sum = 0;
    for (int32_t c = 0; c < columnCount; ++c) {
        sum += color[static_cast<std::ptrdiff_t>(c) * worldSizeZ];
    }
    return sum;
}

std::vector<int32_t> heightHistogram() {
    std::vector<int32_t> counts(maxColumnHeight + 1, 0);
    for (int32_t h : columnHeight) {
        ++counts[static_cast<size_t>(h)];
    }
    return counts;
}

}  // namespace

TEST(Terrain, DrawsItsNinePlacementsInOrder) {
    // Seed 1: z, y offset, x offset of each broad layer, then the detail depths.
    // The reversed y-before-x order and the rounding to float are both pinned.
    seedRandom(1);
    const NoisePlacement broad = drawNoisePlacement();
    const NoisePlacement fine = drawNoisePlacement();
    const float depths[] = {drawNoiseDepth(), drawNoiseDepth(), drawNoiseDepth()};
    const float actual[] = {broad.z,   broad.yOff, broad.xOff, fine.z,   fine.yOff,
                            fine.xOff, depths[0],  depths[1],  depths[2]};
    const float expected[] = {26.563547134399414f, 80.94020080566406f,  225.01722717285156f,
                              46.931331634521484f, 136.56443786621094f, 243.13363647460938f,
                              10.936317443847656f, 15.7659912109375f,   36.47332763671875f};
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(testing::Message() << "draw " << i + 1);
        EXPECT_EQ(bits(actual[i]), bits(expected[i]));
    }
    // Nine draws are the whole stage's share: the pillars continue from here.
    EXPECT_EQ(randomWord(), seedOneRun.terrain.nextWord);
}

TEST(Terrain, ReferenceRunsMatchStageCheckpoints) {
    for (const ReferenceRun& run : referenceRuns) {
        SCOPED_TRACE(testing::Message() << "seed " << run.seed << " bumpiness " << run.bumpiness);
        clearWorld();
        seedRandom(run.seed);
        generateTerrain(run.bumpiness);
        EXPECT_EQ(countSolid(), run.terrain.solidVoxels);
        EXPECT_EQ(sumVoxelColors(), run.terrain.colorSum);
        EXPECT_EQ(randomWord(), run.terrain.nextWord);
    }
}

TEST(Terrain, SeedOneColumnsAndColors) {
    clearWorld();
    seedRandom(1);
    generateTerrain(0.5f);

    EXPECT_EQ(heightHistogram(), seedOneHeightCounts(maxColumnHeight + 1));
    EXPECT_EQ(sumColumnHeights(), 7775169);
    EXPECT_EQ(sumColumnColors(), 1521024487u);

    struct Column {
        int32_t x, y;
        uint32_t red, green, blue;
        const char* what;
    };
    const Column columns[] = {
        {266, 256, 142, 147, 127, "valley centre"},
        {0, 0, 191, 191, 191, "wall corner"},
        {40, 256, 56, 57, 55, "steep rim"},
        {30, 256, 141, 161, 119, "low ground"},
    };
    for (const Column& c : columns) {
        SCOPED_TRACE(c.what);
        const VoxelColor word = color[voxelIndex(c.x, c.y, 0)];
        EXPECT_EQ(word, 0x80000000u | c.red << 16 | c.green << 8 | c.blue);
    }
}

TEST(Terrain, SeedZeroFullBumpinessKeepsOuterRegions) {
    clearWorld();
    seedRandom(0);
    generateTerrain(1.0f);
    const std::vector<int32_t> counts = heightHistogram();
    EXPECT_EQ(counts[0], lowGroundColumns);
    EXPECT_EQ(counts[wallColumnHeight], wallColumns);
    for (int32_t h = 1; h <= 10; ++h) {
        EXPECT_GT(counts[static_cast<size_t>(h)], 0) << "height " << h;
    }
    for (int32_t h = 11; h <= maxColumnHeight; ++h) {
        EXPECT_TRUE(h == wallColumnHeight || counts[static_cast<size_t>(h)] == 0) << "height " << h;
    }
    EXPECT_EQ(sumColumnHeights(), 7940085);
    EXPECT_EQ(sumColumnColors(), 207635948u);
}

TEST(Terrain, ValleyCentreHeightBeforeAndAfterDetail) {
    clearWorld();
    seedRandom(1);
    fillBaseNoise();
    shapeTerrain(0.5f);
    const int32_t centre = columnIndex(valleyCentreX, valleyCentreY);
    EXPECT_EQ(bits(heightField[centre]), bits(5.401546001434326f));
    buildColumns();
    addTerrainDetail();
    EXPECT_EQ(bits(heightField[centre]), bits(6.801695823669434f));
    EXPECT_EQ(columnHeight[centre], 5);
}

TEST(Terrain, TerraceHeightAtValleyCentre) {
    struct Case {
        float n;
        float bumpiness;
        float height;
    };
    const Case cases[] = {
        {0.0f, 0.5f, 1.0f},
        {15.0f, 0.5f, 1.0f},  // fold period
        {7.5f, 1.0f, 10.63134765625f},
        {7.5f, 0.5f, 5.815673828125f},   // fold point
        {-9.0f, 0.5f, 4.984375f},        // fmod keeps the sign, then +15 gives 6
        {22.5f, 1.0f, 10.63134765625f},  // periodic
        {3.0f, 0.0f, 1.0f},              // flat without bumpiness
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "n " << c.n << " bumpiness " << c.bumpiness);
        EXPECT_EQ(bits(shapeColumn(valleyCentreX, valleyCentreY, c.n, c.bumpiness)),
                  bits(c.height));
    }
}

TEST(Terrain, RegionsAndBandBordersSinglePointAndBulk) {
    struct Case {
        int32_t x, y;
        float height;
    };
    const Case cases[] = {
        {159, 100, lowGroundHeight}, {160, 100, wallHeight},     {351, 100, wallHeight},
        {352, 100, lowGroundHeight}, {0, 87, wallHeight},        {0, 88, lowGroundHeight},
        {0, 424, lowGroundHeight},   {0, 425, wallHeight},       {0, 0, wallHeight},
        {500, 256, lowGroundHeight}, {30, 256, lowGroundHeight}, {511, 511, wallHeight},
    };
    constexpr float anyNoise = 3.25f;
    std::fill(std::begin(scratchFieldA), std::end(scratchFieldA), anyNoise);
    shapeTerrain(0.5f);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
        EXPECT_EQ(bits(shapeColumn(c.x, c.y, anyNoise, 0.5f)), bits(c.height));
        EXPECT_EQ(bits(heightField[columnIndex(c.x, c.y)]), bits(c.height));
    }
}

TEST(Terrain, RimBlendAcrossTheValleyEdge) {
    struct Case {
        int32_t x;
        const char* blend;  // three significant digits, or the exact end
    };
    // Along the valley's long axis: inside, three rim columns, then outside.
    const Case cases[] = {
        {486, "0"}, {487, "0.0234"}, {490, "0.305"}, {500, "1"}, {40, "0.579"}, {30, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x);
        char text[32];
        std::snprintf(text, sizeof text, "%.3g", rimBlend(c.x, valleyCentreY));
        EXPECT_STREQ(text, c.blend);
    }
    EXPECT_EQ(rimBlend(486, valleyCentreY), 0.0);
    EXPECT_EQ(rimBlend(500, valleyCentreY), 1.0);
}

TEST(Terrain, NoBumpinessGivesFlatFloorAndRisingRim) {
    for (int32_t k = 0; k < columnCount; ++k) {
        scratchFieldA[k] = static_cast<float>(k % 97) * 0.37f - 9.0f;
    }
    shapeTerrain(0.0f);
    int32_t floorColumns = 0;
    int32_t rimColumns = 0;
    for (int32_t x = 0; x < worldSizeX; ++x) {
        for (int32_t y = 0; y < worldSizeY; ++y) {
            const double m = rimBlend(x, y);
            const float h = heightField[columnIndex(x, y)];
            if (m == 0.0) {
                ++floorColumns;
                ASSERT_EQ(h, 1.0f) << x << ", " << y;
            } else if (m < 1.0) {
                ++rimColumns;
                ASSERT_TRUE(h >= 1.0f && h <= 10.0f) << x << ", " << y;
            } else {
                ASSERT_TRUE(h == wallHeight || h == lowGroundHeight) << x << ", " << y;
            }
        }
    }
    EXPECT_GT(floorColumns, 0);
    EXPECT_GT(rimColumns, 0);
}

TEST(Terrain, BuildColumnsTruncatesAndClamps) {
    struct Case {
        float field;
        int32_t height;
    };
    const Case cases[] = {
        {lowGroundHeight, 0}, {wallHeight, 58}, {62.9f, 62}, {70.0f, 62}, {-0.5f, 0}, {1.0f, 1},
        {9.99f, 9},           {1e30f, 62},      {-1e30f, 0}, {0.0f, 0},
    };
    clearWorld();
    for (size_t i = 0; i < std::size(cases); ++i) {
        heightField[i * 3] = cases[i].field;
    }
    buildColumns();
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "field " << cases[i].field);
        const int32_t c = static_cast<int32_t>(i * 3);
        EXPECT_EQ(columnHeight[c], cases[i].height);
        for (int32_t z = 0; z < worldSizeZ; ++z) {
            EXPECT_EQ(solid[c * worldSizeZ + z], z <= cases[i].height ? 1 : 0) << "z " << z;
        }
    }
}

TEST(Terrain, DetailChangesOnlyTheHeightsColoursRead) {
    clearWorld();
    seedRandom(1);
    fillBaseNoise();
    shapeTerrain(0.5f);
    buildColumns();
    const std::vector<int32_t> heights(std::begin(columnHeight), std::end(columnHeight));
    const std::vector<uint8_t> flags(std::begin(solid), std::end(solid));
    const std::vector<float> shaped(std::begin(heightField), std::end(heightField));

    addTerrainDetail();
    EXPECT_TRUE(std::equal(heights.begin(), heights.end(), std::begin(columnHeight)));
    EXPECT_TRUE(std::equal(flags.begin(), flags.end(), std::begin(solid)));
    float lowest = 1e9f;
    float highest = -1e9f;
    for (int32_t k = 0; k < columnCount; ++k) {
        const float added = heightField[k] - shaped[static_cast<size_t>(k)];
        lowest = std::min(lowest, added);
        highest = std::max(highest, added);
    }
    // Twice three layers whose ranges add up to 1 + 0.2 + 1/12.
    EXPECT_GE(lowest, 0.0f);
    EXPECT_LE(highest, 2.57f);
    EXPECT_GT(highest, lowest);
}

TEST(Terrain, ColorTopHeightFollowsBumpiness) {
    struct Case {
        float bumpiness;
        int32_t high;
    };
    const Case cases[] = {{0.0f, 6}, {0.25f, 9}, {0.33f, 9}, {0.5f, 12}, {0.99f, 17}, {1.0f, 18}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bumpiness " << c.bumpiness);
        EXPECT_EQ(colorTopHeight(c.bumpiness), c.high);
    }
}
