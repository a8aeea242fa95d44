#include "reading/mesh.h"

#include <bit>

#include "reading/render.h"

using namespace qormap;

namespace {

// Solid masks of neighbouring columns, or none past the map's edge, where
// the cut shows.
uint64_t solidAt(const std::vector<uint64_t>& solid, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= worldSizeX || y >= worldSizeY) {
        return 0;
    }
    return solid[static_cast<size_t>(columnIndex(x, y))];
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

bool buildFaces(const uint8_t* data, size_t size, std::vector<FaceRecord>& faces,
                VxlDecodeError& error) {
    // A first walk for every column's solid voxels, so that a column's faces
    // can be judged against its neighbours in the second.
    std::vector<uint64_t> solid(static_cast<size_t>(columnCount));
    if (!forEachVxlColumn(data, size, error, [&](int32_t x, int32_t y, const VxlColumn& column) {
            solid[static_cast<size_t>(columnIndex(x, y))] = column.solidMask;
        })) {
        return false;
    }
    faces.clear();
    constexpr uint64_t bottomLayer = uint64_t{1} << vxlBottomZ;
    return forEachVxlColumn(data, size, error, [&](int32_t x, int32_t y, const VxlColumn& column) {
        const uint64_t own = column.solidMask;
        // z grows downwards in the file: the voxel above z is z - 1.
        addFaces(faces, x, y, column, own & ~(own << 1), FaceSide::up);
        addFaces(faces, x, y, column, own & ~(own >> 1) & ~bottomLayer, FaceSide::down);
        addFaces(faces, x, y, column, own & ~solidAt(solid, x + 1, y), FaceSide::plusX);
        addFaces(faces, x, y, column, own & ~solidAt(solid, x - 1, y), FaceSide::minusX);
        addFaces(faces, x, y, column, own & ~solidAt(solid, x, y + 1), FaceSide::plusY);
        addFaces(faces, x, y, column, own & ~solidAt(solid, x, y - 1), FaceSide::minusY);
    });
}
