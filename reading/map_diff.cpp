#include "reading/map_diff.h"

#include <bit>

using namespace qormap;

namespace {

int32_t differingVoxels(const VxlColumn& a, const VxlColumn& b) {
    uint64_t differ = (a.solidMask ^ b.solidMask) | (a.colorMask ^ b.colorMask);
    for (uint64_t both = a.colorMask & b.colorMask; both != 0; both &= both - 1) {
        const int32_t z = std::countr_zero(both);
        if (a.colors[z] != b.colors[z]) {
            differ |= uint64_t{1} << z;
        }
    }
    return std::popcount(differ);
}

}  // namespace

bool compareMaps(const uint8_t* dataA, size_t sizeA, const uint8_t* dataB, size_t sizeB,
                 MapDifference& difference, VxlDecodeError& error, int& faultyMap) {
    difference = {0, 0, -1, -1};
    VxlWalk a = startVxlWalk(dataA, sizeA);
    VxlWalk b = startVxlWalk(dataB, sizeB);
    for (;;) {
        const bool moreA = nextVxlColumn(a, error);
        if (!moreA && error.fault != VxlFault::none) {
            faultyMap = 0;
            return false;
        }
        const bool moreB = nextVxlColumn(b, error);
        if (!moreB && error.fault != VxlFault::none) {
            faultyMap = 1;
            return false;
        }
        // Sound walks hold the same number of columns, so they end together.
        if (!moreA) {
            return true;
        }
        const int32_t voxels = differingVoxels(a.column, b.column);
        if (voxels == 0) {
            continue;
        }
        if (difference.columns == 0) {
            difference.firstX = a.x;
            difference.firstY = a.y;
        }
        ++difference.columns;
        difference.voxels += voxels;
    }
}
