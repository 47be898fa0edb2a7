#pragma once
// What the benchmarks of the game's classes set up alike: the manifest's
// placeholders, a scratch user folder, a null render device that counts its
// draws without keeping them, a level for the level objects' ticks with the
// hero driven by her bindings, and the apple orchard on its rolling terrain.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "gfx/Context.h"
#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "platform/Platform.h"
#include "platform/RenderDevice.h"
#include "records/GameConfiguration.h"

class Apple;
class Terrain;

class Texture;

namespace benchsupport {

constexpr double DT = 0.01;
// The time a frame may take: the game runs 100 frames a second.
constexpr double FRAME_BUDGET = 0.01;

// Every texture and sound of the resource manifest under its name, as
// placeholders (blank pixels in the real frames, silent sounds), made once
// per program: the test levels' (tests/support/Placeholders.h).
void registerPlaceholders(ResourceManager& resources);

// A file's bytes (empty when it cannot be read).
std::string readFile(const std::string& path);

// A null render device for `graphics` that counts draws without keeping
// them: a kept record of every draw grows by tens of kilobytes a frame and
// would be measured with the frame. Null (with the reason) when the device
// cannot serve.
platform::NullRenderDevice* useCountingDevice(ZubGraphics& graphics, std::string& error);

// The first glyph page (code page 1252) of the system's DejaVu Sans at
// `pixelSize`, as a texture with its glyph frames; null, with the reason,
// when the font is missing or cannot be rendered.
std::unique_ptr<Texture> glyphPageTexture(int pixelSize, std::string& error);

// The OpenGL device for `graphics` in an off-screen window of 1024 x 768
// (SDL's offscreen driver, Mesa), the window opened into `backend` when it
// holds none yet. False with the reason when neither can be made.
bool useOffscreenOpenGL(ZubGraphics& graphics, std::unique_ptr<platform::Backend>& backend, const char* title,
                        std::string& error);

// The graphics of a benchmark that draws on either device: the counting
// null device, or OpenGL in an off-screen window opened on first use.
class Screen {
public:
    explicit Screen(const char* windowTitle) : title(windowTitle) {}
    // Leaves the graphics on a plain null device, without the window.
    ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // The counting null device, unless a null device is in use already.
    void useNullDevice();
    // False with the reason when no off-screen OpenGL window can be made.
    bool useOpenGL(std::string& error) { return useOffscreenOpenGL(graphics, backend, title, error); }

    ZubGraphics graphics;

private:
    std::unique_ptr<platform::Backend> backend;
    const char* title;
};

// Clocks in seconds: the calling thread's processor time, the whole
// process's (with every thread of the drivers), and the steady wall clock.
double threadSeconds();
double processSeconds();
double wallSeconds();

// Processor times of frames on the calling thread: each frame's work (its
// tick and draw) and, on a device that presents, its hand-over apart.
struct FrameTimes {
    double work = 0.0;     // summed over the frames
    double worst = 0.0;    // the most expensive frame's work
    double present = 0.0;  // summed hand-overs
    int64_t frames = 0;

    // Times one frame: draw(), then, when `presents`, the graphics' present().
    template <class Draw>
    void time(Draw&& draw, ZubGraphics& graphics, bool presents) {
        double before = threadSeconds();
        draw();
        const double spent = threadSeconds() - before;
        work += spent;
        worst = std::max(worst, spent);
        if (presents) {
            before = threadSeconds();
            graphics.present();
            present += threadSeconds() - before;
        }
        ++frames;
    }
};

// Resident memory of the process in megabytes: "VmRSS" (now) or "VmHWM"
// (the high-water mark).
double memoryMB(const char* field);

// A new folder "/tmp/zub-bench-<name>-XXXXXX" as the user data folder
// while this lives, removed with what it holds.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Without a trailing '/'; empty when it could not be made.
    std::string path;
};

// A level for the level objects' ticks, the current Level while it lives:
// a network role with a root object and a world holding the lists given (in
// that order, which is the order they tick in), the manifest's
// placeholders, a configuration in a scratch user folder and the input
// tables the hero reads her bindings from.
class BenchLevel : public Level {
public:
    // One of the level's lists; null stands for the hull list.
    using List = ZubBase* Level::*;
    // detailLevel < 0 leaves the configuration's own.
    BenchLevel(const char* name, std::span<const List> lists, int detailLevel = 1);
    ~BenchLevel() override;

    int32_t levelState() const override { return STATE_PLAYING; }
    void local_setMessage(int32_t, int32_t, double, const WString&) override {}
    BlendingCamera* getCameraNode() override { return nullptr; }
    bool isTouchHeld(TouchButton) const override { return false; }
    const GameConfiguration& getConfiguration() const override { return *configuration; }
    int32_t getCurrentLevelNumber() const override { return 0; }
    bool showHintPanel(const WString&, const WString&, Skin*) override { return true; }

    // The terrain: y = HILL x sin(WAVE x segment), 512 segments 16 wide
    // from x = 0, in the object list.
    static constexpr float HILL = 30.0f;
    static constexpr float WAVE = 0.1f;
    static float terrainY(float x) { return HILL * std::sin(WAVE * x / 16.0f); }
    Terrain* rollingTerrain();

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
    // A pig's body (typed 1 for the hero, 2 to 4 for piglets) with its
    // physics point at rest at `at`.
    template <class T>
    T* body(ZubBase* list, const V3& at, int type) {
        T* b = new T();
        role->registerObject(b, 0);
        b->physPoint.setPositionAndStop(at.x, at.y, at.z);
        b->setPigletCount(type);
        list->addChild(b);
        b->netPostReplicate();
        role->outgoing->reset();
        return b;
    }
    // The hero, 60 above the terrain's middle height at x.
    Pig* hero(float x);

    // The hero's keys for this frame: she runs right and left in turns of
    // 150 frames and, with `jumps`, jumps every 70 frames.
    void driveHero(bool jumps);
    // The world's tick: the frame counter, every list, the outgoing packet
    // emptied, the clock.
    void tickWorld();

    NetRole* role;
    RootObject* root;
    ZubBase* world;
    ZubInput input;
    ResourceManager resources;
    std::unique_ptr<GameConfiguration> configuration;
    double time = 0.0;
    int frameCount = 0;

private:
    Context context;
    GameWorld* previous;
    ScratchFolder folder;
};

// Runs `frame` once an iteration and reports its share of the 10 ms frame
// budget, in percent, as "budget_percent"; returns the seconds it took.
template <class F>
double timeFrames(benchmark::State& state, F frame) {
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) frame();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double frames = static_cast<double>(state.iterations());
    state.counters["budget_percent"] = benchmark::Counter(seconds / frames / FRAME_BUDGET * 100.0);
    return seconds;
}

// The orchard of the apples' and the level's benchmarks on the rolling
// terrain: APPLES apples 50 apart from FIELD - 1000, dropped from two
// heights; every other one keeps bouncing (tossed up again once it rests).
namespace orchard {

constexpr int APPLES = 40;
constexpr float FIELD = 2000.0f;
constexpr float TOSS = 600.0f;

inline float apartX(int i) { return FIELD - 1000.0f + 50.0f * static_cast<float>(i); }
inline float dropY(int i) { return i % 2 ? 230.0f : 80.0f; }
bool bouncing(const Apple* a);
// The bouncing apples that came to rest are tossed up again.
void tossRestingApples(Level& level);

}  // namespace orchard

}  // namespace benchsupport
