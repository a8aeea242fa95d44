#include "tools/vxltool/png_file.h"

#include <zlib.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "tools/vxltool/whole_file.h"

namespace {

// Fast deflate: the pictures are large and written often (a gallery writes
// hundreds), and the stronger levels gain little on them.
constexpr int compressionLevel = Z_BEST_SPEED;

// stb's image writer calls this for the picture's compressed stream; the
// result must come from malloc, as the writer frees it with free.
unsigned char* deflateWithZlib(const unsigned char* data, int size, int* compressedSize, int) {
    uLongf bound = compressBound(static_cast<uLong>(size));
    auto* compressed = static_cast<unsigned char*>(std::malloc(bound));
    if (compressed == nullptr) {
        return nullptr;
    }
    if (compress2(compressed, &bound, data, static_cast<uLong>(size), compressionLevel) != Z_OK ||
        bound > INT_MAX) {
        std::free(compressed);
        return nullptr;
    }
    *compressedSize = static_cast<int>(bound);
    return compressed;
}

unsigned int crcWithZlib(const unsigned char* data, int size) {
    return static_cast<unsigned int>(crc32(0, data, static_cast<uInt>(size)));
}

}  // namespace

#define STBIW_ZLIB_COMPRESS deflateWithZlib
#define STBIW_CRC32 crcWithZlib
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

constexpr int channels = 4;

void appendEncoded(void* context, void* data, int size) {
    auto* png = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    png->insert(png->end(), bytes, bytes + size);
}

}  // namespace

bool encodePng(const Image& image, std::vector<uint8_t>& png) {
    // No row filter: on these pictures' wide flat areas it costs a trial of
    // five filters a row and saves about 2% of the file.
    static const bool unfiltered = (stbi_write_force_png_filter = 0, true);
    (void)unfiltered;
    png.clear();
    return stbi_write_png_to_func(appendEncoded, &png, image.width, image.height, channels,
                                  image.rgba.data(), image.width * channels) != 0;
}

bool writePng(const char* path, const Image& image, std::string& reason) {
    std::vector<uint8_t> png;
    if (!encodePng(image, png)) {
        reason = std::strerror(ENOMEM);
        return false;
    }
    return writeWholeFile(path, png.data(), png.size(), reason);
}
