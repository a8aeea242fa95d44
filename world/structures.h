// Pillars and jungle-gym connectors: posts of random muted colours in the
// middle of the map, and one-voxel beams that wander in right-angled steps
// between them and two anchors near the map's y edges. Every random decision
// is drawn in a fixed order, so the seed alone fixes the structures.
#pragma once

#include <cstdint>

#include "world/world.h"

namespace qormap {

struct PillarPoint {
    int32_t x;
    int32_t y;
};

// Growable array of pillar corners (smaller x and y), then the two anchors.
using PillarList = PillarPoint*;

// A connector end or midpoint.
struct ConnectorPoint {
    int32_t x;
    int32_t y;
    int32_t z;
};

constexpr int32_t pillarMinX = 128;
constexpr int32_t pillarMaxX = 353;
constexpr int32_t pillarMinY = 80;
constexpr int32_t pillarMaxY = 431;
constexpr int32_t pillarTopZ = 50;
constexpr int32_t pillarChannelMin = 100;
constexpr int32_t pillarChannelMax = 150;
constexpr PillarPoint firstAnchor{256, 32};
constexpr PillarPoint secondAnchor{256, 479};
constexpr int32_t connectorMinZ = 6;
constexpr int32_t connectorMaxZ = 50;
constexpr VoxelColor connectorColor = 0x80808080u;
constexpr int32_t closeDistance = 10;   // ends nearer than this in x and in y take one path
constexpr int32_t pathChoiceMax = 127;  // 0: x first, 1: y first, more: split
constexpr int32_t midpointJitter = 4;
constexpr ConnectorPoint midpointMin{120, 60, 7};
constexpr ConnectorPoint midpointMax{392, 451, 55};

extern PillarList pillarList;

// Empties the pillar list, so that a run starts from none.
void clearPillars();

// Places `count` pillars (none when count <= 0), five draws each, and appends
// their corners. Returns false when the list cannot grow.
[[nodiscard]] bool placePillars(int32_t count);

// Appends the two anchors, then makes `count` connector attempts between
// random list entries. Returns false when storage cannot grow.
[[nodiscard]] bool placeConnectors(int32_t count);

// Draws one connector from (x0, y0, z0) to (x1, y1, z1): a path draw each
// pass, and a jittered split (three more draws) with its first half drawn
// completely before the second. Returns false when storage cannot grow.
[[nodiscard]] bool drawConnector(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1,
                                 int32_t z1);

// The jittered, clamped midpoint of a split: three draws, x then y then z.
ConnectorPoint connectorMidpoint(ConnectorPoint from, ConnectorPoint to);

// fillBox with the z pair put in ascending order first.
void fillBoxSortedZ(int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t z0, int32_t z1,
                    VoxelColor fill);

}  // namespace qormap
