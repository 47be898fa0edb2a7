#pragma once
// Random numbers.
//
// randomState is the program's one shared generator: every object, particle
// and sound draws from it in a fixed order, so a run with the same input
// reproduces itself. It starts at 1 and is never reseeded.
#include <cstdint>

extern uint32_t randomState;

// Advances the state (state * 214013 + 2531011, mod 2^32) and returns its upper
// 16 bits, 0..65535.
uint32_t randomNext();

// randomNext() / 65536: in [0, 1).
float randomFraction();

// lo + (hi - lo) * randomFraction().
float randomRange(float lo, float hi);

// MT19937, for sequences that must agree between machines (seeded over the
// network).
class MersenneTwister {
public:
    static constexpr int kSize = 624;

    void seed(uint32_t s);
    // The next 32-bit output; an unseeded generator is first seeded with 5489.
    uint32_t next();

    uint32_t state[kSize] = {};
    int index = kSize + 1;  // kSize + 1: never seeded
};
