// A sweep allocates nothing: every allocation of the process is counted
// while sweeps run over a level-sized scene.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "world/Terrain.h"
#include "world/Xsect.h"
#include "world_test_support.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t n) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
    void* p = std::malloc(n ? n : 1);
    if (!p) std::abort();
    return p;
}
}  // namespace

void* operator new(std::size_t n) { return allocate(n); }
void* operator new[](std::size_t n) { return allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

TEST(SolverAllocations, NoneInASweep) {
    worldtest::TestWorld world;
    Terrain* terrain = world.place<Terrain>();
    terrain->construct(512, 16);
    for (int i = 0; i < 300; ++i) {
        A99Object* o = world.place<A99Object>(V3(-4000.0f + 26.0f * i, 900.0f + static_cast<float>((i * 37) % 500), 0));
        world.makeHull(o, {{-20, 0, 0}, {0, 20, 0}, {20, 0, 0}, {0, -20, 0}}, true);
    }
    world.setFrame(5);
    auto sweeps = [&](int n) {
        int hits = 0;
        for (int i = 0; i < n; ++i) {
            const float x = -3900.0f + 7.8f * static_cast<float>(i);
            float y = 900.0f + static_cast<float>((i * 13) % 500);
            if (i % 2) terrain->getSurfaceAt(x, &y, nullptr);
            Xsect s(V3(x, y + 3.0f, 0), V3(x + 12.0f, y - 6.0f, 0), 3);
            s.considerHulls();
            for (; s.checkHits(); ++hits) s.handleHit(i % 3);
        }
        return hits;
    };
    sweeps(50);  // warm up (indexes, caches)
    allocations = 0;
    counting = true;
    const int hits = sweeps(1000);
    counting = false;
    EXPECT_GT(hits, 100);
    EXPECT_EQ(allocations.load(), 0);
}
