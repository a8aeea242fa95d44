// Reads VXL maps back: a strict decoder that walks the column records in file
// order and stops at the first byte the format does not allow, saying where
// (byte offset and column) and why. It reads only inside the bytes it is given,
// whatever they hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/grid.h"
#include "world/voxel.h"

namespace qormap {

enum class VxlFault {
    none,
    truncatedHeader,       // the file ends inside a span header
    truncatedColors,       // the file ends inside the colours of a column's last span
    missingColumns,        // the file ends between two columns, before the last one
    trailingBytes,         // bytes follow the last column
    topStartOutOfRange,    // top start above 64
    topEndOutOfRange,      // top end above 63
    airStartOutOfRange,    // air start above 64
    firstAirStartNotZero,  // a column's first span does not begin at z = 0
    airStartOverlaps,      // a span begins inside the previous span or its bottom colours
    airStartBelowTop,      // air start below top start
    topEndBeforeStart,     // top end more than one above top start
    lengthTooShort,        // the length ends inside the span's own top colours
    lengthPastEnd,         // the length points past the end of the file
};

struct VxlDecodeError {
    VxlFault fault;
    size_t offset;  // byte of the file the fault is found at
    int32_t x, y;   // column whose record holds that byte (the next column for missingColumns)
    int32_t value;  // the offending field, count or length
    int32_t limit;  // the bound it broke, or the field it is measured against
};

// One decoded column record, z in file orientation (0 is the top).
struct VxlColumn {
    uint64_t solidMask;             // bit z set when voxel z is solid
    uint64_t colorMask;             // bit z set when voxel z stores a colour
    VoxelColor colors[worldSizeZ];  // stored colours; 0 where none is stored
    int32_t spanCount;
};

// z of the bottom layer in file orientation.
constexpr int32_t vxlBottomZ = worldSizeZ - 1;

// Height of the column's topmost solid voxel above the bottom layer (0 to 63);
// -1 for a column of air.
int32_t surfaceHeight(const VxlColumn& column);

// Position of a decoder in a file held in memory.
struct VxlCursor {
    const uint8_t* data;
    size_t size;
    size_t offset;   // start of the next column record
    int32_t column;  // number of the next column record, y * 512 + x
};

// A cursor at the first column of `size` bytes at `data`.
VxlCursor startVxl(const uint8_t* data, size_t size);

// Decodes the next column record into `column` and moves past it. On a fault
// (missing columns when the file ends where the record should start), fills
// `error`, leaves the cursor where it was and returns false. The cursor must
// not be past the last column.
bool decodeVxlColumn(VxlCursor& cursor, VxlColumn& column, VxlDecodeError& error);

// True when every column was read and nothing follows; otherwise fills `error`
// (missing columns or trailing bytes).
bool finishVxl(const VxlCursor& cursor, VxlDecodeError& error);

// A walk through a whole file, column by column: the one way whole maps are read.
struct VxlWalk {
    VxlCursor cursor;
    VxlColumn column;  // the column the last step decoded
    int32_t x, y;      // and where it stands
};

// A walk before the first column of `size` bytes at `data`.
VxlWalk startVxlWalk(const uint8_t* data, size_t size);

// Decodes the next column into `walk` and returns true; after the last column
// checks that the file ends there and returns false, with `error.fault` none
// when the whole file is sound. Also false at the first fault, `error` set.
bool nextVxlColumn(VxlWalk& walk, VxlDecodeError& error);

// Calls visit(x, y, column) for each column in file order; true when the
// whole file is sound, else false with `error` set at the first fault (the
// columns before it have been visited).
template <typename Visit>
bool forEachVxlColumn(const uint8_t* data, size_t size, VxlDecodeError& error, Visit&& visit) {
    VxlWalk walk = startVxlWalk(data, size);
    while (nextVxlColumn(walk, error)) {
        visit(walk.x, walk.y, walk.column);
    }
    return error.fault == VxlFault::none;
}

// Decodes a whole file, only to validate it; on success `spanCount` holds the
// number of spans in it.
bool checkVxl(const uint8_t* data, size_t size, VxlDecodeError& error, int64_t* spanCount);

// Decodes a whole file into voxel arrays of voxelCount entries laid out by
// voxelIndex, in file orientation; hidden voxels become solid with colour 0.
// Leaves them partly filled on a fault.
bool decodeVxlVoxels(const uint8_t* data, size_t size, uint8_t* solid, VoxelColor* colors,
                     VxlDecodeError& error);

// "byte B, column (X, Y): REASON" for a fault.
std::string describeVxlError(const VxlDecodeError& error);

}  // namespace qormap
