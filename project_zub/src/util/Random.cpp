#include "util/Random.h"

uint32_t randomState = 1;

uint32_t randomNext() {
    randomState = randomState * 214013u + 2531011u;
    return randomState >> 16;
}

float randomFraction() { return static_cast<float>(randomNext()) / 65536.0f; }

float randomRange(float lo, float hi) { return lo + (hi - lo) * randomFraction(); }

void MersenneTwister::seed(uint32_t s) {
    state[0] = s;
    for (int i = 1; i < kSize; ++i) {
        state[i] = 1812433253u * (state[i - 1] ^ (state[i - 1] >> 30)) + static_cast<uint32_t>(i);
    }
    index = kSize;
}

uint32_t MersenneTwister::next() {
    constexpr int kShift = 397;
    constexpr uint32_t kMatrix = 0x9908b0dfu;
    constexpr uint32_t kUpper = 0x80000000u;
    constexpr uint32_t kLower = 0x7fffffffu;
    if (index < 0 || index >= kSize) {
        if (index != kSize) seed(5489u);
        for (int i = 0; i < kSize; ++i) {
            const uint32_t y = (state[i] & kUpper) | (state[(i + 1) % kSize] & kLower);
            state[i] = state[(i + kShift) % kSize] ^ (y >> 1) ^ ((y & 1u) ? kMatrix : 0u);
        }
        index = 0;
    }
    uint32_t y = state[index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
}
