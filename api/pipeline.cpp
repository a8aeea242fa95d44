#include "api/pipeline.h"

#include <algorithm>

#include "random/random.h"
#include "world/start_regions.h"
#include "world/structures.h"
#include "world/terrain.h"

namespace qormap {

float bumpinessFromPercent(int32_t percent) {
    // The double product is rounded to float before clamping, so 0..100 give
    // exactly the float nearest n / 100.
    const double product = percent * 0.01;
    const float bumpiness = static_cast<float>(product);
    if (product < 0.0) {
        return 0.0f;
    }
    return bumpiness > 1.0f ? 1.0f : bumpiness;
}

int32_t clampPlacementCount(int32_t count) {
    return std::clamp(count, int32_t{0}, maxPlacementCount);
}

GenerationParameters deriveParameters(int32_t seed, int32_t bumpinessPercent, int32_t pillars,
                                      int32_t connectors, bool startRegions) {
    return {static_cast<uint32_t>(seed), bumpinessFromPercent(bumpinessPercent),
            clampPlacementCount(pillars), clampPlacementCount(connectors), startRegions};
}

bool generateMap(const GenerationParameters& parameters) {
    seedRandom(parameters.seed);
    clearPillars();
    generateTerrain(parameters.bumpiness);
    if (!placePillars(parameters.pillarCount) || !placeConnectors(parameters.connectorCount)) {
        return false;
    }
    // Last, so the outlines show over terrain and structures alike.
    if (parameters.startRegions) {
        drawStartRegions();
    }
    return true;
}

}  // namespace qormap
