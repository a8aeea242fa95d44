#include "reading/decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qormap {

namespace {

constexpr size_t spanHeaderSize = 4;
constexpr size_t colorSize = 4;

// Offsets of the header fields inside a span.
constexpr size_t lengthField = 0;
constexpr size_t topStartField = 1;
constexpr size_t topEndField = 2;
constexpr size_t airStartField = 3;

uint32_t readWordLE(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Bits first..last (inclusive) set; none when last < first.
uint64_t zBits(int32_t first, int32_t last) {
    if (last < first) {
        return 0;
    }
    const uint64_t upToLast = last == vxlBottomZ ? ~uint64_t{0} : (uint64_t{1} << (last + 1)) - 1;
    return upToLast & ~((uint64_t{1} << first) - 1);
}

void storeColors(VxlColumn& column, const uint8_t* bytes, int32_t firstZ, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        column.colors[firstZ + i] = readWordLE(bytes + static_cast<size_t>(i) * colorSize);
    }
    column.colorMask |= zBits(firstZ, firstZ + count - 1);
}

bool fail(VxlDecodeError& error, VxlFault fault, const VxlCursor& cursor, size_t offset,
          int32_t value, int32_t limit) {
    error = {fault, offset, cursor.column % worldSizeX, cursor.column / worldSizeX, value, limit};
    return false;
}

}  // namespace

int32_t surfaceHeight(const VxlColumn& column) {
    if (column.solidMask == 0) {
        return -1;
    }
    return vxlBottomZ - std::countr_zero(column.solidMask);
}

VxlCursor startVxl(const uint8_t* data, size_t size) {
    return {data, size, 0, 0};
}

bool decodeVxlColumn(VxlCursor& cursor, VxlColumn& column, VxlDecodeError& error) {
    column.solidMask = 0;
    column.colorMask = 0;
    std::memset(column.colors, 0, sizeof column.colors);
    column.spanCount = 0;

    // A file that ends between columns is short of columns, not of a header.
    if (cursor.offset == cursor.size) {
        return fail(error, VxlFault::missingColumns, cursor, cursor.offset, cursor.column,
                    columnCount);
    }
    size_t offset = cursor.offset;
    // The previous span's bottom colours sit directly above this span's air
    // start, so they can only be placed once that start is known.
    const uint8_t* pendingBottom = nullptr;
    int32_t pendingBottomCount = 0;
    int32_t hiddenFrom = 0;  // first z below the previous span's top run
    int32_t nextAirMin = 0;  // smallest air start the next span may have
    for (;;) {
        if (cursor.size - offset < spanHeaderSize) {
            return fail(error, VxlFault::truncatedHeader, cursor, offset,
                        static_cast<int32_t>(cursor.size - offset),
                        static_cast<int32_t>(spanHeaderSize));
        }
        const uint8_t* header = cursor.data + offset;
        const int32_t length = header[lengthField];
        const int32_t topStart = header[topStartField];
        int32_t topEnd = header[topEndField];
        // An empty top run at the very top ends at z = -1, which the header
        // holds as its low 8 bits.
        if (topStart == 0 && topEnd == 0xFF) {
            topEnd = -1;
        }
        const int32_t airStart = header[airStartField];

        if (topStart > worldSizeZ) {
            return fail(error, VxlFault::topStartOutOfRange, cursor, offset + topStartField,
                        topStart, worldSizeZ);
        }
        if (topEnd > vxlBottomZ) {
            return fail(error, VxlFault::topEndOutOfRange, cursor, offset + topEndField, topEnd,
                        vxlBottomZ);
        }
        if (airStart > worldSizeZ) {
            return fail(error, VxlFault::airStartOutOfRange, cursor, offset + airStartField,
                        airStart, worldSizeZ);
        }
        if (column.spanCount == 0 && airStart != 0) {
            return fail(error, VxlFault::firstAirStartNotZero, cursor, offset + airStartField,
                        airStart, 0);
        }
        if (column.spanCount > 0 && airStart < nextAirMin) {
            return fail(error, VxlFault::airStartOverlaps, cursor, offset + airStartField, airStart,
                        nextAirMin);
        }
        if (airStart > topStart) {
            return fail(error, VxlFault::airStartBelowTop, cursor, offset + airStartField, airStart,
                        topStart);
        }
        if (topEnd < topStart - 1) {
            return fail(error, VxlFault::topEndBeforeStart, cursor, offset + topEndField, topEnd,
                        topStart);
        }
        const int32_t topCount = topEnd - topStart + 1;
        const size_t topBytes = spanHeaderSize + static_cast<size_t>(topCount) * colorSize;

        if (length == 0) {
            if (cursor.size - offset < topBytes) {
                return fail(error, VxlFault::truncatedColors, cursor, offset,
                            static_cast<int32_t>(cursor.size - offset),
                            static_cast<int32_t>(topBytes));
            }
        } else {
            if (length < 1 + topCount) {
                return fail(error, VxlFault::lengthTooShort, cursor, offset + lengthField, length,
                            1 + topCount);
            }
            if (cursor.size - offset < static_cast<size_t>(length) * colorSize) {
                return fail(error, VxlFault::lengthPastEnd, cursor, offset + lengthField, length,
                            static_cast<int32_t>((cursor.size - offset) / colorSize));
            }
        }

        // The span is sound: settle the previous one's hidden voxels and bottom
        // colours, then this span's top run.
        if (column.spanCount > 0) {
            column.solidMask |= zBits(hiddenFrom, airStart - 1);
            storeColors(column, pendingBottom, airStart - pendingBottomCount, pendingBottomCount);
        }
        column.solidMask |= zBits(topStart, topEnd);
        storeColors(column, header + spanHeaderSize, topStart, topCount);
        ++column.spanCount;

        if (length == 0) {
            column.solidMask |= zBits(topEnd + 1, vxlBottomZ);
            cursor.offset = offset + topBytes;
            ++cursor.column;
            return true;
        }
        pendingBottom = header + topBytes;
        pendingBottomCount = length - 1 - topCount;
        hiddenFrom = topEnd + 1;
        nextAirMin = std::max(hiddenFrom + pendingBottomCount, airStart + 1);
        offset += static_cast<size_t>(length) * colorSize;
    }
}

bool finishVxl(const VxlCursor& cursor, VxlDecodeError& error) {
    if (cursor.column < columnCount) {
        return fail(error, VxlFault::missingColumns, cursor, cursor.offset, cursor.column,
                    columnCount);
    }
    if (cursor.offset != cursor.size) {
        error = {VxlFault::trailingBytes,
                 cursor.offset,
                 worldSizeX - 1,
                 worldSizeY - 1,
                 static_cast<int32_t>(std::min<size_t>(cursor.size - cursor.offset, INT32_MAX)),
                 0};
        return false;
    }
    return true;
}

VxlWalk startVxlWalk(const uint8_t* data, size_t size) {
    VxlWalk walk;
    walk.cursor = startVxl(data, size);
    walk.x = -1;
    walk.y = -1;
    return walk;
}

bool nextVxlColumn(VxlWalk& walk, VxlDecodeError& error) {
    if (walk.cursor.column == columnCount) {
        if (finishVxl(walk.cursor, error)) {
            error = {VxlFault::none, walk.cursor.offset, worldSizeX - 1, worldSizeY - 1, 0, 0};
        }
        return false;
    }
    walk.x = walk.cursor.column % worldSizeX;
    walk.y = walk.cursor.column / worldSizeX;
    return decodeVxlColumn(walk.cursor, walk.column, error);
}

bool checkVxl(const uint8_t* data, size_t size, VxlDecodeError& error, int64_t* spanCount) {
    int64_t spans = 0;
    const bool sound =
        forEachVxlColumn(data, size, error, [&spans](int32_t, int32_t, const VxlColumn& column) {
            spans += column.spanCount;
        });
    if (sound && spanCount != nullptr) {
        *spanCount = spans;
    }
    return sound;
}

bool decodeVxlVoxels(const uint8_t* data, size_t size, uint8_t* solid, VoxelColor* colors,
                     VxlDecodeError& error) {
    return forEachVxlColumn(data, size, error, [&](int32_t x, int32_t y, const VxlColumn& column) {
        const int32_t base = voxelIndex(x, y, 0);
        for (int32_t z = 0; z < worldSizeZ; ++z) {
            solid[base + z] = static_cast<uint8_t>((column.solidMask >> z) & 1);
            colors[base + z] = column.colors[z];
        }
    });
}

std::string describeVxlError(const VxlDecodeError& e) {
    const std::string where = "byte " + std::to_string(e.offset) + ", column (" +
                              std::to_string(e.x) + ", " + std::to_string(e.y) + "): ";
    const std::string value = std::to_string(e.value);
    const std::string limit = std::to_string(e.limit);
    switch (e.fault) {
    case VxlFault::none:
        return where + "no fault";
    case VxlFault::truncatedHeader:
        return where + "the file ends inside a span header (" + value + " of 4 bytes)";
    case VxlFault::truncatedColors:
        return where + "the file ends inside the column's last span (" + value + " of " + limit +
               " bytes)";
    case VxlFault::missingColumns:
        return where + "the file ends after " + value + " of " + limit + " columns";
    case VxlFault::trailingBytes:
        return where + value + " bytes follow the last column";
    case VxlFault::topStartOutOfRange:
        return where + "top start " + value + " is out of range (0 to " + limit + ")";
    case VxlFault::topEndOutOfRange:
        return where + "top end " + value + " is out of range (0 to " + limit + ")";
    case VxlFault::airStartOutOfRange:
        return where + "air start " + value + " is out of range (0 to " + limit + ")";
    case VxlFault::firstAirStartNotZero:
        return where + "the column's first span has air start " + value + ", not 0";
    case VxlFault::airStartOverlaps:
        return where + "air start " + value + " lies inside the previous span (it must be " +
               limit + " or more)";
    case VxlFault::airStartBelowTop:
        return where + "air start " + value + " lies below top start " + limit;
    case VxlFault::topEndBeforeStart:
        return where + "top end " + value + " lies above top start " + limit + " by more than one";
    case VxlFault::lengthTooShort:
        return where + "span length " + value + " ends inside its own top colours (at least " +
               limit + " needed)";
    case VxlFault::lengthPastEnd:
        return where + "span length " + value + " points past the end of the file (" + limit +
               " units left)";
    }
    return where + "unknown fault";
}

}  // namespace qormap
