// The valley map, as shares of the 10 ms frame, and its road against a plain
// baseline measured in the same run.
//
// - One frame of the map (a profile ten levels in, the pointer resting on a
//   finished level so that its bubble is rebuilt): the tick and the drawing
//   through the recording renderer.
// - The dashed road built along the whole road (one vertex pair every 12
//   units, each with its point and direction) and uploaded.
// - The road's direction at a point: the segment's table of eight sampled
//   directions against working it out from the curve (two evaluations and
//   an arc tangent), the baseline.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "Manifest.h"
#include "audio/SoundStream.h"
#include "flow/ContextValley.h"
#include "flow/GameServices.h"
#include "flow/ValleyDashedLine.h"
#include "flow/ValleyIcon.h"
#include "gfx/Quad.h"
#include "gfx/RenderCounters.h"
#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "object/ResourceManager.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/ErrorManager.h"
#include "text/FontQuad.h"

namespace {

using benchsupport::DT;
using benchsupport::FRAME_BUDGET;

// The program around the map: resources, records, input and graphics.
struct Program : GameServices {
    Program() : folder("valley") {
        ErrorManager::bTestMode = true;
        config = std::make_unique<GameConfiguration>();
        config->detailLevel = 1;
        profileManager = std::make_unique<ProfileManager>();
        profileManager->addProfile(u"Bench");
        ProfileData& p = profileManager->currentProfile();
        for (int32_t i = 0; i < 10; ++i) {
            LevelResult& r = p.levels[i];
            r.apples = 10;
            r.applesGathered = 5 + i / 2;
            r.time = 40.0 + i;
            r.parTime = 60.0;
            r.computeScore();
            r.empty = 0;
            r.completed = r.unlocked = 1;
        }
        p.levels[10].unlocked = 1;
        p.currentLevel = 10;
        install(this);
        benchsupport::registerPlaceholders(resources);
        for (const content::Entry& e : content::manifest()) {
            if (e.kind != content::Kind::Music) continue;
            owned.push_back(std::make_unique<SoundStream>());
            resources.addResource(narrowToWide(e.name), owned.back().get());
        }
        owned.push_back(std::make_unique<FontQuad>());
        for (const char16_t* f :
             {u"fontTiny", u"fontSmall", u"fontSmallOutline", u"fontMedium", u"fontMediumOutline", u"fontLarge"})
            resources.addResource(f, owned.back().get());
        std::string error;
        benchsupport::useCountingDevice(graphics, error);
    }
    ~Program() override {
        install(nullptr);
        profileManager.reset();
        config.reset();
        resources.clear();
        owned.clear();
    }
    GameConfiguration& configuration() override { return *config; }
    ProfileManager& profiles() override { return *profileManager; }
    // The map is never left here.
    void saveUserData() override {}

    // The input's poll with the mouse on a point of the reference screen,
    // then the map's tick and drawing.
    void frame(ContextValley& valley, const V3& mouse) {
        platform::InputSnapshot s;
        s.mouseX = mouse.x;
        s.mouseY = static_cast<float>(REFERENCE_HEIGHT) - mouse.y;
        s.mouseMoved = true;
        input.update(s);
        ++renderCounters.frameNumber;
        valley.tick(time, DT);
        valley.renderContext();
        time += DT;
    }

    benchsupport::ScratchFolder folder;
    ResourceManager resources;
    ZubInput input;
    ZubGraphics graphics;
    std::unique_ptr<GameConfiguration> config;
    std::unique_ptr<ProfileManager> profileManager;
    std::vector<std::unique_ptr<ZubBase>> owned;
    double time = 0.0;
};

Program& program() {
    static Program p;
    return p;
}

void BM_ValleyFrame(benchmark::State& state) {
    Program& p = program();
    auto* valley = new ContextValley;
    // The road grown and the map scrolled, the pointer on level 7.
    for (int i = 0; i < 400; ++i) p.frame(*valley, V3());
    const V3 rest = valley->camera->worldToScreen(valley->icon(7)->position);
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        p.frame(*valley, rest);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["frame_share"] = seconds / static_cast<double>(state.iterations()) / FRAME_BUDGET;
    deleteObject(valley);
}
BENCHMARK(BM_ValleyFrame)->Unit(benchmark::kMicrosecond);

void BM_WholeRoadBuild(benchmark::State& state) {
    Program& p = program();
    (void)p;
    auto* valley = new ContextValley;
    const float length = valley->path.totalLength;
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        valley->pDashedLine->build(valley->path, length);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["frame_share"] = seconds / static_cast<double>(state.iterations()) / FRAME_BUDGET;
    state.counters["vertices"] = static_cast<double>(valley->pDashedLine->strip->vb.size());
    deleteObject(valley);
}
BENCHMARK(BM_WholeRoadBuild)->Unit(benchmark::kMicrosecond);

// The direction at 1000 points along the road: from the sampled table, and
// (the baseline) from the curve itself.
void roadDirections(benchmark::State& state, bool fromTable) {
    BezierPathSimple path;
    for (int i = 0; i < ContextValley::ROAD_POINTS; ++i) {
        const float a = static_cast<float>(i);
        path.addPoint(V3(100.0f * a, 80.0f * std::sin(a), 0.0f), V3(60.0f, 40.0f * std::cos(a), 0.0f));
    }
    const float step = path.totalLength / 1000.0f;
    float sum = 0.0f;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            float f = 0.0f;
            const BezierSegmentSimple* s = path.findSegment(step * static_cast<float>(i), f);
            if (fromTable) {
                sum += s->getAngle(f);
            } else {
                const V3 a = s->pointAt(f);
                const V3 b = s->pointAt(f + BezierSegmentSimple::DIRECTION_STEP);
                sum += std::atan2(b.y - a.y, b.x - a.x);
            }
        }
        benchmark::DoNotOptimize(sum);
    }
}
void BM_RoadDirectionFromCurve(benchmark::State& state) { roadDirections(state, false); }
void BM_RoadDirectionFromTable(benchmark::State& state) { roadDirections(state, true); }
BENCHMARK(BM_RoadDirectionFromCurve)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RoadDirectionFromTable)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
