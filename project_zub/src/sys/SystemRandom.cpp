#include "sys/SystemRandom.h"

#include <chrono>

#include "platform/PlatformSystem.h"

namespace {

// splitmix64's finaliser: spreads a weak seed over all bits.
uint64_t mix64(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Only when the system has no random source to give: clocks, process id and a counter.
uint32_t fallbackRandom() {
    static uint64_t counter = 0;
    const uint64_t seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                          (static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) << 1) ^
                          (static_cast<uint64_t>(processId()) << 32) ^ (++counter * 0x9E3779B97F4A7C15ull);
    return static_cast<uint32_t>(mix64(seed) >> 16);
}

}  // namespace

bool readSystemRandom(void* dest, size_t count) { return platform::systemRandomBytes(dest, count); }

uint32_t systemRandom32() {
    uint32_t value = 0;
    if (!readSystemRandom(&value, sizeof value)) value = fallbackRandom();
    return value;
}

long processId() { return platform::currentProcessId(); }
