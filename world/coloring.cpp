#include "world/coloring.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "random/noise.h"
#include "support/row_jobs.h"

namespace qormap {

namespace {

struct Channels {
    int32_t red;
    int32_t green;
    int32_t blue;
};

// Land climbs from green at the low height to pale grey at the high one.
constexpr Channels landLowColor{144, 160, 104};
constexpr Channels landClimb{76, 60, 116};

// Low columns shift from that green toward blue as they sink.
constexpr double lowDepthOffset = 0.5;
constexpr double lowDepthScale = 1.0 / 3.0;
constexpr Channels lowDepthShift{-14, 10, 96};

double clampUnit(double value) {
    return std::clamp(value, 0.0, 1.0);
}

// base + shift x E; the sum is exact in either order, so one form serves all
// three channels.
int32_t lowChannel(int32_t base, int32_t shift, double e) {
    return static_cast<int32_t>(base + shift * e);
}

int32_t landBase(float t, int32_t climb, int32_t base) {
    return static_cast<int32_t>(t * static_cast<double>(climb) + base);
}

int32_t rockBlend(int32_t base, float v) {
    return static_cast<int32_t>((rockGrey - base) * static_cast<double>(v) + base);
}

VoxelColor packColor(Channels c, double shade) {
    const auto scaled = [shade](int32_t channel) {
        return static_cast<VoxelColor>(static_cast<int32_t>(channel * shade));
    };
    return opaqueColorBits | scaled(c.red) << 16 | scaled(c.green) << 8 | scaled(c.blue);
}

}  // namespace

VoxelColor terrainColumnColor(float h, float hx, float hy, bool land, float lowF, float spanF) {
    if (!land) {
        // Low columns are left unshaded, so slope and light play no part.
        const double e = clampUnit(1.0 - (h + lowDepthOffset) * lowDepthScale);
        const Channels low{
            lowChannel(landLowColor.red, lowDepthShift.red, e),
            lowChannel(landLowColor.green, lowDepthShift.green, e),
            lowChannel(landLowColor.blue, lowDepthShift.blue, e),
        };
        return packColor(low, 1.0);
    }

    // dx is stored as float and dy is not: the asymmetry is part of the look
    // every existing map has.
    const float dx = static_cast<float>(static_cast<double>(h) - hx);
    const double dy = static_cast<double>(h) - hy;
    const float g = static_cast<float>(dy * dy + static_cast<double>(dx) * dx);

    const float t = static_cast<float>(
        smoothClamp(static_cast<float>((static_cast<double>(h) - lowF) / spanF)));
    const float v = static_cast<float>(
        smoothClamp(static_cast<float>(g * static_cast<double>(steepnessScale))));

    const double w = clampUnit((dx * lightWeightX + lightWeightUp) / std::sqrt(g + 1.0));
    const double shade = clampUnit(w * static_cast<double>(diffuseWeight) + ambientLight);

    const Channels base{
        landBase(t, landClimb.red, landLowColor.red),
        landBase(t, landClimb.green, landLowColor.green),
        landBase(t, landClimb.blue, landLowColor.blue),
    };
    const Channels rock{rockBlend(base.red, v), rockBlend(base.green, v), rockBlend(base.blue, v)};
    return packColor(rock, shade);
}

void colorTerrain(int32_t low, int32_t high) {
    const float lowF = static_cast<float>(low);
    const float spanF = static_cast<float>(high - low);
    // Rows of x only read the height field, so they split across threads.
    forEachRowChunk(0, worldSizeX, rowsPerChunk, [lowF, spanF](int32_t firstRow, int32_t endRow) {
        for (int32_t x = firstRow; x < endRow; ++x) {
            const int32_t westX = (x + worldSizeX - 1) % worldSizeX;
            for (int32_t y = 0; y < worldSizeY; ++y) {
                const int32_t southY = (y + worldSizeY - 1) % worldSizeY;
                const int32_t c = columnIndex(x, y);
                const VoxelColor word = terrainColumnColor(
                    heightField[c], heightField[columnIndex(westX, y)],
                    heightField[columnIndex(x, southY)], columnHeight[c] != 0, lowF, spanF);
                std::fill_n(color + static_cast<std::ptrdiff_t>(c) * worldSizeZ, worldSizeZ, word);
            }
        }
    });
}

}  // namespace qormap
