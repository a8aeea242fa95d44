// Writes the world as a VXL map: 512 x 512 column records (y outer, x inner),
// each a chain of spans that store where air and solid alternate and the
// colours of the solid voxels that touch air.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "world/world.h"

enum class VxlWriteStatus { ok, openFailed, writeFailed };

struct VxlWriteResult {
    VxlWriteStatus status;
    int error;  // errno of the failure; 0 when the status is ok
};

// Writes the world as a map to `path`, reading each column upside down (file
// z = 0 is generation z = 63) rather than flipping the world: the world is
// left as generated. A regular file is replaced only once the whole map is
// written; devices and pipes are written directly. Reports a file that cannot
// be opened (nothing is then encoded or written) and a failed write or close
// (the earlier file then stays as it was).
VxlWriteResult writeVxl(const char* path);

// Where encoded bytes go: take(context, bytes, size, error) keeps them, or
// returns false with `error` set (an errno) to stop the encoding.
struct VxlBandSink {
    bool (*take)(void* context, const uint8_t* bytes, size_t size, int& error);
    void* context;
};

// Encodes the world as generated into a map, handing the bytes to `sink` in
// file order, a band of rows at a time (on two threads, but always the same
// bytes). False with `error` set when buffers run out (ENOMEM) or the sink stops.
bool encodeVxlBands(const VxlBandSink& sink, int& error);

// The largest record one column can have: a span can start at every z, and
// every voxel can carry a colour.
constexpr size_t maxRecordBytes = (worldSizeZ + 1) * 4 + worldSizeZ * 4;

// Encodes the records of rows [firstRow, endRow) (each row y is x = 0..511)
// of the world as generated, into `out`, which holds at least maxRecordBytes
// per column; returns the number of bytes written.
size_t encodeRows(uint8_t* out, int32_t firstRow, int32_t endRow);

// Solid flags of column (x, y) as bits in file orientation: bit z is the
// voxel at generation z 63 - z.
uint64_t fileSolidMask(int32_t x, int32_t y);

// The exposed voxels of a column, from its solid mask and those of its four
// side neighbours (all ones where the neighbour lies outside the world).
uint64_t exposedMask(uint64_t column, uint64_t west, uint64_t east, uint64_t south, uint64_t north);

// The plain definitions the fast path above is checked against. They read
// the world in file orientation, which flipWorld produces.

// Reverses every column of `solid` and `color` in place, so that z = 0 is the top.
void flipWorld();

// Writes the span records of column (x, y) of the flipped world.
void encodeColumn(std::FILE* file, int32_t x, int32_t y);

// 1 when voxel (x, y, z) of the flipped world is solid and one of its face
// neighbours inside the world is air; neighbours outside the world count as solid.
int32_t isExposed(int32_t x, int32_t y, int32_t z);

// Writes `word` as four bytes, least significant first.
void writeWordLE(std::FILE* file, uint32_t word);
