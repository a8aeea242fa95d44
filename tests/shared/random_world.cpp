#include "tests/shared/random_world.h"

#include "world/world.h"

using namespace qormap;

void fillRandomWorld(uint32_t seed) {
    uint32_t state = seed;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (int32_t x = 0; x < worldSizeX; ++x) {
        for (int32_t y = 0; y < worldSizeY; ++y) {
            const uint32_t density = (static_cast<uint32_t>(x / 64 + y / 64) % 9) * 32;
            for (int32_t z = 0; z < worldSizeZ; ++z) {
                const uint32_t draw = next();
                if ((draw & 0xFF) < density) {
                    fillColumnSpan(x, y, z, z, opaqueColorBits | (draw >> 8));
                    if ((draw >> 28) == 0) {
                        solid[voxelIndex(x, y, z)] = static_cast<uint8_t>(draw >> 8 | 2);
                    }
                }
            }
        }
    }
}
