// The drawing path.
//
// On the real device (OpenGL on Mesa in an off-screen window of 1024 x 768):
// how many textured 32 x 32 quads, each its own renderable, are drawn per
// 10 ms frame when they use 1, 10 or 100 textures in turn. The baseline,
// measured in the same run, is the same quads in one vertex buffer drawn by
// one call with one texture: the device's own limit.
//
// On the null device: the CPU cost of one frame of the engine's draw path for
// 5000 renderables spread over three times the view (so that about two thirds
// are culled): transform updates, culling, matrices and draw calls; a second
// case also re-uploads every renderable's own vertices each frame. Both report
// the ratio to a memcpy of the frame's vertex bytes.
#include <benchmark/benchmark.h>
#include "MemcpyBaseline.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "gfx/Context.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/RenderCounters.h"
#include "gfx/Renderable.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "platform/Platform.h"
#include "platform/RenderDevice.h"
#include "sys/ErrorManager.h"
#include "util/Random.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kQuads = 2000;
constexpr int kRenderables = 5000;

std::unique_ptr<MemoryImageFile> checkerImage(uint32_t color) {
    auto img = std::make_unique<MemoryImageFile>(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) img->setPixel(x, y, ((x / 8 + y / 8) & 1) ? color : 0xFFFFFFFFu);
    return img;
}

// --- the real device ------------------------------------------------------------

struct GLWorld {
    std::unique_ptr<platform::Backend> backend;
    std::unique_ptr<ZubGraphics> graphics;
    std::unique_ptr<Context> context;
    std::vector<std::unique_ptr<Texture>> textures;
    std::string error;

    bool open() {
        if (graphics) return true;
        if (!error.empty()) return false;
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        backend = platform::createSdlBackend();
        platform::WindowSettings s;
        s.width = 1024;
        s.height = 768;
        s.vsync = false;
        s.assumeFocused = true;
        if (!backend->openWindow(s, error)) return false;
        auto g = std::make_unique<ZubGraphics>();
        if (!g->setDevice(platform::createGLRenderDevice(), error)) return false;
        g->setBackend(backend.get());
        g->onWindowSize(1024, 768);
        graphics = std::move(g);
        context = std::make_unique<Context>();
        Context::environment.current = context.get();
        for (int i = 0; i < 100; ++i) {
            auto img = checkerImage(0xFF000000u | (static_cast<uint32_t>(i) * 2654435761u >> 8));
            textures.push_back(std::make_unique<Texture>(img.get()));
            textures.back()->getHandle();
        }
        return true;
    }

    void beginFrame() {
        Context::environment.current = context.get();
        graphics->beginFrame();
        graphics->clear(0xFF000000);
        context->camera->apply();
    }

    // Waits for the device to finish the frame.
    void finish() {
        std::vector<uint32_t> px;
        graphics->device()->readPixels(0, 0, 1, 1, px);
    }
};

GLWorld& glWorld() {
    static GLWorld world;
    return world;
}

V3 quadPlace(int i) {
    // A grid over the reference screen.
    const int column = i % 50, row = (i / 50) % 40;
    return V3(-500.0f + static_cast<float>(column) * 20.0f, -370.0f + static_cast<float>(row) * 19.0f, 0.0f);
}

// One frame of the baseline: all quads in one buffer, one draw.
double oneBufferFrameNs(GLWorld& w, int frames) {
    Quad* skin = w.textures[0]->getSkin(0);
    VertexBuffer vb(kQuads * 6);
    for (int i = 0; i < kQuads; ++i) {
        const V3 p = quadPlace(i);
        const float x0 = p.x - 16, x1 = p.x + 16, y0 = p.y + 16, y1 = p.y - 16;
        const float xs[6] = {x0, x1, x0, x1, x1, x0}, ys[6] = {y0, y0, y1, y0, y1, y1};
        const float us[6] = {skin->u0, skin->u1, skin->u0, skin->u1, skin->u1, skin->u0};
        const float vs[6] = {skin->v0, skin->v0, skin->v1, skin->v0, skin->v1, skin->v1};
        for (int k = 0; k < 6; ++k) vb.set(i * 6 + k, xs[k], ys[k], 0, 0xFFFFFFFF, us[k], vs[k]);
    }
    vb.upload();
    const auto start = Clock::now();
    for (int f = 0; f < frames; ++f) {
        w.beginFrame();
        Skin::applyCarrier(nullptr);
        vb.draw(w.textures[0].get(), VertexBuffer::TRIANGLE_LIST);
        w.finish();
    }
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / frames;
}

void BM_GLQuadsPer10msFrame(benchmark::State& state) {
    GLWorld& w = glWorld();
    if (!w.open()) {
        state.SkipWithError(("no off-screen OpenGL device: " + w.error).c_str());
        return;
    }
    const int textureCount = static_cast<int>(state.range(0));
    std::vector<std::unique_ptr<Renderable>> quads;
    for (int i = 0; i < kQuads; ++i) {
        Quad* skin = w.textures[static_cast<size_t>(i % textureCount)]->getSkin(0);
        auto r = std::make_unique<Renderable>(skin, quadPlace(i));
        r->setScale(0.5f);  // 64 pixels -> 32
        quads.push_back(std::move(r));
    }
    const double baseline = oneBufferFrameNs(w, 20);
    const auto start = Clock::now();
    for (auto _ : state) {
        w.beginFrame();
        for (auto& r : quads) r->render();
        w.finish();
    }
    const double frameNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                           static_cast<double>(state.iterations());
    state.counters["quads_per_10ms"] = benchmark::Counter(kQuads * 1e7 / frameNs);
    state.counters["one_buffer_quads_per_10ms"] = benchmark::Counter(kQuads * 1e7 / baseline);
    state.counters["x_one_buffer"] = benchmark::Counter(frameNs / baseline);
}
BENCHMARK(BM_GLQuadsPer10msFrame)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

// --- the engine's draw path on the null device -------------------------------------

struct NullWorld {
    ZubGraphics graphics;
    platform::NullRenderDevice* device = nullptr;
    Context context;
    std::unique_ptr<Texture> texture;
    std::vector<std::unique_ptr<Renderable>> renderables;
    std::vector<std::unique_ptr<Quad>> ownSkins;

    explicit NullWorld(bool ownVertices) {
        std::string error;
        device = benchsupport::useCountingDevice(graphics, error);
        Context::environment.current = &context;
        auto img = checkerImage(0xFF808080u);
        texture = std::make_unique<Texture>(img.get());
        randomState = 1;
        for (int i = 0; i < kRenderables; ++i) {
            Skin* skin = texture->getSkin(0);
            if (ownVertices) {
                auto q = std::make_unique<Quad>(texture.get(), 0, 0, 32, 32);
                skin = q.get();
                ownSkins.push_back(std::move(q));
            }
            const V3 p(randomRange(-1536, 1536), randomRange(-1152, 1152), 0);
            auto r = std::make_unique<Renderable>(skin, p);
            r->setRotationZ(randomRange(0, kTwoPi));
            renderables.push_back(std::move(r));
        }
    }
    ~NullWorld() { Context::environment.current = nullptr; }

    void frame(float t) {
        renderCounters.reset();
        graphics.beginFrame();
        context.camera->apply();
        for (size_t i = 0; i < renderables.size(); ++i) {
            Renderable& r = *renderables[i];
            r.position.x += (i & 1) ? t : -t;
            r.rotation.z += 0.01f;
            r.onTransformChanged();
        }
        for (auto& q : ownSkins) q->refresh();
        for (auto& r : renderables) r->render();
    }
};

void drawPath(benchmark::State& state, bool ownVertices) {
    NullWorld w(ownVertices);
    const size_t bytes = static_cast<size_t>(kRenderables) * 4 * sizeof(Vertex);
    const double baseline = memcpyNanoseconds(bytes);
    float t = 0.0f;
    const auto start = Clock::now();
    for (auto _ : state) {
        w.frame(t);
        t = t > 0.5f ? -0.5f : t + 0.01f;
    }
    const double frameNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                           static_cast<double>(state.iterations());
    state.counters["visible"] = benchmark::Counter(renderCounters.renderablesVisible);
    state.counters["uploads"] = benchmark::Counter(renderCounters.vbufferWrites);
    state.counters["ns_per_renderable"] = benchmark::Counter(frameNs / kRenderables);
    state.counters["memcpy_us"] = benchmark::Counter(baseline / 1000.0);
    state.counters["x_memcpy"] = benchmark::Counter(frameNs / baseline);
}

void BM_DrawPath5000(benchmark::State& state) { drawPath(state, false); }
void BM_DrawPath5000WithUploads(benchmark::State& state) { drawPath(state, true); }
BENCHMARK(BM_DrawPath5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawPath5000WithUploads)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    ErrorManager::bTestMode = true;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The window and its device go before the libraries shut down.
    GLWorld& w = glWorld();
    Context::environment.current = nullptr;
    w.textures.clear();
    w.context.reset();
    w.graphics.reset();
    w.backend.reset();
    return 0;
}
