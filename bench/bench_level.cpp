// A level's tick.
//
// One frame of a level-sized scene, with the game controller's lists in its
// order: the hero running right and left across rolling terrain and jumping
// every 0.7 s, her three piglets wandering about the house, 40 apples on the
// field (half resting, half bouncing: an apple of the bouncing half that
// comes to rest is tossed up again), 12 animals beyond the field (two
// bears, two bees, two hedgehogs, two snails and a fish on paths, a frog, a
// rabbit and a horse in place; where the animals are not built, twelve path
// critters stand in for them: six worms crawling the terrain and six
// butterflies fluttering over the field), four moving platforms going to and
// fro above the field, and 300 hulls in all (the terrain, the house, the
// platforms and 294 boxes on ledges over the whole level). Reported as the
// share of the 10 ms frame budget, and as a ratio against the bare sweeps of
// the 44 bodies (40 bouncing points and four walking ones) against the same
// hulls, measured in the same run: what the level's rules cost on top of the
// collision.
#include <benchmark/benchmark.h>

#include <chrono>
#include <initializer_list>
#include <vector>

#include "BenchSupport.h"
#include "gfx/RenderCounters.h"
#include "objects/apples/Apple.h"
#include "objects/machines/PathPlatform.h"
#include "objects/paths/Butterfly.h"
#include "objects/paths/Worm.h"
#include "objects/pig/Pig.h"
#include "objects/pig/Piglet.h"
#include "objects/triggers/House.h"
#include "world/BezierPath.h"
#include "world/BezierVertex.h"
#include "world/Hull.h"
#include "world/HullList.h"
#include "world/Terrain.h"
#include "world/Xsect.h"

#if __has_include("objects/animals/Bear.h")
#define BENCH_REAL_ANIMALS 1
#include "objects/animals/Bear.h"
#include "objects/animals/Bee.h"
#include "objects/animals/FishA.h"
#include "objects/animals/FishB.h"
#include "objects/animals/Frog.h"
#include "objects/animals/Hedgehog.h"
#include "objects/animals/Horse.h"
#include "objects/animals/Rabbit.h"
#include "objects/animals/Snail.h"
#else
#define BENCH_REAL_ANIMALS 0
#endif

namespace {

using benchsupport::BenchLevel;
using benchsupport::DT;
using namespace benchsupport::orchard;

[[maybe_unused]] constexpr int CRITTERS = 12;  // the real animals place as many, one by one
constexpr int PLATFORMS = 4;
constexpr int HULLS = 300;
// The rolling terrain's width; the field (the apples, the hero's run) lies
// around FIELD, the house beyond it.
constexpr float LEVEL_WIDTH = 512.0f * 16.0f;

// The game controller's lists, in the order in which they tick (null: the
// hull list).
const BenchLevel::List kLists[] = {
    &Level::bgList,        &Level::bgEffectsList, &Level::secretList,      &Level::dangerAreaList, &Level::objectList,
    &Level::pigList,       &Level::pigletList,    &Level::houseList,       &Level::explodableList, &Level::cargoList,
    &Level::appleList,     &Level::sweetList,     &Level::proxyList,       &Level::appleGhostList, nullptr,
    &Level::fgEffectsList, &Level::weatherList,   &Level::speechBubbleList};

class SceneLevel : public BenchLevel {
public:
    SceneLevel() : BenchLevel("level", kLists) {}

    // A hull through local points of a new object (closed: a box).
    template <class T = A99Object>
    T* withHull(const V3& at, std::initializer_list<V3> points, bool close) {
        T* o = spawn<T>(objectList, at);
        o->createHull();
        for (const V3& p : points) o->getHull()->addHullPoint(p.x, p.y, p.z, true);
        if (close) o->getHull()->closeLoop();
        o->netPostReplicate();
        role->outgoing->reset();
        return o;
    }
    // A straight path from `from` to `to` (local to `from`), moving evenly.
    BezierPath* path(const V3& from, const V3& to) {
        BezierPath* p = spawn<BezierPath>(objectList, from);
        p->addPoint(0.0f, 0.0f, 0.0f);
        p->addPoint(to.x, to.y, to.z);
        for (BezierVertex* v : childrenOf<BezierVertex>(p->vertices)) v->tangent = to * (1.0f / 3.0f);
        p->onEdited();
        role->outgoing->reset();
        return p;
    }
    template <class T>
    T* follower(BezierPath* p, float speed, float alpha) {
        T* f = spawn<T>(objectList, p->position);
        f->pPath.set(p);
        f->pathSpeed = speed;
        f->pathAlpha = alpha;
        f->pathDir = 1;
        return f;
    }
    void piglet(int type) {
        Piglet* p = new Piglet();
        role->registerObject(p, 0);
        p->setPigletCount(type);
        p->netPostReplicate();
        role->outgoing->reset();
    }
    // One frame: the hero runs right and left in turns and jumps now and
    // then; bouncing apples that came to rest are tossed up again.
    void frame() {
        driveHero(true);
        tossRestingApples(*this);
        tickWorld();
    }

    // The whole scene.
    void build() {
        Terrain* terrain = rollingTerrain();
        spawn<House>(houseList, V3(FIELD + 1050.0f, terrainY(FIELD + 1050.0f) + 50.0f, 0.0f));
        hero(FIELD);
        for (int type = 2; type <= 4; ++type) piglet(type);
        for (int i = 0; i < APPLES; ++i) spawn<Apple>(appleList, V3(apartX(i), dropY(i), 0.0f))->bHanging = 0;
        animals(terrain);
        for (int i = 0; i < PLATFORMS; ++i) {
            const float x = FIELD - 800.0f + 450.0f * static_cast<float>(i);
            BezierPath* p = path(V3(x, 260.0f, 0.0f), V3(300.0f, 80.0f, 0.0f));
            auto* platform = withHull<PathPlatform>(p->position, {V3(-60, 0, 0), V3(60, 0, 0)}, false);
            platform->pPath.set(p);
            platform->pathSpeed = 0.3f;
            platform->pathAlpha = 0.2f * static_cast<float>(i);
            platform->endpointDelay = 0.5;
        }
        // The rest of the hulls: boxes on ledges across the whole level.
        for (int i = 0; hullList->countChildren() < HULLS; ++i) {
            const float x = 40.0f + static_cast<float>(i % 49) * (LEVEL_WIDTH / 49.0f);
            const float y = 600.0f + 220.0f * static_cast<float>(i / 49);
            withHull(V3(x, y, 0.0f), {V3(-40, 0, 0), V3(40, 0, 0), V3(40, 60, 0), V3(-40, 60, 0)}, true);
        }
    }

    // Twelve animals on and beside their own stretch of ground beyond the
    // field (the hero does not run there), each over a path of its own.
    void animals(Terrain* terrain) {
        auto onGround = [&](PathFollower* f) { f->pTerrain.set(terrain); };
        auto at = [](int i) { return FIELD + 1200.0f + 250.0f * static_cast<float>(i); };
        auto walk = [&](int i, float y) { return path(V3(at(i), y, 0.0f), V3(200.0f, 0.0f, 0.0f)); };
#if BENCH_REAL_ANIMALS
        onGround(follower<Bear>(walk(0, 0.0f), 0.2f, 0.0f));
        onGround(follower<Bear>(walk(1, 0.0f), 0.2f, 0.5f));
        follower<Bee>(walk(2, 250.0f), 0.3f, 0.2f);
        follower<Bee>(walk(3, 250.0f), 0.3f, 0.7f);
        onGround(follower<Hedgehog>(walk(4, 0.0f), 0.25f, 0.1f));
        onGround(follower<Hedgehog>(walk(5, 0.0f), 0.25f, 0.6f));
        onGround(follower<Snail>(walk(6, 0.0f), 0.1f, 0.3f));
        onGround(follower<Snail>(walk(7, 0.0f), 0.1f, 0.8f));
        follower<FishA>(walk(8, -60.0f), 0.2f, 0.4f);
        spawn<Frog>(objectList, V3(at(9), terrainY(at(9)) + 20.0f, 0.0f));
        spawn<Rabbit>(objectList, V3(at(10), terrainY(at(10)), 0.0f));
        spawn<Horse>(objectList, V3(at(11), terrainY(at(11)) + 60.0f, 0.0f));
#else
        for (int i = 0; i < CRITTERS / 2; ++i) {
            onGround(follower<Worm>(walk(i, 0.0f), 0.2f, 0.1f * static_cast<float>(i)));
            const float bx = FIELD - 900.0f + 300.0f * static_cast<float>(i);
            BezierPath* flight = path(V3(bx, 350.0f, 0.0f), V3(250.0f, 50.0f, 0.0f));
            follower<Butterfly>(flight, 0.25f, 0.15f * static_cast<float>(i));
        }
#endif
    }
};

// The baseline: 40 points bouncing on the field and four walking it, with
// bare sweeps against the level's hulls.
double bareSweepSeconds(int64_t frames) {
    struct Point {
        V3 p, v;
        bool walker, resting;
    };
    std::vector<Point> points;
    for (int i = 0; i < APPLES; ++i) points.push_back({V3(apartX(i), dropY(i), 0.0f), V3(), false, false});
    for (int i = 0; i < 4; ++i)
        points.push_back({V3(FIELD - 60.0f * static_cast<float>(i), 40.0f, 0.0f), V3(), true, false});
    const float dt = static_cast<float>(DT);
    const auto start = std::chrono::steady_clock::now();
    for (int64_t f = 0; f < frames; ++f) {
        ++renderCounters.frameNumber;
        for (Point& b : points) {
            if (b.walker) b.v.x = (f / 150) % 2 ? -384.0f : 384.0f;
            else if (b.resting) b.v = V3(0.0f, TOSS, 0.0f);
            b.resting = false;
            b.v.y -= (b.walker ? 2048.0f : 1024.0f) * dt;
            const V3 end = b.p + b.v * dt;
            Xsect x(b.p, end, Xsect::FLAG_HERO_HULLS | Xsect::FLAG_PASS_THROUGH_HULLS);
            x.considerHulls();
            b.p = end;
            while (x.checkHits()) {
                const float speed = b.v.length();
                x.handleHit(b.walker ? Xsect::WALK : Xsect::SLIDE);
                b.p = x.resultPoint;
                if (b.walker) {
                    b.v.y = 0.0f;
                    continue;
                }
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

void BM_LevelFrame(benchmark::State& state) {
    SceneLevel level;
    level.build();
    for (int i = 0; i < 100; ++i) level.frame();  // everything lands, half bounces
    const double seconds = benchsupport::timeFrames(state, [&] { level.frame(); });
    // The bare sweeps run against the same hulls while the level stands.
    state.counters["vs_bare_sweeps"] = benchmark::Counter(seconds / bareSweepSeconds(state.iterations()));
    state.counters["hulls"] = benchmark::Counter(level.hullList->countChildren());
    state.counters["apples"] = benchmark::Counter(level.appleList->countChildren());
    state.counters["real_animals"] = benchmark::Counter(BENCH_REAL_ANIMALS);
    const int objects = level.objectList->countChildren() + level.appleList->countChildren() +
                        level.pigletList->countChildren() + level.pigList->countChildren();
    state.counters["objects"] = benchmark::Counter(objects);
}
BENCHMARK(BM_LevelFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
