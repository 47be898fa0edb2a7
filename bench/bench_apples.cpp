// The apples' tick.
//
// One level frame of a busy orchard: 40 apples on rolling terrain, half of
// them resting and half bouncing (an apple of the bouncing half that comes
// to rest is tossed up again), three baskets lying among them (each frame
// looking for apples that touch them), and the hero running right and left
// across the field, kicking the apples she meets. Reported as the share of
// the 10 ms frame budget, and as a ratio against the bare sweeps of 40
// points bouncing over the same terrain (measured in the same run): what the
// apples' rules, the ghosts, the baskets and the pig cost on top of the
// collision.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "BenchSupport.h"
#include "gfx/RenderCounters.h"
#include "objects/apples/Apple.h"
#include "objects/apples/Basket.h"
#include "objects/pig/Pig.h"
#include "world/Terrain.h"
#include "world/Xsect.h"

namespace {

using benchsupport::BenchLevel;
using benchsupport::DT;
using namespace benchsupport::orchard;

// The lists the orchard uses, in the game controller's order (null: the
// hull list).
const BenchLevel::List kLists[] = {
    &Level::dangerAreaList, &Level::objectList,     &Level::pigList,       &Level::pigletList,
    &Level::houseList,      &Level::cargoList,      &Level::appleList,     nullptr,
    &Level::proxyList,      &Level::appleGhostList, &Level::fgEffectsList, &Level::speechBubbleList};

class OrchardLevel : public BenchLevel {
public:
    OrchardLevel() : BenchLevel("apples", kLists) {}
    // One frame: the hero runs right and left in turns; bouncing apples that
    // came to rest are tossed up again.
    void frame() {
        driveHero(false);
        tossRestingApples(*this);
        tickWorld();
    }
};

// The baseline: 40 points falling onto the same terrain with bare sweeps,
// bouncing back at 65 % and tossed up again once they come to rest.
double bareSweepSeconds(int64_t frames) {
    struct Point {
        V3 p, v;
        bool resting;
    };
    std::vector<Point> points;
    for (int i = 0; i < APPLES; ++i) points.push_back({V3(apartX(i), dropY(i), 0.0f), V3(), false});
    const float dt = static_cast<float>(DT);
    const auto start = std::chrono::steady_clock::now();
    for (int64_t f = 0; f < frames; ++f) {
        ++renderCounters.frameNumber;
        for (Point& b : points) {
            if (b.resting) b.v = V3(0.0f, TOSS, 0.0f);
            b.resting = false;
            b.v.y -= 1024.0f * dt;
            const V3 end = b.p + b.v * dt;
            Xsect x(b.p, end, Xsect::FLAG_PASS_THROUGH_HULLS);
            x.considerHulls();
            b.p = end;
            while (x.checkHits()) {
                const float speed = b.v.length();
                x.handleHit(Xsect::SLIDE);
                b.p = x.resultPoint;
                b.v = x.resultDir * (speed * 0.65f);
                if (speed < 70.0f) {
                    b.resting = true;
                    break;
                }
            }
        }
    }
    benchmark::ClobberMemory();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_OrchardFrame(benchmark::State& state) {
    OrchardLevel level;
    level.rollingTerrain();
    level.hero(FIELD);
    for (int i = 0; i < APPLES; ++i) {
        Apple* a = level.spawn<Apple>(level.appleList, V3(apartX(i), dropY(i), 0.0f));
        a->bHanging = 0;
    }
    level.spawn<BasketB>(level.cargoList, V3(FIELD - 830.0f, 80.0f, 0.0f));
    level.spawn<BasketC>(level.cargoList, V3(FIELD - 430.0f, 80.0f, 0.0f));
    level.spawn<BasketD>(level.cargoList, V3(FIELD + 730.0f, 80.0f, 0.0f));
    for (int i = 0; i < 100; ++i) level.frame();  // everything lands, half bounces
    const double seconds = benchsupport::timeFrames(state, [&] { level.frame(); });
    state.counters["vs_bare_sweeps"] = benchmark::Counter(seconds / bareSweepSeconds(state.iterations()));
    int airborne = 0, inBaskets = 0;
    for (Apple* a : childrenOf<Apple>(level.appleList)) {
        airborne += !a->pSlot && !a->getGround();
        inBaskets += a->pSlot != nullptr;
    }
    state.counters["airborne"] = benchmark::Counter(airborne);
    state.counters["in_baskets"] = benchmark::Counter(inBaskets);
}
BENCHMARK(BM_OrchardFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
