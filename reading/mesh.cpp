#include "reading/mesh.h"

#include <bit>
#include <iterator>

#include "reading/render.h"

using namespace qormap;

namespace {

constexpr uint64_t bottomLayer = uint64_t{1} << vxlBottomZ;

// Solid masks of neighbouring columns, or none past the map's edge, where
// the cut shows.
uint64_t solidAt(const std::vector<uint64_t>& solid, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= worldSizeX || y >= worldSizeY) {
        return 0;
    }
    return solid[static_cast<size_t>(columnIndex(x, y))];
}

// The column's voxels with a face on each side, in the order their faces are stored.
constexpr FaceSide sides[] = {FaceSide::up,     FaceSide::down,  FaceSide::plusX,
                              FaceSide::minusX, FaceSide::plusY, FaceSide::minusY};
struct Exposed {
    uint64_t bySide[6];
};

Exposed exposedVoxels(const std::vector<uint64_t>& solid, int32_t x, int32_t y) {
    const uint64_t own = solidAt(solid, x, y);
    // z grows downwards in the file: the voxel above z is z - 1.
    return {{own & ~(own << 1), own & ~(own >> 1) & ~bottomLayer, own & ~solidAt(solid, x + 1, y),
             own & ~solidAt(solid, x - 1, y), own & ~solidAt(solid, x, y + 1),
             own & ~solidAt(solid, x, y - 1)}};
}

void addFaces(std::vector<FaceRecord>& faces, int32_t x, int32_t y, const VxlColumn& column,
              uint64_t exposed, FaceSide side) {
    for (uint64_t bits = exposed; bits != 0; bits &= bits - 1) {
        const int32_t z = std::countr_zero(bits);
        const VoxelColor stored = column.colors[z];
        const VoxelColor color = stored != 0 ? stored : cutColor;
        faces.push_back({static_cast<uint16_t>(x),
                         static_cast<uint16_t>(y),
                         static_cast<uint8_t>(vxlBottomZ - z),
                         side,
                         {0, 0},
                         static_cast<uint8_t>(color >> 16),
                         static_cast<uint8_t>(color >> 8),
                         static_cast<uint8_t>(color),
                         0xFF});
    }
}

}  // namespace

int64_t buildFaces(const uint8_t* data, size_t size, int64_t limit, std::vector<FaceRecord>& faces,
                   VxlDecodeError& error) {
    faces.clear();
    // A first walk for every column's solid voxels, so that a column's faces
    // can be judged against its neighbours, and counted before any is stored:
    // a map of millions of faces must not take the memory first.
    std::vector<uint64_t> solid(static_cast<size_t>(columnCount));
    if (!forEachVxlColumn(data, size, error, [&](int32_t x, int32_t y, const VxlColumn& column) {
            solid[static_cast<size_t>(columnIndex(x, y))] = column.solidMask;
        })) {
        return -1;
    }
    int64_t count = 0;
    for (int32_t y = 0; y < worldSizeY; ++y) {
        for (int32_t x = 0; x < worldSizeX; ++x) {
            for (const uint64_t voxels : exposedVoxels(solid, x, y).bySide) {
                count += std::popcount(voxels);
            }
        }
    }
    if (count > limit) {
        return count;
    }
    faces.reserve(static_cast<size_t>(count));
    forEachVxlColumn(data, size, error, [&](int32_t x, int32_t y, const VxlColumn& column) {
        const Exposed exposed = exposedVoxels(solid, x, y);
        for (size_t i = 0; i < std::size(sides); ++i) {
            addFaces(faces, x, y, column, exposed.bySide[i], sides[i]);
        }
    });
    return count;
}
