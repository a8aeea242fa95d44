// Writes the world as a VXL map: 512 x 512 column records (y outer, x inner),
// each a chain of spans that store where air and solid alternate and the
// colours of the solid voxels that touch air.
#pragma once

#include <cstdint>
#include <cstdio>

enum class VxlWriteStatus { ok, openFailed, writeFailed };

struct VxlWriteResult {
    VxlWriteStatus status;
    int error;  // errno of the failure; 0 when the status is ok
};

// Flips the world into file orientation and writes the map to `path`. A
// regular file is replaced only once the whole map is written; devices and
// pipes are written directly. Reports a file that cannot be opened (nothing is
// then flipped or written) and a failed write or close (the earlier file then
// stays as it was).
VxlWriteResult writeVxl(const char* path);

// Reverses every column of `solid` and `color` in place, so that z = 0 is the top.
void flipWorld();

// Writes the span records of column (x, y) of the flipped world.
void encodeColumn(std::FILE* file, int32_t x, int32_t y);

// 1 when voxel (x, y, z) of the flipped world is solid and one of its face
// neighbours inside the world is air; neighbours outside the world count as solid.
int32_t isExposed(int32_t x, int32_t y, int32_t z);

// Writes `word` as four bytes, least significant first.
void writeWordLE(std::FILE* file, uint32_t word);
