#include "world/terrain.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "random/noise.h"
#include "random/random.h"
#include "support/row_jobs.h"
#include "world/coloring.h"
#include "world/world.h"

namespace qormap {

namespace {

constexpr double depthPerDraw = 64.0;
constexpr double offsetPerDraw = 256.0;

// One noise layer's lattice wrap (both axes) and the range it is remapped to.
struct NoiseLayer {
    int32_t wrap;
    float lo;
    float hi;
};

// Broad hills and a finer, signed layer on top: their sum shapes the terraces.
constexpr NoiseLayer broadLayer{8, 0.0f, 16.0f};
constexpr NoiseLayer fineLayer{16, -9.0f, 9.0f};
// Detail the colouring sees: ever finer and fainter.
constexpr NoiseLayer coarseDetail{32, 0.0f, 1.0f};
constexpr NoiseLayer mediumDetail{128, 0.0f, 0.2f};
constexpr NoiseLayer fineDetail{256, 0.0f, 1.0f / 12.0f};
constexpr float noCubic = 0.0f;
constexpr float noOffset = 0.0f;

void fillLayer(ScalarField& field, const NoiseLayer& layer, float xOff, float yOff, float z) {
    fillNoiseField(field, layer.wrap, layer.wrap, layer.lo, layer.hi, noCubic, xOff, yOff, z);
}

// Colours climb from the low height to a top height that grows with bumpiness.
constexpr int32_t colorLowHeight = 1;
constexpr double colorHighPerBumpiness = 12.0;
constexpr double colorHighBase = 6.0;

// The x term of the squared elliptic distance; constant along a row of y, and
// stored as float like the field it ends up in.
float valleyTermX(int32_t x) {
    const double ax = (x - valleyCentreX) * static_cast<double>(valleyScaleX);
    return static_cast<float>(ax * ax);
}

double rimBlendFrom(float ex, int32_t y) {
    const double by = (y - valleyCentreY) * static_cast<double>(valleyScaleY);
    const float q = static_cast<float>(((by * by + ex) - 1.0) * rimSteepness);
    return smoothClamp(q);
}

// Folds the summed noise into a triangle wave so the floor forms terraces,
// then softens each terrace edge.
double terraceHeight(float n, float bumpiness) {
    double o = std::fmod(static_cast<double>(n), terracePeriod);
    if (o < 0.0) {
        o = o + terracePeriod;
    }
    if (o > terraceFoldPoint) {
        o = terracePeriod - o;
    }
    const float r = static_cast<float>(o * terraceScale);
    const double s = smoothClamp(r);
    return ((s - r) * terraceSmoothingWeight + r) * bumpiness * terraceHeightPerBumpiness +
           valleyFloorBase;
}

bool inWallBand(int32_t x, int32_t y) {
    return (x >= wallBandMinX && x <= wallBandMaxX) || y < wallBandMinY || y > wallBandMaxY;
}

float shapeFrom(float ex, int32_t x, int32_t y, float n, float bumpiness) {
    const double m = rimBlendFrom(ex, y);
    // The unrounded blend decides membership: a rounded 1 - tiny would
    // otherwise drop rim columns into the wall band.
    if (m < 1.0) {
        const float mf = static_cast<float>(m);
        const double t = terraceHeight(n, bumpiness);
        return static_cast<float>((rimHeight - t) * mf + t);
    }
    return inWallBand(x, y) ? wallHeight : lowGroundHeight;
}

int32_t truncateHeight(float h) {
    // Truncation toward zero, clamped; written so that no value (not even one
    // beyond int32 range) reaches an out-of-range conversion.
    if (!(h < static_cast<float>(maxColumnHeight + 1))) {
        return maxColumnHeight;
    }
    if (h < 0.0f) {
        return 0;
    }
    return static_cast<int32_t>(h);
}

}  // namespace

NoisePlacement drawNoisePlacement() {
    // Separate statements fix the draw order: z, then y, then x.
    NoisePlacement placement{};
    placement.z = static_cast<float>(randomUnit() * depthPerDraw);
    placement.yOff = static_cast<float>(randomUnit() * offsetPerDraw);
    placement.xOff = static_cast<float>(randomUnit() * offsetPerDraw);
    return placement;
}

float drawNoiseDepth() {
    return static_cast<float>(randomUnit() * depthPerDraw);
}

double rimBlend(int32_t x, int32_t y) {
    return rimBlendFrom(valleyTermX(x), y);
}

float shapeColumn(int32_t x, int32_t y, float n, float bumpiness) {
    return shapeFrom(valleyTermX(x), x, y, n, bumpiness);
}

void shapeTerrain(float bumpiness) {
    for (int32_t x = 0; x < worldSizeX; ++x) {
        const float ex = valleyTermX(x);
        for (int32_t y = 0; y < worldSizeY; ++y) {
            const int32_t c = columnIndex(x, y);
            heightField[c] = shapeFrom(ex, x, y, scratchFieldA[c], bumpiness);
        }
    }
}

void buildColumns() {
    forEachRowChunk(0, worldSizeX, rowsPerChunk, [](int32_t firstRow, int32_t endRow) {
        for (int32_t c = columnIndex(firstRow, 0); c < columnIndex(endRow, 0); ++c) {
            const int32_t h = truncateHeight(heightField[c]);
            columnHeight[c] = h;
            uint8_t* column = solid + static_cast<std::ptrdiff_t>(c) * worldSizeZ;
            std::fill(column, column + h + 1, uint8_t{1});
            std::fill(column + h + 1, column + worldSizeZ, uint8_t{0});
        }
    });
}

void addTerrainDetail() {
    fillLayer(scratchFieldA, coarseDetail, noOffset, noOffset, drawNoiseDepth());
    fillLayer(scratchFieldB, mediumDetail, noOffset, noOffset, drawNoiseDepth());
    accumulateField(scratchFieldA, scratchFieldB, 1.0f);
    fillLayer(scratchFieldB, fineDetail, noOffset, noOffset, drawNoiseDepth());
    accumulateField(scratchFieldA, scratchFieldB, 1.0f);
    accumulateField(heightField, scratchFieldA, detailWeight);
}

void fillBaseNoise() {
    const NoisePlacement broad = drawNoisePlacement();
    fillLayer(scratchFieldA, broadLayer, broad.xOff, broad.yOff, broad.z);
    const NoisePlacement fine = drawNoisePlacement();
    fillLayer(heightField, fineLayer, fine.xOff, fine.yOff, fine.z);
    accumulateField(scratchFieldA, heightField, 1.0f);
}

int32_t colorTopHeight(float bumpiness) {
    return static_cast<int32_t>(bumpiness * colorHighPerBumpiness + colorHighBase);
}

void generateTerrain(float bumpiness) {
    fillBaseNoise();
    shapeTerrain(bumpiness);
    buildColumns();
    addTerrainDetail();
    colorTerrain(colorLowHeight, colorTopHeight(bumpiness));
}

}  // namespace qormap
