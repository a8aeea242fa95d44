#include "tools/vxltool/map_diff.h"

#include <bit>

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
    VxlCursor a = startVxl(dataA, sizeA);
    VxlCursor b = startVxl(dataB, sizeB);
    VxlColumn columnA;
    VxlColumn columnB;
    for (int32_t c = 0; c < columnCount; ++c) {
        if (!decodeVxlColumn(a, columnA, error)) {
            faultyMap = 0;
            return false;
        }
        if (!decodeVxlColumn(b, columnB, error)) {
            faultyMap = 1;
            return false;
        }
        const int32_t voxels = differingVoxels(columnA, columnB);
        if (voxels == 0) {
            continue;
        }
        if (difference.columns == 0) {
            difference.firstX = c % worldSizeX;
            difference.firstY = c / worldSizeX;
        }
        ++difference.columns;
        difference.voxels += voxels;
    }
    if (!finishVxl(a, error)) {
        faultyMap = 0;
        return false;
    }
    if (!finishVxl(b, error)) {
        faultyMap = 1;
        return false;
    }
    return true;
}
