// The one seeded random generator every random decision of a map comes from:
// a Mersenne Twister (MT19937 twist and tempering) whose state is filled by a
// small scrambled linear congruential generator instead of the usual init.
#pragma once

#include <cstdint>

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

// The next tempered word; a generator never seeded behaves as one seeded with 0.
uint32_t randomWord();

// The next word times 2^-32: a double in [0, 1), exact, never 1.0.
double randomUnit();

// lo + (next word mod (hi - lo + 1)) in wrapping 32-bit arithmetic: an integer in
// [lo, hi]. One word is drawn even when lo == hi; hi must not be lo - 1.
int32_t randomRange(int32_t lo, int32_t hi);
