#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "util/Random.h"

TEST(Random, LcgFollowsItsFormulaFromStateOne) {
    randomState = 1;
    uint64_t state = 1;
    for (int i = 0; i < 1000; ++i) {
        state = (state * 214013u + 2531011u) % 4294967296u;
        ASSERT_EQ(randomNext(), uint32_t(state >> 16)) << i;
        ASSERT_EQ(randomState, uint32_t(state)) << i;
    }
}

TEST(Random, LcgLowFifteenBitsAreTheClassicSequence) {
    // The same LCG's 15-bit outputs from seed 1 are a well-known sequence.
    randomState = 1;
    const uint32_t classic[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (uint32_t expected : classic) EXPECT_EQ(randomNext() & 0x7FFF, expected);
}

TEST(Random, FractionAndRange) {
    randomState = 1;
    uint32_t copy = 1;
    for (int i = 0; i < 1000; ++i) {
        copy = copy * 214013u + 2531011u;
        const float f = randomFraction();
        EXPECT_EQ(f, float(copy >> 16) / 65536.0f);
        EXPECT_GE(f, 0.0f);
        EXPECT_LT(f, 1.0f);
    }
    // The largest draw stays below 1.
    randomState = 0;
    while (((randomState * 214013u + 2531011u) >> 16) != 0xFFFF) ++randomState;
    EXPECT_LT(randomFraction(), 1.0f);

    randomState = 1;
    const float r = randomRange(-10.0f, 30.0f);
    EXPECT_EQ(r, -10.0f + 40.0f * (41.0f / 65536.0f));
    randomState = 1;
    EXPECT_EQ(randomRange(5.0f, 5.0f), 5.0f);
}

TEST(MersenneTwister, MatchesStandardEngine) {
    for (uint32_t seed : {5489u, 0u, 1u, 12345u, 0xFFFFFFFFu}) {
        MersenneTwister mt;
        mt.seed(seed);
        EXPECT_EQ(mt.index, 624);
        std::mt19937 ref(seed);
        for (int i = 0; i < 2000; ++i) ASSERT_EQ(mt.next(), ref()) << seed << " " << i;
    }
}

TEST(MersenneTwister, UnseededUsesDefaultSeed) {
    MersenneTwister mt;
    EXPECT_EQ(mt.index, 625);
    std::mt19937 ref;
    for (int i = 0; i < 9999; ++i) ASSERT_EQ(mt.next(), ref());
    // The standard's check value: the 10000th output of the default engine.
    EXPECT_EQ(mt.next(), 4123659995u);
}

TEST(MersenneTwister, ReseedingRestarts) {
    MersenneTwister mt;
    mt.seed(7);
    const uint32_t first = mt.next();
    for (int i = 0; i < 700; ++i) mt.next();
    mt.seed(7);
    EXPECT_EQ(mt.next(), first);
    // A damaged index does not read outside the state.
    mt.index = -5;
    std::mt19937 ref(5489u);
    EXPECT_EQ(mt.next(), ref());
}
