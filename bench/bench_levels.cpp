// Every described level with a key script (content/levels/<name>.txt and
// <name>.keys), played as its script plays it, as shares of the 10 ms frame
// and of real time.
//
// For each level and device, one benchmark whose iteration is the scripted
// run from the load to the script's end (or the level's): the level manager
// is made as the game makes it (the level file read, replayed into a new
// game server, set up), then every frame polls the input with the script's
// keys, ticks the level manager and draws. Devices: "null", the recording
// renderer with draws counted but not kept, and "opengl", the OpenGL device
// in an off-screen window (SDL's offscreen driver, EGL on Mesa's llvmpipe;
// skipped where none can be made), which presents every frame: its frame
// time is the program's thread's (tick and draw); handing the frame over
// (the driver's flush and the swap) is present_share apart; its run time
// waits for the rasteriser's threads. Reported per level:
//   load_ms, load_frame_share    the load, in milliseconds and in frames
//   frame_us, frame_share        the mean frame's processor time (tick and draw)
//   present_share                on OpenGL, the frame's hand-over (processor)
//   worst_frame_us, worst_share  the most expensive frame's
//   run_s, realtime_share        the run's wall time, and that over the
//                                time the frames stand for (100 a second)
//   frames                       the frames of the run
//   draws, uploads               on the null device, draw calls and vertex
//                                uploads per frame
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "flow/GameController.h"
#include "gfx/ZubGraphics.h"
#include "platform/Platform.h"
#include "platform/RenderDevice.h"
#include "sys/ErrorManager.h"

namespace fs = std::filesystem;

namespace {

using benchsupport::FRAME_BUDGET;
using benchsupport::readFile;
using benchsupport::threadSeconds;
using benchsupport::wallSeconds;

struct ScriptedLevel {
    levelbuild::BuiltLevel built;
    levelbuild::KeyScript script;
};

// The program around the levels: resources, records, input and graphics.
struct Program {
    Program() {
        ErrorManager::bTestMode = true;
        screen.useNullDevice();
    }
    ~Program() { environment.manager.reset(); }

    levelbuild::LevelEnvironment environment;
    benchsupport::Screen screen{"Levels"};
};

Program& program() {
    static Program p;
    return p;
}

void BM_ScriptedRun(benchmark::State& state, const ScriptedLevel* level, bool openGL) {
    Program& p = program();
    levelbuild::LevelEnvironment& environment = p.environment;
    ZubGraphics& graphics = p.screen.graphics;
    environment.manager.reset();
    std::string error;
    if (openGL ? !p.screen.useOpenGL(error) : (p.screen.useNullDevice(), false)) {
        state.SkipWithError(("no off-screen OpenGL device: " + error).c_str());
        return;
    }
    environment.writeLevelFile(levelbuild::levelNameOf(level->built.number), level->built.bytes);
    const int length = level->script.length();
    double load = 0.0, run = 0.0;
    benchsupport::FrameTimes times;
    auto* null = dynamic_cast<platform::NullRenderDevice*>(graphics.device());
    const int drawsBefore = null ? null->drawCount : 0, uploadsBefore = null ? null->uploads : 0;
    auto draw = [&] {
        environment.frame(level->script.keysAt(environment.frames));
        graphics.beginFrame();
        environment.manager->renderContext();
    };
    for (auto _ : state) {
        environment.manager.reset();
        const double started = wallSeconds();
        const double before = threadSeconds();
        environment.play(level->built.number);
        load += threadSeconds() - before;
        while (environment.frames < length && !environment.manager->done) times.time(draw, graphics, openGL);
        run += wallSeconds() - started;
    }
    const int64_t frames = times.frames;
    const double frameTime = times.work, presentTime = times.present, worst = times.worst;
    environment.manager.reset();
    p.screen.useNullDevice();
    const double runs = static_cast<double>(state.iterations());
    const double meanFrame = frames ? frameTime / static_cast<double>(frames) : 0.0;
    state.counters["load_ms"] = load / runs * 1e3;
    state.counters["load_frame_share"] = load / runs / FRAME_BUDGET;
    state.counters["frame_us"] = meanFrame * 1e6;
    state.counters["frame_share"] = meanFrame / FRAME_BUDGET;
    if (openGL)
        state.counters["present_share"] = frames ? presentTime / static_cast<double>(frames) / FRAME_BUDGET : 0.0;
    state.counters["worst_frame_us"] = worst * 1e6;
    state.counters["worst_share"] = worst / FRAME_BUDGET;
    state.counters["run_s"] = run / runs;
    state.counters["realtime_share"] = frames ? run / (static_cast<double>(frames) * FRAME_BUDGET) : 0.0;
    state.counters["frames"] = static_cast<double>(frames) / runs;
    if (null && frames) {
        state.counters["draws"] = static_cast<double>(null->drawCount - drawsBefore) / static_cast<double>(frames);
        state.counters["uploads"] = static_cast<double>(null->uploads - uploadsBefore) / static_cast<double>(frames);
    }
}

// The described levels with key scripts, built once.
std::vector<std::unique_ptr<ScriptedLevel>> loadLevels() {
    std::vector<std::unique_ptr<ScriptedLevel>> levels;
    const fs::path sources(ZUB_LEVEL_SOURCE_DIR);
    std::vector<fs::path> descriptions;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(sources, ec))
        if (e.path().extension() == ".txt" && fs::exists(fs::path(e.path()).replace_extension(".keys")))
            descriptions.push_back(e.path());
    std::sort(descriptions.begin(), descriptions.end());
    program();
    for (const fs::path& d : descriptions) {
        auto level = std::make_unique<ScriptedLevel>();
        std::string error;
        const std::string keys = fs::path(d).replace_extension(".keys").string();
        if (!levelbuild::buildLevel(readFile(d.string()), d.filename().string(), level->built, error) ||
            !level->script.parse(readFile(keys), keys, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            std::exit(1);
        }
        levels.push_back(std::move(level));
    }
    return levels;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::unique_ptr<ScriptedLevel>> levels = loadLevels();
    for (const auto& level : levels)
        for (bool openGL : {false, true})
            benchmark::RegisterBenchmark(
                ("BM_ScriptedRun/" + level->built.name + (openGL ? "/opengl" : "/null")).c_str(), BM_ScriptedRun,
                level.get(), openGL)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
