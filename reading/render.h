// Pictures of a map: top-down and isometric, as 8-bit RGBA images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "reading/decoder.h"

struct Image {
    int32_t width, height;
    std::vector<uint8_t> rgba;  // rows top to bottom, 4 bytes a pixel
};

// Colour shown for solid voxels that store no colour but face the viewer: the
// cut faces at the map's edges and a hidden top layer.
constexpr qormap::VoxelColor cutColor = 0x806B5B4Bu;

// Pictures are painted one decoded column at a time, so that one walk through a
// map can feed several of them.

// One pixel per column, x to the right and y downwards: the colour of the
// column's topmost solid voxel (cutColor when it stores none), darker the
// lower it lies; empty columns stay transparent.
Image blankTopDown();
void paintTopDown(Image& image, int32_t x, int32_t y, const qormap::VxlColumn& column);

// An isometric view seen from above the corner x = y = 511: each voxel is
// 2 x 2 pixels, top face lit, the +y face to the left and the +x face to the
// right in shade. Columns may be painted in any order.
struct IsometricCanvas {
    Image image;
    std::vector<uint16_t> ranks;  // per pixel: the rank of the voxel shown, 0 for none
};
IsometricCanvas blankIsometric();
void paintIsometric(IsometricCanvas& canvas, int32_t x, int32_t y, const qormap::VxlColumn& column);

// Each picture of a whole map; false with `error` set on an invalid map.
bool renderTopDown(const uint8_t* data, size_t size, Image& image, qormap::VxlDecodeError& error);
bool renderIsometric(const uint8_t* data, size_t size, Image& image, qormap::VxlDecodeError& error);

// `image` made `factor` times smaller each way, each pixel the mean of a
// factor x factor block: colours over the block's opaque part, alpha over all
// of it. The sides must be multiples of `factor`.
Image shrinkImage(const Image& image, int32_t factor);
