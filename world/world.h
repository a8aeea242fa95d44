// The voxel world: one solid flag and one colour per voxel, a height per
// column and three real-valued grids, held in static arrays for the whole run.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/world_pages.h"
#include "support/grid.h"
#include "world/voxel.h"

namespace qormap {

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

alignas(worldBlockAlignment) extern VoxelWorld voxelWorld;

// The arrays by their own names; each is a constant alias, so using one costs
// no more than using a plain global array.
inline constexpr auto& solid = voxelWorld.solid;
inline constexpr auto& color = voxelWorld.color;
inline constexpr auto& columnHeight = voxelWorld.columnHeight;
inline constexpr auto& heightField = voxelWorld.heightField;
inline constexpr auto& scratchFieldA = voxelWorld.scratchFieldA;
inline constexpr auto& scratchFieldB = voxelWorld.scratchFieldB;

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

// Gives the world's memory back to the system; the next use faults it in
// again. Every stage writes what it later reads, so a map never depends on
// what the world held before.
void releaseWorldPages();

}  // namespace qormap
