#include "vxl/encoder.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <memory>
#include <new>

#include "support/row_jobs.h"

namespace qormap {

namespace {

// Header of the last span of a column; every other span stores its size.
constexpr int32_t lastSpanLength = 0;

// Rows one thread encodes at a time: enough for a few large writes per map,
// small enough that a band's masks stay in the cache between its two passes.
constexpr int32_t rowsPerBand = 32;

constexpr uint64_t allSolid = ~uint64_t{0};
constexpr uint64_t topVoxel = 1;
constexpr uint64_t bottomVoxel = uint64_t{1} << (worldSizeZ - 1);

// Gathers the low bit of each of the eight bytes, in reverse: byte i lands on
// bit 63 - i. The partial products never overlap, so no carry disturbs them.
constexpr uint64_t reversedGather = 0x8040201008040201u;
constexpr uint64_t lowBits = 0x0101010101010101u;
constexpr uint64_t lowSevenBits = 0x7F7F7F7F7F7F7F7Fu;

// A span header and a colour are four bytes each.
constexpr size_t spanHeaderBytes = 4;

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

// One span of a record: its header fields, then the colours of file z in
// [topStart, topStop) and [hiddenStop, nextStart).
struct SpanRuns {
    int32_t length, topStart, topStop, airStart, hiddenStop, nextStart;
};

// Walks the spans of a column in file order, each "first z from here that is
// ..." scan answered by one bit search, and hands each to visit(SpanRuns).
template <typename Visit>
void forEachSpan(uint64_t solidBits, uint64_t exposedBits, Visit&& visit) {
    const uint64_t hiddenBits = solidBits & ~exposedBits;
    int32_t spanStart = 0;
    for (;;) {
        const int32_t airStart = spanStart;
        const int32_t topStart = firstSet(solidBits, spanStart);
        const int32_t topStop = firstClear(exposedBits, topStart);
        const int32_t hiddenStop = firstClear(hiddenBits, topStop);
        if (hiddenStop == worldSizeZ) {
            visit(SpanRuns{lastSpanLength, topStart, topStop, airStart, hiddenStop, hiddenStop});
            return;
        }
        // An exposed run that reaches the bottom cannot be bottom colours: the
        // next span would have no air start below it. It becomes the top run
        // of a last span that starts right there.
        const int32_t bottomStop = firstClear(exposedBits, hiddenStop);
        const int32_t nextStart = bottomStop < worldSizeZ ? bottomStop : hiddenStop;
        const int32_t length = (topStop - topStart) + (nextStart - hiddenStop) + 1;
        visit(SpanRuns{length, topStart, topStop, airStart, hiddenStop, nextStart});
        spanStart = nextStart;
    }
}

// Set bits of `bits`, without the C runtime's call that std::popcount
// becomes on processors assumed to lack a popcount instruction.
int32_t bitCount(uint64_t bits) {
    bits -= (bits >> 1) & 0x5555555555555555u;
    bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int32_t>((bits * 0x0101010101010101u) >> 56);
}

// The size of a column's record without walking its spans. Every exposed
// voxel is stored once. A new span starts wherever solid turns to air, where
// a bottom run (exposed voxels right below hidden ones) turns hidden again,
// and once more when a bottom run reaches the floor (it becomes a last span).
size_t recordBytes(uint64_t solidBits, uint64_t exposedBits) {
    const uint64_t hiddenBits = solidBits & ~exposedBits;
    const uint64_t bottomStarts = exposedBits & (hiddenBits << 1);
    // Adding a run's first bit carries through the run and clears it.
    const uint64_t bottomRuns = exposedBits & ~(exposedBits + bottomStarts);
    const uint64_t solidToAir = ~solidBits & (solidBits << 1);
    const uint64_t bottomToHidden = hiddenBits & (bottomRuns << 1);
    // Air, hidden and exposed voxels never coincide: one count covers all three.
    const int32_t floorSpan = static_cast<int32_t>(bottomRuns >> (worldSizeZ - 1));
    const int32_t words = 1 + floorSpan + bitCount(exposedBits | solidToAir | bottomToHidden);
    return static_cast<size_t>(words) * spanHeaderBytes;
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

uint8_t* encodeRecord(uint8_t* out, uint64_t solidBits, uint64_t exposedBits,
                      const VoxelColor* column) {
    forEachSpan(solidBits, exposedBits, [&](const SpanRuns& span) {
        // Generated worlds keep every field within 0..64; the format holds bytes.
        out = putByte(out, span.length);
        out = putByte(out, span.topStart);
        out = putByte(out, span.topStop - 1);
        out = putByte(out, span.airStart);
        out = putColors(out, column, span.topStart, span.topStop);
        out = putColors(out, column, span.hiddenStop, span.nextStart);
    });
    return out;
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
        // Any non-zero byte counts as solid.
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

// What one band of rows needs between measuring its records and writing them.
struct Band {
    int32_t firstRow;
    int32_t endRow;
    uint64_t solidMasks[rowsPerBand][worldSizeX];
    uint64_t exposedMasks[rowsPerBand][worldSizeX];
    size_t bytes;
};

// Solid masks of rows firstRow - 1 to endRow into masks[0..], rows beyond the
// world all solid. File order runs along x, but a column's rows lie next to
// each other in memory: read column by column, a pass streams through
// memory instead of jumping 32 KiB at every column. Each column's first
// colour line, the one its record starts with, is requested on the way.
void fillSolidMasks(uint64_t (*masks)[worldSizeX], int32_t firstRow, int32_t endRow) {
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

// Masks of the band's rows and the size of its records.
void measureBand(Band& band) {
    uint64_t masks[rowsPerBand + 2][worldSizeX];
    fillSolidMasks(masks, band.firstRow, band.endRow);
    band.bytes = 0;
    for (int32_t row = 0; row < band.endRow - band.firstRow; ++row) {
        const uint64_t* const south = masks[row];
        const uint64_t* const here = masks[row + 1];
        const uint64_t* const north = masks[row + 2];
        for (int32_t x = 0; x < worldSizeX; ++x) {
            const uint64_t west = x > 0 ? here[x - 1] : allSolid;
            const uint64_t east = x + 1 < worldSizeX ? here[x + 1] : allSolid;
            const uint64_t exposed = exposedMask(here[x], west, east, south[x], north[x]);
            band.solidMasks[row][x] = here[x];
            band.exposedMasks[row][x] = exposed;
            band.bytes += recordBytes(here[x], exposed);
        }
    }
}

// Writes the band's records, band.bytes of them, from `out` on.
void writeBand(uint8_t* out, const Band& band) {
    for (int32_t y = band.firstRow; y < band.endRow; ++y) {
        const int32_t row = y - band.firstRow;
        for (int32_t x = 0; x < worldSizeX; ++x) {
            out = encodeRecord(out, band.solidMasks[row][x], band.exposedMasks[row][x],
                               color + voxelIndex(x, y, 0));
        }
    }
}

}  // namespace

size_t encodeRows(uint8_t* out, int32_t firstRow, int32_t endRow) {
    const auto band = std::make_unique<Band>();
    uint8_t* const start = out;
    for (int32_t first = firstRow; first < endRow; first += rowsPerBand) {
        band->firstRow = first;
        band->endRow = std::min(first + rowsPerBand, endRow);
        measureBand(*band);
        // Advanced by the measured size, as encodeWorld places bands by it.
        writeBand(out, *band);
        out += band->bytes;
    }
    return static_cast<size_t>(out - start);
}

bool encodeWorld(const VxlSink& sink, int& error) {
    const int32_t workers = workerCount();
    const std::unique_ptr<Band[]> bands(new (std::nothrow) Band[workers]);
    if (!bands) {
        error = ENOMEM;
        return false;
    }
    // Each round measures one band per thread, takes room for exactly their
    // records from the sink, and writes each band at its place there: the
    // bytes go where the sink wants them with no copy between, the same
    // whatever the number of threads.
    for (int32_t y = 0; y < worldSizeY; y += rowsPerBand * workers) {
        const int32_t end = std::min(y + rowsPerBand * workers, worldSizeY);
        forEachRowChunk(y, end, rowsPerBand, [&](int32_t first, int32_t last) {
            Band& band = bands[(first - y) / rowsPerBand];
            band.firstRow = first;
            band.endRow = last;
            measureBand(band);
        });
        const int32_t bandCount = (end - y + rowsPerBand - 1) / rowsPerBand;
        size_t offsets[maxWorkerCount + 1] = {};
        for (int32_t b = 0; b < bandCount; ++b) {
            offsets[b + 1] = offsets[b] + bands[b].bytes;
        }
        uint8_t* const out = sink.space(sink.context, offsets[bandCount], error);
        if (out == nullptr) {
            return false;
        }
        forEachRowChunk(y, end, rowsPerBand, [&](int32_t first, int32_t) {
            const int32_t b = (first - y) / rowsPerBand;
            writeBand(out + offsets[b], bands[b]);
        });
        if (!sink.filled(sink.context, offsets[bandCount], error)) {
            return false;
        }
    }
    return true;
}

}  // namespace qormap
