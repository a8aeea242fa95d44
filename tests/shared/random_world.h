// Worlds of random voxels, for checking the map writer and decoder against
// their definitions on every pattern of neighbours.
#pragma once

#include <cstdint>

// The seeds of the random worlds the writer and the decoder are checked on.
inline constexpr uint32_t randomWorldSeeds[] = {2463534242u, 88172645u, 1u};

// Adds to the world every density from empty to nearly full, in 64 x 64
// blocks, with a colour of its own for nearly every voxel; some solid flags are
// other non-zero bytes, which count as solid too.
void fillRandomWorld(uint32_t seed);
