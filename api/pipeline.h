// The generation pipeline: typed parameters in, the whole map built into the
// world by its stages in their fixed order.
#pragma once

#include <cstdint>

#include "qormap/qormap.h"

namespace qormap {

constexpr int32_t defaultBumpinessPercent = QORMAP_DEFAULT_BUMPINESS;
constexpr int32_t defaultPillarCount = QORMAP_DEFAULT_PILLARS;
constexpr int32_t defaultConnectorCount = QORMAP_DEFAULT_CONNECTORS;
constexpr int32_t maxBumpinessPercent = QORMAP_MAX_BUMPINESS;
constexpr int32_t maxPlacementCount = QORMAP_MAX_COUNT;

// Everything a map depends on.
struct GenerationParameters {
    uint32_t seed;           // -s, as a bit pattern
    float bumpiness;         // -b: percent x 0.01, clamped to [0, 1]
    int32_t pillarCount;     // -p: clamped to [0, 65536]
    int32_t connectorCount;  // -c: clamped to [0, 65536]
    bool startRegions;       // -d: outline the start regions
};

// The float a -b percent gives: n x 0.01 rounded to float, clamped to [0, 1].
float bumpinessFromPercent(int32_t percent);

// A -p or -c count clamped to [0, 65536].
int32_t clampPlacementCount(int32_t count);

// Parameters from the values of -s, -b, -p, -c and -d, clamped as the options clamp.
GenerationParameters deriveParameters(int32_t seed, int32_t bumpinessPercent, int32_t pillars,
                                      int32_t connectors, bool startRegions);

// Seeds the random generator and builds the whole map into the world. Returns
// false when the pillar list cannot grow (the map would silently lose
// structures otherwise). Reads nothing a previous map left behind.
[[nodiscard]] bool generateMap(const GenerationParameters& parameters);

}  // namespace qormap
