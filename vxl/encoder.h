// Encodes the world as a VXL map: 512 x 512 column records (y outer, x inner),
// each a chain of spans that store where air and solid alternate and the
// colours of the solid voxels that touch air. Where the bytes go is the sink's
// business: a file (vxl/writer.h) or the caller's memory (vxl/memory_sink.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "world/world.h"

namespace qormap {

// Where encoded bytes go. The encoder asks space(context, size, error) for the
// place of the next `size` bytes, writes them there, then calls
// filled(context, size, error). Either returns null or false with `error` set
// (an errno) to stop the encoding.
struct VxlSink {
    uint8_t* (*space)(void* context, size_t size, int& error);
    bool (*filled)(void* context, size_t size, int& error);
    void* context;
};

// Encodes the world as generated, reading each column upside down (file z = 0
// is generation z = 63) and leaving the world as it is. The bytes reach `sink`
// in file order, a few bands of rows at a time (on several threads, but always
// the same bytes). False with `error` set when memory runs out (ENOMEM) or the
// sink stops.
bool encodeWorld(const VxlSink& sink, int& error);

// The largest record one column can have: a span can start at every z, and
// every voxel can carry a colour.
constexpr size_t maxRecordBytes = (worldSizeZ + 1) * 4 + worldSizeZ * 4;

// Encodes the records of rows [firstRow, endRow) (each row y is x = 0..511)
// into `out`, which holds at least maxRecordBytes per column; returns the
// number of bytes written.
size_t encodeRows(uint8_t* out, int32_t firstRow, int32_t endRow);

// Solid flags of column (x, y) as bits in file orientation: bit z is the
// voxel at generation z 63 - z.
uint64_t fileSolidMask(int32_t x, int32_t y);

// The exposed voxels of a column, from its solid mask and those of its four
// side neighbours (all ones where the neighbour lies outside the world).
uint64_t exposedMask(uint64_t column, uint64_t west, uint64_t east, uint64_t south, uint64_t north);

}  // namespace qormap
