// Column records built by hand, and the worked example columns that both the
// writer and the decoder are held to.
#pragma once

#include <cstdint>
#include <vector>

#include "world/world.h"

using Bytes = std::vector<uint8_t>;

// A colour of its own for every z, so that a voxel or a colour one place off
// shows.
qormap::VoxelColor colorForZ(int32_t z);

// Fills z0..z1 of column (x, y), each voxel coloured colorForZ(z).
void fillColumnByZ(int32_t x, int32_t y, int32_t z0, int32_t z1);

// One span of a record: its header bytes and the z of each stored colour, in
// file order.
struct Span {
    uint8_t length, topStart, topEnd, airStart;
    std::vector<int32_t> colorZ;
};

// The spans one after another, each colour written as colorForZ of its z.
Bytes spanBytes(const std::vector<Span>& spans);

// first, first + 1, ..., last.
std::vector<int32_t> zRange(int32_t first, int32_t last);

// The mask with the bits of z = first..last set.
uint64_t zBits(int32_t first, int32_t last);

// Air from z0 to z1 in the column at offset (dx, dy) from the example's.
struct Carve {
    int32_t dx, dy, z0, z1;
};

struct WorkedColumn {
    const char* name;  // the column from the top: air, exposed and hidden runs
    std::vector<Carve> carves;
    std::vector<Span> spans;  // its record
    uint64_t solid, exposed;  // its voxels, bit z for z
};

// The five worked example columns, each standing in ground from z = 10 down.
const std::vector<WorkedColumn>& workedColumns();

// Builds `column` at (x, y) in file orientation (z = 0 at the top): the middle
// of a 3 x 3 patch of ground from z = 10 down, coloured by z, then carved. The
// ground around it keeps its voxels hidden unless a carve exposes them.
void placeWorkedColumn(int32_t x, int32_t y, const WorkedColumn& column);
