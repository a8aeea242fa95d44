// The 512 x 512 grid of map columns: its size, a column's index and a real
// per column. Noise fields and the world share it.
#pragma once

#include <cfloat>
#include <cstdint>

namespace qormap {

// Reals must round to their own type at every step, or maps differ between
// machines; a wider evaluation method (x87) would break that silently.
static_assert(FLT_EVAL_METHOD == 0, "floating-point evaluation must not use wider intermediates");

constexpr int32_t worldSizeX = 512;
constexpr int32_t worldSizeY = 512;
constexpr int32_t columnCount = worldSizeX * worldSizeY;

// 512 x 512 reals, element [x][y] at index x * 512 + y.
using ScalarField = float[columnCount];

// Index of column (x, y): x is the major index.
constexpr int32_t columnIndex(int32_t x, int32_t y) {
    return x * worldSizeY + y;
}

}  // namespace qormap
