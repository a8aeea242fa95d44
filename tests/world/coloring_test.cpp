#include "world/coloring.h"

#include <gtest/gtest.h>

#include "world/world.h"

using namespace qormap;

namespace {

constexpr int32_t testLow = 1;
constexpr int32_t testHigh = 12;
constexpr float testLowF = static_cast<float>(testLow);
constexpr float testSpanF = static_cast<float>(testHigh - testLow);

VoxelColor rgb(uint32_t red, uint32_t green, uint32_t blue) {
    return 0x80000000u | red << 16 | green << 8 | blue;
}

struct Case {
    float h, hx, hy;  // the column, its -x and its -y neighbour
    bool land;
    VoxelColor word;
    const char* what;
};

// Low height 1, high height 12.
const Case cases[] = {
    {1.0f, 1.0f, 1.0f, true, rgb(123, 137, 89), "flat land at the low height, shade 0.86"},
    {12.0f, 12.0f, 12.0f, true, rgb(189, 189, 189), "flat land at the high height"},
    {58.0f, 58.0f, 58.0f, true, rgb(189, 189, 189), "flat wall top"},
    {10.0f, 8.0f, 10.0f, true, rgb(111, 111, 111), "rises toward +x: rock, lit"},
    {8.0f, 10.0f, 8.0f, true, rgb(36, 36, 36), "falls toward +x: rock, ambient only"},
    {0x1.ff1fa8p+2f, 0x1.15db58p+3f, 0x1.dbdd76p-5f, true, rgb(40, 40, 40),
     "y slope kept in double: rounding it to float gives 39"},
    {0.7f, 0.7f, 0.7f, false, rgb(135, 166, 161), "low ground"},
    {0.7f, 5.0f, -3.0f, false, rgb(135, 166, 161), "steep low column is not shaded"},
    {2.5f, 2.5f, 2.5f, false, rgb(144, 160, 104), "shallowest low colour"},
    {9.0f, 0.0f, 0.0f, false, rgb(144, 160, 104), "above 2.5 stays shallowest"},
    {-0.5f, -0.5f, -0.5f, false, rgb(130, 170, 200), "deepest low colour"},
    {-4.0f, -4.0f, -4.0f, false, rgb(130, 170, 200), "below -0.5 stays deepest"},
};

}  // namespace

TEST(TerrainColor, SingleColumnCases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(terrainColumnColor(c.h, c.hx, c.hy, c.land, testLowF, testSpanF), c.word);
    }
}

TEST(TerrainColor, WholeFieldPassMatchesSingleColumnCases) {
    // Each case on the diagonal, its neighbours beside it, nothing shared.
    clearWorld();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const int32_t p = static_cast<int32_t>(i) * 4 + 1;
        heightField[columnIndex(p, p)] = cases[i].h;
        heightField[columnIndex(p - 1, p)] = cases[i].hx;
        heightField[columnIndex(p, p - 1)] = cases[i].hy;
        columnHeight[columnIndex(p, p)] = cases[i].land ? 3 : 0;
    }
    colorTerrain(testLow, testHigh);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        const int32_t p = static_cast<int32_t>(i) * 4 + 1;
        for (int32_t z = 0; z < worldSizeZ; ++z) {
            ASSERT_EQ(color[voxelIndex(p, p, z)], cases[i].word) << "z " << z;
        }
    }
}

TEST(TerrainColor, SlopesWrapAroundMapEdges) {
    struct Edge {
        int32_t x, y;    // the column
        int32_t wx, wy;  // where its wrapped neighbour lies
        bool acrossX;    // the wrapped neighbour is the -x one
    };
    const Edge edges[] = {{0, 5, 511, 5, true}, {7, 0, 7, 511, false}, {0, 0, 511, 0, true}};
    for (const Edge& e : edges) {
        SCOPED_TRACE(testing::Message() << "(" << e.x << ", " << e.y << ")");
        clearWorld();
        std::fill(std::begin(heightField), std::end(heightField), 10.0f);
        std::fill(std::begin(columnHeight), std::end(columnHeight), 10);
        heightField[columnIndex(e.wx, e.wy)] = 8.0f;
        colorTerrain(testLow, testHigh);
        const float hx = e.acrossX ? 8.0f : 10.0f;
        const float hy = e.acrossX ? 10.0f : 8.0f;
        EXPECT_EQ(color[voxelIndex(e.x, e.y, 0)],
                  terrainColumnColor(10.0f, hx, hy, true, testLowF, testSpanF));
        EXPECT_NE(color[voxelIndex(e.x, e.y, 0)],
                  terrainColumnColor(10.0f, 10.0f, 10.0f, true, testLowF, testSpanF));
    }
}
