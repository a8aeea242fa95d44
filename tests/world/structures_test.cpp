#include "world/structures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "random/random.h"
#include "support/growable_array.h"
#include "support/row_jobs.h"
#include "tests/shared/worker_count.h"
#include "tests/shared/world_census.h"
#include "world/world.h"

using namespace qormap;

namespace {

// The words a freshly seeded generator gives, for predicting draws.
std::vector<uint32_t> firstWords(uint32_t seed, int32_t count) {
    seedRandom(seed);
    std::vector<uint32_t> words;
    for (int32_t i = 0; i < count; ++i) {
        words.push_back(randomWord());
    }
    seedRandom(seed);
    return words;
}

// A straightforward recursive walk: the draw order written as a call tree.
// Returns the deepest nesting it reached.
int32_t referenceConnector(ConnectorPoint a, ConnectorPoint b, int32_t depth) {
    int32_t deepest = depth;
    for (;;) {
        int32_t l = randomRange(0, 127);
        if (std::abs(a.x - b.x) < 10 && std::abs(a.y - b.y) < 10) {
            l &= 1;
        }
        if (l == 0) {
            fillBox(a.x, b.x, a.y, a.y, a.z, a.z, connectorColor);
            fillBox(b.x, b.x, a.y, a.y, std::min(a.z, b.z), std::max(a.z, b.z), connectorColor);
            fillBox(b.x, b.x, a.y, b.y, b.z, b.z, connectorColor);
            return deepest;
        }
        if (l == 1) {
            fillBox(a.x, a.x, a.y, b.y, a.z, a.z, connectorColor);
            fillBox(a.x, a.x, b.y, b.y, std::min(a.z, b.z), std::max(a.z, b.z), connectorColor);
            fillBox(a.x, b.x, b.y, b.y, b.z, b.z, connectorColor);
            return deepest;
        }
        const int32_t mx = (a.x + b.x) / 2 + randomRange(-4, 4);
        const int32_t my = (a.y + b.y) / 2 + randomRange(-4, 4);
        const int32_t mz = (a.z + b.z) / 2 + randomRange(-4, 4);
        const ConnectorPoint m{std::clamp(mx, 120, 392), std::clamp(my, 60, 451),
                               std::clamp(mz, 7, 55)};
        deepest = std::max(deepest, referenceConnector(a, m, depth + 1));
        a = m;
    }
}

// Pillars the plain way: each drawn and filled before the next.
void referencePillars(int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = randomRange(pillarMinX, pillarMaxX);
        const int32_t y = randomRange(pillarMinY, pillarMaxY);
        VoxelColor fill = opaqueColorBits;
        for (int32_t shift : {16, 8, 0}) {
            fill |= static_cast<VoxelColor>(randomRange(pillarChannelMin, pillarChannelMax))
                    << shift;
        }
        fillBox(x, x + 1, y, y + 1, 0, pillarTopZ, fill);
        ASSERT_TRUE(arrayPush(pillarList, PillarPoint{x, y}));
    }
}

class Structures : public testing::Test {
protected:
    void SetUp() override {
        clearWorld();
        clearPillars();
    }
    void TearDown() override { clearPillars(); }
};
// Whole worlds for logic no compiler or CPU changes: not run at -O0 or emulated.
class StructuresWholeWorlds : public Structures {};

}  // namespace

TEST_F(Structures, FirstPillarsOfSeedOne) {
    struct Pillar {
        int32_t x, y;
        VoxelColor fill;
    };
    // Seed 1 after the terrain's nine draws: corners and colours of the
    // default map's first three pillars.
    const Pillar pillars[] = {
        {148, 222, 0x80677C7Cu},
        {135, 289, 0x808F668Eu},
        {291, 307, 0x80958C66u},
    };
    seedRandom(1);
    for (int32_t i = 0; i < 9; ++i) {
        randomWord();
    }
    ASSERT_TRUE(placePillars(3));
    ASSERT_EQ(arrayLength(pillarList), 3);
    for (int32_t i = 0; i < 3; ++i) {
        const Pillar& p = pillars[i];
        SCOPED_TRACE(testing::Message() << "pillar " << i);
        EXPECT_EQ(pillarList[i].x, p.x);
        EXPECT_EQ(pillarList[i].y, p.y);
        for (int32_t z : {0, 25, 50}) {
            EXPECT_EQ(color[voxelIndex(p.x, p.y, z)], p.fill);
            EXPECT_EQ(color[voxelIndex(p.x + 1, p.y + 1, z)], p.fill);
            EXPECT_EQ(solid[voxelIndex(p.x + 1, p.y, z)], 1);
        }
        EXPECT_EQ(solid[voxelIndex(p.x, p.y, 51)], 0);
        EXPECT_EQ(solid[voxelIndex(p.x + 2, p.y, 0)], 0);
    }
    EXPECT_EQ(countSolid(), 3 * 4 * 51);
}

TEST_F(Structures, PillarsTakeFiveDrawsEach) {
    for (int32_t count : {0, 1, 7, -3}) {
        SCOPED_TRACE(testing::Message() << count << " pillars");
        clearPillars();
        const int32_t draws = std::max(count, 0) * 5;
        const std::vector<uint32_t> words = firstWords(11, draws + 1);
        ASSERT_TRUE(placePillars(count));
        EXPECT_EQ(arrayLength(pillarList), std::max(count, 0));
        EXPECT_EQ(randomWord(), words.back());
    }
    // No pillars leaves the list absent.
    clearPillars();
    ASSERT_TRUE(placePillars(0));
    EXPECT_EQ(pillarList, nullptr);
}

TEST_F(Structures, AnchorsAreAppendedEvenWithoutConnectors) {
    const std::vector<uint32_t> words = firstWords(5, 1);
    ASSERT_TRUE(placePillars(0));
    ASSERT_TRUE(placeConnectors(0));
    ASSERT_EQ(arrayLength(pillarList), 2);
    EXPECT_EQ(pillarList[0].x, 256);
    EXPECT_EQ(pillarList[0].y, 32);
    EXPECT_EQ(pillarList[1].x, 256);
    EXPECT_EQ(pillarList[1].y, 479);
    EXPECT_EQ(randomWord(), words[0]);
    EXPECT_EQ(countSolid(), 0);
}

TEST_F(Structures, AttemptWithTheSameEndsTakesTwoDraws) {
    // With only the two anchors, an attempt picks indices from 0..1; find a
    // seed whose first two picks agree.
    uint32_t seed = 0;
    while (true) {
        seedRandom(seed);
        if (randomRange(0, 1) == randomRange(0, 1)) {
            break;
        }
        ++seed;
    }
    const std::vector<uint32_t> words = firstWords(seed, 3);
    ASSERT_TRUE(placeConnectors(1));
    EXPECT_EQ(randomWord(), words[2]);
    EXPECT_EQ(countSolid(), 0);
}

TEST_F(Structures, CloseEndsTakeOnePathByTheLowestBit) {
    struct Case {
        ConnectorPoint from, to;
        int32_t voxels;  // filled by either path
    };
    const Case cases[] = {
        {{100, 100, 10}, {105, 103, 20}, 6 + 10 + 3},
        {{100, 100, 10}, {91, 109, 5}, 10 + 5 + 9},  // 9 apart in x and y: still close
        {{200, 200, 10}, {200, 200, 30}, 21},        // one column: the vertical piece alone
        {{300, 90, 40}, {300, 95, 40}, 6},           // level and straight
    };
    for (uint32_t seed = 0; seed < 6; ++seed) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " to (" << c.to.x << ", "
                                            << c.to.y << ", " << c.to.z << ")");
            clearWorld();
            const std::vector<uint32_t> words = firstWords(seed, 2);
            const bool xFirst = (words[0] % 128 & 1) == 0;
            ASSERT_TRUE(drawConnector(c.from.x, c.from.y, c.from.z, c.to.x, c.to.y, c.to.z));
            EXPECT_EQ(randomWord(), words[1]);
            EXPECT_EQ(countSolid(), c.voxels);
            // The turn lies at the far end of the first leg.
            const int32_t turnX = xFirst ? c.to.x : c.from.x;
            const int32_t turnY = xFirst ? c.from.y : c.to.y;
            EXPECT_EQ(solid[voxelIndex(turnX, turnY, c.from.z)], 1);
            EXPECT_EQ(solid[voxelIndex(turnX, turnY, c.to.z)], 1);
            EXPECT_EQ(color[voxelIndex(turnX, turnY, c.to.z)], connectorColor);
        }
    }
}

TEST_F(Structures, MidpointsAreJitteredThenClamped) {
    struct Case {
        ConnectorPoint from, to;
        ConnectorPoint lo, hi;  // where the midpoint may fall
        const char* what;
    };
    const Case cases[] = {
        {{256, 32, 10},
         {300, 80, 20},
         {274, 60, 11},
         {282, 60, 19},
         "anchor at y 32 to y 80: 56 plus at most 4, clamped up to 60"},
        {{0, 0, 0}, {2, 2, 2}, {120, 60, 7}, {120, 60, 7}, "all below: lower bounds"},
        {{500, 500, 60}, {510, 510, 62}, {392, 451, 55}, {392, 451, 55}, "all above: upper bounds"},
        {{200, 200, 20}, {240, 260, 30}, {216, 226, 21}, {224, 234, 29}, "inside: jitter only"},
        {{201, 201, 21}, {200, 200, 20}, {196, 196, 16}, {204, 204, 24}, "halving truncates"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (uint32_t seed = 0; seed < 40; ++seed) {
            const std::vector<uint32_t> words = firstWords(seed, 4);
            const ConnectorPoint m = connectorMidpoint(c.from, c.to);
            EXPECT_EQ(randomWord(), words[3]) << "three draws";
            EXPECT_TRUE(m.x >= c.lo.x && m.x <= c.hi.x) << "x " << m.x;
            EXPECT_TRUE(m.y >= c.lo.y && m.y <= c.hi.y) << "y " << m.y;
            EXPECT_TRUE(m.z >= c.lo.z && m.z <= c.hi.z) << "z " << m.z;
        }
    }
    // Jitter comes x first: the first word picks the x offset.
    const std::vector<uint32_t> words = firstWords(3, 3);
    const ConnectorPoint m = connectorMidpoint({200, 200, 20}, {240, 260, 30});
    EXPECT_EQ(m.x, 220 + static_cast<int32_t>(words[0] % 9) - 4);
    EXPECT_EQ(m.y, 230 + static_cast<int32_t>(words[1] % 9) - 4);
    EXPECT_EQ(m.z, 25 + static_cast<int32_t>(words[2] % 9) - 4);
}

TEST_F(Structures, LongSplitChainsMatchARecursiveWalk) {
    struct Case {
        uint32_t seed;
        ConnectorPoint from, to;
        int32_t depth;  // nesting the recursive walk reaches
    };
    // Starting at an anchor, halves never become close, so splits nest until
    // a 2-in-128 draw ends them; these seeds nest hundreds deep.
    const Case cases[] = {
        {1064, {256, 32, 10}, {256, 479, 40}, 677}, {1139, {256, 32, 10}, {256, 479, 40}, 549},
        {490, {256, 32, 10}, {256, 479, 40}, 381},  {1, {150, 100, 6}, {300, 400, 50}, -1},
        {2, {256, 479, 50}, {130, 90, 6}, -1},      {3, {340, 420, 30}, {256, 32, 20}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "seed " << c.seed);
        clearWorld();
        seedRandom(c.seed);
        ASSERT_TRUE(drawConnector(c.from.x, c.from.y, c.from.z, c.to.x, c.to.y, c.to.z));
        const uint32_t next = randomWord();
        const std::vector<uint8_t> drawn(std::begin(solid), std::end(solid));

        clearWorld();
        seedRandom(c.seed);
        const int32_t depth = referenceConnector(c.from, c.to, 0);
        EXPECT_EQ(randomWord(), next);
        EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), std::begin(solid)));
        if (c.depth >= 0) {
            EXPECT_EQ(depth, c.depth);
        }
    }
}

// Connectors are drawn in batches, marked on one thread while the next batch
// is drawn on another, and written to the world last: the world must come out
// as if every path had been filled in order, over whatever stood there.
TEST_F(StructuresWholeWorlds, PillarsAndConnectorsMatchThePlainWalkOnAnyThreadCount) {
    struct Case {
        uint32_t seed;
        int32_t pillars, connectors;
    };
    const Case cases[] = {
        {7, 0, 40},      // anchors only: long chains at both map edges
        {8, 300, 2000},  // several batches of paths
        {9, 2000, 300},  // the default count among many pillars
        {10, 65536, 0},  // pillars over pillars: the last drawn stays on top
    };
    const WorkerCountRestored restored;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "seed " << c.seed << ", " << c.pillars << " pillars, "
                                        << c.connectors << " connectors");
        // Reference: the same draws, each pillar and path filled as it comes.
        clearWorld();
        clearPillars();
        fillBox(0, worldSizeX - 1, 0, worldSizeY - 1, 0, 20, 0x80102030u);
        seedRandom(c.seed);
        referencePillars(c.pillars);
        ASSERT_TRUE(arrayPush(pillarList, firstAnchor) && arrayPush(pillarList, secondAnchor));
        const int32_t last = arrayLength(pillarList) - 1;
        for (int32_t i = 0; i < c.connectors; ++i) {
            const int32_t a = randomRange(0, last);
            const int32_t b = randomRange(0, last);
            if (a != b) {
                const int32_t h1 = randomRange(6, 50);
                const int32_t h2 = randomRange(6, 50);
                referenceConnector({pillarList[a].x, pillarList[a].y, h2},
                                   {pillarList[b].x, pillarList[b].y, h1}, 0);
            }
        }
        const uint32_t nextWord = randomWord();
        const std::vector<uint8_t> expectedSolid(std::begin(solid), std::end(solid));
        const std::vector<VoxelColor> expectedColor(std::begin(color), std::end(color));

        for (int32_t threads = 1; threads <= 3; ++threads) {
            SCOPED_TRACE(testing::Message() << threads << " threads");
            setWorkerCount(threads);
            clearWorld();
            clearPillars();
            fillBox(0, worldSizeX - 1, 0, worldSizeY - 1, 0, 20, 0x80102030u);
            seedRandom(c.seed);
            ASSERT_TRUE(placePillars(c.pillars));
            ASSERT_TRUE(placeConnectors(c.connectors));
            EXPECT_EQ(randomWord(), nextWord);
            EXPECT_TRUE(std::equal(expectedSolid.begin(), expectedSolid.end(), std::begin(solid)));
            EXPECT_TRUE(std::equal(expectedColor.begin(), expectedColor.end(), std::begin(color)));
        }
    }
}

TEST_F(Structures, SortedZFillsEitherOrder) {
    fillBoxSortedZ(10, 11, 20, 20, 30, 5, connectorColor);
    EXPECT_EQ(countSolid(), 2 * 26);
    EXPECT_EQ(solid[voxelIndex(11, 20, 5)], 1);
    EXPECT_EQ(solid[voxelIndex(10, 20, 30)], 1);
    clearWorld();
    fillBoxSortedZ(10, 11, 20, 20, 5, 30, connectorColor);
    EXPECT_EQ(countSolid(), 2 * 26);
}
