// The pig's tick.
//
// One level frame of the pig's family: the hero, driven by her control
// bindings (running right and left across rolling terrain, jumping every
// 0.7 s), and three piglet-sized bodies (types 2 to 4) that walk after her
// with a sweep of their own and animate their parts. Reported as the share
// of the 10 ms frame budget, and as a ratio against the bare sweeps of four
// points moving the same way over the same terrain (measured in the same
// run): what the controls, the ground calls, the area lookup and the body's
// animation cost on top of the collision.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>

#include "BenchSupport.h"
#include "gfx/RenderCounters.h"
#include "objects/pig/Pig.h"
#include "world/HullSegment.h"
#include "world/Terrain.h"
#include "world/Xsect.h"

namespace {

using benchsupport::BenchLevel;
using benchsupport::DT;

// A piglet stand-in: walks after the hero, falls, sweeps and animates.
class BenchPiglet : public PigBody {
public:
    void tick(double time, double dt) override {
        PigBody::tick(time, dt);
        const float fdt = static_cast<float>(dt);
        Pig* hero = Level::current()->heroOrNull();
        const float dx = hero->physPoint.position.x - physPoint.position.x;
        bWalking = std::fabs(dx) > 60.0f;
        if (bWalking) {
            facing = dx > 0.0f ? 1 : -1;
            velocity.x = clampf(velocity.x + static_cast<float>(facing) * 3000.0f * fdt, -192.0f, 192.0f);
        } else {
            velocity.x = 0.0f;
        }
        velocity.y -= 2048.0f * fdt;
        physPoint.oldPosition = physPoint.position;
        Xsect x(physPoint.position, physPoint.position + velocity * fdt, Xsect::FLAG_HERO_HULLS);
        x.considerHulls();
        physPoint.position = x.p2World;
        bool hit = false;
        while (x.checkHits()) {
            x.handleHit(Xsect::WALK);
            physPoint.position = x.resultPoint;
            setGround(x.pHitSegment);
            velocity.y = 0.0f;
            hit = true;
        }
        if (!hit) setGround(nullptr);
        updateParts(time, dt);
    }
};

// The lists the pig's family uses, in the game controller's order (null:
// the hull list).
const BenchLevel::List kLists[] = {&Level::dangerAreaList, &Level::objectList,    &Level::pigList,
                                   &Level::pigletList,     &Level::houseList,     nullptr,
                                   &Level::proxyList,      &Level::fgEffectsList, &Level::speechBubbleList};

// The pig's family at the configuration's own detail level.
class FamilyLevel : public BenchLevel {
public:
    FamilyLevel() : BenchLevel("pig", kLists, -1) {}
    // One frame: the hero runs right and left in turns and jumps now and then.
    void frame() {
        driveHero(true);
        tickWorld();
    }
};

// The baseline: four points walking the same terrain with bare sweeps.
double bareSweepSeconds(int64_t frames) {
    struct Point {
        V3 p, v;
    };
    Point points[4] = {{V3(0, 40, 0), V3(384, 0, 0)},
                       {V3(-60, 40, 0), V3(192, 0, 0)},
                       {V3(-120, 40, 0), V3(192, 0, 0)},
                       {V3(-180, 40, 0), V3(192, 0, 0)}};
    const float dt = static_cast<float>(DT);
    const auto start = std::chrono::steady_clock::now();
    for (int64_t f = 0; f < frames; ++f) {
        ++renderCounters.frameNumber;
        for (Point& b : points) {
            if ((f / 150) % 2) b.v.x = -std::fabs(b.v.x);
            else b.v.x = std::fabs(b.v.x);
            b.v.y -= 2048.0f * dt;
            Xsect x(b.p, b.p + b.v * dt, Xsect::FLAG_HERO_HULLS | Xsect::FLAG_PASS_THROUGH_HULLS);
            x.considerHulls();
            V3 end = x.p2World;
            while (x.checkHits()) {
                x.handleHit(Xsect::WALK);
                end = x.resultPoint;
                b.v.y = 0.0f;
            }
            b.p = end;
        }
    }
    benchmark::ClobberMemory();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PigFamilyFrame(benchmark::State& state) {
    FamilyLevel level;
    level.rollingTerrain();
    level.body<Pig>(level.pigList, V3(0.0f, 40.0f, 0.0f), 1);
    for (int i = 0; i < 3; ++i)
        level.body<BenchPiglet>(level.pigletList, V3(-60.0f * static_cast<float>(i + 1), 40.0f, 0.0f), i + 2);
    level.frame();  // everything lands
    const double seconds = benchsupport::timeFrames(state, [&] { level.frame(); });
    state.counters["vs_bare_sweeps"] = benchmark::Counter(seconds / bareSweepSeconds(state.iterations()));
}
BENCHMARK(BM_PigFamilyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
