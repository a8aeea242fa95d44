#include "world/world.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace qormap {

alignas(worldBlockAlignment) VoxelWorld voxelWorld;

void fillColumnSpan(int32_t x, int32_t y, int32_t z0, int32_t z1, VoxelColor fill) {
    if (z1 < z0) {
        return;
    }
    const int32_t first = voxelIndex(x, y, z0);
    const int32_t count = z1 - z0 + 1;
    std::fill_n(color + first, count, fill);
    std::memset(solid + first, fill != 0 ? 1 : 0, static_cast<size_t>(count));
}

void fillBox(int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t z0, int32_t z1,
             VoxelColor fill) {
    if (x1 < x0) {
        std::swap(x0, x1);
    }
    if (y1 < y0) {
        std::swap(y0, y1);
    }
    for (int32_t x = x0; x <= x1; ++x) {
        for (int32_t y = y0; y <= y1; ++y) {
            fillColumnSpan(x, y, z0, z1, fill);
        }
    }
}

void clearWorld() {
    std::memset(&voxelWorld, 0, sizeof voxelWorld);
}

void adviseWorldPages() {
    adviseHugePages(&voxelWorld, sizeof voxelWorld);
}

void releaseWorldPages() {
    releasePages(&voxelWorld, sizeof voxelWorld);
}

}  // namespace qormap
