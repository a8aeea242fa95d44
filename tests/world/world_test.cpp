#include "world/world.h"

#include <gtest/gtest.h>

using namespace qormap;

namespace {

class World : public testing::Test {
protected:
    void SetUp() override { clearWorld(); }
};

constexpr VoxelColor paint = 0x80445566;

struct Box {
    int32_t x0, x1, y0, y1, z0, z1;
};

bool inside(const Box& ordered, int32_t x, int32_t y, int32_t z) {
    return x >= ordered.x0 && x <= ordered.x1 && y >= ordered.y0 && y <= ordered.y1 &&
           z >= ordered.z0 && z <= ordered.z1;
}

// Checks every voxel around the box: painted inside, untouched air outside.
void expectOnlyBoxPainted(const Box& ordered) {
    for (int32_t x = ordered.x0 - 2; x <= ordered.x1 + 2; ++x) {
        for (int32_t y = ordered.y0 - 2; y <= ordered.y1 + 2; ++y) {
            for (int32_t z = 0; z < worldSizeZ; ++z) {
                const bool in = inside(ordered, x, y, z);
                ASSERT_EQ(solid[voxelIndex(x, y, z)], in ? 1 : 0) << x << ' ' << y << ' ' << z;
                ASSERT_EQ(color[voxelIndex(x, y, z)], in ? paint : 0u) << x << ' ' << y << ' ' << z;
            }
        }
    }
}

}  // namespace

TEST_F(World, IndicesPutXMajorAndZInsideTheColumn) {
    EXPECT_EQ(columnIndex(0, 1), 1);
    EXPECT_EQ(columnIndex(1, 0), 512);
    EXPECT_EQ(voxelIndex(1, 2, 3), (512 + 2) * 64 + 3);
    EXPECT_EQ(voxelIndex(511, 511, 63), voxelCount - 1);
}

TEST_F(World, ColumnSpanFillsInclusiveRange) {
    struct Case {
        int32_t z0, z1, filled;
    };
    const Case cases[] = {
        {5, 5, 1},    // a single voxel
        {5, 4, 0},    // z1 = z0 - 1 fills nothing
        {0, 63, 64},  // the whole column
        {10, 20, 11}, {30, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.z0 << ".." << c.z1);
        clearWorld();
        fillColumnSpan(7, 9, c.z0, c.z1, paint);
        int32_t filled = 0;
        for (int32_t z = 0; z < worldSizeZ; ++z) {
            const bool in = z >= c.z0 && z <= c.z1;
            filled += solid[voxelIndex(7, 9, z)];
            EXPECT_EQ(color[voxelIndex(7, 9, z)], in ? paint : 0u);
        }
        EXPECT_EQ(filled, c.filled);
    }
}

TEST_F(World, ColourZeroCarvesAir) {
    fillColumnSpan(3, 4, 0, 40, paint);
    fillColumnSpan(3, 4, 10, 19, 0);
    for (int32_t z = 0; z <= 40; ++z) {
        SCOPED_TRACE(z);
        const bool carved = z >= 10 && z <= 19;
        EXPECT_EQ(solid[voxelIndex(3, 4, z)], carved ? 0 : 1);
        EXPECT_EQ(color[voxelIndex(3, 4, z)], carved ? 0u : paint);
    }
}

TEST_F(World, BoxOrdersXAndYPairs) {
    const Box ordered = {20, 23, 40, 42, 5, 8};
    const Box given[] = {
        {20, 23, 40, 42, 5, 8},
        {23, 20, 40, 42, 5, 8},
        {20, 23, 42, 40, 5, 8},
        {23, 20, 42, 40, 5, 8},
    };
    for (const Box& box : given) {
        SCOPED_TRACE(testing::Message()
                     << box.x0 << ' ' << box.x1 << ' ' << box.y0 << ' ' << box.y1);
        clearWorld();
        fillBox(box.x0, box.x1, box.y0, box.y1, box.z0, box.z1, paint);
        expectOnlyBoxPainted(ordered);
    }
}

TEST_F(World, BoxWithReversedZDrawsNothing) {
    fillBox(20, 23, 40, 42, 8, 5, paint);
    expectOnlyBoxPainted({20, 23, 40, 42, 1, 0});
}

TEST_F(World, BoxWithColourZeroLeavesAir) {
    fillBox(20, 23, 40, 42, 0, 63, paint);
    fillBox(20, 23, 40, 42, 0, 63, 0);
    expectOnlyBoxPainted({20, 23, 40, 42, 1, 0});
}
