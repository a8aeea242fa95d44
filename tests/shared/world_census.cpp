#include "tests/shared/world_census.h"

#include <algorithm>

#include "world/world.h"

using namespace qormap;

int32_t countSolid() {
    return static_cast<int32_t>(std::count(solid, solid + voxelCount, uint8_t{1}));
}

uint32_t sumVoxelColors() {
    uint32_t sum = 0;
    for (VoxelColor word : color) {
        sum += word;
    }
    return sum;
}
