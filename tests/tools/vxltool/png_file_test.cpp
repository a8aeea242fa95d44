#include "tools/vxltool/png_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/shared/scratch_folder_fixture.h"

#define STBI_ONLY_PNG
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace {

class PngFile : public ScratchFolderTest {};

Image patterned(int32_t width, int32_t height) {
    Image image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
    for (size_t i = 0; i < image.rgba.size(); ++i) {
        image.rgba[i] = static_cast<uint8_t>(i * 11 + i / 4093);
    }
    return image;
}

}  // namespace

TEST_F(PngFile, HoldsTheImageExactly) {
    // Read back with stb's own decoder, which shares no code with zlib.
    const Image images[] = {patterned(3, 2), patterned(1024, 576)};
    for (const Image& image : images) {
        SCOPED_TRACE(testing::Message() << image.width << " x " << image.height);
        const std::string path = folder + "/picture.png";
        std::string reason;
        ASSERT_TRUE(writePng(path.c_str(), image, reason)) << reason;
        int width = 0;
        int height = 0;
        int stored = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &stored, 4);
        ASSERT_NE(pixels, nullptr) << stbi_failure_reason();
        EXPECT_EQ(width, image.width);
        EXPECT_EQ(height, image.height);
        EXPECT_EQ(stored, 4);
        EXPECT_EQ(std::vector<uint8_t>(pixels, pixels + image.rgba.size()), image.rgba);
        stbi_image_free(pixels);
    }
}

TEST_F(PngFile, IntoAMissingFolderFailsWithTheReason) {
    const Image image{1, 1, {1, 2, 3, 4}};
    const std::string path = folder + "/no/such/folder/x.png";
    std::string reason;
    EXPECT_FALSE(writePng(path.c_str(), image, reason));
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(PngFile, OntoAFullDeviceFailsAndLeavesIt) {
    if (!std::filesystem::is_character_file("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    const Image image{1, 1, {1, 2, 3, 4}};
    std::string reason;
    EXPECT_FALSE(writePng("/dev/full", image, reason));
    EXPECT_EQ(reason, "No space left on device");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}
