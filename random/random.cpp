#include "random/random.h"

namespace qormap {

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

constexpr double twoToMinus32 = 1.0 / 4294967296.0;

// Word i's replacement from word i + 397, word i's upper bit and word i + 1's
// lower bits (indices wrapping at 624).
uint32_t twistedWord(uint32_t shifted, uint32_t word, uint32_t next) {
    const uint32_t y = (word & mtUpperBit) | (next & mtLowerBits);
    return shifted ^ (y >> 1) ^ ((y & 1u) ? mtMatrix : 0u);
}

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
    // with words regenerated earlier in this same pass. The three loops are
    // the one loop over i with its index wraps taken out.
    int32_t i = 0;
    for (; i < mtStateWords - mtShift; ++i) {
        mtState[i] = twistedWord(mtState[i + mtShift], mtState[i], mtState[i + 1]);
    }
    for (; i < mtStateWords - 1; ++i) {
        mtState[i] = twistedWord(mtState[i + mtShift - mtStateWords], mtState[i], mtState[i + 1]);
    }
    mtState[i] = twistedWord(mtState[i + mtShift - mtStateWords], mtState[i], mtState[0]);
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

uint32_t renewRandomState() {
    if (mtReadOffset > mtAllWordsUsed) {
        seedRandom(0);
    }
    twistState();
    return 0;
}

double randomUnit() {
    return randomWord() * twoToMinus32;
}

}  // namespace qormap
