// The exposed faces of a map, for a 3D view: one record per face of a solid
// voxel that touches air, drawn by the page as an instanced unit square.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "reading/decoder.h"

// Which side of its voxel a face is on; x and y as in the map, up towards the sky.
enum class FaceSide : uint8_t { plusX, minusX, up, down, plusY, minusY };

// 12 bytes, laid out as the page's vertex attributes read them.
struct FaceRecord {
    uint16_t x, y;
    uint8_t height;  // above the bottom layer, 0 to 63
    FaceSide side;
    uint8_t unused[2];
    uint8_t red, green, blue, alpha;
};
static_assert(sizeof(FaceRecord) == 12, "the page reads records 12 bytes apart");

// The faces of a map's solid voxels that touch air or the map's edge (the
// bottom layer's underside excepted), in the voxel's stored colour (the cut
// colour where none is stored). Returns how many the map has and stores them
// in `faces` when they are at most `limit`, else leaves it empty; -1 with
// `error` set on an invalid map. Throws std::bad_alloc when memory runs out.
int64_t buildFaces(const uint8_t* data, size_t size, int64_t limit, std::vector<FaceRecord>& faces,
                   qormap::VxlDecodeError& error);
