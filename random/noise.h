// Tileable gradient noise (improved-Perlin style, each axis with its own wrap)
// and the field operations the terrain is built from. Every rounding to float
// is part of the result: maps are only reproducible if all of them stay put.
#pragma once

#include <cstdint>

#include "support/grid.h"

namespace qormap {

// The float nearest 0.8333333, which keeps remapped noise inside [0, 1].
constexpr double noiseRemapScale = 0.833333313465118408203125;

// Noise at (x, y, z), exactly 0 at every lattice point. Along each axis the
// lattice repeats every `wrap` cells (a power of two up to 256; larger acts as
// 256; 0 leaves the axis unwrapped, coordinates then in [0, 256)).
double gradientNoise3(float x, float y, float z, int32_t xWrap, int32_t yWrap, int32_t zWrap);

// Fills `field` with one period of noise across the grid (so it tiles at its
// edges), remapped to [lo, hi] with `cubic` blending a linear and a cubic curve.
void fillNoiseField(ScalarField& field, int32_t xWrap, int32_t yWrap, float lo, float hi,
                    float cubic, float xOff, float yOff, float z);

// dst <- scale * src + dst, element by element.
void accumulateField(ScalarField& dst, const ScalarField& src, float scale);

// t clamped to [0, 1], then 3t^2 - 2t^3.
double smoothClamp(float t);

// Dot product of corner offset (dx, dy, dz) with the gradient that `hash` picks.
double gradientDot(int32_t hash, float dx, float dy, float dz);

// (b - a) * t + a.
double noiseLerp(float a, float b, float t);

}  // namespace qormap
