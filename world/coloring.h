// Terrain colours: by height, slope and a fixed light for land columns, by
// depth for low columns. Every voxel of a column gets its column's colour.
#pragma once

#include <cstdint>

#include "world/world.h"

namespace qormap {

constexpr float steepnessScale = 0.625f;
constexpr double lightWeightX = 0.6;
constexpr double lightWeightUp = 0.8;
constexpr float diffuseWeight = 0.7f;
constexpr double ambientLight = 0.3;
constexpr int32_t rockGrey = 120;

// Colour of one column from its field height `h`, the heights of its -x and -y
// neighbours, and whether it is land (column height not 0). `lowF` and `spanF`
// are the low height and high - low, as floats.
VoxelColor terrainColumnColor(float h, float hx, float hy, bool land, float lowF, float spanF);

// Colours every column from heightField and columnHeight; neighbours wrap
// around the map's edges. Requires high > low.
void colorTerrain(int32_t low, int32_t high);

}  // namespace qormap
