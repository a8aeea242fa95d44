#include "reading/render.h"

#include <bit>

#include <limits>

using namespace qormap;

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

constexpr int32_t isometricWidth = worldSizeX + worldSizeY;
constexpr int32_t isometricHeight = (worldSizeX + worldSizeY) / 2 + worldSizeZ;

// Voxels nearer the corner (511, 511) and higher up cover the others. Their
// rank, 1 + (x + y) * 64 + (63 - z), grows in that order, so a pixel that keeps
// the voxel of highest rank shows what painting back to front would, whatever
// order the columns come in.
int32_t isometricRank(int32_t x, int32_t y, int32_t z) {
    return 1 + (x + y) * worldSizeZ + (vxlBottomZ - z);
}
static_assert(1 + ((worldSizeX - 1) + (worldSizeY - 1)) * worldSizeZ + vxlBottomZ <=
                  std::numeric_limits<uint16_t>::max(),
              "every rank fits a pixel's 16 bits");

void paintIsometricPixel(IsometricCanvas& canvas, int32_t px, int32_t py, uint16_t rank,
                         VoxelColor voxel, uint32_t light) {
    uint16_t& shown = canvas.ranks[static_cast<size_t>(py) * isometricWidth + px];
    if (shown < rank) {
        shown = rank;
        putPixel(canvas.image, px, py, voxel, light);
    }
}

}  // namespace

Image blankTopDown() {
    return blankImage(worldSizeX, worldSizeY);
}

void paintTopDown(Image& image, int32_t x, int32_t y, const VxlColumn& column) {
    const int32_t height = surfaceHeight(column);
    if (height < 0) {
        return;
    }
    const int32_t top = vxlBottomZ - height;
    const VoxelColor voxel = (column.colorMask >> top) & 1 ? column.colors[top] : cutColor;
    putPixel(image, x, y, voxel,
             lowestLight + (fullLight - lowestLight) * static_cast<uint32_t>(height) /
                               static_cast<uint32_t>(vxlBottomZ));
}

bool renderTopDown(const uint8_t* data, size_t size, Image& image, VxlDecodeError& error) {
    image = blankTopDown();
    return forEachVxlColumn(data, size, error, [&](int32_t x, int32_t y, const VxlColumn& column) {
        paintTopDown(image, x, y, column);
    });
}

IsometricCanvas blankIsometric() {
    return {blankImage(isometricWidth, isometricHeight),
            std::vector<uint16_t>(static_cast<size_t>(isometricWidth) * isometricHeight)};
}

void paintIsometric(IsometricCanvas& canvas, int32_t x, int32_t y, const VxlColumn& column) {
    // Screen x grows with x and shrinks with y; screen y grows with x + y and
    // with depth, so the map's near corner (511, 511) is at the bottom.
    const bool onNearEdge = x == worldSizeX - 1 || y == worldSizeY - 1;
    const int32_t px = x - y + (worldSizeY - 1);
    const int32_t rowOfTop = (x + y) / 2;
    // A voxel with no colour is seen only where the map is cut open: on the
    // near edges and in the top layer.
    const uint64_t cutOpen = onNearEdge ? ~uint64_t{0} : uint64_t{1};
    for (uint64_t bits = column.solidMask & (column.colorMask | cutOpen); bits != 0;
         bits &= bits - 1) {
        const int32_t z = std::countr_zero(bits);
        VoxelColor voxel = column.colors[z];
        if (voxel == 0) {
            if ((cutOpen >> z & 1) == 0) {
                continue;
            }
            voxel = cutColor;
        }
        const auto rank = static_cast<uint16_t>(isometricRank(x, y, z));
        const int32_t py = rowOfTop + z;
        paintIsometricPixel(canvas, px, py, rank, voxel, fullLight);
        paintIsometricPixel(canvas, px + 1, py, rank, voxel, fullLight);
        paintIsometricPixel(canvas, px, py + 1, rank, voxel, leftFaceLight);
        paintIsometricPixel(canvas, px + 1, py + 1, rank, voxel, rightFaceLight);
    }
}

bool renderIsometric(const uint8_t* data, size_t size, Image& image, VxlDecodeError& error) {
    IsometricCanvas canvas = blankIsometric();
    const bool sound =
        forEachVxlColumn(data, size, error, [&](int32_t x, int32_t y, const VxlColumn& column) {
            paintIsometric(canvas, x, y, column);
        });
    image = std::move(canvas.image);
    return sound;
}

Image shrinkImage(const Image& image, int32_t factor) {
    Image small = blankImage(image.width / factor, image.height / factor);
    for (int32_t sy = 0; sy < small.height; ++sy) {
        for (int32_t sx = 0; sx < small.width; ++sx) {
            uint32_t sums[channels] = {};  // colours weighted by alpha, then alpha
            for (int32_t dy = 0; dy < factor; ++dy) {
                const uint8_t* pixel =
                    image.rgba.data() +
                    (static_cast<size_t>(sy * factor + dy) * image.width + sx * factor) * channels;
                for (int32_t dx = 0; dx < factor; ++dx, pixel += channels) {
                    for (int32_t c = 0; c < channels - 1; ++c) {
                        sums[c] += uint32_t{pixel[c]} * pixel[channels - 1];
                    }
                    sums[channels - 1] += pixel[channels - 1];
                }
            }
            uint8_t* out =
                small.rgba.data() + (static_cast<size_t>(sy) * small.width + sx) * channels;
            const uint32_t alpha = sums[channels - 1];
            if (alpha == 0) {
                continue;
            }
            for (int32_t c = 0; c < channels - 1; ++c) {
                out[c] = static_cast<uint8_t>((sums[c] + alpha / 2) / alpha);
            }
            const auto area = static_cast<uint32_t>(factor * factor);
            out[channels - 1] = static_cast<uint8_t>((alpha + area / 2) / area);
        }
    }
    return small;
}
