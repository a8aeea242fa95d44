#include "reading/mesh.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "qormap/qormap.h"

using namespace qormap;

namespace {

struct FaceCounts {
    std::array<int64_t, 6> bySide{};
};

FaceCounts countFaces(const qormap_options& options, unsigned char*& map, size_t& size) {
    FaceCounts counts;
    EXPECT_EQ(qormap_generate(&options, &map, &size), QORMAP_OK);
    std::vector<FaceRecord> faces;
    VxlDecodeError error{};
    EXPECT_GE(buildFaces(map, size, INT64_MAX, faces, error), 0) << describeVxlError(error);
    for (const FaceRecord& face : faces) {
        ++counts.bySide[static_cast<size_t>(face.side)];
    }
    return counts;
}

int64_t sideCount(const FaceCounts& counts, FaceSide side) {
    return counts.bySide[static_cast<size_t>(side)];
}

}  // namespace

// Every run of solid voxels in a column has one top face and, unless it rests
// on the bottom layer (as every column's lowest run does), one underside.
TEST(MapFaces, EachSolidRunHasATopAndAnUndersideUnlessOnTheBottom) {
    struct Case {
        const char* name;
        int32_t seed, pillars, connectors;
        bool undersides;  // overhangs: connectors' and pillars' undersides
    };
    const Case cases[] = {
        {"terrain alone", 1, 0, 0, false},
        {"default", 1, 400, 300, true},
        {"many structures", 99, 2000, 2000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qormap_options options = qormap_default_options(c.seed);
        options.pillars = c.pillars;
        options.connectors = c.connectors;
        unsigned char* map = nullptr;
        size_t size = 0;
        const FaceCounts counts = countFaces(options, map, size);
        EXPECT_EQ(sideCount(counts, FaceSide::up) - sideCount(counts, FaceSide::down), columnCount);
        EXPECT_EQ(sideCount(counts, FaceSide::down) > 0, c.undersides);
        for (FaceSide side :
             {FaceSide::plusX, FaceSide::minusX, FaceSide::plusY, FaceSide::minusY}) {
            // At least the cut faces along the map's edge on that side.
            EXPECT_GE(sideCount(counts, side), worldSizeX);
        }
        qormap_free(map);
    }
}

TEST(MapFaces, RefusesACutMap) {
    const qormap_options options = qormap_default_options(1);
    unsigned char* map = nullptr;
    size_t size = 0;
    ASSERT_EQ(qormap_generate(&options, &map, &size), QORMAP_OK);
    std::vector<FaceRecord> faces;
    VxlDecodeError error{};
    EXPECT_EQ(buildFaces(map, size / 2, INT64_MAX, faces, error), -1);
    EXPECT_NE(error.fault, VxlFault::none);
    qormap_free(map);
}

// A map over the limit is counted, not stored: the page shows it without 3D.
TEST(MapFaces, StoresNoneOverTheLimit) {
    const qormap_options options = qormap_default_options(1);
    unsigned char* map = nullptr;
    size_t size = 0;
    ASSERT_EQ(qormap_generate(&options, &map, &size), QORMAP_OK);
    std::vector<FaceRecord> faces;
    VxlDecodeError error{};
    const int64_t count = buildFaces(map, size, INT64_MAX, faces, error);
    EXPECT_EQ(static_cast<int64_t>(faces.size()), count);
    const struct {
        int64_t limit;
        size_t stored;
    } cases[] = {{count, faces.size()}, {count - 1, 0}, {0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        EXPECT_EQ(buildFaces(map, size, c.limit, faces, error), count);
        EXPECT_EQ(faces.size(), c.stored);
    }
    qormap_free(map);
}
