#include "random/noise.h"

#include <gtest/gtest.h>

#include "tests/shared/float_bits.h"

using namespace qormap;

namespace {

// The element a field holds for noise value n, by the documented remapping.
float remapped(double n, float lo, float hi, float cubic) {
    const float range = static_cast<float>(static_cast<double>(hi) - lo);
    const double l = (n * noiseRemapScale + 1.0) * 0.5;
    return static_cast<float>((((l * l) * l - l) * cubic + l) * range + lo);
}

ScalarField field;
ScalarField other;

}  // namespace

TEST(GradientNoise, ZeroAtLatticePoints) {
    struct Case {
        float x, y, z;
        int32_t xWrap, yWrap, zWrap;
    };
    const Case cases[] = {
        {0, 0, 0, 256, 256, 256}, {1, 2, 3, 8, 8, 0},       {7, 7, 0, 8, 8, 0},
        {255, 0, 10, 256, 16, 0}, {3, 5, 63, 32, 128, 0},   {300, 40, 2, 1000, 1000, 0},
        {8, 16, 1, 8, 16, 0},     {-3, -9, 4, 256, 256, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << ", " << c.z);
        EXPECT_EQ(gradientNoise3(c.x, c.y, c.z, c.xWrap, c.yWrap, c.zWrap), 0.0);
    }
}

TEST(GradientNoise, ReferenceValuesAndTheirPeriods) {
    struct Case {
        float x, y, z;
        int32_t xWrap, yWrap, zWrap;
        double expected;  // compared bit for bit
    };
    const Case cases[] = {
        {0.5f, 0.5f, 0.5f, 256, 256, 256, -0.5},
        {0.5f, 0.5f, 0.5f, 1000, 1000, 0, -0.5},  // wraps above 256 act as 256
        {1.25f, 2.5f, 3.75f, 8, 8, 0, 0.1173396110534668},
        {9.25f, 2.5f, 3.75f, 8, 8, 0, 0.1173396110534668},    // one period along x
        {1.25f, 10.5f, 3.75f, 8, 8, 0, 0.1173396110534668},   // one period along y
        {-6.75f, -5.5f, 3.75f, 8, 8, 0, 0.1173396110534668},  // and back across zero
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << ", " << c.z << " wraps " << c.xWrap
                                        << ' ' << c.yWrap << ' ' << c.zWrap);
        EXPECT_EQ(bits(gradientNoise3(c.x, c.y, c.z, c.xWrap, c.yWrap, c.zWrap)), bits(c.expected));
    }
}

TEST(GradientNoise, RecordedValuesAtAwkwardPoints) {
    // Recorded from this implementation once the reference values above held.
    // Unlike those, these points have long fractions, so any change in the
    // order or rounding of the ease curve or the blends shows here.
    struct Case {
        float x, y, z;
        int32_t xWrap, yWrap, zWrap;
        double expected;
    };
    const Case cases[] = {
        {3.7f, 1.3f, 22.9f, 8, 16, 0, -0x1.2f264f07d46dp-2},
        {100.123f, 37.77f, 5.55f, 128, 256, 0, 0x1.940282dc4p-4},
        {0.001f, 0.999f, 0.0001f, 32, 32, 0, -0x1.205ae1d406b0dp-10},  // fz - 1 rounds to -1
        {255.99f, 128.01f, 63.5f, 256, 256, 0, 0x1.f5bda9p-2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << ", " << c.z);
        EXPECT_EQ(bits(gradientNoise3(c.x, c.y, c.z, c.xWrap, c.yWrap, c.zWrap)), bits(c.expected));
    }
}

TEST(GradientNoise, WrapsFrom256UpAreTheSame) {
    // Coordinates with few fraction bits, so shifting them by a period is exact.
    const float points[][3] = {
        {300.375f, 17.25f, 1.5f}, {511.875f, 600.125f, 33.3f}, {0.5f, 0.25f, 0.3f}};
    for (const auto& p : points) {
        SCOPED_TRACE(testing::Message() << p[0] << ", " << p[1] << ", " << p[2]);
        const double at256 = gradientNoise3(p[0], p[1], p[2], 256, 256, 0);
        EXPECT_EQ(bits(gradientNoise3(p[0], p[1], p[2], 1000, 4096, 0)), bits(at256));
        EXPECT_EQ(bits(gradientNoise3(p[0] - 256.0f, p[1] - 512.0f, p[2], 256, 256, 0)),
                  bits(at256));
    }
}

TEST(FillNoiseField, ReferenceElementsFromBothPaths) {
    struct Case {
        int32_t i, j;
        float expected;  // wraps 8 and 8, range [0, 16], linear, no offsets, z = 0
    };
    const Case cases[] = {
        {0, 0, 8.0f},  // a lattice point: noise 0 maps to the middle of the range
        {1, 0, 8.000244140625f},
        {0, 1, 7.89559268951416f},
        {17, 300, 10.7123384475708f},
    };
    fillNoiseField(field, 8, 8, 0.0f, 16.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '[' << c.i << "][" << c.j << ']');
        EXPECT_EQ(bits(field[columnIndex(c.i, c.j)]), bits(c.expected));
        // Sample spacing is 8 / 512 = 1 / 64 of a lattice cell.
        const double n = gradientNoise3(c.i / 64.0f, c.j / 64.0f, 0.0f, 8, 8, 0);
        EXPECT_EQ(bits(remapped(n, 0.0f, 16.0f, 0.0f)), bits(c.expected));
    }
}

TEST(FillNoiseField, RecordedElementsWithOffsetsAndContrast) {
    // Recorded from this implementation; offsets, z and cubic all in play.
    struct Case {
        int32_t i, j;
        float expected;
    };
    const Case cases[] = {
        {0, 0, 0x1.64bb4p+1f},
        {5, 77, 0x1.753d58p+0f},
        {300, 511, 0x1.7d112ep+1f},
        {511, 1, 0x1.4f27cep+1f},
    };
    fillNoiseField(field, 16, 32, -1.5f, 9.25f, 0.35f, 0.3f, 0.7f, 2.2f);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '[' << c.i << "][" << c.j << ']');
        EXPECT_EQ(bits(field[columnIndex(c.i, c.j)]), bits(c.expected));
    }
}

TEST(FillNoiseField, TilesAcrossOnePeriod) {
    // Dyadic offsets keep the shifted coordinates exact in float.
    struct Case {
        int32_t xWrap, yWrap;
        float lo, hi, cubic, xOff, yOff, z;
    };
    const Case cases[] = {
        {8, 16, -2.0f, 5.0f, 0.0f, 0.25f, 0.75f, 3.7f},
        {32, 128, 0.0f, 1.0f, 1.0f, 0.5f, 0.125f, 12.2f},
        {256, 256, 1.0f, 9.0f, 0.3f, 0.0f, 0.0f, 40.9f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "wraps " << c.xWrap << ' ' << c.yWrap);
        fillNoiseField(field, c.xWrap, c.yWrap, c.lo, c.hi, c.cubic, c.xOff, c.yOff, c.z);
        const float xStep = c.xWrap / 512.0f;
        const float yStep = c.yWrap / 512.0f;
        int32_t mismatches = 0;
        for (int32_t i = 0; i < worldSizeX; ++i) {
            for (int32_t j = 0; j < worldSizeY; ++j) {
                const float xc = i * xStep + c.xOff + static_cast<float>(c.xWrap);
                const float yc = j * yStep + c.yOff + static_cast<float>(c.yWrap);
                const double n = gradientNoise3(xc, yc, c.z, c.xWrap, c.yWrap, 0);
                mismatches +=
                    bits(field[columnIndex(i, j)]) != bits(remapped(n, c.lo, c.hi, c.cubic));
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

// The bulk path shares each lattice cell's gradients along a run of points
// and may work on several points at once; every element must still be the
// single-point value, bit for bit, at the cell borders above all.
TEST(FillNoiseField, EveryElementIsTheSinglePointValue) {
    struct Case {
        int32_t xWrap, yWrap;
        float lo, hi, cubic, xOff, yOff, z;
        const char* what;
    };
    const Case cases[] = {
        {4, 8, 0.0f, 20.0f, 0.0f, 131.7f, 42.3f, 12.9f, "long runs: 64 and 128 points per cell"},
        {64, 32, -3.5f, 6.25f, 0.6f, 0.9f, 250.1f, 33.3f, "short runs, contrast"},
        {256, 512, 1.0f, 2.0f, 1.0f, 17.01f, 3.3f, 0.4f, "one to two points per cell"},
        {0, 16, -1.0f, 1.0f, 0.2f, 3.25f, 0.0f, 63.9f, "x unwrapped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fillNoiseField(field, c.xWrap, c.yWrap, c.lo, c.hi, c.cubic, c.xOff, c.yOff, c.z);
        const float xStep = static_cast<float>(c.xWrap / 512.0);
        const float yStep = static_cast<float>(c.yWrap / 512.0);
        int32_t mismatches = 0;
        for (int32_t i = 0; i < worldSizeX; ++i) {
            const float xc = static_cast<float>(i * static_cast<double>(xStep) + c.xOff);
            for (int32_t j = 0; j < worldSizeY; ++j) {
                const float yc = static_cast<float>(j * static_cast<double>(yStep) + c.yOff);
                const double n = gradientNoise3(xc, yc, c.z, c.xWrap, c.yWrap, 0);
                mismatches +=
                    bits(field[columnIndex(i, j)]) != bits(remapped(n, c.lo, c.hi, c.cubic));
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(FillNoiseField, NoiseZeroMapsToTheMiddle) {
    // Integral offsets and z put every sample of wrap-512 steps on a lattice point.
    fillNoiseField(field, 512, 512, -3.0f, 5.0f, 0.0f, 2.0f, 7.0f, 4.0f);
    EXPECT_EQ(field[columnIndex(0, 0)], 1.0f);
    EXPECT_EQ(field[columnIndex(511, 3)], 1.0f);
}

TEST(AccumulateField, AddsScaledSource) {
    struct Case {
        float dst, src, scale, expected;
    };
    const Case cases[] = {
        {1.0f, 3.0f, 0.5f, 2.5f},
        {7.25f, 123.0f, 0.0f, 7.25f},  // scale 0 leaves dst as it was
        {-1.0f, 1.0f, 1.0f, 0.0f},
        {0.1f, 0.2f, 0.3f, static_cast<float>(0.3f * static_cast<double>(0.2f) + 0.1f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scale << " x " << c.src << " + " << c.dst);
        std::fill(std::begin(field), std::end(field), c.dst);
        std::fill(std::begin(other), std::end(other), c.src);
        accumulateField(field, other, c.scale);
        EXPECT_EQ(bits(field[0]), bits(c.expected));
        EXPECT_EQ(bits(field[columnCount - 1]), bits(c.expected));
    }
}

TEST(SmoothClamp, ClampsThenSmooths) {
    struct Case {
        float t;
        double expected;
    };
    const Case cases[] = {
        {-1.0f, 0.0}, {0.0f, 0.0}, {0.25f, 0.15625}, {0.5f, 0.5}, {1.0f, 1.0}, {2.0f, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        EXPECT_EQ(bits(smoothClamp(c.t)), bits(c.expected));
    }
}
