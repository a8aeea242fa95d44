#include "tests/shared/reference_encoder.h"

#include <utility>

#include "world/world.h"

using namespace qormap;

namespace {

// Header of the last span of a column; every other span stores its size.
constexpr int32_t lastSpanLength = 0;

bool isSolid(int32_t x, int32_t y, int32_t z) {
    return solid[voxelIndex(x, y, z)] != 0;
}

bool isHidden(int32_t x, int32_t y, int32_t z) {
    return isSolid(x, y, z) && !isExposed(x, y, z);
}

void writeSpanHeader(std::FILE* file, int32_t length, int32_t topStart, int32_t topEnd,
                     int32_t airStart) {
    std::fputc(length & 0xFF, file);
    std::fputc(topStart & 0xFF, file);
    std::fputc(topEnd & 0xFF, file);
    std::fputc(airStart & 0xFF, file);
}

void writeColors(std::FILE* file, int32_t x, int32_t y, int32_t zBegin, int32_t zEnd) {
    for (int32_t z = zBegin; z < zEnd; ++z) {
        writeWordLE(file, color[voxelIndex(x, y, z)]);
    }
}

}  // namespace

int32_t isExposed(int32_t x, int32_t y, int32_t z) {
    if (!isSolid(x, y, z)) {
        return 0;
    }
    const bool airBeside =
        (x > 0 && !isSolid(x - 1, y, z)) || (x < worldSizeX - 1 && !isSolid(x + 1, y, z)) ||
        (y > 0 && !isSolid(x, y - 1, z)) || (y < worldSizeY - 1 && !isSolid(x, y + 1, z)) ||
        (z > 0 && !isSolid(x, y, z - 1)) || (z < worldSizeZ - 1 && !isSolid(x, y, z + 1));
    return airBeside ? 1 : 0;
}

void writeWordLE(std::FILE* file, uint32_t word) {
    std::fputc(static_cast<int>(word & 0xFF), file);
    std::fputc(static_cast<int>((word >> 8) & 0xFF), file);
    std::fputc(static_cast<int>((word >> 16) & 0xFF), file);
    std::fputc(static_cast<int>(word >> 24), file);
}

void flipWorld() {
    for (int32_t c = 0; c < columnCount; ++c) {
        const int32_t base = c * worldSizeZ;
        for (int32_t z = 0; z < worldSizeZ / 2; ++z) {
            std::swap(solid[base + z], solid[base + worldSizeZ - 1 - z]);
            std::swap(color[base + z], color[base + worldSizeZ - 1 - z]);
        }
    }
}

void encodeColumn(std::FILE* file, int32_t x, int32_t y) {
    int32_t spanStart = 0;
    for (;;) {
        const int32_t airStart = spanStart;
        int32_t topStart = spanStart;
        while (topStart < worldSizeZ && !isSolid(x, y, topStart)) {
            ++topStart;
        }
        int32_t topStop = topStart;
        while (topStop < worldSizeZ && isExposed(x, y, topStop)) {
            ++topStop;
        }
        int32_t hiddenStop = topStop;
        while (hiddenStop < worldSizeZ && isHidden(x, y, hiddenStop)) {
            ++hiddenStop;
        }
        if (hiddenStop == worldSizeZ) {
            writeSpanHeader(file, lastSpanLength, topStart, topStop - 1, airStart);
            writeColors(file, x, y, topStart, topStop);
            return;
        }
        int32_t bottomStop = hiddenStop;
        while (bottomStop < worldSizeZ && isExposed(x, y, bottomStop)) {
            ++bottomStop;
        }
        // An exposed run that reaches the bottom cannot be bottom colours: the
        // next span would have no air start below it. It becomes the top run of
        // a last span that starts right there.
        const int32_t nextStart = bottomStop < worldSizeZ ? bottomStop : hiddenStop;
        const int32_t length = (topStop - topStart) + (nextStart - hiddenStop) + 1;
        writeSpanHeader(file, length, topStart, topStop - 1, airStart);
        writeColors(file, x, y, topStart, topStop);
        writeColors(file, x, y, hiddenStop, nextStart);
        spanStart = nextStart;
    }
}
