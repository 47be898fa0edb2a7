// The stress level (tools/levelbuild/StressLevel.h: every class the level
// editor places, 5,000 objects in all), as shares of the 10 ms frame.
//
// BM_StressFrame/<device>: one frame of the level in play per iteration
// (the input's poll with the hero walking right and then left across the
// bottom storey, the level manager's tick, its drawing), from the first
// frame of play on, after 200 frames to settle. The editor's views (paths,
// hulls, trigger areas) are off, as the program has them outside the
// editor. Devices: the null device (draws counted, not kept) and the
// OpenGL device in an off-screen window (SDL's offscreen driver, EGL on
// Mesa's llvmpipe; skipped where none can be made), which presents every
// frame. Reported:
//   frame_us, frame_share     the frame's processor time on the program's
//                             thread (tick and draw)
//   present_share             on OpenGL, handing the frame over (the
//                             driver's flush and the swap) on that thread
//   worst_us, worst_share     the most expensive frame's
//   wall_share                the frame's wall time (on OpenGL it waits for
//                             the rasteriser's threads to finish the frame)
//   process_share             the processor time of the whole process (on
//                             OpenGL with the rasteriser's threads)
//   draws, uploads            on the null device, draw calls and vertex
//                             uploads per frame
//
// BM_StressLoad: a level's load from its file (the file read, replayed into
// a new game server and set up, as the valley map starts a level) for stress
// levels of 1,000, 5,000 and 20,000 objects, one after the other in every
// iteration. Reported per size: load_ms_<n>, the processor time per placed
// object (per_object_us_<n>), the objects registered (registered_<n>); the
// 5,000-object load as a share of the frame (load_share_5k); and how the
// per-object cost grows: growth_5k and growth_20k, the per-object cost at
// 5,000 and 20,000 objects over that at 1,000 (1 is linear).
//
// BM_StressOverA1: the stress level's frame over a1's, taken in turns in one
// process so that both meet the same load on a shared machine. A turn plays
// a1 by its key script from its load to the script's end, then loads the
// stress level (5,000 objects), lets it settle as above and measures 300
// frames. Reported: ratio, the median over the turns of the stress frame
// over a1's (ratio_low and ratio_high the extremes); a1_frame_us and
// stress_frame_us, the mean frames over all turns; load_ms_5k, the stress
// level's mean load. A turn takes about five seconds: run it with
// --benchmark_filter=StressOverA1 --benchmark_min_time=25 for five turns.
//
// What the work itself costs, counted rather than timed (counts do not
// swing with a shared machine's load; a Release build):
// tools/frame-instructions.sh runs bench_levels' ScriptedRun/a1/null and
// BM_StressFrame/null under valgrind's callgrind, counts the instructions
// and first-level data cache misses of the level environment's frame and
// the context tree's drawing only, and divides by the frames. The stress
// level's frame takes 6.9 million instructions, 64 times a1's 108,000 (70
// times while the bottom storey's baskets fell through the ground), and
// 115,000 cache misses against a1's 1,230: at a1's speed per instruction
// the frame's ratio cannot fall below that. A load takes 4,200 to 4,400
// instructions for each object it makes (callgrind on BM_StressLoad
// collecting LevelEnvironment::play: 439 million for the three sizes'
// 103,783 objects), about 90 million for the 5,000-object level's 20,162.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "StressLevel.h"
#include "editor/EditorPropertyPanel.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "gfx/ZubGraphics.h"
#include "platform/Platform.h"
#include "platform/RenderDevice.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "util/KeyCodes.h"

namespace {

using benchsupport::FRAME_BUDGET;
using benchsupport::processSeconds;
using benchsupport::threadSeconds;
using benchsupport::wallSeconds;

constexpr int STRESS_OBJECTS = 5000;
constexpr int SETTLE_FRAMES = 200;
// Frames walking one way before turning.
constexpr int WALK_FRAMES = 600;
// The stress level's frames measured in each turn of BM_StressOverA1.
constexpr int kRatioFrames = 300;

// The program around the level: the level environment and the graphics,
// drawing on the null device or on OpenGL in an off-screen window.
struct Program {
    Program() {
        ErrorManager::bTestMode = true;
        Logger::get().setEcho(false);
        screen.useNullDevice();
    }
    ~Program() { environment.manager.reset(); }

    // The stress level of `objects` placed objects, built once.
    const levelbuild::BuiltLevel& stressLevel(int objects) {
        auto& level = built[objects];
        if (!level) {
            level = std::make_unique<levelbuild::BuiltLevel>();
            std::string error;
            if (!levelbuild::buildStressLevel(objects, *level, error)) {
                std::fprintf(stderr, "%s\n", error.c_str());
                std::exit(1);
            }
        }
        return *level;
    }

    levelbuild::LevelEnvironment environment;
    benchsupport::Screen screen{"Stress level"};
    std::map<int, std::unique_ptr<levelbuild::BuiltLevel>> built;
};

Program& program() {
    static Program p;
    return p;
}

// The editor's views off, as the program has them in play.
void hideEditorViews(GameController& gc) {
    if (EditorPropertyPanel* panel = gc.editor) {
        panel->bShowHulls = false;
        panel->bShowBezierPaths = false;
        panel->bShowTriggerAreas = false;
    }
}

std::set<int> walkKeys(int frame) {
    return {(frame / WALK_FRAMES) % 2 == 0 ? input_codes::KEY_RIGHT : input_codes::KEY_LEFT};
}

// Frames of the stress level, just loaded, until its play has begun and then
// SETTLE_FRAMES more; `frame` plays one.
template <class Frame>
void settle(levelbuild::LevelEnvironment& environment, const GameController& gc, Frame&& frame) {
    for (int i = 0; i < 100000 && gc.state != GameController::PLAYING && !environment.manager->done; ++i) frame();
    for (int i = 0; i < SETTLE_FRAMES && !environment.manager->done; ++i) frame();
}

void BM_StressFrame(benchmark::State& state, bool openGL) {
    Program& p = program();
    levelbuild::LevelEnvironment& environment = p.environment;
    ZubGraphics& graphics = p.screen.graphics;
    environment.manager.reset();
    std::string error;
    if (openGL ? !p.screen.useOpenGL(error) : (p.screen.useNullDevice(), false)) {
        state.SkipWithError(("no off-screen OpenGL device: " + error).c_str());
        return;
    }
    const levelbuild::BuiltLevel& level = p.stressLevel(STRESS_OBJECTS);
    environment.install(level);
    GameController& gc = environment.play(level.number);
    hideEditorViews(gc);
    auto draw = [&] {
        environment.frame(walkKeys(environment.frames));
        graphics.beginFrame();
        environment.manager->renderContext();
    };
    auto frame = [&] {
        draw();
        if (openGL) graphics.present();
    };
    settle(environment, gc, frame);
    benchsupport::FrameTimes times;
    auto* null = dynamic_cast<platform::NullRenderDevice*>(graphics.device());
    const int drawsBefore = null ? null->drawCount : 0, uploadsBefore = null ? null->uploads : 0;
    const double wallStart = wallSeconds(), processStart = processSeconds();
    for (auto _ : state) {
        if (environment.manager->done) {
            state.SkipWithError("the level ended");
            break;
        }
        times.time(draw, graphics, openGL);
    }
    const double spent = times.work, worst = times.worst, presented = times.present;
    const double n = static_cast<double>(std::max<int64_t>(times.frames, 1));
    state.counters["frame_us"] = spent / n * 1e6;
    state.counters["frame_share"] = spent / n / FRAME_BUDGET;
    if (openGL) state.counters["present_share"] = presented / n / FRAME_BUDGET;
    state.counters["worst_us"] = worst * 1e6;
    state.counters["worst_share"] = worst / FRAME_BUDGET;
    state.counters["wall_share"] = (wallSeconds() - wallStart) / n / FRAME_BUDGET;
    state.counters["process_share"] = (processSeconds() - processStart) / n / FRAME_BUDGET;
    if (null) {
        state.counters["draws"] = static_cast<double>(null->drawCount - drawsBefore) / n;
        state.counters["uploads"] = static_cast<double>(null->uploads - uploadsBefore) / n;
    }
    state.counters["registered"] = static_cast<double>(environment.server().objectMap.ascending().size());
    environment.manager.reset();
    p.screen.useNullDevice();
}
BENCHMARK_CAPTURE(BM_StressFrame, null, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_StressFrame, opengl, true)->Unit(benchmark::kMicrosecond);

void BM_StressLoad(benchmark::State& state) {
    Program& p = program();
    levelbuild::LevelEnvironment& environment = p.environment;
    environment.manager.reset();
    p.screen.useNullDevice();
    constexpr int kSizes[] = {1000, 5000, 20000};
    // Each size under a level number of its own, so that all three files
    // stay written.
    for (int i = 0; i < 3; ++i) {
        levelbuild::BuiltLevel copy = p.stressLevel(kSizes[i]);
        copy.number = i;
        environment.install(copy);
    }
    double load[3] = {}, registered[3] = {};
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            environment.manager.reset();
            const double before = threadSeconds();
            environment.play(i);
            load[i] += threadSeconds() - before;
            registered[i] = static_cast<double>(environment.server().objectMap.ascending().size());
        }
    }
    environment.manager.reset();
    const double runs = static_cast<double>(state.iterations());
    double perObject[3];
    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(kSizes[i] / 1000) + "k";
        perObject[i] = load[i] / runs / kSizes[i];
        state.counters["load_ms_" + n] = load[i] / runs * 1e3;
        state.counters["per_object_us_" + n] = perObject[i] * 1e6;
        state.counters["registered_" + n] = registered[i];
    }
    state.counters["load_share_5k"] = load[1] / runs / FRAME_BUDGET;
    state.counters["growth_5k"] = perObject[1] / perObject[0];
    state.counters["growth_20k"] = perObject[2] / perObject[0];
}
BENCHMARK(BM_StressLoad)->Unit(benchmark::kMillisecond);

// a1 as bench_levels plays it: its description and key script.
struct ScriptedA1 {
    levelbuild::BuiltLevel built;
    levelbuild::KeyScript script;
};

const ScriptedA1& scriptedA1() {
    static const ScriptedA1 a1 = [] {
        ScriptedA1 out;
        const std::string source = std::string(ZUB_LEVEL_SOURCE_DIR) + "/a1.txt";
        const std::string keys = std::string(ZUB_LEVEL_SOURCE_DIR) + "/a1.keys";
        std::string error;
        if (!levelbuild::buildLevel(benchsupport::readFile(source), "a1.txt", out.built, error) ||
            !out.script.parse(benchsupport::readFile(keys), keys, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(1);
        }
        return out;
    }();
    return a1;
}

void BM_StressOverA1(benchmark::State& state) {
    Program& p = program();
    levelbuild::LevelEnvironment& environment = p.environment;
    ZubGraphics& graphics = p.screen.graphics;
    environment.manager.reset();
    p.screen.useNullDevice();
    const ScriptedA1& a1 = scriptedA1();
    // The stress level under a number of its own: a1 is level 0.
    levelbuild::BuiltLevel stress = p.stressLevel(STRESS_OBJECTS);
    stress.number = 1;
    environment.install(a1.built);
    environment.install(stress);
    std::vector<double> ratios;
    benchsupport::FrameTimes a1Times, stressTimes;
    double loads = 0.0;
    for (auto _ : state) {
        // a1 from its load to its script's end.
        environment.manager.reset();
        environment.play(a1.built.number);
        benchsupport::FrameTimes a1Turn;
        const int length = a1.script.length();
        while (environment.frames < length && !environment.manager->done)
            a1Turn.time(
                [&] {
                    environment.frame(a1.script.keysAt(environment.frames));
                    graphics.beginFrame();
                    environment.manager->renderContext();
                },
                graphics, false);
        // The stress level: its load, then frames of play after it settled.
        environment.manager.reset();
        const double before = threadSeconds();
        GameController& gc = environment.play(stress.number);
        loads += threadSeconds() - before;
        hideEditorViews(gc);
        auto draw = [&] {
            environment.frame(walkKeys(environment.frames));
            graphics.beginFrame();
            environment.manager->renderContext();
        };
        settle(environment, gc, draw);
        benchsupport::FrameTimes stressTurn;
        for (int i = 0; i < kRatioFrames && !environment.manager->done; ++i) stressTurn.time(draw, graphics, false);
        if (a1Turn.frames == 0 || stressTurn.frames == 0) {
            state.SkipWithError("a level ended before its frames were measured");
            break;
        }
        const double a1Frame = a1Turn.work / static_cast<double>(a1Turn.frames);
        const double stressFrame = stressTurn.work / static_cast<double>(stressTurn.frames);
        ratios.push_back(stressFrame / a1Frame);
        a1Times.work += a1Turn.work;
        a1Times.frames += a1Turn.frames;
        stressTimes.work += stressTurn.work;
        stressTimes.frames += stressTurn.frames;
    }
    environment.manager.reset();
    if (ratios.empty()) return;
    std::sort(ratios.begin(), ratios.end());
    const size_t n = ratios.size();
    state.counters["ratio"] = n % 2 ? ratios[n / 2] : (ratios[n / 2 - 1] + ratios[n / 2]) / 2.0;
    state.counters["ratio_low"] = ratios.front();
    state.counters["ratio_high"] = ratios.back();
    state.counters["a1_frame_us"] = a1Times.work / static_cast<double>(a1Times.frames) * 1e6;
    state.counters["stress_frame_us"] = stressTimes.work / static_cast<double>(stressTimes.frames) * 1e6;
    state.counters["load_ms_5k"] = loads / static_cast<double>(n) * 1e3;
}
BENCHMARK(BM_StressOverA1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
