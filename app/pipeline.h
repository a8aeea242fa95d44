// Turns the tuning options into generation parameters and runs the stages
// that build the map, in their fixed order.
#pragma once

#include <cstdint>

constexpr float defaultBumpiness = 0.5f;
constexpr int32_t defaultPillarCount = 400;
constexpr int32_t defaultConnectorCount = 300;
constexpr int32_t maxPlacementCount = 65536;

struct GenerationParameters {
    float bumpiness;         // -b: value x 0.01, clamped to [0, 1]
    int32_t pillarCount;     // -p: clamped to [0, 65536]
    int32_t connectorCount;  // -c: clamped to [0, 65536]
};

// Option value texts indexed by option letter (as an unsigned byte); null
// where the option was not given.
using OptionValues = const char* const*;

// Reads -b, -p and -c from `values`; absent ones take their defaults.
GenerationParameters deriveParameters(OptionValues values);

// Builds the whole map into the world from the options in `values`. Returns
// false when the pillar list cannot grow (the map would silently lose
// structures otherwise).
[[nodiscard]] bool generateMap(OptionValues values);
