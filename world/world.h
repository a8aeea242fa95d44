// The voxel world: one solid flag and one colour per voxel, a height per
// column and three real-valued grids, held in static arrays for the whole run.
#pragma once

#include <cfloat>
#include <cstdint>

// Reals must round to their own type at every step, or maps differ between
// machines; a wider evaluation method (x87) would break that silently.
static_assert(FLT_EVAL_METHOD == 0, "floating-point evaluation must not use wider intermediates");

constexpr int32_t worldSizeX = 512;
constexpr int32_t worldSizeY = 512;
constexpr int32_t worldSizeZ = 64;
constexpr int32_t columnCount = worldSizeX * worldSizeY;
constexpr int32_t voxelCount = columnCount * worldSizeZ;

// 0xAARRGGBB; the file stores it least significant byte first (blue, green, red, A).
using VoxelColor = uint32_t;

// The fourth byte every colour the generator writes carries.
constexpr VoxelColor opaqueColorBits = 0x80000000u;

// 512 x 512 reals, element [x][y] at index x * 512 + y.
using ScalarField = float[columnCount];

extern uint8_t solid[voxelCount];
extern VoxelColor color[voxelCount];
extern int32_t columnHeight[columnCount];
extern ScalarField heightField;
extern ScalarField scratchFieldA;
extern ScalarField scratchFieldB;

// Index of column (x, y): x is the major index.
constexpr int32_t columnIndex(int32_t x, int32_t y) {
    return x * worldSizeY + y;
}

// Index of voxel z of column (x, y); a column's voxels are adjacent.
constexpr int32_t voxelIndex(int32_t x, int32_t y, int32_t z) {
    return columnIndex(x, y) * worldSizeZ + z;
}

// Sets voxels z0..z1 (inclusive) of column (x, y) to `fill`, solid unless the
// colour is 0, which carves air. Does nothing when z1 < z0. Coordinates are not
// checked: callers stay inside the world.
void fillColumnSpan(int32_t x, int32_t y, int32_t z0, int32_t z1, VoxelColor fill);

// fillColumnSpan over every column of the box; the x and y pairs may come in
// either order, the z pair is passed on as given.
void fillBox(int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t z0, int32_t z1,
             VoxelColor fill);

// Returns every array of the world to its start-up state (all zero).
void clearWorld();
