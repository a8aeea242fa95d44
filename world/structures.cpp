#include "world/structures.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

#include "random/random.h"
#include "support/growable_array.h"
#include "support/row_jobs.h"

namespace qormap {

PillarList pillarList = nullptr;

namespace {

// Ends of the first halves still to be drawn, innermost last. An anchor at a
// connector's start can split hundreds of times in a row; on this stack that
// costs memory, not call depth.
ConnectorPoint* pendingEnds = nullptr;

bool areClose(const ConnectorPoint& a, const ConnectorPoint& b) {
    return std::abs(a.x - b.x) < closeDistance && std::abs(a.y - b.y) < closeDistance;
}

// Connectors only ever make voxels solid and grey, and nothing reads the
// world while they are drawn, so what they cover is a set: one bit per height
// in each column of a box that holds every end and midpoint of the call. The
// beams cross and retrace each other many times over, and marking bits in a
// block that stays in cache costs a fraction of writing colours all over the
// world; the set is then written to the world once, in memory order.
struct ConnectorCanvas {
    int32_t minX;
    int32_t minY;
    int32_t sizeX;
    int32_t sizeY;
    uint64_t* columns;  // [x - minX][y - minY], bit z for height z
};

ConnectorCanvas canvas{};

struct ColumnBox {
    int32_t minX, maxX, minY, maxY;
};

// Every midpoint is clamped into this box, so it holds all of them.
constexpr ColumnBox midpointBox{midpointMin.x, midpointMax.x, midpointMin.y, midpointMax.y};

void includeColumn(ColumnBox& box, int32_t x, int32_t y) {
    box = {std::min(box.minX, x), std::max(box.maxX, x), std::min(box.minY, y),
           std::max(box.maxY, y)};
}

// A path runs between its two ends and never leaves their bounding box, so a
// canvas over the ends and the midpoint box holds every voxel drawn.
[[nodiscard]] bool openCanvas(const ColumnBox& box) {
    canvas = {box.minX, box.minY, box.maxX - box.minX + 1, box.maxY - box.minY + 1, nullptr};
    const size_t columns = static_cast<size_t>(canvas.sizeX) * static_cast<size_t>(canvas.sizeY);
    canvas.columns = new (std::nothrow) uint64_t[columns]();
    return canvas.columns != nullptr;
}

void closeCanvas() {
    delete[] canvas.columns;
    canvas = {};
}

uint64_t* canvasColumn(int32_t x, int32_t y) {
    return canvas.columns + static_cast<ptrdiff_t>(x - canvas.minX) * canvas.sizeY +
           (y - canvas.minY);
}

// Height z of `count` columns from `column` on, `stride` canvas columns apart.
void markRun(uint64_t* column, ptrdiff_t stride, int32_t count, int32_t z) {
    const uint64_t height = uint64_t{1} << z;
    for (; count > 0; --count, column += stride) {
        *column |= height;
    }
}

// Height z of the columns from x0 to x1 (either order) in row y.
void markAlongX(int32_t x0, int32_t x1, int32_t y, int32_t z) {
    markRun(canvasColumn(std::min(x0, x1), y), canvas.sizeY, std::abs(x1 - x0) + 1, z);
}

// Height z of the columns from y0 to y1 (either order) in row x.
void markAlongY(int32_t x, int32_t y0, int32_t y1, int32_t z) {
    markRun(canvasColumn(x, std::min(y0, y1)), 1, std::abs(y1 - y0) + 1, z);
}

// Heights z0 to z1 (either order) of column (x, y).
void markUpright(int32_t x, int32_t y, int32_t z0, int32_t z1) {
    const int32_t low = std::min(z0, z1);
    const int32_t high = std::max(z0, z1);
    *canvasColumn(x, y) |= (~uint64_t{0} >> (worldSizeZ - 1 - high)) & (~uint64_t{0} << low);
}

// The same voxels fillColumnSpan would have filled, each written once.
void paintCanvas() {
    forEachRowChunk(0, canvas.sizeX, rowsPerChunk, [](int32_t firstRow, int32_t endRow) {
        for (int32_t i = firstRow; i < endRow; ++i) {
            const uint64_t* row = canvas.columns + static_cast<ptrdiff_t>(i) * canvas.sizeY;
            for (int32_t j = 0; j < canvas.sizeY; ++j) {
                const int32_t column = voxelIndex(canvas.minX + i, canvas.minY + j, 0);
                for (uint64_t heights = row[j]; heights != 0; heights &= heights - 1) {
                    const int32_t voxel = column + __builtin_ctzll(heights);
                    color[voxel] = connectorColor;
                    solid[voxel] = 1;
                }
            }
        }
    });
}

// One three-piece path, from its start's corner to its end's.
struct ConnectorPath {
    ConnectorPoint from;
    ConnectorPoint to;
    bool xFirst;
};

// Paths traced and not yet marked, in two batches: one is marked while the
// next is traced into the other. A batch ends with the attempt that fills it.
ConnectorPath* pathBatches[2] = {nullptr, nullptr};
constexpr int32_t pathsPerBatch = 4096;

// Along x at the start's y and height, up or down at the turn, then along y;
// or along y first, then up or down, then along x.
void markPath(const ConnectorPath& path) {
    const ConnectorPoint& a = path.from;
    const ConnectorPoint& b = path.to;
    if (path.xFirst) {
        markAlongX(a.x, b.x, a.y, a.z);
        markUpright(b.x, a.y, a.z, b.z);
        markAlongY(b.x, a.y, b.y, b.z);
    } else {
        markAlongY(a.x, a.y, b.y, a.z);
        markUpright(a.x, b.y, a.z, b.z);
        markAlongX(a.x, b.x, b.y, b.z);
    }
}

void markPaths(const ConnectorPath* paths) {
    const int32_t count = arrayLength(paths);
    for (int32_t i = 0; i < count; ++i) {
        markPath(paths[i]);
    }
}

// Appends one connector's paths to `paths`, making every draw drawConnector
// makes, in the same order.
[[nodiscard]] bool traceConnector(const ConnectorPoint& from, const ConnectorPoint& to,
                                  ConnectorPath*& paths) {
    // Each pass works from `start` toward the innermost pending end: a path
    // finishes that end and the next pass starts from it; a split pushes its
    // midpoint as the new innermost end. This is the depth-first order of
    // drawing each first half completely before its second half.
    // The stack's height lives here; the array's length is only the most it
    // has held, so that a push calls into the array only to grow it.
    int32_t pending = 0;
    const auto push = [&pending](const ConnectorPoint& end) {
        if (pending == arrayLength(pendingEnds)) {
            if (!arrayPush(pendingEnds, end)) {
                return false;
            }
        } else {
            pendingEnds[pending] = end;
        }
        ++pending;
        return true;
    };
    if (!push(to)) {
        return false;
    }
    ConnectorPoint start = from;
    while (pending > 0) {
        const ConnectorPoint end = pendingEnds[pending - 1];
        int32_t choice = randomRange(0, pathChoiceMax);
        if (areClose(start, end)) {
            choice &= 1;
        }
        if (choice <= 1) {
            if (!arrayPush(paths, ConnectorPath{start, end, choice == 0})) {
                return false;
            }
            start = end;
            --pending;
            continue;
        }
        if (!push(connectorMidpoint(start, end))) {
            return false;
        }
    }
    return true;
}

// Connector attempts between entries 0..last of the pillar list, `next` the
// first not yet traced.
struct ConnectorAttempts {
    int32_t next;
    int32_t count;
    int32_t last;
};

// Empties `paths`, then traces whole attempts into it until it holds a batch
// or the attempts run out.
[[nodiscard]] bool traceAttempts(ConnectorAttempts& attempts, ConnectorPath*& paths) {
    arraySetLength(paths, 0);
    while (attempts.next < attempts.count && arrayLength(paths) < pathsPerBatch) {
        ++attempts.next;
        const int32_t a = randomRange(0, attempts.last);
        const int32_t b = randomRange(0, attempts.last);
        if (a == b) {
            continue;
        }
        const int32_t h1 = randomRange(connectorMinZ, connectorMaxZ);
        const int32_t h2 = randomRange(connectorMinZ, connectorMaxZ);
        // The start takes the second height and the end the first.
        const PillarPoint from = pillarList[a];
        const PillarPoint to = pillarList[b];
        if (!traceConnector({from.x, from.y, h2}, {to.x, to.y, h1}, paths)) {
            return false;
        }
    }
    return true;
}

// Releases the canvas and the path batches once a drawing is done or failed.
void closeDrawing() {
    closeCanvas();
    arrayFree(pathBatches[0]);
    arrayFree(pathBatches[1]);
}

}  // namespace

void clearPillars() {
    arrayFree(pillarList);
}

// Each pillar lands anywhere in the valley, so filling one misses the cache
// at every column: the draws come first, in their order, and then every
// thread fills the pillars' columns in its rows of x, each column's pillars
// in the order drawn, which leaves the colour of the last one drawn on top.
bool placePillars(int32_t count) {
    const int32_t first = arrayLength(pillarList);
    VoxelColor* fills = nullptr;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = randomRange(pillarMinX, pillarMaxX);
        const int32_t y = randomRange(pillarMinY, pillarMaxY);
        const uint32_t red = static_cast<uint32_t>(randomRange(pillarChannelMin, pillarChannelMax));
        const uint32_t green =
            static_cast<uint32_t>(randomRange(pillarChannelMin, pillarChannelMax));
        const uint32_t blue =
            static_cast<uint32_t>(randomRange(pillarChannelMin, pillarChannelMax));
        const VoxelColor fill = opaqueColorBits | red << 16 | green << 8 | blue;
        if (!arrayPush(pillarList, PillarPoint{x, y}) || !arrayPush(fills, fill)) {
            arrayFree(fills);
            return false;
        }
    }
    const int32_t placed = arrayLength(fills);
    forEachRowChunk(pillarMinX, pillarMaxX + 2, rowsPerChunk,
                    [&](int32_t firstRow, int32_t endRow) {
                        for (int32_t i = 0; i < placed; ++i) {
                            const PillarPoint pillar = pillarList[first + i];
                            const int32_t x0 = std::max(pillar.x, firstRow);
                            const int32_t x1 = std::min(pillar.x + 1, endRow - 1);
                            if (x0 <= x1) {
                                fillBox(x0, x1, pillar.y, pillar.y + 1, 0, pillarTopZ, fills[i]);
                            }
                        }
                    });
    arrayFree(fills);
    return true;
}

bool placeConnectors(int32_t count) {
    if (!arrayPush(pillarList, firstAnchor) || !arrayPush(pillarList, secondAnchor)) {
        return false;
    }
    if (count <= 0) {
        return true;
    }
    ConnectorAttempts attempts{0, count, arrayLength(pillarList) - 1};
    ColumnBox box = midpointBox;
    for (int32_t i = 0; i <= attempts.last; ++i) {
        includeColumn(box, pillarList[i].x, pillarList[i].y);
    }
    if (!openCanvas(box)) {
        return false;
    }
    // Drawing a batch overlaps marking the batch before, on another thread:
    // the two share nothing but the finished batch.
    bool traced = traceAttempts(attempts, pathBatches[0]);
    for (int32_t current = 0; traced && arrayLength(pathBatches[current]) > 0; current ^= 1) {
        const ConnectorPath* const marked = pathBatches[current];
        ConnectorPath*& next = pathBatches[current ^ 1];
        forEachRowChunk(0, 2, 1, [&](int32_t task, int32_t) {
            if (task == 0) {
                traced = traceAttempts(attempts, next);
            } else {
                markPaths(marked);
            }
        });
    }
    if (traced) {
        paintCanvas();
    }
    closeDrawing();
    return traced;
}

bool drawConnector(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1) {
    ColumnBox box = midpointBox;
    includeColumn(box, x0, y0);
    includeColumn(box, x1, y1);
    if (!openCanvas(box)) {
        return false;
    }
    arraySetLength(pathBatches[0], 0);
    const bool traced = traceConnector({x0, y0, z0}, {x1, y1, z1}, pathBatches[0]);
    if (traced) {
        markPaths(pathBatches[0]);
        paintCanvas();
    }
    closeDrawing();
    return traced;
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

}  // namespace qormap
