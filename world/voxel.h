// A voxel column's height, a voxel's colour word and where a voxel sits in an
// array of them: what the world, the map file and its readers share.
#pragma once

#include <cstdint>

#include "support/grid.h"

namespace qormap {

constexpr int32_t worldSizeZ = 64;
constexpr int32_t voxelCount = columnCount * worldSizeZ;

// 0xAARRGGBB; the file stores it least significant byte first (blue, green, red, A).
using VoxelColor = uint32_t;

// The fourth byte every colour the generator writes carries.
constexpr VoxelColor opaqueColorBits = 0x80000000u;

// Index of voxel z of column (x, y); a column's voxels are adjacent.
constexpr int32_t voxelIndex(int32_t x, int32_t y, int32_t z) {
    return columnIndex(x, y) * worldSizeZ + z;
}

}  // namespace qormap
