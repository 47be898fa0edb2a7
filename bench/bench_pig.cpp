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
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Manifest.h"
#include "Painter.h"
#include "audio/Sound.h"
#include "engine/Context.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/RenderCounters.h"
#include "gfx/Texture.h"
#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "objects/Level.h"
#include "objects/pig/Pig.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "sys/ResourceManager.h"
#include "world/HullList.h"
#include "world/HullSegment.h"
#include "world/Terrain.h"
#include "world/Xsect.h"

namespace {

constexpr double DT = 0.01;

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

class BenchLevel : public Level {
public:
    BenchLevel() : role(new NetRole()), root(new RootObject()) {
        ErrorManager::bTestMode = true;
        previous = GameWorld::setCurrent(this);
        Context::environment.current = &context;
        char pattern[] = "/tmp/zub-bench-pig-XXXXXX";
        if (mkdtemp(pattern)) folder = pattern;
        setUserDataFolderOverride(folder + "/");
        configuration = std::make_unique<GameConfiguration>();
        for (const content::Entry& e : content::manifest()) {
            const WString name = narrowToWide(e.name);
            if (e.kind == content::Kind::Texture && !e.frames.empty()) {
                const contentgen::SheetLayout layout = contentgen::layoutSheet(e.frames);
                MemoryImageFile image(layout.width, layout.height);
                auto t = std::make_unique<Texture>(&image);
                t->applySkinDescription(contentgen::skinDescription(e, layout), name);
                t->registerSkins(resources, name);
                textures.push_back(std::move(t));
            } else if (e.kind == content::Kind::Sound) {
                auto s = std::make_unique<Sound>(e.loop, e.playbacks, std::vector<float>(64, 0.0f), 1, 22050);
                resources.addResource(name, s.get());
                sounds.push_back(std::move(s));
            }
        }
        // The terrain rolls around y = 0: the level's bottom lies well below
        // it, or the hero would keep fainting instead of running.
        playingArea = {-1.0e6f, 1.0e6f, 1.0e6f, -1.0e6f};
        role->registerObject(root, 1);
        root->addChild(world);
        role->registerObject(world, 0);
        hullList = new HullList();
        for (ZubBase** list : {&dangerAreaList, &objectList, &pigList, &pigletList, &houseList, &proxyList,
                               &fgEffectsList, &speechBubbleList})
            *list = new ZubBase();
        for (ZubBase* list : std::initializer_list<ZubBase*>{dangerAreaList, objectList, pigList, pigletList,
                                                            houseList, hullList, proxyList, fgEffectsList,
                                                            speechBubbleList}) {
            role->registerObject(list, 0);
            world->addChild(list);
        }
        role->outgoing->reset();
    }
    ~BenchLevel() override {
        delete role;
        resources.clear();
        configuration.reset();
        setUserDataFolderOverride("");
        std::error_code ec;
        if (!folder.empty()) std::filesystem::remove_all(folder, ec);
        GameWorld::setCurrent(previous);
        Context::environment.current = nullptr;
    }
    int32_t levelState() const override { return STATE_PLAYING; }
    void local_setMessage(int32_t, int32_t, double, const WString&) override {}
    BlendingCamera* getCameraNode() override { return nullptr; }
    bool isTouchHeld(TouchButton) const override { return false; }
    const GameConfiguration& getConfiguration() const override { return *configuration; }
    int32_t getCurrentLevelNumber() const override { return 0; }
    bool showHintPanel(const WString&, const WString&, Skin*) override { return true; }

    Terrain* rollingTerrain() {
        Terrain* t = new Terrain();
        role->registerObject(t, 0);
        objectList->addChild(t);
        t->construct(512, 16);
        for (int i = 0; i < 512; ++i) t->setHeights(i, 30.0f * std::sin(0.1f * static_cast<float>(i)), Terrain::kKeep);
        role->outgoing->reset();
        return t;
    }
    template <class T>
    T* body(ZubBase* list, float x, int type) {
        T* b = new T();
        role->registerObject(b, 0);
        b->physPoint.setPositionAndStop(x, 40.0f, 0.0f);
        b->setPigletCount(type);
        list->addChild(b);
        b->netPostReplicate();
        role->outgoing->reset();
        return b;
    }
    // One frame: the hero runs right and left in turns and jumps now and then.
    void frame() {
        const GameConfiguration& c = *configuration;
        const int run = (frameCount / 150) % 2 ? GameConfiguration::CONTROL_LEFT : GameConfiguration::CONTROL_RIGHT;
        for (int control : {GameConfiguration::CONTROL_LEFT, GameConfiguration::CONTROL_RIGHT,
                            GameConfiguration::CONTROL_JUMP}) {
            const int code = c.controls[control].key;
            input.prevKeys[code] = input.keys[code];
            const bool down = control == run || (control == GameConfiguration::CONTROL_JUMP && frameCount % 70 == 0);
            input.keys[code] = down ? 0x80 : 0;
        }
        ++renderCounters.frameNumber;
        world->tick(time, DT);
        role->outgoing->reset();
        time += DT;
        ++frameCount;
    }

    NetRole* role;
    RootObject* root;
    ZubBase* world = new ZubBase();
    ZubInput input;
    ResourceManager resources;
    std::vector<std::unique_ptr<Texture>> textures;
    std::vector<std::unique_ptr<Sound>> sounds;
    std::unique_ptr<GameConfiguration> configuration;
    Context context;
    GameWorld* previous;
    std::string folder;
    double time = 0.0;
    int frameCount = 0;
};

// The baseline: four points walking the same terrain with bare sweeps.
double bareSweepSeconds(int64_t frames) {
    struct Point {
        V3 p, v;
    };
    Point points[4] = {{V3(0, 40, 0), V3(384, 0, 0)}, {V3(-60, 40, 0), V3(192, 0, 0)},
                       {V3(-120, 40, 0), V3(192, 0, 0)}, {V3(-180, 40, 0), V3(192, 0, 0)}};
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
    BenchLevel level;
    level.rollingTerrain();
    level.body<Pig>(level.pigList, 0.0f, 1);
    for (int i = 0; i < 3; ++i) level.body<BenchPiglet>(level.pigletList, -60.0f * static_cast<float>(i + 1), i + 2);
    level.frame();  // everything lands
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) level.frame();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double frames = static_cast<double>(state.iterations());
    // The share of the 10 ms frame budget, in percent.
    state.counters["budget_percent"] = benchmark::Counter(seconds / frames / 0.01 * 100.0);
    state.counters["vs_bare_sweeps"] = benchmark::Counter(seconds / bareSweepSeconds(state.iterations()));
}
BENCHMARK(BM_PigFamilyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
