#include "vxl/writer.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <memory>
#include <new>
#include <utility>

#include "platform/replaced_file.h"
#include "support/row_jobs.h"

namespace {

// Header of the last span of a column; every other span stores its size.
constexpr int32_t lastSpanLength = 0;

// Rows one thread encodes before the main thread writes them out: enough for
// a few large writes per map, small enough that the buffers stay a fraction
// of a megabyte in use.
constexpr int32_t rowsPerBand = 32;
constexpr size_t bandBytes = rowsPerBand * worldSizeX * maxRecordBytes;

constexpr uint64_t allSolid = ~uint64_t{0};
constexpr uint64_t topVoxel = 1;
constexpr uint64_t bottomVoxel = uint64_t{1} << (worldSizeZ - 1);

// Gathers the low bit of each of the eight bytes, in reverse: byte i lands on
// bit 63 - i. The partial products never overlap, so no carry disturbs them.
constexpr uint64_t reversedGather = 0x8040201008040201u;
constexpr uint64_t lowBits = 0x0101010101010101u;
constexpr uint64_t lowSevenBits = 0x7F7F7F7F7F7F7F7Fu;

// First z >= from whose bit is set; worldSizeZ when there is none.
int32_t firstSet(uint64_t bits, int32_t from) {
    if (from >= worldSizeZ) {
        return worldSizeZ;
    }
    return std::countr_zero(bits & (allSolid << from));
}

int32_t firstClear(uint64_t bits, int32_t from) {
    return firstSet(~bits, from);
}

uint8_t* putByte(uint8_t* out, int32_t value) {
    *out = static_cast<uint8_t>(value & 0xFF);
    return out + 1;
}

uint8_t* putWordLE(uint8_t* out, uint32_t word) {
    out[0] = static_cast<uint8_t>(word);
    out[1] = static_cast<uint8_t>(word >> 8);
    out[2] = static_cast<uint8_t>(word >> 16);
    out[3] = static_cast<uint8_t>(word >> 24);
    return out + 4;
}

// Colours of file z in [zBegin, zEnd); `column` is in generation orientation.
uint8_t* putColors(uint8_t* out, const VoxelColor* column, int32_t zBegin, int32_t zEnd) {
    for (int32_t z = zBegin; z < zEnd; ++z) {
        out = putWordLE(out, column[worldSizeZ - 1 - z]);
    }
    return out;
}

uint8_t* putSpanHeader(uint8_t* out, int32_t length, int32_t topStart, int32_t topEnd,
                       int32_t airStart) {
    // Generated worlds keep every field within 0..64; the format holds bytes.
    out = putByte(out, length);
    out = putByte(out, topStart);
    out = putByte(out, topEnd);
    return putByte(out, airStart);
}

// The span rule of encodeColumn, with each "first z from here that is ..."
// scan answered by one bit search.
uint8_t* encodeRecord(uint8_t* out, uint64_t solidBits, uint64_t exposedBits,
                      const VoxelColor* column) {
    const uint64_t hiddenBits = solidBits & ~exposedBits;
    int32_t spanStart = 0;
    for (;;) {
        const int32_t airStart = spanStart;
        const int32_t topStart = firstSet(solidBits, spanStart);
        const int32_t topStop = firstClear(exposedBits, topStart);
        const int32_t hiddenStop = firstClear(hiddenBits, topStop);
        if (hiddenStop == worldSizeZ) {
            out = putSpanHeader(out, lastSpanLength, topStart, topStop - 1, airStart);
            return putColors(out, column, topStart, topStop);
        }
        const int32_t bottomStop = firstClear(exposedBits, hiddenStop);
        const int32_t nextStart = bottomStop < worldSizeZ ? bottomStop : hiddenStop;
        const int32_t length = (topStop - topStart) + (nextStart - hiddenStop) + 1;
        out = putSpanHeader(out, length, topStart, topStop - 1, airStart);
        out = putColors(out, column, topStart, topStop);
        out = putColors(out, column, hiddenStop, nextStart);
        spanStart = nextStart;
    }
}

}  // namespace

uint64_t fileSolidMask(int32_t x, int32_t y) {
    const uint8_t* column = solid + voxelIndex(x, y, 0);
    uint64_t mask = 0;
    for (int32_t chunk = 0; chunk < worldSizeZ / 8; ++chunk) {
        uint64_t bytes = 0;
        for (int32_t i = 0; i < 8; ++i) {
            bytes |= uint64_t{column[chunk * 8 + i]} << (8 * i);
        }
        // Any non-zero byte counts as solid, as it does for isExposed.
        const uint64_t nonZero = (((bytes & lowSevenBits) + lowSevenBits) | bytes) >> 7 & lowBits;
        // Generation z = 8 chunk + i is file z = 63 - 8 chunk - i.
        mask |= (nonZero * reversedGather) >> 56 << (worldSizeZ - 8 - 8 * chunk);
    }
    return mask;
}

uint64_t exposedMask(uint64_t column, uint64_t west, uint64_t east, uint64_t south,
                     uint64_t north) {
    const uint64_t solidAbove = column << 1 | topVoxel;
    const uint64_t solidBelow = column >> 1 | bottomVoxel;
    return column & ~(solidAbove & solidBelow & west & east & south & north);
}

namespace {

// Rows whose masks one pass gathers, with the row on either side.
constexpr int32_t rowsPerPass = 32;

// Solid masks of rows firstRow - 1 to endRow into masks[0..], rows beyond the
// world all solid. File order runs along x, but a column's rows lie next to
// each other in memory: read column by column, a pass streams through
// memory instead of jumping 32 KiB at every column. Each column's first
// colour line, the one its record starts with, is requested on the way.
void fillPassMasks(uint64_t (*masks)[worldSizeX], int32_t firstRow, int32_t endRow) {
    const int32_t lowRow = std::max(firstRow - 1, 0);
    const int32_t highRow = std::min(endRow + 1, worldSizeY);
    if (lowRow == firstRow) {
        std::fill_n(masks[0], worldSizeX, allSolid);
    }
    if (highRow == endRow) {
        std::fill_n(masks[endRow - firstRow + 1], worldSizeX, allSolid);
    }
    for (int32_t x = 0; x < worldSizeX; ++x) {
        for (int32_t y = lowRow; y < highRow; ++y) {
            const uint64_t mask = fileSolidMask(x, y);
            masks[y - firstRow + 1][x] = mask;
            if (mask != 0) {
                __builtin_prefetch(color +
                                   voxelIndex(x, y, worldSizeZ - 1 - std::countr_zero(mask)));
            }
        }
    }
}

}  // namespace

size_t encodeRows(uint8_t* out, int32_t firstRow, int32_t endRow) {
    uint64_t masks[rowsPerPass + 2][worldSizeX];
    uint8_t* const start = out;
    for (int32_t passFirst = firstRow; passFirst < endRow; passFirst += rowsPerPass) {
        const int32_t passEnd = std::min(passFirst + rowsPerPass, endRow);
        fillPassMasks(masks, passFirst, passEnd);
        for (int32_t y = passFirst; y < passEnd; ++y) {
            const uint64_t* const south = masks[y - passFirst];
            const uint64_t* const here = masks[y - passFirst + 1];
            const uint64_t* const north = masks[y - passFirst + 2];
            for (int32_t x = 0; x < worldSizeX; ++x) {
                const uint64_t west = x > 0 ? here[x - 1] : allSolid;
                const uint64_t east = x + 1 < worldSizeX ? here[x + 1] : allSolid;
                const uint64_t exposed = exposedMask(here[x], west, east, south[x], north[x]);
                out = encodeRecord(out, here[x], exposed, color + voxelIndex(x, y, 0));
            }
        }
    }
    return static_cast<size_t>(out - start);
}

bool encodeVxlBands(const VxlBandSink& sink, int& error) {
    // Sized for the worst case, but only the pages a band fills are touched.
    const int32_t workers = workerCount();
    std::unique_ptr<uint8_t[]> buffers[maxWorkerCount];
    size_t sizes[maxWorkerCount] = {};
    for (int32_t w = 0; w < workers; ++w) {
        buffers[w].reset(new (std::nothrow) uint8_t[bandBytes]);
        if (!buffers[w]) {
            error = ENOMEM;
            return false;
        }
    }
    // Each round encodes one band per thread, then hands them over in order,
    // so the bytes are the same whatever the number of threads.
    for (int32_t y = 0; y < worldSizeY; y += rowsPerBand * workers) {
        const int32_t end = std::min(y + rowsPerBand * workers, worldSizeY);
        forEachRowChunk(y, end, rowsPerBand, [&](int32_t first, int32_t last) {
            const int32_t band = (first - y) / rowsPerBand;
            sizes[band] = encodeRows(buffers[band].get(), first, last);
        });
        for (int32_t band = 0; band * rowsPerBand < end - y; ++band) {
            if (!sink.take(sink.context, buffers[band].get(), sizes[band], error)) {
                return false;
            }
        }
    }
    return true;
}

VxlWriteResult writeVxl(const char* path) {
    // Written beside the target and renamed over it once complete, so that a
    // failed or interrupted run never leaves a truncated map where one stood.
    ReplacedFile output;
    int error = 0;
    if (!openReplacement(path, output, error)) {
        return {VxlWriteStatus::openFailed, error};
    }
    const VxlBandSink toFile{[](void* file, const uint8_t* bytes, size_t size, int& failure) {
                                 if (std::fwrite(bytes, 1, size, static_cast<std::FILE*>(file)) !=
                                     size) {
                                     failure = errno != 0 ? errno : EIO;
                                     return false;
                                 }
                                 return true;
                             },
                             output.file};
    if (!encodeVxlBands(toFile, error)) {
        abandonReplacement(output);
        return {VxlWriteStatus::writeFailed, error};
    }
    if (!commitReplacement(output, error)) {
        return {VxlWriteStatus::writeFailed, error};
    }
    return {VxlWriteStatus::ok, 0};
}

// The plain definitions follow: one voxel at a time, through the runtime's
// byte output, on the world in file orientation.

namespace {

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
