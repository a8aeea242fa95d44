#include "random/noise.h"

#include <cmath>

#include "support/row_jobs.h"

namespace qormap {

namespace {

// The system's own permutation of 0..255, repeated once so that an entry plus
// a reduced corner coordinate (at most 255 + 256) stays inside the table.
// Sixteen to a row, so it can be checked row by row against the published list.
// clang-format off
constexpr int32_t permutationBase[256] = {
     23, 125, 161,  52, 103, 117,  70,  37, 247, 101, 203, 169, 124, 126,  44, 123,
    152, 238, 145,  45, 171, 114, 253,  10, 192, 136,   4, 157, 249,  30,  35,  72,
    175,  63,  77,  90, 181,  16,  96, 111, 133, 104,  75, 162,  93,  56,  66, 240,
      8,  50,  84, 229,  49, 210, 173, 239, 141,   1,  87,  18,   2, 198, 143,  57,
    225, 160,  58, 217, 168, 206, 245, 204, 199,   6,  73,  60,  20, 230, 211, 233,
     94, 200,  88,   9,  74, 155,  33,  15, 219, 130, 226, 202,  83, 236,  42, 172,
    165, 218,  55, 222,  46, 107,  98, 154, 109,  67, 196, 178, 127, 158,  13, 243,
     65,  79, 166, 248,  25, 224, 115,  80,  68,  51, 184, 128, 232, 208, 151, 122,
     26, 212, 105,  43, 179, 213, 235, 148, 146,  89,  14, 195,  28,  78, 112,  76,
    250,  47,  24, 251, 140, 108, 186, 190, 228, 170, 183, 139,  39, 188, 244, 246,
    132,  48, 119, 144, 180, 138, 134, 193,  82, 182, 120, 121,  86, 220, 209,   3,
     91, 241, 149,  85, 205, 150, 113, 216,  31, 100,  41, 164, 177, 214, 153, 231,
     38,  71, 185, 174,  97, 201,  29,  95,   7,  92,  54, 254, 191, 118,  34, 221,
    131,  11, 163,  99, 234,  81, 227, 147, 156, 176,  17, 142,  69,  12, 110,  62,
     27, 255,   0, 194,  59, 116, 242, 252,  19,  21, 187,  53, 207, 129,  64, 135,
     61,  40, 167, 237, 102, 223, 106, 159, 197, 189, 215, 137,  36,  32,  22,   5,
};
// clang-format on

struct Permutation {
    int32_t entries[512];
};

constexpr Permutation makePermutation() {
    Permutation table{};
    for (int32_t k = 0; k < 512; ++k) {
        table.entries[k] = permutationBase[k & 255];
    }
    return table;
}

constexpr Permutation noisePermutation = makePermutation();

// Hash classes to gradient numbers: four of the twelve gradients get one extra class.
constexpr uint8_t gradientSelect[64] = {
    0, 1, 2, 3, 4,  5,  6,  7,  8, 9, 10, 11, 0, 9, 1, 11, 0,  1,  2,  3,  4, 5,
    6, 7, 8, 9, 10, 11, 0,  1,  2, 3, 4,  5,  6, 7, 8, 9,  10, 11, 0,  1,  2, 3,
    4, 5, 6, 7, 8,  9,  10, 11, 0, 1, 2,  3,  4, 5, 6, 7,  8,  9,  10, 11,
};

struct Gradient {
    float x, y, z, unused;
};

// The twelve cube-edge directions.
constexpr Gradient gradientBasis[12] = {
    {1, 1, 0, 0},  {-1, 1, 0, 0},  {1, -1, 0, 0}, {-1, -1, 0, 0}, {1, 0, 1, 0},  {-1, 0, 1, 0},
    {1, 0, -1, 0}, {-1, 0, -1, 0}, {0, 1, 1, 0},  {0, -1, 1, 0},  {0, 1, -1, 0}, {0, -1, -1, 0},
};

constexpr int32_t largestWrapMask = 255;
constexpr double fieldStep = 1.0 / 512.0;  // 512 samples cover one period

// A wrap of 256 or more reduces like 256; a wrap of 0 gives a mask of all
// ones, which leaves the coordinate as it is.
int32_t wrapMask(int32_t wrap) {
    return wrap >= 256 ? largestWrapMask : wrap - 1;
}

// 6f^5 - 15f^4 + 10f^3, in exactly this order of operations.
double fade(double f) {
    return ((((f * 6.0 - 15.0) * f + 10.0) * f) * f) * f;
}

int32_t permuted(int32_t index) {
    return noisePermutation.entries[index];
}

const Gradient& gradientOf(int32_t hash) {
    return gradientBasis[gradientSelect[hash & 63]];
}

double dotGradient(const Gradient& g, float dx, float dy, float dz) {
    // y and z first, then x: the order fixes the rounding.
    return (static_cast<double>(dy) * g.y + static_cast<double>(dz) * g.z) +
           static_cast<double>(dx) * g.x;
}

}  // namespace

double gradientDot(int32_t hash, float dx, float dy, float dz) {
    return dotGradient(gradientOf(hash), dx, dy, dz);
}

double noiseLerp(float a, float b, float t) {
    return (static_cast<double>(b) - a) * t + a;
}

namespace {

// Where a coordinate falls on one lattice axis: the cell's two corners after
// the wrap, the offset inside the cell (and from its far corner) and the
// offset's fade. A row or column of a field shares it across all its points.
struct AxisSample {
    int32_t corner0;
    int32_t corner1;
    float offset;
    float offsetFromFar;
    float fade;
};

AxisSample sampleAxis(float coordinate, int32_t wrap) {
    const int32_t mask = wrapMask(wrap);
    const int32_t cell = static_cast<int32_t>(std::floor(static_cast<double>(coordinate)));
    AxisSample sample{};
    // The +1 comes before the reduction, so the far corner of a period's last
    // cell is the period's corner 0: that is what makes the noise tile.
    sample.corner0 = cell & mask;
    sample.corner1 = (cell + 1) & mask;
    sample.offset = static_cast<float>(static_cast<double>(coordinate) - cell);
    sample.fade = static_cast<float>(fade(sample.offset));
    // Not always exact: a tiny offset gives -1.
    sample.offsetFromFar = static_cast<float>(static_cast<double>(sample.offset) - 1.0);
    return sample;
}

// The gradients at the eight corners of one lattice cell, indexed by the
// corner's x, y and z bits in that order (0b100 is the far corner in x).
struct CellGradients {
    const Gradient* corner[8];
};

CellGradients cellGradients(const AxisSample& sx, const AxisSample& sy, const AxisSample& sz) {
    const int32_t z0 = sz.corner0, z1 = sz.corner1;
    const int32_t a = permuted(sx.corner0), b = permuted(sx.corner1);
    const int32_t aa = permuted(a + sy.corner0), ab = permuted(a + sy.corner1);
    const int32_t ba = permuted(b + sy.corner0), bb = permuted(b + sy.corner1);
    return {{&gradientOf(permuted(aa + z0)), &gradientOf(permuted(aa + z1)),
             &gradientOf(permuted(ab + z0)), &gradientOf(permuted(ab + z1)),
             &gradientOf(permuted(ba + z0)), &gradientOf(permuted(ba + z1)),
             &gradientOf(permuted(bb + z0)), &gradientOf(permuted(bb + z1))}};
}

// Noise at a point of the cell whose corner gradients are `cell`.
double noiseInCell(const CellGradients& cell, const AxisSample& sx, const AxisSample& sy,
                   const AxisSample& sz) {
    const float fx = sx.offset, fy = sy.offset, fz = sz.offset;
    const float fx1 = sx.offsetFromFar, fy1 = sy.offsetFromFar, fz1 = sz.offsetFromFar;

    const float g000 = static_cast<float>(dotGradient(*cell.corner[0b000], fx, fy, fz));
    const float g001 = static_cast<float>(dotGradient(*cell.corner[0b001], fx, fy, fz1));
    const float g010 = static_cast<float>(dotGradient(*cell.corner[0b010], fx, fy1, fz));
    const float g011 = static_cast<float>(dotGradient(*cell.corner[0b011], fx, fy1, fz1));
    const float g100 = static_cast<float>(dotGradient(*cell.corner[0b100], fx1, fy, fz));
    const float g101 = static_cast<float>(dotGradient(*cell.corner[0b101], fx1, fy, fz1));
    const float g110 = static_cast<float>(dotGradient(*cell.corner[0b110], fx1, fy1, fz));
    const float g111 = static_cast<float>(dotGradient(*cell.corner[0b111], fx1, fy1, fz1));

    const float c00 = static_cast<float>(noiseLerp(g000, g100, sx.fade));
    const float c01 = static_cast<float>(noiseLerp(g001, g101, sx.fade));
    const float c10 = static_cast<float>(noiseLerp(g010, g110, sx.fade));
    const float c11 = static_cast<float>(noiseLerp(g011, g111, sx.fade));

    const float d0 = static_cast<float>(noiseLerp(c00, c10, sy.fade));
    const float d1 = static_cast<float>(noiseLerp(c01, c11, sy.fade));

    return noiseLerp(d0, d1, sz.fade);
}

}  // namespace

double gradientNoise3(float x, float y, float z, int32_t xWrap, int32_t yWrap, int32_t zWrap) {
    const AxisSample sx = sampleAxis(x, xWrap);
    const AxisSample sy = sampleAxis(y, yWrap);
    const AxisSample sz = sampleAxis(z, zWrap);
    return noiseInCell(cellGradients(sx, sy, sz), sx, sy, sz);
}

namespace {

// The samples of a field's columns, one array per quantity, so that a run of
// columns reads them the way vector instructions load.
struct ColumnSamples {
    AxisSample lattice[worldSizeY];
    float offset[worldSizeY];
    float offsetFromFar[worldSizeY];
    float fade[worldSizeY];
};

// How noise becomes a field element: (((l^3 - l) * cubic + l) * range + lo),
// l being the noise mapped into [0, 1].
struct Remap {
    double cubic;
    double range;
    double lo;
};

// Elements [first, end) of one row, all inside the lattice cell whose corner
// gradients are `cell`. The same operations in the same order as
// gradientNoise3 and the remap, point by point; what does not change along
// the run (the x and z terms of each corner's dot product, the x and z fades)
// is computed once. No step depends on another point, so the compiler may
// run several points in the lanes of one vector instruction: every lane still
// performs exactly the IEEE operations of the scalar code.
void fillCellRun(float* out, const ColumnSamples& columns, int32_t first, int32_t end,
                 const CellGradients& cell, const AxisSample& row, const AxisSample& depth,
                 const Remap& remap) {
    double yFactor[8];
    double zTerm[8];
    double xTerm[8];
    for (int32_t k = 0; k < 8; ++k) {
        const Gradient& g = *cell.corner[k];
        const float dx = (k & 0b100) != 0 ? row.offsetFromFar : row.offset;
        const float dz = (k & 0b001) != 0 ? depth.offsetFromFar : depth.offset;
        yFactor[k] = g.y;
        zTerm[k] = static_cast<double>(dz) * g.z;
        xTerm[k] = static_cast<double>(dx) * g.x;
    }
    const double u = row.fade;
    const double w = depth.fade;
    for (int32_t j = first; j < end; ++j) {
        const double fy = columns.offset[j];
        const double fy1 = columns.offsetFromFar[j];
        const double v = columns.fade[j];
        const float g000 = static_cast<float>((fy * yFactor[0] + zTerm[0]) + xTerm[0]);
        const float g001 = static_cast<float>((fy * yFactor[1] + zTerm[1]) + xTerm[1]);
        const float g010 = static_cast<float>((fy1 * yFactor[2] + zTerm[2]) + xTerm[2]);
        const float g011 = static_cast<float>((fy1 * yFactor[3] + zTerm[3]) + xTerm[3]);
        const float g100 = static_cast<float>((fy * yFactor[4] + zTerm[4]) + xTerm[4]);
        const float g101 = static_cast<float>((fy * yFactor[5] + zTerm[5]) + xTerm[5]);
        const float g110 = static_cast<float>((fy1 * yFactor[6] + zTerm[6]) + xTerm[6]);
        const float g111 = static_cast<float>((fy1 * yFactor[7] + zTerm[7]) + xTerm[7]);

        const float c00 = static_cast<float>((static_cast<double>(g100) - g000) * u + g000);
        const float c01 = static_cast<float>((static_cast<double>(g101) - g001) * u + g001);
        const float c10 = static_cast<float>((static_cast<double>(g110) - g010) * u + g010);
        const float c11 = static_cast<float>((static_cast<double>(g111) - g011) * u + g011);

        const float d0 = static_cast<float>((static_cast<double>(c10) - c00) * v + c00);
        const float d1 = static_cast<float>((static_cast<double>(c11) - c01) * v + c01);

        const double n = (static_cast<double>(d1) - d0) * w + d0;
        const double l = (n * noiseRemapScale + 1.0) * 0.5;
        out[j] = static_cast<float>((((l * l) * l - l) * remap.cubic + l) * remap.range + remap.lo);
    }
}

}  // namespace

void fillNoiseField(ScalarField& field, int32_t xWrap, int32_t yWrap, float lo, float hi,
                    float cubic, float xOff, float yOff, float z) {
    const float xStep = static_cast<float>(xWrap * fieldStep);
    const float yStep = static_cast<float>(yWrap * fieldStep);
    const Remap remap{cubic, static_cast<float>(static_cast<double>(hi) - lo), lo};
    // Each row's and each column's lattice work is done once, not 512 times;
    // every value is the one the single-point path computes.
    ColumnSamples columns;
    for (int32_t j = 0; j < worldSizeY; ++j) {
        const AxisSample sample =
            sampleAxis(static_cast<float>(j * static_cast<double>(yStep) + yOff), yWrap);
        columns.lattice[j] = sample;
        columns.offset[j] = sample.offset;
        columns.offsetFromFar[j] = sample.offsetFromFar;
        columns.fade[j] = sample.fade;
    }
    // z is never wrapped; callers keep it inside [0, 64].
    const AxisSample depth = sampleAxis(z, 0);
    forEachRowChunk(0, worldSizeX, rowsPerChunk, [&](int32_t firstRow, int32_t endRow) {
        for (int32_t i = firstRow; i < endRow; ++i) {
            const AxisSample row =
                sampleAxis(static_cast<float>(i * static_cast<double>(xStep) + xOff), xWrap);
            // Neighbouring points of a row mostly share a lattice cell, and
            // with it the eight corner gradients.
            float* const out = field + columnIndex(i, 0);
            int32_t first = 0;
            for (int32_t j = 1; j <= worldSizeY; ++j) {
                if (j < worldSizeY &&
                    columns.lattice[j].corner0 == columns.lattice[first].corner0 &&
                    columns.lattice[j].corner1 == columns.lattice[first].corner1) {
                    continue;
                }
                const CellGradients cell = cellGradients(row, columns.lattice[first], depth);
                fillCellRun(out, columns, first, j, cell, row, depth, remap);
                first = j;
            }
        }
    });
}

void accumulateField(ScalarField& dst, const ScalarField& src, float scale) {
    for (int32_t k = 0; k < columnCount; ++k) {
        dst[k] = static_cast<float>(static_cast<double>(scale) * src[k] + dst[k]);
    }
}

double smoothClamp(float t) {
    if (t < 0.0f) {
        return 0.0;
    }
    if (t > 1.0f) {
        return 1.0;
    }
    const double s = static_cast<double>(t) * t;
    return 3.0 * s - 2.0 * (s * t);
}

}  // namespace qormap
