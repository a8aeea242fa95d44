// The one seeded random generator every random decision of a map comes from:
// a Mersenne Twister (MT19937 twist and tempering) whose state is filled by a
// small scrambled linear congruential generator instead of the usual init.
#pragma once

#include <cstdint>

namespace qormap {

constexpr int32_t mtStateWords = 624;
// Read offsets are in bytes: word index times 4.
constexpr uint32_t mtAllWordsUsed = 4 * mtStateWords;   // 2496: twist before the next word
constexpr uint32_t mtNeverSeeded = mtAllWordsUsed + 1;  // 2497: seed with 0 before the next word

extern uint32_t lcgState;
extern uint32_t mtState[mtStateWords];
extern uint32_t mtReadOffset;

// Stores `state` as the seeding generator's state and returns the one it replaced.
uint32_t lcgExchange(uint32_t state);

// Advances the seeding generator and returns its scrambled output.
uint32_t lcgNext();

// Regenerates all 624 state words in place, in ascending order (the MT19937 twist).
void twistState();

// Restarts the sequence from `seed`; the seeding generator's own state is left
// as it was, so the sequence depends on the seed alone.
void seedRandom(uint32_t seed);

// Twists the state, after seeding with 0 when the generator was never seeded,
// and returns the read offset of the first fresh word (0). randomWord's rare path.
uint32_t renewRandomState();

// The draws are inline: a crowded map makes tens of millions of them, nearly
// all with constant bounds, whose remainder then costs a multiply, not a division.

// The next tempered word; a generator never seeded behaves as one seeded with 0.
inline uint32_t randomWord() {
    constexpr uint32_t temperMaskB = 0x9D2C5680;
    constexpr uint32_t temperMaskC = 0xEFC60000;
    uint32_t offset = mtReadOffset;
    if (offset >= mtAllWordsUsed) {
        offset = renewRandomState();
    }
    mtReadOffset = offset + 4;
    uint32_t y = mtState[offset / 4];
    y ^= y >> 11;
    y ^= (y << 7) & temperMaskB;
    y ^= (y << 15) & temperMaskC;
    y ^= y >> 18;
    return y;
}

// The next word times 2^-32: a double in [0, 1), exact, never 1.0.
double randomUnit();

// lo + (next word mod (hi - lo + 1)) in wrapping 32-bit arithmetic: an integer in
// [lo, hi]. One word is drawn even when lo == hi; hi must not be lo - 1.
inline int32_t randomRange(int32_t lo, int32_t hi) {
    const uint32_t word = randomWord();  // drawn before the bounds are looked at
    const uint32_t span = static_cast<uint32_t>(hi) - static_cast<uint32_t>(lo) + 1u;
    return static_cast<int32_t>(static_cast<uint32_t>(lo) + word % span);
}

}  // namespace qormap
