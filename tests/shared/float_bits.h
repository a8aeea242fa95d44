// Reals compared by their bit patterns, so that a result one rounding off
// shows, and -0 differs from 0.
#pragma once

#include <bit>
#include <cstdint>

inline uint32_t bits(float value) {
    return std::bit_cast<uint32_t>(value);
}

inline uint64_t bits(double value) {
    return std::bit_cast<uint64_t>(value);
}
