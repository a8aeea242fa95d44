#include "app/pipeline.h"

#include <algorithm>

#include "app/decimal.h"
#include "app/start_regions.h"
#include "world/structures.h"
#include "world/terrain.h"

namespace {

const char* valueOf(OptionValues values, char letter) {
    return values[static_cast<unsigned char>(letter)];
}

float deriveBumpiness(const char* text) {
    if (text == nullptr) {
        return defaultBumpiness;
    }
    // The double product is rounded to float before clamping, so 0..100 give
    // exactly the float nearest n / 100.
    const double product = parseDecimal(text) * 0.01;
    const float bumpiness = static_cast<float>(product);
    if (product < 0.0) {
        return 0.0f;
    }
    return bumpiness > 1.0f ? 1.0f : bumpiness;
}

int32_t deriveCount(const char* text, int32_t fallback) {
    if (text == nullptr) {
        return fallback;
    }
    return std::clamp(parseDecimal(text), int32_t{0}, maxPlacementCount);
}

}  // namespace

GenerationParameters deriveParameters(OptionValues values) {
    return {deriveBumpiness(valueOf(values, 'b')),
            deriveCount(valueOf(values, 'p'), defaultPillarCount),
            deriveCount(valueOf(values, 'c'), defaultConnectorCount)};
}

bool generateMap(OptionValues values) {
    const GenerationParameters parameters = deriveParameters(values);
    clearPillars();
    generateTerrain(parameters.bumpiness);
    if (!placePillars(parameters.pillarCount) || !placeConnectors(parameters.connectorCount)) {
        return false;
    }
    // Last, so the outlines show over terrain and structures alike.
    drawStartRegions();
    return true;
}
