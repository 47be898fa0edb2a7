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
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
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
#include "objects/apples/Apple.h"
#include "objects/apples/Basket.h"
#include "objects/pig/Pig.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "sys/ResourceManager.h"
#include "world/HullList.h"
#include "world/Terrain.h"
#include "world/Xsect.h"

namespace {

constexpr double DT = 0.01;
constexpr int APPLES = 40;
// The terrain: y = HILL x sin(WAVE x segment), 512 segments 16 wide from
// x = 0; the field lies around FIELD.
constexpr float HILL = 30.0f;
constexpr float FIELD = 2000.0f;
constexpr float WAVE = 0.1f;
constexpr float TOSS = 600.0f;

float apartX(int i) { return FIELD - 1000.0f + 50.0f * static_cast<float>(i); }
float dropY(int i) { return i % 2 ? 230.0f : 80.0f; }

class BenchLevel : public Level {
public:
    BenchLevel() : role(new NetRole()), root(new RootObject()) {
        ErrorManager::bTestMode = true;
        previous = GameWorld::setCurrent(this);
        Context::environment.current = &context;
        char pattern[] = "/tmp/zub-bench-apples-XXXXXX";
        if (mkdtemp(pattern)) folder = pattern;
        setUserDataFolderOverride(folder + "/");
        configuration = std::make_unique<GameConfiguration>();
        configuration->detailLevel = 1;
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
        // The terrain rolls around y = 0, well above the level's bottom.
        playingArea = {-1.0e6f, 1.0e6f, 1.0e6f, -1.0e6f};
        role->registerObject(root, 1);
        root->addChild(world);
        role->registerObject(world, 0);
        hullList = new HullList();
        for (ZubBase** list : {&dangerAreaList, &objectList, &pigList, &pigletList, &houseList, &cargoList,
                               &appleList, &proxyList, &appleGhostList, &fgEffectsList, &speechBubbleList})
            *list = new ZubBase();
        // In the game controller's order.
        for (ZubBase* list : std::initializer_list<ZubBase*>{dangerAreaList, objectList, pigList, pigletList,
                                                            houseList, cargoList, appleList, hullList, proxyList,
                                                            appleGhostList, fgEffectsList, speechBubbleList}) {
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

    void rollingTerrain() {
        Terrain* t = new Terrain();
        role->registerObject(t, 0);
        objectList->addChild(t);
        t->construct(512, 16);
        for (int i = 0; i < 512; ++i) t->setHeights(i, HILL * std::sin(WAVE * static_cast<float>(i)), Terrain::kKeep);
        role->outgoing->reset();
    }
    // An object made the way the game controller makes one during play.
    template <class T>
    T* spawn(ZubBase* list, const V3& at) {
        T* o = new T();
        role->registerObject(o, 0);
        o->setPosition(at.x, at.y, at.z);
        list->addChild(o);
        o->construct();
        o->netPostReplicate();
        role->outgoing->reset();
        return o;
    }
    Pig* hero(float x) {
        Pig* pig = new Pig();
        role->registerObject(pig, 0);
        pig->physPoint.setPositionAndStop(x, 60.0f, 0.0f);
        pig->setPigletCount(1);
        pigList->addChild(pig);
        pig->netPostReplicate();
        role->outgoing->reset();
        return pig;
    }
    // One frame: the hero runs right and left in turns; bouncing apples that
    // came to rest are tossed up again.
    void frame() {
        const GameConfiguration& c = *configuration;
        const int run = (frameCount / 150) % 2 ? GameConfiguration::CONTROL_LEFT : GameConfiguration::CONTROL_RIGHT;
        for (int control : {GameConfiguration::CONTROL_LEFT, GameConfiguration::CONTROL_RIGHT}) {
            const int code = c.controls[control].key;
            input.prevKeys[code] = input.keys[code];
            input.keys[code] = control == run ? 0x80 : 0;
        }
        for (Apple* a : childrenOf<Apple>(appleList))
            if (a->isFree() && !a->bHanging && a->getGround() && bouncing(a)) a->push(nullptr, V3(0.0f, TOSS, 0.0f));
        ++renderCounters.frameNumber;
        world->tick(time, DT);
        role->outgoing->reset();
        time += DT;
        ++frameCount;
    }
    // Every other apple of the field keeps bouncing.
    static bool bouncing(const Apple* a) {
        return std::lround((a->spawnPosition.x - apartX(0)) / 50.0f) % 2 == 1;
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
    BenchLevel level;
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
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) level.frame();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double frames = static_cast<double>(state.iterations());
    // The share of the 10 ms frame budget, in percent.
    state.counters["budget_percent"] = benchmark::Counter(seconds / frames / 0.01 * 100.0);
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
