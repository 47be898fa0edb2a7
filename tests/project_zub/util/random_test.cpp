#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "util/Random.h"

TEST(Random, LcgIsTheClassicSequenceAndItsFractionsStayBelowOne) {
    // The same LCG's 15-bit outputs from seed 1 are a well-known sequence.
    randomState = 1;
    const uint32_t classic[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (uint32_t expected : classic) EXPECT_EQ(randomNext() & 0x7FFF, expected);
    // All 32 bits of the state step, and the draw is its upper half.
    randomState = 1;
    uint64_t state = 1;
    for (int i = 0; i < 1000; ++i) {
        state = (state * 214013u + 2531011u) % 4294967296u;
        ASSERT_EQ(randomNext(), uint32_t(state >> 16)) << i;
        ASSERT_EQ(randomState, uint32_t(state)) << i;
    }
    randomState = 1;
    EXPECT_EQ(randomFraction(), 41.0f / 65536.0f);
    randomState = 1;
    EXPECT_EQ(randomRange(-10.0f, 30.0f), -10.0f + 40.0f * (41.0f / 65536.0f));
    EXPECT_EQ(randomRange(5.0f, 5.0f), 5.0f);
    // The largest draw stays below 1.
    randomState = 0;
    while (((randomState * 214013u + 2531011u) >> 16) != 0xFFFF) ++randomState;
    EXPECT_LT(randomFraction(), 1.0f);
}

TEST(MersenneTwister, MatchesTheStandardEngine) {
    for (uint32_t seed : {5489u, 0u, 12345u, 0xFFFFFFFFu}) {
        MersenneTwister mt;
        mt.seed(seed);
        std::mt19937 ref(seed);
        for (int i = 0; i < 2000; ++i) ASSERT_EQ(mt.next(), ref()) << seed << " " << i;
        // Seeding again restarts.
        mt.seed(seed);
        EXPECT_EQ(mt.next(), std::mt19937(seed)());
    }
    // Unseeded it uses the default seed: the standard's check value is the
    // 10000th output of the default engine.
    MersenneTwister mt;
    for (int i = 0; i < 9999; ++i) mt.next();
    EXPECT_EQ(mt.next(), 4123659995u);
    // A damaged index does not read outside the state.
    mt.index = -5;
    EXPECT_EQ(mt.next(), std::mt19937(5489u)());
}
