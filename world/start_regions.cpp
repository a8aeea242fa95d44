#include "world/start_regions.h"

#include <algorithm>

namespace qormap {

namespace {

struct OutlineSegment {
    int32_t x0, x1, y0, y1;  // inclusive
    VoxelColor color;
};

// Each outline has two long sides along x and one side along y facing the
// middle of the map; the blue corner at (128, 384) is left unpainted.
constexpr OutlineSegment startRegionOutlines[] = {
    {16, 127, 128, 128, blueOutlineColor},    // blue, side at y = 128
    {16, 127, 384, 384, blueOutlineColor},    // blue, side at y = 384
    {128, 128, 128, 383, blueOutlineColor},   // blue, side facing the middle
    {384, 495, 128, 128, greenOutlineColor},  // green, side at y = 128
    {384, 495, 384, 384, greenOutlineColor},  // green, side at y = 384
    {384, 384, 128, 383, greenOutlineColor},  // green, side facing the middle
};

}  // namespace

void drawStartRegions() {
    for (const OutlineSegment& segment : startRegionOutlines) {
        for (int32_t x = segment.x0; x <= segment.x1; ++x) {
            for (int32_t y = segment.y0; y <= segment.y1; ++y) {
                std::fill_n(color + voxelIndex(x, y, 0), worldSizeZ, segment.color);
            }
        }
    }
}

}  // namespace qormap
