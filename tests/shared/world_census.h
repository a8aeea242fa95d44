// Whole-world figures that stage checks compare with recorded ones.
#pragma once

#include <cstdint>

// Number of solid voxels in the world.
int32_t countSolid();

// Every colour word of the world added up, wrapping modulo 2^32.
uint32_t sumVoxelColors();
