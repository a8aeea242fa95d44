#include "reading/render.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "qormap/qormap.h"
#include "reading/decoder.h"
#include "tests/shared/map_file.h"
#include "tests/shared/scratch_folder.h"
#include "tests/shared/sha256_hex.h"
#include "tests/shared/world_file_fixture.h"
#include "world/world.h"

using namespace qormap;

namespace {

struct Rgba {
    uint8_t r, g, b, a;
    bool operator==(const Rgba&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgba& p) {
    return out << "(" << int{p.r} << ", " << int{p.g} << ", " << int{p.b} << ", " << int{p.a}
               << ")";
}

Rgba pixelAt(const Image& image, int32_t px, int32_t py) {
    const uint8_t* p = image.rgba.data() + (static_cast<size_t>(py) * image.width + px) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// The colour word's channels, each scaled by light / 256 as the renderer does.
Rgba lit(VoxelColor voxel, uint32_t light) {
    return {static_cast<uint8_t>(((voxel >> 16) & 0xFF) * light / 256),
            static_cast<uint8_t>(((voxel >> 8) & 0xFF) * light / 256),
            static_cast<uint8_t>((voxel & 0xFF) * light / 256), 0xFF};
}

constexpr Rgba transparent = {0, 0, 0, 0};
constexpr VoxelColor red = 0x80C81E0Au;
constexpr VoxelColor blue = 0x80143CF0u;

class Render : public WorldFileTest {};

}  // namespace

TEST_F(Render, TopDownShowsTheTopmostVoxelShadedByHeight) {
    // Generation orientation: z = 63 is the top layer.
    fillColumnSpan(3, 4, 0, 63, red);          // up to the top: full light
    fillColumnSpan(10, 2, 0, 0, blue);         // bottom layer only: half light
    fillColumnSpan(20, 30, 0, 31, red);        // height 31: 128 + 128 * 31 / 63
    fillColumnSpan(20, 30, 40, 40, blue);      // a floating voxel above it wins
    fillBox(100, 102, 100, 102, 0, 63, blue);  // the middle top voxel is hidden
    const std::vector<uint8_t> file = writeWorldBytes(folder);
    Image image;
    VxlDecodeError error{};
    ASSERT_TRUE(renderTopDown(file.data(), file.size(), image, error)) << describeVxlError(error);
    ASSERT_EQ(image.width, 512);
    ASSERT_EQ(image.height, 512);
    struct Case {
        const char* name;
        int32_t x, y;
        Rgba expected;
    };
    const Case cases[] = {
        {"top layer", 3, 4, lit(red, 256)},
        {"bottom layer", 10, 2, lit(blue, 128)},
        {"a floating voxel at height 40", 20, 30, lit(blue, 128 + 128 * 40 / 63)},
        {"a hidden top voxel", 101, 101, lit(cutColor, 256)},
        {"the corner of that box", 100, 100, lit(blue, 256)},
        {"an empty column", 4, 3, transparent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pixelAt(image, c.x, c.y), c.expected);
    }
}

TEST_F(Render, IsometricPaintsFacesAndOcclusion) {
    // File orientation z: 10 is high above the bottom.
    const int32_t px = 100 - 50 + 511;
    const int32_t py = (100 + 50) / 2 + 10;
    fillColumnSpan(100, 50, 63 - 10, 63 - 10, red);
    fillColumnSpan(100, 50, 63 - 9, 63 - 9, blue);    // one voxel higher, same column
    fillColumnSpan(300, 300, 63 - 40, 63 - 40, red);  // alone
    fillBox(505, 511, 195, 205, 0, 63, blue);         // a block cut open by the near edge
    const std::vector<uint8_t> file = writeWorldBytes(folder);
    Image image;
    VxlDecodeError error{};
    ASSERT_TRUE(renderIsometric(file.data(), file.size(), image, error)) << describeVxlError(error);
    ASSERT_EQ(image.width, 1024);
    ASSERT_EQ(image.height, 576);
    const int32_t loneX = 300 - 300 + 511;
    const int32_t loneY = 300 + 40;
    const int32_t edgeX = 511 - 200 + 511;
    const int32_t edgeY = (511 + 200) / 2 + 63;
    struct Case {
        const char* name;
        int32_t x, y;
        Rgba expected;
    };
    const Case cases[] = {
        {"lone voxel, top face", loneX, loneY, lit(red, 256)},
        {"lone voxel, top face right", loneX + 1, loneY, lit(red, 256)},
        {"lone voxel, +y face", loneX, loneY + 1, lit(red, 205)},
        {"lone voxel, +x face", loneX + 1, loneY + 1, lit(red, 158)},
        {"beside it", loneX + 2, loneY, transparent},
        {"above it", loneX, loneY - 1, transparent},
        {"upper voxel's top face", px, py - 1, lit(blue, 256)},
        {"its faces cover the lower top face", px, py, lit(blue, 205)},
        {"and on the right", px + 1, py, lit(blue, 158)},
        {"lower voxel's faces", px, py + 1, lit(red, 205)},
        // the +x face of the deepest hidden voxel at x = 511
        {"hidden voxel on the near edge", edgeX + 1, edgeY + 1, lit(cutColor, 158)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pixelAt(image, c.x, c.y), c.expected);
    }
}

TEST(RenderSeedOne, PicturesAreUnchanged) {
    // SHA-256 of each picture's RGBA bytes for the seed-1 map, from commit
    // 1e990e4: the top-down picture as now, the isometric one as painted back
    // to front from the decoded map in a full voxel store.
    struct Case {
        const char* name;
        bool (*render)(const uint8_t*, size_t, Image&, VxlDecodeError&);
        const char* sha256;
    };
    const Case cases[] = {
        {"top-down", renderTopDown,
         "e3069b6cc84c9300ffd2ba2f029b9eebf1586ddd74afc6475371da06cd1eff3d"},
        {"isometric", renderIsometric,
         "0b14c894e8ead9ed9b3e69082331c099f7af2682774770aadeaec123fe4f8cdb"},
    };
    const qormap_options options = qormap_default_options(1);
    unsigned char* map = nullptr;
    size_t size = 0;
    ASSERT_EQ(qormap_generate(&options, &map, &size), QORMAP_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image image;
        VxlDecodeError error{};
        ASSERT_TRUE(c.render(map, size, image, error)) << describeVxlError(error);
        EXPECT_EQ(sha256Hex(std::string(image.rgba.begin(), image.rgba.end())), c.sha256);
    }
    qormap_free(map);
}

TEST(ShrinkImage, AveragesEachBlockOverItsOpaquePart) {
    // Four 2 x 2 blocks side by side: opaque, half transparent, all transparent, mixed shades.
    const uint8_t row[] = {10, 20, 30, 255, 30, 40, 50, 255, 90, 0, 0, 255, 0,   0,   0,   0,
                           0,  0,  0,  0,   0,  0,  0,  0,   0,  0, 0, 255, 255, 255, 255, 255};
    Image image{8, 2, {}};
    for (int32_t y = 0; y < image.height; ++y) {
        image.rgba.insert(image.rgba.end(), std::begin(row), std::end(row));
    }
    const Image small = shrinkImage(image, 2);
    ASSERT_EQ(small.width, 4);
    ASSERT_EQ(small.height, 1);
    const Rgba expected[] = {{20, 30, 40, 255}, {90, 0, 0, 128}, transparent, {128, 128, 128, 255}};
    for (int32_t x = 0; x < 4; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(pixelAt(small, x, 0), expected[x]);
    }
}
