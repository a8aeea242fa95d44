// The plain encoder the library's fast one is held to: one voxel at a time,
// through the runtime's byte output, on the world in file orientation.
#pragma once

#include <cstdint>
#include <cstdio>

// Reverses every column of `solid` and `color` in place, so that z = 0 is the top.
void flipWorld();

// Writes the span records of column (x, y) of the flipped world.
void encodeColumn(std::FILE* file, int32_t x, int32_t y);

// 1 when voxel (x, y, z) of the flipped world is solid and one of its face
// neighbours inside the world is air; neighbours outside the world count as solid.
int32_t isExposed(int32_t x, int32_t y, int32_t z);

// Writes `word` as four bytes, least significant first.
void writeWordLE(std::FILE* file, uint32_t word);
