#include "world/structures.h"

#include <algorithm>
#include <cstdlib>

#include "random/random.h"
#include "support/growable_array.h"

PillarList pillarList = nullptr;

namespace {

// Ends of the first halves still to be drawn, innermost last. An anchor at a
// connector's start can split hundreds of times in a row; on this stack that
// costs memory, not call depth.
ConnectorPoint* pendingEnds = nullptr;

bool areClose(const ConnectorPoint& a, const ConnectorPoint& b) {
    return std::abs(a.x - b.x) < closeDistance && std::abs(a.y - b.y) < closeDistance;
}

// Along x at the start's y and height, up or down at the turn, then along y.
void drawXFirstPath(const ConnectorPoint& a, const ConnectorPoint& b) {
    fillBox(a.x, b.x, a.y, a.y, a.z, a.z, connectorColor);
    fillBoxSortedZ(b.x, b.x, a.y, a.y, a.z, b.z, connectorColor);
    fillBox(b.x, b.x, a.y, b.y, b.z, b.z, connectorColor);
}

void drawYFirstPath(const ConnectorPoint& a, const ConnectorPoint& b) {
    fillBox(a.x, a.x, a.y, b.y, a.z, a.z, connectorColor);
    fillBoxSortedZ(a.x, a.x, b.y, b.y, a.z, b.z, connectorColor);
    fillBox(a.x, b.x, b.y, b.y, b.z, b.z, connectorColor);
}

}  // namespace

void clearPillars() {
    arrayFree(pillarList);
}

bool placePillars(int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = randomRange(pillarMinX, pillarMaxX);
        const int32_t y = randomRange(pillarMinY, pillarMaxY);
        const uint32_t red = static_cast<uint32_t>(randomRange(pillarChannelMin, pillarChannelMax));
        const uint32_t green =
            static_cast<uint32_t>(randomRange(pillarChannelMin, pillarChannelMax));
        const uint32_t blue =
            static_cast<uint32_t>(randomRange(pillarChannelMin, pillarChannelMax));
        const VoxelColor fill = opaqueColorBits | red << 16 | green << 8 | blue;
        fillBox(x, x + 1, y, y + 1, 0, pillarTopZ, fill);
        if (!arrayPush(pillarList, PillarPoint{x, y})) {
            return false;
        }
    }
    return true;
}

bool placeConnectors(int32_t count) {
    if (!arrayPush(pillarList, firstAnchor) || !arrayPush(pillarList, secondAnchor)) {
        return false;
    }
    const int32_t last = arrayLength(pillarList) - 1;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t a = randomRange(0, last);
        const int32_t b = randomRange(0, last);
        if (a == b) {
            continue;
        }
        const int32_t h1 = randomRange(connectorMinZ, connectorMaxZ);
        const int32_t h2 = randomRange(connectorMinZ, connectorMaxZ);
        // The start takes the second height and the end the first.
        const PillarPoint from = pillarList[a];
        const PillarPoint to = pillarList[b];
        if (!drawConnector(from.x, from.y, h2, to.x, to.y, h1)) {
            return false;
        }
    }
    return true;
}

bool drawConnector(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1) {
    // Each pass works from `start` toward the innermost pending end: a path
    // finishes that end and the next pass starts from it; a split pushes its
    // midpoint as the new innermost end. This is the depth-first order of
    // drawing each first half completely before its second half.
    arraySetLength(pendingEnds, 0);
    if (!arrayPush(pendingEnds, ConnectorPoint{x1, y1, z1})) {
        return false;
    }
    ConnectorPoint start{x0, y0, z0};
    while (arrayLength(pendingEnds) > 0) {
        const ConnectorPoint end = pendingEnds[arrayLength(pendingEnds) - 1];
        int32_t choice = randomRange(0, pathChoiceMax);
        if (areClose(start, end)) {
            choice &= 1;
        }
        if (choice <= 1) {
            if (choice == 0) {
                drawXFirstPath(start, end);
            } else {
                drawYFirstPath(start, end);
            }
            start = end;
            arraySetLength(pendingEnds, arrayLength(pendingEnds) - 1);
            continue;
        }
        if (!arrayPush(pendingEnds, connectorMidpoint(start, end))) {
            return false;
        }
    }
    return true;
}

ConnectorPoint connectorMidpoint(ConnectorPoint from, ConnectorPoint to) {
    // Separate statements fix the draw order: x, then y, then z.
    ConnectorPoint mid{};
    mid.x = (from.x + to.x) / 2 + randomRange(-midpointJitter, midpointJitter);
    mid.y = (from.y + to.y) / 2 + randomRange(-midpointJitter, midpointJitter);
    mid.z = (from.z + to.z) / 2 + randomRange(-midpointJitter, midpointJitter);
    return {std::clamp(mid.x, midpointMin.x, midpointMax.x),
            std::clamp(mid.y, midpointMin.y, midpointMax.y),
            std::clamp(mid.z, midpointMin.z, midpointMax.z)};
}

void fillBoxSortedZ(int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t z0, int32_t z1,
                    VoxelColor fill) {
    fillBox(x0, x1, y0, y1, std::min(z0, z1), std::max(z0, z1), fill);
}
