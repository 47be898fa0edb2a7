#pragma once
// The baseline the benchmarks report their ratios against: one memcpy of the
// same number of bytes, measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

// Nanoseconds per memcpy of `bytes` bytes, timed over at least 20 ms.
inline double memcpyNanoseconds(size_t bytes) {
    std::vector<uint8_t> src(bytes, 0x5A), dst(bytes);
    using Clock = std::chrono::steady_clock;
    long rounds = 0;
    const auto start = Clock::now();
    auto now = start;
    do {
        for (int k = 0; k < 16; ++k) {
            std::memcpy(dst.data(), src.data(), src.size());
            benchmark::DoNotOptimize(dst.data());
            benchmark::ClobberMemory();
        }
        rounds += 16;
        now = Clock::now();
    } while (now - start < std::chrono::milliseconds(20));
    return std::chrono::duration<double, std::nano>(now - start).count() / static_cast<double>(rounds);
}
