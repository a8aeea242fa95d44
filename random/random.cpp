#include "random/random.h"

uint32_t lcgState = 0;
uint32_t mtState[mtStateWords];
uint32_t mtReadOffset = mtNeverSeeded;

namespace {

constexpr uint32_t lcgMultiplier = 0x7FF8A3ED;  // 2147001325
constexpr uint32_t lcgIncrement = 0x2AA01D31;   // 715136305
constexpr uint32_t lcgScramble = 0x31415926;
constexpr int32_t seedingTwists = 8;

constexpr int32_t mtShift = 397;
constexpr uint32_t mtUpperBit = 0x80000000;
constexpr uint32_t mtLowerBits = 0x7FFFFFFF;
constexpr uint32_t mtMatrix = 0x9908B0DF;
constexpr uint32_t temperMaskB = 0x9D2C5680;
constexpr uint32_t temperMaskC = 0xEFC60000;

constexpr double twoToMinus32 = 1.0 / 4294967296.0;

}  // namespace

uint32_t lcgExchange(uint32_t state) {
    const uint32_t previous = lcgState;
    lcgState = state;
    return previous;
}

uint32_t lcgNext() {
    lcgState = lcgState * lcgMultiplier + lcgIncrement;
    // Output is taken after the step: the halves swapped, then scrambled.
    return ((lcgState << 16) | (lcgState >> 16)) ^ lcgScramble;
}

void twistState() {
    // In place and in ascending order: entries from 227 on already combine
    // with words regenerated earlier in this same pass.
    for (int32_t i = 0; i < mtStateWords; ++i) {
        const uint32_t y =
            (mtState[i] & mtUpperBit) | (mtState[(i + 1) % mtStateWords] & mtLowerBits);
        mtState[i] = mtState[(i + mtShift) % mtStateWords] ^ (y >> 1) ^ ((y & 1u) ? mtMatrix : 0u);
    }
}

void seedRandom(uint32_t seed) {
    const uint32_t previous = lcgExchange(seed);
    for (int32_t k = 0; k < mtStateWords; ++k) {
        mtState[k] = lcgNext();
    }
    lcgExchange(previous);
    for (int32_t twist = 0; twist < seedingTwists; ++twist) {
        twistState();
    }
    // Marked used up, so the first draw twists a ninth time.
    mtReadOffset = mtAllWordsUsed;
}

uint32_t randomWord() {
    uint32_t offset = mtReadOffset;
    if (offset >= mtAllWordsUsed) {
        if (offset > mtAllWordsUsed) {
            seedRandom(0);
        }
        twistState();
        offset = 0;
    }
    mtReadOffset = offset + 4;
    uint32_t y = mtState[offset / 4];
    y ^= y >> 11;
    y ^= (y << 7) & temperMaskB;
    y ^= (y << 15) & temperMaskC;
    y ^= y >> 18;
    return y;
}

double randomUnit() {
    return randomWord() * twoToMinus32;
}

int32_t randomRange(int32_t lo, int32_t hi) {
    const uint32_t word = randomWord();  // drawn before the bounds are looked at
    const uint32_t span = static_cast<uint32_t>(hi) - static_cast<uint32_t>(lo) + 1u;
    return static_cast<int32_t>(static_cast<uint32_t>(lo) + word % span);
}
