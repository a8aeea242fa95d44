#include "world/start_regions.h"

#include <gtest/gtest.h>

using namespace qormap;

namespace {

// Colour of every voxel of the column, or 0 when they differ.
VoxelColor uniformColumnColor(int32_t x, int32_t y) {
    const VoxelColor first = color[voxelIndex(x, y, 0)];
    for (int32_t z = 1; z < worldSizeZ; ++z) {
        if (color[voxelIndex(x, y, z)] != first) {
            return 0;
        }
    }
    return first;
}

class StartRegions : public testing::Test {
protected:
    void SetUp() override { clearWorld(); }
};

}  // namespace

TEST_F(StartRegions, CornersFollowTheOutlineRules) {
    struct Case {
        int32_t x, y;
        VoxelColor expected;
    };
    const Case cases[] = {
        {16, 128, blueOutlineColor},  // outer end of a long side
        {15, 128, 0},                 // open towards x = 0
        {127, 384, blueOutlineColor},
        {128, 128, blueOutlineColor},  // inner corner on y = 128
        {128, 383, blueOutlineColor},
        {128, 384, 0},                  // the blue corner that is left out
        {64, 256, 0},                   // inside the region
        {384, 128, greenOutlineColor},  // both green inner corners are painted
        {384, 384, greenOutlineColor},
        {495, 384, greenOutlineColor},
        {496, 384, 0},  // open towards x = 511
        {385, 129, 0},
        {256, 128, 0},
    };
    drawStartRegions();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '(' << c.x << ", " << c.y << ')');
        EXPECT_EQ(uniformColumnColor(c.x, c.y), c.expected);
    }
}

TEST_F(StartRegions, PaintsExactlyTheOutlineColumns) {
    drawStartRegions();
    int32_t blue = 0, green = 0, other = 0;
    for (int32_t x = 0; x < worldSizeX; ++x) {
        for (int32_t y = 0; y < worldSizeY; ++y) {
            const VoxelColor c = uniformColumnColor(x, y);
            blue += c == blueOutlineColor;
            green += c == greenOutlineColor;
            other += c != 0 && c != blueOutlineColor && c != greenOutlineColor;
        }
    }
    EXPECT_EQ(blue, 112 + 112 + 256);
    EXPECT_EQ(green, 112 + 112 + 256 - 1);  // (384, 128) lies on two sides
    EXPECT_EQ(other, 0);
}

TEST_F(StartRegions, OnlyColoursChange) {
    constexpr VoxelColor ground = 0x80102030;
    fillColumnSpan(200, 128, 0, 9, ground);
    fillColumnSpan(384, 200, 0, 57, ground);
    columnHeight[columnIndex(200, 128)] = 9;
    drawStartRegions();

    for (int32_t z = 0; z < worldSizeZ; ++z) {
        SCOPED_TRACE(z);
        EXPECT_EQ(solid[voxelIndex(200, 128, z)], z <= 9 ? 1 : 0);  // not an outline column
        EXPECT_EQ(color[voxelIndex(200, 128, z)], z <= 9 ? ground : 0u);
        EXPECT_EQ(solid[voxelIndex(384, 200, z)], z <= 57 ? 1 : 0);  // air stays air
        EXPECT_EQ(color[voxelIndex(384, 200, z)], greenOutlineColor);
    }
    EXPECT_EQ(columnHeight[columnIndex(200, 128)], 9);
}
