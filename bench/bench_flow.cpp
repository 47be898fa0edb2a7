// The level in play, as shares of the 10 ms frame.
//
// A level written the way the level builder writes one (the starter content
// of every level, forty apples, rain) is loaded from its file: read, the
// commands replayed into a new game server, the level's set-up (boundary,
// piglets, weather). Then one frame of that level in play: the input's poll,
// the server's tick (the root, the game controller's rules and every object
// list) and its drawing through the recording renderer.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "Manifest.h"
#include "Painter.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/GameServices.h"
#include "flow/LevelDraft.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/RenderCounters.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "objects/apples/Apple.h"
#include "objects/triggers/House.h"
#include "platform/RenderDevice.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/ErrorManager.h"
#include "sys/FileData.h"
#include "sys/FileManager.h"
#include "sys/Paths.h"
#include "sys/ResourceManager.h"
#include "text/FontQuad.h"

namespace {

constexpr double DT = 0.01;
constexpr double FRAME_BUDGET = 0.01;

// The program around the level: resources, records, input and graphics.
struct Program : GameServices {
    Program() {
        ErrorManager::bTestMode = true;
        char pattern[] = "/tmp/zub-bench-flow-XXXXXX";
        if (mkdtemp(pattern)) folder = std::string(pattern) + "/";
        files.baseFolder = folder;
        setUserDataFolderOverride(folder);
        config = std::make_unique<GameConfiguration>();
        config->detailLevel = 1;
        config->showClock = 1;
        profileManager = std::make_unique<ProfileManager>();
        profileManager->addProfile(u"Bench");
        install(this);
        for (const content::Entry& e : content::manifest()) {
            const WString name = narrowToWide(e.name);
            if (e.kind == content::Kind::Texture && !e.frames.empty()) {
                const contentgen::SheetLayout layout = contentgen::layoutSheet(e.frames);
                MemoryImageFile image(layout.width, layout.height);
                auto t = std::make_unique<Texture>(&image);
                t->applySkinDescription(contentgen::skinDescription(e, layout), name);
                t->registerSkins(resources, name);
                owned.push_back(std::move(t));
            } else if (e.kind == content::Kind::Sound) {
                owned.push_back(std::make_unique<Sound>(e.loop, e.playbacks, std::vector<float>(64, 0.0f), 1, 22050));
                resources.addResource(name, owned.back().get());
            } else if (e.kind == content::Kind::Music) {
                owned.push_back(std::make_unique<SoundStream>());
                resources.addResource(name, owned.back().get());
            }
        }
        owned.push_back(std::make_unique<FontQuad>());
        for (const char16_t* f : {u"fontTiny", u"fontSmall", u"fontSmallOutline", u"fontMedium",
                                  u"fontMediumOutline", u"fontLarge"})
            resources.addResource(f, owned.back().get());
        std::string error;
        // Draws are counted, not kept: a kept record of every draw grows
        // by tens of kilobytes a frame and would be measured with the frame.
        auto device = std::make_unique<platform::NullRenderDevice>();
        device->bKeepDraws = false;
        graphics.setDevice(std::move(device), error);

        LevelDraft draft;
        GameController& gc = draft.controller();
        gc.weatherIntensity = 1.0f;
        gc.findHouse()->setPosition(V3(3000.0f, 0.0f, 0.0f));
        for (int i = 0; i < 40; ++i) draft.place<Apple>(V3(200.0f + 60.0f * i, 60.0f, 0.0f), gc.appleList);
        const std::vector<uint8_t> bytes = draft.write();
        std::filesystem::create_directories(folder + "levels");
        std::ofstream(folder + "levels/a1.lev", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    ~Program() override {
        install(nullptr);
        profileManager.reset();
        config.reset();
        resources.clear();
        owned.clear();
        setUserDataFolderOverride("");
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    GameConfiguration& configuration() override { return *config; }
    ProfileManager& profiles() override { return *profileManager; }
    // The level in the benchmark never returns to the valley map.
    void saveUserData() override {}

    std::unique_ptr<GameServer> load() {
        auto server = std::make_unique<GameServer>(u"Bench");
        FileData file(0, u"./levels/a1.lev");
        server->startLevel(file.data(), file.size(), u"./levels/a1.lev");
        return server;
    }
    void frame(GameServer& server) {
        platform::InputSnapshot s;
        s.keys[config->controls[GameConfiguration::CONTROL_RIGHT].key] = (frames / 200) % 2 ? 0x80 : 0;
        s.keys[config->controls[GameConfiguration::CONTROL_LEFT].key] = (frames / 200) % 2 ? 0 : 0x80;
        input.update(s);
        ++renderCounters.frameNumber;
        server.tick(time, DT);
        server.render();
        time += DT;
        ++frames;
    }

    std::string folder;
    FileManager files;
    ResourceManager resources;
    ZubInput input;
    ZubGraphics graphics;
    std::unique_ptr<GameConfiguration> config;
    std::unique_ptr<ProfileManager> profileManager;
    std::vector<std::unique_ptr<ZubBase>> owned;
    double time = 0.0;
    int64_t frames = 0;
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
        std::unique_ptr<GameServer> server = p.load();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        server.reset();
        state.ResumeTiming();
    }
    state.counters["frame_share"] = seconds / static_cast<double>(state.iterations()) / FRAME_BUDGET;
}
BENCHMARK(BM_LevelLoad)->Unit(benchmark::kMillisecond);

void BM_FrameInPlay(benchmark::State& state) {
    Program& p = program();
    std::unique_ptr<GameServer> server = p.load();
    while (server->controller()->state != GameController::PLAYING) p.frame(*server);
    double seconds = 0.0;
    const int64_t drawnBefore = renderCounters.renderablesVisible;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        p.frame(*server);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["frame_share"] = seconds / frames / FRAME_BUDGET;
    state.counters["objects"] = static_cast<double>(server->objectCount());
    state.counters["drawn"] = static_cast<double>(renderCounters.renderablesVisible - drawnBefore) / frames;
    // The process's peak resident memory: a level that keeps growing as it
    // plays shows here, whatever the run's length.
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_FrameInPlay)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
