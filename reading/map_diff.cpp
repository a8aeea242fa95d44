#include "reading/map_diff.h"

#include <bit>

#include "world/world.h"

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

namespace {

// Walks both maps in step and hands every pair of columns, with the number of
// voxels in which they differ, to `visit`.
template <typename Visit>
bool walkBoth(const uint8_t* dataA, size_t sizeA, const uint8_t* dataB, size_t sizeB,
              MapDifference& difference, VxlDecodeError& error, int& faultyMap, Visit&& visit) {
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
        visit(a, voxels);
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

}  // namespace

bool compareMaps(const uint8_t* dataA, size_t sizeA, const uint8_t* dataB, size_t sizeB,
                 MapDifference& difference, VxlDecodeError& error, int& faultyMap) {
    return walkBoth(dataA, sizeA, dataB, sizeB, difference, error, faultyMap,
                    [](const VxlWalk&, int32_t) {});
}

bool paintDifferences(const uint8_t* dataA, size_t sizeA, const uint8_t* dataB, size_t sizeB,
                      Image& picture, MapDifference& difference, VxlDecodeError& error,
                      int& faultyMap) {
    picture = blankTopDown();
    return walkBoth(dataA, sizeA, dataB, sizeB, difference, error, faultyMap,
                    [&picture](const VxlWalk& a, int32_t voxels) {
                        paintTopDown(picture, a.x, a.y, a.column);
                        uint8_t* pixel =
                            &picture.rgba[static_cast<size_t>(a.y * worldSizeX + a.x) * 4];
                        if (voxels == 0) {
                            // Grey at a third of its brightness: the map is context, not news.
                            const int grey = (pixel[0] + pixel[1] + pixel[2]) / 9;
                            pixel[0] = pixel[1] = pixel[2] = static_cast<uint8_t>(grey);
                        } else {
                            pixel[0] = 0xFF;
                            pixel[1] = 0x40;
                            pixel[2] = 0x30;
                        }
                        pixel[3] = 0xFF;
                    });
}
