// The world's collision path.
//
// Sweep cost against the number of hulls: 10, 100, 1000 and 10000 small
// closed hulls (eight segments each) spread over an 8000 x 4000 world above
// the 512-point terrain, short sweeps (5 to 20 units, as a body moving at
// about 1500 units per second in 0.01 s) from random places. The baseline,
// measured in the same run, is Box2D's closest-hit ray cast
// (b2World::RayCast) through the same segments as two-sided edges of a
// static body; the ratio ours / Box2D per hull count is printed at the end
// (from the medians when the run has repetitions). A naive sweep over every
// segment, pre-transformed into the world, shows what any culling buys.
//
// A synthetic level frame: a pig-sized body walking the terrain, three small
// bodies following it, forty apples of which half are in the air (falling
// and bouncing), the other half resting (they do not sweep), and 300 hulls.
// Reported as the share of the 10 ms frame budget, with the sweeps and
// iterations per frame.
//
// Every allocation of the process is counted while sweeps run: reported as
// allocations per sweep (expected 0).
//
// Terrain construction (construct(n, 16): points, hull vertices and
// segments, the first shape) at 512 to 65536 points, against the baseline of
// laying the shape one setHeights call at a time (each measures the whole
// strip again); printed at the end as time and cost per point, which stays
// flat when construction is linear.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#if ZUB_BASELINE_BOX2D
#include <box2d/box2d.h>
#endif

#include "audio/Sound.h"
#include "gfx/Context.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/RenderCounters.h"
#include "gfx/Texture.h"
#include "net/NetRole.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "world/A99Object.h"
#include "world/GameWorld.h"
#include "world/Hull.h"
#include "world/HullList.h"
#include "world/HullSegment.h"
#include "world/HullVertex.h"
#include "world/Terrain.h"
#include "world/Xsect.h"

// --- allocation counting -------------------------------------------------------

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

namespace {

// A fixed sequence of numbers in [0, 1).
struct Lcg {
    uint32_t s;
    float next() {
        s = s * 1664525u + 1013904223u;
        return static_cast<float>(s >> 8) / 16777216.0f;
    }
};

// --- a level without a game controller -----------------------------------------

class BenchWorld : public GameWorld {
public:
    BenchWorld() : role(new NetRole()), root(new RootObject()) {
        ErrorManager::bTestMode = true;
        previous = GameWorld::setCurrent(this);
        Context::environment.current = &context;
        MemoryImageFile icon(8, 8);
        texture = std::make_unique<Texture>(&icon);
        texture->registerSkins(resources, u"editor_icons");
        role->registerObject(root, 1);
        for (ZubBase* list : std::initializer_list<ZubBase*>{&objects, &hulls, &proxies}) root->addChild(list);
        role->outgoing->reset();
    }
    ~BenchWorld() override {
        for (ZubBase* list : std::initializer_list<ZubBase*>{&objects, &hulls, &proxies}) root->removeChild(list);
        for (ZubBase* l : std::initializer_list<ZubBase*>{&proxies, &hulls, &objects})
            while (ZubBase* c = l->firstChild) {
                l->removeChild(c);
                deleteObject(c);
            }
        delete role;
        GameWorld::setCurrent(previous);
        Context::environment.current = nullptr;
    }
    ZubBase* getObjectList() override { return &objects; }
    HullList* getHullList() override { return &hulls; }
    ZubBase* getProxyList() override { return &proxies; }

    A99Object* place(const V3& at) {
        A99Object* o = new A99Object();
        role->registerObject(o, 0);
        o->setPosition(at.x, at.y, at.z);
        objects.addChild(o);
        o->construct();
        return o;
    }
    // A closed octagon of the radius (clockwise: it faces outwards).
    void octagon(const V3& at, float radius) {
        A99Object* o = place(at);
        o->createHull();
        Hull* h = o->getHull();
        for (int k = 0; k < 8; ++k) {
            const float a = -static_cast<float>(k) * kTwoPi / 8.0f;
            h->addHullPoint(radius * std::cos(a), radius * std::sin(a), 0.0f, true);
        }
        h->closeLoop();
        role->outgoing->reset();
    }
    Terrain* terrain() {
        Terrain* t = new Terrain();
        role->registerObject(t, 0);
        t->setPosition(0, 0, 0);
        objects.addChild(t);
        t->construct(512, 16);
        role->outgoing->reset();
        return t;
    }

    NetRole* role;
    RootObject* root;
    ZubBase objects, proxies;
    HullList hulls;
    ResourceManager resources;
    std::unique_ptr<Texture> texture;
    Context context;
    GameWorld* previous;
};

struct SweepCase {
    V3 from, to;
};

// A world of H small hulls over the terrain, and the sweeps to run in it.
struct Scene {
    explicit Scene(int hulls) {
        // Built in frame 0 and swept in frame 100, whatever ran before: no
        // hull has moved in the frame of the sweeps (a scene built in frame
        // 100, after another one, would have every hull moving).
        renderCounters.frameNumber = 0;
        Lcg rng{12345u};
        terrain = world.terrain();
        for (int i = 0; i < hulls; ++i)
            world.octagon(V3(-4000.0f + 8000.0f * rng.next(), 800.0f + 4000.0f * rng.next(), 0.0f),
                          10.0f + 20.0f * rng.next());
        for (int i = 0; i < 4096; ++i) {
            V3 from(-4000.0f + 8000.0f * rng.next(), 0.0f, 0.0f);
            if (i % 4 == 0) {
                float ground = 0.0f;
                terrain->getSurfaceAt(from.x, &ground, nullptr);
                from.y = ground + 2.0f;  // near the ground
            } else {
                from.y = 800.0f + 4000.0f * rng.next();
            }
            const float a = kTwoPi * rng.next();
            const float length = 5.0f + 15.0f * rng.next();
            sweeps.push_back({from, from + V3(std::cos(a), std::sin(a), 0.0f) * length});
        }
        // World-space copy of every segment, for the naive sweep.
        for (ObjectIterator it(&world.hulls); it; it.advance()) {
            Hull* h = static_cast<Hull*>(it.get());
            A99Object* o = h->owner();
            for (ZubBase* c = h->segments.firstChild; c; c = c->nextSibling) {
                HullSegment* s = static_cast<HullSegment*>(c);
                V3 a, b;
                o->localToWorld(a, s->start);
                o->localToWorld(b, s->start + s->dV);
                segments.push_back({a, b});
            }
        }
        renderCounters.frameNumber = 100;
#if ZUB_BASELINE_BOX2D
        b2BodyDef def;  // static, at the origin: the edges are in world space
        b2Body* body = box2d.CreateBody(&def);
        for (const SweepCase& s : segments) {
            b2EdgeShape edge;
            edge.SetTwoSided(b2Vec2(s.from.x, s.from.y), b2Vec2(s.to.x, s.to.y));
            body->CreateFixture(&edge, 0.0f);
        }
#endif
    }
    BenchWorld world;
    Terrain* terrain = nullptr;
    std::vector<SweepCase> sweeps;
    std::vector<SweepCase> segments;
#if ZUB_BASELINE_BOX2D
    b2World box2d{b2Vec2(0.0f, 0.0f)};
#endif
};

Scene& sceneWith(int hulls) {
    static std::unique_ptr<Scene> scene;
    static int built = -1;
    if (built != hulls) {
        scene.reset();
        scene = std::make_unique<Scene>(hulls);
        built = hulls;
    }
    return *scene;
}

// FNV-1a over the bits of every result of all the scene's sweeps (hit
// points, result points and directions, hits per sweep): equal digests mean
// bit-identical results, whatever changed in how they were found.
uint32_t resultsDigest(const Scene& scene) {
    uint32_t h = 2166136261u;
    auto mix = [&h](float f) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        for (int i = 0; i < 4; ++i) {
            h ^= (u >> (8 * i)) & 0xFFu;
            h *= 16777619u;
        }
    };
    for (size_t i = 0; i < scene.sweeps.size(); ++i) {
        Xsect x(scene.sweeps[i].from, scene.sweeps[i].to, 3);
        x.considerHulls();
        int hits = 0;
        while (x.checkHits()) {
            x.handleHit(i % 3 == 0 ? Xsect::WALK : Xsect::SLIDE);
            for (const V3& v : {x.hitPoint, x.resultPoint, x.resultDir}) {
                mix(v.x);
                mix(v.y);
            }
            ++hits;
        }
        mix(static_cast<float>(hits));
    }
    return h;
}
std::map<int, uint32_t> digests;  // by hull count, printed at the end

int runSweep(const SweepCase& c, int response, uint32_t flags) {
    Xsect x(c.from, c.to, flags);
    x.considerHulls();
    int hits = 0;
    while (x.checkHits()) {
        x.handleHit(response);
        ++hits;
    }
    return hits;
}

void BM_Sweep(benchmark::State& state) {
    Scene& scene = sceneWith(static_cast<int>(state.range(0)));
    digests[static_cast<int>(state.range(0))] = resultsDigest(scene);
    size_t i = 0;
    long hits = 0;
    allocations = 0;
    counting = true;
    for (auto _ : state) {
        hits += runSweep(scene.sweeps[i], i % 3 == 0 ? Xsect::WALK : Xsect::SLIDE, 3);
        i = (i + 1) & 4095;
    }
    counting = false;
    state.counters["hits_per_sweep"] = benchmark::Counter(static_cast<double>(hits) / state.iterations());
    state.counters["allocs_per_sweep"] =
        benchmark::Counter(static_cast<double>(allocations.load()) / state.iterations());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Sweep)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kNanosecond);

// The naive sweep: the nearest crossing of the path with any segment in the world.
void BM_NaiveSweep(benchmark::State& state) {
    Scene& scene = sceneWith(static_cast<int>(state.range(0)));
    size_t i = 0;
    long hits = 0;
    for (auto _ : state) {
        const SweepCase& c = scene.sweeps[i];
        const V3 d = c.to - c.from;
        float best = 2.0f;
        for (const SweepCase& s : scene.segments) {
            const V3 e = s.to - s.from;
            const float den = d.x * e.y - d.y * e.x;
            if (den == 0.0f) continue;
            const V3 w = s.from - c.from;
            const float t = (w.x * e.y - w.y * e.x) / den;
            const float u = (w.x * d.y - w.y * d.x) / den;
            if (t >= 0.0f && t <= 1.0f && u >= 0.0f && u <= 1.0f && t < best) best = t;
        }
        if (best <= 1.0f) ++hits;
        benchmark::DoNotOptimize(best);
        i = (i + 1) & 4095;
    }
    state.counters["hits_per_sweep"] = benchmark::Counter(static_cast<double>(hits) / state.iterations());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NaiveSweep)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kNanosecond);

#if ZUB_BASELINE_BOX2D
// The nearest crossing of the path with any edge (Box2D's closest-hit cast).
struct ClosestHit : b2RayCastCallback {
    float ReportFixture(b2Fixture*, const b2Vec2&, const b2Vec2&, float f) override {
        fraction = f;
        return f;
    }
    float fraction = 2.0f;
};

void BM_Box2DRayCast(benchmark::State& state) {
    Scene& scene = sceneWith(static_cast<int>(state.range(0)));
    size_t i = 0;
    long hits = 0;
    for (auto _ : state) {
        const SweepCase& c = scene.sweeps[i];
        ClosestHit hit;
        scene.box2d.RayCast(&hit, b2Vec2(c.from.x, c.from.y), b2Vec2(c.to.x, c.to.y));
        if (hit.fraction <= 1.0f) ++hits;
        benchmark::DoNotOptimize(hit.fraction);
        i = (i + 1) & 4095;
    }
    state.counters["hits_per_sweep"] = benchmark::Counter(static_cast<double>(hits) / state.iterations());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Box2DRayCast)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kNanosecond);
#endif

// --- a level frame --------------------------------------------------------------

struct Body {
    V3 p, v;
    uint32_t flags;
    bool resting = false;
};

void BM_LevelFrame(benchmark::State& state) {
    Scene& scene = sceneWith(300);
    Terrain* terrain = scene.terrain;
    const float dt = 0.01f;
    auto onGround = [&](float x) {
        float g = 0.0f;
        terrain->getSurfaceAt(x, &g, nullptr);
        return g;
    };
    std::vector<Body> bodies;
    bodies.push_back({V3(-3000, onGround(-3000) + 1.0f, 0), V3(400, 0, 0), 3});  // the pig
    for (int i = 0; i < 3; ++i)
        bodies.push_back({V3(-3060.0f - 40.0f * i, onGround(-3060.0f - 40.0f * i) + 1.0f, 0), V3(400, 0, 0), 1});
    Lcg rng{777u};
    for (int i = 0; i < 40; ++i) {
        const float x = -3800.0f + 190.0f * static_cast<float>(i);
        Body apple{V3(x, onGround(x) + (i % 2 ? 300.0f + 300.0f * rng.next() : 0.5f), 0), V3(0, 0, 0), 2};
        apple.resting = i % 2 == 0;
        bodies.push_back(apple);
    }
    long sweeps = 0, iterations = 0;
    allocations = 0;
    counting = true;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        ++renderCounters.frameNumber;
        for (size_t k = 0; k < bodies.size(); ++k) {
            Body& b = bodies[k];
            if (b.resting) continue;
            const bool walker = k < 4;
            if (walker) {
                b.v.y -= 2048.0f * dt;
                if (b.p.x > 3800.0f || b.p.x < -3800.0f) b.v.x = -b.v.x;
            } else {
                b.v.y -= 1024.0f * dt;
            }
            const V3 target = b.p + b.v * dt;
            Xsect x(b.p, target, b.flags);
            x.considerHulls();
            V3 end = target;
            bool hit = false;
            while (x.checkHits()) {
                x.handleHit(walker ? Xsect::WALK : Xsect::SLIDE);
                end = x.resultPoint;
                hit = true;
                ++iterations;
            }
            ++sweeps;
            if (hit && walker) b.v.y = 0.0f;
            if (hit && !walker) {
                // Bounce: keep 65 % of the speed along the reflected direction;
                // throw it up again once it comes to rest.
                b.v = x.resultDir * (b.v.length() * 0.65f);
                if (b.v.length() < 70.0f) b.v = V3(0.0f, 600.0f + 300.0f * rng.next(), 0.0f);
            }
            b.p = end;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    counting = false;
    const double frames = static_cast<double>(state.iterations());
    state.counters["sweeps_per_frame"] = benchmark::Counter(static_cast<double>(sweeps) / frames);
    state.counters["iterations_per_frame"] = benchmark::Counter(static_cast<double>(iterations) / frames);
    state.counters["allocs_per_sweep"] = benchmark::Counter(static_cast<double>(allocations.load()) / sweeps);
    // The share of the 10 ms frame budget, in percent.
    state.counters["budget_percent"] = benchmark::Counter(seconds / frames / 0.01 * 100.0);
}
BENCHMARK(BM_LevelFrame)->Unit(benchmark::kMicrosecond);

// --- building the terrain ---------------------------------------------------------

// A terrain in a fresh world, registered and in the object list, not yet
// built; the world's set-up and tear-down are not timed.
struct TerrainRun {
    TerrainRun() : world(std::make_unique<BenchWorld>()), terrain(new Terrain()) {
        world->role->registerObject(terrain, 0);
        world->objects.addChild(terrain);
    }
    std::unique_ptr<BenchWorld> world;
    Terrain* terrain;
};

constexpr int kTerrainWidth = 16;

// construct(n, 16): the points, the hull's vertices and segments, the first
// shape with its normals and totals.
void BM_TerrainConstruct(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TerrainRun run;
        const auto start = std::chrono::steady_clock::now();
        run.terrain->construct(n, kTerrainWidth);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        benchmark::DoNotOptimize(run.terrain->totalHeight);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_TerrainConstruct)
    ->Arg(512)
    ->Arg(4096)
    ->Arg(16384)
    ->Arg(65536)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The baseline: the same construct, then its first shape laid again one
// setHeights call at a time, each measuring the whole strip (its total height
// and the hull's radius) again, as construction used to. Quadratic: kept to
// small strips.
void BM_TerrainConstructPointwise(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        TerrainRun run;
        const auto start = std::chrono::steady_clock::now();
        run.terrain->construct(n, kTerrainWidth);
        for (int i = 0; i < n; ++i) {
            const float t = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
            run.terrain->setHeights(i, 400.0f + 300.0f * std::cos(kTwoPi * t), Terrain::kKeep);
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        benchmark::DoNotOptimize(run.terrain->totalHeight);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_TerrainConstructPointwise)->Arg(512)->Arg(4096)->UseManualTime()->Unit(benchmark::kMillisecond);

// Keeps the time per iteration of every run (the median's when the run has
// repetitions) to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> nanoseconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
            if (r.run_type == Run::RT_Iteration && r.repetitions > 1) continue;
            nanoseconds[r.run_name.str()] =
                r.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto& d : digests) std::printf("results digest, %5d hulls: %08x\n", d.first, d.second);
    for (int hulls : {10, 100, 1000, 10000}) {
        const std::string ours = "BM_Sweep/" + std::to_string(hulls);
        const std::string box2d = "BM_Box2DRayCast/" + std::to_string(hulls);
        if (reporter.nanoseconds.count(ours) && reporter.nanoseconds.count(box2d) && reporter.nanoseconds[box2d] > 0)
            std::printf("sweep / Box2D ray cast, %5d hulls: %.1f ns / %.1f ns = %.2f\n", hulls,
                        reporter.nanoseconds[ours], reporter.nanoseconds[box2d],
                        reporter.nanoseconds[ours] / reporter.nanoseconds[box2d]);
    }
    // Linear construction costs the same per point at every size; the
    // pointwise baseline's cost per point grows with the strip.
    auto perPoint = [&reporter](const std::string& name, int n) {
        const std::string key = name + "/" + std::to_string(n) + "/manual_time";
        return reporter.nanoseconds.count(key) ? reporter.nanoseconds[key] / n : -1.0;
    };
    for (int n : {512, 4096, 16384, 65536}) {
        const double ours = perPoint("BM_TerrainConstruct", n), pointwise = perPoint("BM_TerrainConstructPointwise", n);
        if (ours < 0) continue;
        std::printf("terrain construct, %5d points: %.2f ms, %.0f ns per point", n, ours * n / 1e6, ours);
        if (pointwise > 0)
            std::printf("; pointwise baseline %.0f ns per point = %.2f x ours", pointwise, pointwise / ours);
        std::printf("\n");
    }
    const double small = perPoint("BM_TerrainConstruct", 512), large = perPoint("BM_TerrainConstruct", 65536);
    if (small > 0 && large > 0)
        std::printf("terrain construct, cost per point at 65536 / at 512 points: %.2f (1 is linear)\n", large / small);
    benchmark::Shutdown();
    return 0;
}
