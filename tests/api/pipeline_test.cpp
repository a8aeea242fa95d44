#include "api/pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <iterator>
#include <string>

#include "app/decimal.h"
#include "random/random.h"
#include "support/growable_array.h"
#include "tests/shared/reference_runs.h"
#include "tests/shared/world_census.h"
#include "world/start_regions.h"
#include "world/structures.h"
#include "world/terrain.h"
#include "world/world.h"

using namespace qormap;

namespace {

struct Given {
    const char* b;
    const char* p;
    const char* c;
};

// What the command line makes of -b, -p and -c texts; null means not given.
GenerationParameters derive(Given given, uint32_t seed = 0, bool startRegions = false) {
    const auto valueOr = [](const char* text, int32_t fallback) {
        return text != nullptr ? parseDecimal(text) : fallback;
    };
    return deriveParameters(static_cast<int32_t>(seed), valueOr(given.b, defaultBumpinessPercent),
                            valueOr(given.p, defaultPillarCount),
                            valueOr(given.c, defaultConnectorCount), startRegions);
}

// The next word of the generator, leaving its state as it was.
uint32_t peekWord() {
    uint32_t saved[mtStateWords];
    std::copy(std::begin(mtState), std::end(mtState), saved);
    const uint32_t offset = mtReadOffset;
    const uint32_t word = randomWord();
    std::copy(std::begin(saved), std::end(saved), mtState);
    mtReadOffset = offset;
    return word;
}

void expectCheckpoint(const char* stage, const Checkpoint& expected) {
    SCOPED_TRACE(stage);
    EXPECT_EQ(countSolid(), expected.solidVoxels);
    EXPECT_EQ(sumVoxelColors(), expected.colorSum);
    EXPECT_EQ(peekWord(), expected.nextWord);
    EXPECT_EQ(arrayLength(pillarList), expected.listLength);
}

}  // namespace

TEST(DeriveParameters, DefaultsAndClamps) {
    struct Case {
        Given given;
        float bumpiness;  // compared by bit pattern
        int32_t pillars;
        int32_t connectors;
    };
    const Case cases[] = {
        {{nullptr, nullptr, nullptr}, 0.5f, 400, 300},
        {{"50", nullptr, nullptr}, 0.5f, 400, 300},  // same as no -b
        {{"0", nullptr, nullptr}, 0.0f, 400, 300},
        {{"100", nullptr, nullptr}, 1.0f, 400, 300},
        {{"33", nullptr, nullptr}, 0.33f, 400, 300},
        {{"150", nullptr, nullptr}, 1.0f, 400, 300},
        {{"101", nullptr, nullptr}, 1.0f, 400, 300},
        {{"-20", nullptr, nullptr}, 0.0f, 400, 300},
        {{"x", nullptr, nullptr}, 0.0f, 400, 300},  // not a number reads as 0
        {{"4000000000", nullptr, nullptr}, 0.0f, 400, 300},
        {{nullptr, "70000", nullptr}, 0.5f, 65536, 300},
        {{nullptr, "65536", "65536"}, 0.5f, 65536, 65536},
        {{nullptr, "-1", "-1"}, 0.5f, 0, 0},
        {{nullptr, "x", "0"}, 0.5f, 0, 0},
        {{nullptr, "12", "34"}, 0.5f, 12, 34},
        {{nullptr, "", "4000000000"}, 0.5f, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.given.b ? c.given.b : "-") << ' ' << (c.given.p ? c.given.p : "-") << ' '
                     << (c.given.c ? c.given.c : "-"));
        const GenerationParameters got = derive(c.given);
        EXPECT_EQ(std::bit_cast<uint32_t>(got.bumpiness), std::bit_cast<uint32_t>(c.bumpiness));
        EXPECT_EQ(got.pillarCount, c.pillars);
        EXPECT_EQ(got.connectorCount, c.connectors);
    }
}

TEST(DeriveParameters, BumpinessIsTheFloatNearestPercent) {
    for (int n = 0; n <= 100; ++n) {
        SCOPED_TRACE(n);
        const std::string text = std::to_string(n);
        const float expected = static_cast<float>(n / 100.0);
        EXPECT_EQ(std::bit_cast<uint32_t>(derive({text.c_str(), nullptr, nullptr}).bumpiness),
                  std::bit_cast<uint32_t>(expected));
    }
}

TEST(GenerateMap, StagesMatchTheirCheckpoints) {
    for (const ReferenceRun& run : referenceRuns) {
        SCOPED_TRACE(testing::Message() << "seed " << run.seed);
        clearWorld();
        clearPillars();
        seedRandom(run.seed);
        generateTerrain(run.bumpiness);
        expectCheckpoint("terrain", run.terrain);
        ASSERT_TRUE(placePillars(run.pillarCount));
        expectCheckpoint("pillars", run.pillars);
        ASSERT_TRUE(placeConnectors(run.connectorCount));
        expectCheckpoint("connectors", run.connectors);
        if (run.outlined) {
            drawStartRegions();
        }
        expectCheckpoint("start regions", run.startRegions);
    }
    clearPillars();
}

// Whole worlds for logic no compiler or CPU changes: not run at -O0 or emulated.
TEST(GenerateMapWholeWorlds, RunsAgainFromAnEmptyPillarList) {
    // A second map in the same process must not inherit the first one's pillars.
    for (int32_t run = 0; run < 2; ++run) {
        SCOPED_TRACE(testing::Message() << "run " << run);
        clearWorld();
        ASSERT_TRUE(generateMap(derive({nullptr, nullptr, nullptr}, 1)));
        expectCheckpoint("whole map", seedOneRun.startRegions);
    }
    clearPillars();
}
