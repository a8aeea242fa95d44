#include "tools/vxltool/png_file.h"

#include <zlib.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "support/replaced_file.h"

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

struct Output {
    std::FILE* file;
    int error;  // errno of the first failed write; 0 while all went well
};

void writeEncoded(void* context, void* data, int size) {
    auto* output = static_cast<Output*>(context);
    if (output->error == 0 && std::fwrite(data, 1, static_cast<size_t>(size), output->file) !=
                                  static_cast<size_t>(size)) {
        output->error = errno != 0 ? errno : EIO;
    }
}

}  // namespace

bool writePng(const char* path, const Image& image, std::string& reason) {
    ReplacedFile replaced;
    int error = 0;
    if (!openReplacement(path, replaced, error)) {
        reason = std::strerror(error);
        return false;
    }
    Output output{replaced.file, 0};
    // The encoder fails only when memory runs out.
    const bool encoded =
        stbi_write_png_to_func(writeEncoded, &output, image.width, image.height, channels,
                               image.rgba.data(), image.width * channels) != 0;
    if (!encoded || output.error != 0) {
        reason = std::strerror(encoded ? output.error : ENOMEM);
        abandonReplacement(replaced);
        return false;
    }
    if (!commitReplacement(replaced, error)) {
        reason = std::strerror(error);
        return false;
    }
    return true;
}
