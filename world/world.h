// The voxel world: one solid flag and one colour per voxel, a height per
// column and three real-valued grids, held in static arrays for the whole run.
#pragma once

#include <cfloat>
#include <cstddef>
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

// The store's arrays, kept together in one static block so that the kernel
// can back it with 2 MiB pages: first-touching 85 MB in 4 KiB pages costs far
// more than generating the map.
struct VoxelWorld {
    VoxelColor color[voxelCount];
    uint8_t solid[voxelCount];
    int32_t columnHeight[columnCount];
    ScalarField heightField;
    ScalarField scratchFieldA;
    ScalarField scratchFieldB;
};

constexpr size_t hugePageSize = size_t{2} << 20;

alignas(hugePageSize) extern VoxelWorld voxelWorld;

// The arrays by their own names; each is a constant alias, so using one costs
// no more than using a plain global array.
inline constexpr auto& solid = voxelWorld.solid;
inline constexpr auto& color = voxelWorld.color;
inline constexpr auto& columnHeight = voxelWorld.columnHeight;
inline constexpr auto& heightField = voxelWorld.heightField;
inline constexpr auto& scratchFieldA = voxelWorld.scratchFieldA;
inline constexpr auto& scratchFieldB = voxelWorld.scratchFieldB;

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

// Asks the kernel to back the world with 2 MiB pages. Only advice: where the
// kernel declines, the world works as before, only slower to touch first.
// Call before anything writes to the world.
void adviseWorldPages();
