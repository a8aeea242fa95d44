#include "tools/vxltool/render.h"

#include <bit>

#include "world/world.h"

namespace {

constexpr int32_t channels = 4;
constexpr uint8_t opaque = 0xFF;

// Shades are fractions of 256: the bottom of the top-down view keeps half of
// its light, so heights read at a glance without hiding the colours.
constexpr uint32_t fullLight = 256;
constexpr uint32_t lowestLight = 128;
constexpr uint32_t leftFaceLight = 205;
constexpr uint32_t rightFaceLight = 158;

void putPixel(Image& image, int32_t px, int32_t py, VoxelColor voxel, uint32_t light) {
    uint8_t* pixel = image.rgba.data() + (static_cast<size_t>(py) * image.width + px) * channels;
    pixel[0] = static_cast<uint8_t>(((voxel >> 16) & 0xFF) * light / fullLight);
    pixel[1] = static_cast<uint8_t>(((voxel >> 8) & 0xFF) * light / fullLight);
    pixel[2] = static_cast<uint8_t>((voxel & 0xFF) * light / fullLight);
    pixel[3] = opaque;
}

Image blankImage(int32_t width, int32_t height) {
    return {width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * channels)};
}

}  // namespace

bool renderTopDown(const uint8_t* data, size_t size, Image& image, VxlDecodeError& error) {
    image = blankImage(worldSizeX, worldSizeY);
    return forEachVxlColumn(data, size, error, [&](int32_t x, int32_t y, const VxlColumn& column) {
        const int32_t height = surfaceHeight(column);
        if (height < 0) {
            return;
        }
        const int32_t top = vxlBottomZ - height;
        const VoxelColor voxel = (column.colorMask >> top) & 1 ? column.colors[top] : cutColor;
        putPixel(image, x, y, voxel,
                 lowestLight + (fullLight - lowestLight) * static_cast<uint32_t>(height) /
                                   static_cast<uint32_t>(vxlBottomZ));
    });
}

Image renderIsometric() {
    // Screen x grows with x and shrinks with y; screen y grows with x + y and
    // with depth, so the map's near corner (511, 511) is at the bottom.
    Image image = blankImage(worldSizeX + worldSizeY, (worldSizeX + worldSizeY) / 2 + worldSizeZ);
    // Back to front and bottom to top, so nearer and higher voxels paint last.
    for (int32_t diagonal = 0; diagonal <= (worldSizeX - 1) + (worldSizeY - 1); ++diagonal) {
        const int32_t firstX = diagonal < worldSizeY ? 0 : diagonal - (worldSizeY - 1);
        const int32_t lastX = diagonal < worldSizeX ? diagonal : worldSizeX - 1;
        for (int32_t x = firstX; x <= lastX; ++x) {
            const int32_t y = diagonal - x;
            const bool onNearEdge = x == worldSizeX - 1 || y == worldSizeY - 1;
            const int32_t px = x - y + (worldSizeY - 1);
            for (int32_t z = vxlBottomZ; z >= 0; --z) {
                const int32_t index = voxelIndex(x, y, z);
                if (solid[index] == 0) {
                    continue;
                }
                VoxelColor voxel = color[index];
                if (voxel == 0) {
                    // A voxel with no colour is seen only where the map is cut open.
                    if (!onNearEdge && z != 0) {
                        continue;
                    }
                    voxel = cutColor;
                }
                const int32_t py = diagonal / 2 + z;
                putPixel(image, px, py, voxel, fullLight);
                putPixel(image, px + 1, py, voxel, fullLight);
                putPixel(image, px, py + 1, voxel, leftFaceLight);
                putPixel(image, px + 1, py + 1, voxel, rightFaceLight);
            }
        }
    }
    return image;
}
