// The first level in play, as shares of the 10 ms frame.
//
// The level a1 (built from content/levels/a1.txt as the build builds it) is
// loaded as the game loads it: a level manager reads "./levels/a1.lev",
// replays its commands into a new game server and the level sets itself up
// (boundary, hills, piglets). Then one frame of a1 in play as its key script
// (content/levels/a1.keys) plays it, running, jumping and rolling the apples
// home: the input's poll, the level manager's tick (the root, the game
// controller's rules and every object list) and its drawing through the
// recording renderer, draws counted but not kept.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "gfx/RenderCounters.h"
#include "gfx/ZubGraphics.h"
#include "sys/ErrorManager.h"

namespace {

using benchsupport::FRAME_BUDGET;

// The script's play, from the end of the opening (frame 501) to a frame
// before it lets go near the house; then the level is loaded again.
constexpr int PLAY_TO = 1280;

// The program around the level: resources, records, input and graphics.
struct Program {
    Program() {
        ErrorManager::bTestMode = true;
        const std::string levels = std::string(ZUB_LEVEL_SOURCE_DIR) + "/";
        std::vector<uint8_t> level;
        std::string error;
        if (!levelbuild::buildLevelFile(benchsupport::readFile(levels + "a1.txt"), "a1.txt", level, error) ||
            !script.parse(benchsupport::readFile(levels + "a1.keys"), "a1.keys", error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(1);
        }
        environment.writeLevelFile("a1", level);
        benchsupport::useCountingDevice(graphics, error);
    }

    // The level, played through its opening.
    void startPlay() {
        GameController& gc = environment.play(0);
        while (gc.state != GameController::PLAYING && environment.frames < PLAY_TO)
            environment.frame(script.keysAt(environment.frames));
        if (gc.state != GameController::PLAYING) std::abort();
    }
    void frame() {
        environment.frame(script.keysAt(environment.frames));
        environment.manager->renderContext();
    }

    levelbuild::LevelEnvironment environment;
    levelbuild::KeyScript script;
    ZubGraphics graphics;
};

Program& program() {
    static Program p;
    return p;
}

void BM_LevelLoad(benchmark::State& state) {
    Program& p = program();
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        p.environment.manager = std::make_unique<ContextLevelManager>(0);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        p.environment.manager.reset();
        state.ResumeTiming();
    }
    state.counters["frame_share"] = seconds / static_cast<double>(state.iterations()) / FRAME_BUDGET;
}
BENCHMARK(BM_LevelLoad)->Unit(benchmark::kMillisecond);

void BM_FrameInPlay(benchmark::State& state) {
    Program& p = program();
    p.startPlay();
    double seconds = 0.0;
    int64_t drawn = 0;
    for (auto _ : state) {
        if (p.environment.frames >= PLAY_TO) {
            state.PauseTiming();
            p.startPlay();
            state.ResumeTiming();
        }
        const int64_t before = renderCounters.renderablesVisible;
        const auto start = std::chrono::steady_clock::now();
        p.frame();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        drawn += renderCounters.renderablesVisible - before;
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["frame_share"] = seconds / frames / FRAME_BUDGET;
    state.counters["objects"] = static_cast<double>(p.environment.server().objectCount());
    state.counters["drawn"] = static_cast<double>(drawn) / frames;
    // The process's peak resident memory: a level that keeps growing as it
    // plays shows here, whatever the run's length.
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_FrameInPlay)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
