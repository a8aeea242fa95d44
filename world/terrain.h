// The terrain stage: two noise layers shaped into an oval, terraced valley
// with walls and low ground around it, turned into solid columns, then given
// fine detail that only the colouring sees.
#pragma once

#include <cstdint>

namespace qormap {

// Where a noise layer is sampled; each member is a fresh draw, rounded to float.
struct NoisePlacement {
    float z;     // draw x 64
    float yOff;  // draw x 256
    float xOff;  // draw x 256
};

constexpr int32_t valleyCentreX = 266;
constexpr int32_t valleyCentreY = 256;
constexpr float valleyScaleX = 1.0f / 220.0f;
constexpr float valleyScaleY = 1.0f / 60.0f;
constexpr double rimSteepness = 10.0;
constexpr double terracePeriod = 15.0;
constexpr double terraceFoldPoint = 7.5;
constexpr double terraceScale = 0.125;
constexpr double terraceSmoothingWeight = 0.5;
constexpr double terraceHeightPerBumpiness = 10.0;
constexpr double valleyFloorBase = 1.0;
constexpr double rimHeight = 10.0;
constexpr float wallHeight = 58.0f;
constexpr float lowGroundHeight = 0.7f;
constexpr int32_t wallBandMinX = 160;
constexpr int32_t wallBandMaxX = 351;
constexpr int32_t wallBandMinY = 88;   // rows below this are wall
constexpr int32_t wallBandMaxY = 424;  // rows above this are wall
constexpr int32_t maxColumnHeight = 62;
constexpr float detailWeight = 2.0f;

// Draws a layer's z, then its y offset, then its x offset (three draws).
NoisePlacement drawNoisePlacement();

// Draws one detail layer's z (one draw).
float drawNoiseDepth();

// Six draws and the two broad noise layers, summed into scratchFieldA.
void fillBaseNoise();

// Valley membership of column (x, y): 0 inside the oval, rising across the rim
// band to exactly 1 at and beyond 1.1 times the squared elliptic distance.
double rimBlend(int32_t x, int32_t y);

// Shaped height of column (x, y) for summed noise `n`.
float shapeColumn(int32_t x, int32_t y, float n, float bumpiness);

// Shapes every column: heightField <- shapeColumn(x, y, scratchFieldA[x][y]).
void shapeTerrain(float bumpiness);

// heightField -> columnHeight (truncated, clamped to 0..62) and the solid flags
// z <= height of every column.
void buildColumns();

// Adds twice the sum of three fine noise layers to heightField (three draws).
// Columns and solid flags are left as they are.
void addTerrainDetail();

// Field height at which the colouring reaches its top colour.
int32_t colorTopHeight(float bumpiness);

// The whole stage: nine draws, shaping, columns, detail, then the colours.
void generateTerrain(float bumpiness);

}  // namespace qormap
