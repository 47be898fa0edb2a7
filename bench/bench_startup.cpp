// The program's start-up to the main menu, and the main menu's frame.
//
// Start-up: the real program (runGame, in-process, the scripted back-end
// with the recording renderer that counts draws and uploads without keeping
// copies of their vertices or pixels) from
// its entry until the main menu is the top screen: the engine's services,
// the global object, the loader over the generated content's archives
// (Tumbrodemo.dat and its siblings, as the build lays them out), the logo
// and the story each left with Escape in their first frame. The baseline,
// measured in the same run, reads the same content raw: every file below
// the content's gfx/ and sfx/ folders, whole, into memory (what loading
// cannot do with less).
//
// Main menu: one frame of it once it stands (the input's poll, the stack's
// tick, its drawing), as a share of the 10 ms frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/GameApplication.h"
#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextIntroStory.h"
#include "menu/GameMainMenu.h"
#include "platform/AudioDevice.h"
#include "platform/RenderDevice.h"
#include "records/ProfileManager.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "util/KeyCodes.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using benchsupport::FRAME_BUDGET;

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Processor seconds of the whole process (every thread) so far: the work,
// whatever else the machine is doing.
using benchsupport::processSeconds;

// A user folder with one named player, and the content's folder as the
// program's own.
struct Folders {
    Folders() {
        ErrorManager::bTestMode = true;
        setExecutableFolderOverride(ZUB_CONTENT_DIR);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ProfileManager players;
        players.addProfile(u"Bench");
    }
    ~Folders() { setExecutableFolderOverride(""); }
    benchsupport::ScratchFolder user{"startup"};
};

Context* topScreen() {
    auto* stack = ZUB ? dynamic_cast<ContextManager*>(ZUB->rootContext) : nullptr;
    return stack ? stack->getTop() : nullptr;
}

// Seconds from the entry: to the first frame (the engine and the global
// object made, the loader pushed), to the end of loading, to the main menu;
// and the frames run until then.
struct Startup {
    double engine = -1.0, loaded = -1.0, menu = -1.0;
    double processor = 0.0;  // processor seconds to the main menu
    int frames = 0;
};

// Runs the program until the main menu is the top screen, then calls
// `atMainMenu` (on the program's frame boundary) and closes the window.
Startup runToMainMenu(const std::function<void()>& atMainMenu) {
    platform::NullBackend* backend = nullptr;
    RunOptions run;
    run.arguments = {"Tumbrodemo"};
    run.bAssumeFocused = true;
    run.bAllowSeveralInstances = true;
    run.makeBackend = [&backend]() -> std::unique_ptr<platform::Backend> {
        auto b = std::make_unique<platform::NullBackend>();
        backend = b.get();
        return b;
    };
    const Clock::time_point started = Clock::now();
    const double processorStart = processSeconds();
    Startup s;
    run.beforeFrame = [&](platform::Backend&, int frame) {
        if (!ZUB) return;
        if (s.engine < 0.0) s.engine = seconds(started);
        if (auto* d = dynamic_cast<platform::NullRenderDevice*>(ZUB->graphics->device())) {
            d->bKeepDraws = false;
            d->bKeepPixels = false;
        }
        Context* top = topScreen();
        const bool skip = dynamic_cast<ContextCompanyLogo*>(top) || dynamic_cast<ContextIntroStory*>(top);
        if (skip && s.loaded < 0.0) s.loaded = seconds(started);
        backend->next.keys[input_codes::KEY_ESCAPE] =
            skip && backend->next.keys[input_codes::KEY_ESCAPE] == 0 ? 0x80 : 0;
        if (dynamic_cast<GameMainMenu*>(top) && s.menu < 0.0) {
            s.menu = seconds(started);
            s.processor = processSeconds() - processorStart;
            s.frames = frame;
            if (atMainMenu) atMainMenu();
            backend->window.closeRequested = true;
        }
    };
    runGame(run);
    // The program leaves its sound output parked at exit (closing it waits
    // for its thread to drain, about 60 ms), and the next start in this
    // process would close it first: a start of its own process never has
    // that wait, so it is done here, between the runs.
    platform::closeParkedSdlAudio();
    return s;
}

// Every file of the content's gfx/ and sfx/ read whole, raw.
double readContentRaw(size_t& bytes, double& processor) {
    const Clock::time_point started = Clock::now();
    const double processorStart = processSeconds();
    std::vector<char> buffer;
    bytes = 0;
    for (const char* tree : {"gfx", "sfx"}) {
        for (const fs::directory_entry& e : fs::recursive_directory_iterator(fs::path(ZUB_CONTENT_DIR) / tree)) {
            if (!e.is_regular_file()) continue;
            std::FILE* f = std::fopen(e.path().c_str(), "rb");
            if (!f) continue;
            buffer.resize(static_cast<size_t>(e.file_size()));
            bytes += std::fread(buffer.data(), 1, buffer.size(), f);
            std::fclose(f);
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    processor = processSeconds() - processorStart;
    return seconds(started);
}

void BM_StartupToMainMenu(benchmark::State& state) {
    Folders folders;
    double total = 0.0, raw = 0.0, engine = 0.0, loading = 0.0, frames = 0.0, processor = 0.0, rawProcessor = 0.0;
    size_t rawBytes = 0;
    for (auto _ : state) {
        const Startup s = runToMainMenu(nullptr);
        if (s.menu < 0.0) {
            state.SkipWithError("the main menu was never reached");
            return;
        }
        total += s.menu;
        engine += s.engine;
        loading += s.loaded - s.engine;
        frames += s.frames;
        processor += s.processor;
        state.SetIterationTime(s.menu);
        double p = 0.0;
        raw += readContentRaw(rawBytes, p);
        rawProcessor += p;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["startup_ms"] = total / n * 1000.0;
    state.counters["engine_ms"] = engine / n * 1000.0;
    state.counters["loading_ms"] = loading / n * 1000.0;
    state.counters["frames"] = frames / n;
    state.counters["raw_read_ms"] = raw / n * 1000.0;
    state.counters["ratio_to_raw_read"] = raw > 0.0 ? total / raw : 0.0;
    state.counters["processor_ms"] = processor / n * 1000.0;
    state.counters["processor_ratio"] = rawProcessor > 0.0 ? processor / rawProcessor : 0.0;
    state.counters["raw_mb"] = static_cast<double>(rawBytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_StartupToMainMenu)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_MainMenuFrame(benchmark::State& state) {
    Folders folders;
    bool ran = false;
    (void)runToMainMenu([&] {
        ran = true;
        Context* root = ZUB->rootContext;
        ZubInput& input = *ZUB->input;
        ZubGraphics& graphics = *ZUB->graphics;
        platform::InputSnapshot still;
        double time = ZUB->currentTime;
        const int drawsBefore = [&] {
            auto* d = dynamic_cast<platform::NullRenderDevice*>(graphics.device());
            return d ? d->drawCount : 0;
        }();
        const Clock::time_point started = Clock::now();
        for (auto _ : state) {
            input.update(still);
            root->tick(time, FRAME_BUDGET);
            graphics.beginFrame();
            root->renderContext();
            time += FRAME_BUDGET;
        }
        const double frames = static_cast<double>(state.iterations());
        state.counters["frame_share"] = seconds(started) / frames / FRAME_BUDGET;
        if (auto* d = dynamic_cast<platform::NullRenderDevice*>(graphics.device()))
            state.counters["draws"] = static_cast<double>(d->drawCount - drawsBefore) / frames;
    });
    if (!ran) state.SkipWithError("the main menu was never reached");
}
BENCHMARK(BM_MainMenuFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
