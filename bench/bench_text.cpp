// Text drawing on the null device: the CPU cost of one frame of 200 labels
// (menu captions, HUD values) in an atlas font rendered from DejaVu Sans,
// laid out and drawn each frame without the text cache, and drawn from the
// cache (same texts and colours every frame). Each reports the ratio to a
// memcpy of the frame's vertex bytes, measured in the same run.
#include <benchmark/benchmark.h>
#include "MemcpyBaseline.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "platform/FontRasterizer.h"
#include "platform/RenderDevice.h"
#include "text/FontQuad.h"
#include "text/GlyphPageGenerator.h"
#include "text/TextCache.h"
#include "util/Format.h"

namespace {

constexpr int kLabels = 200;

struct TextWorld {
    ZubGraphics graphics;
    std::unique_ptr<Texture> page;
    std::unique_ptr<FontQuad> font;
    std::vector<WString> labels;
    size_t vertexBytes = 0;
    std::string error;

    bool open() {
        if (font) return true;
        if (!benchsupport::useCountingDevice(graphics, error)) return false;
        page = benchsupport::glyphPageTexture(16, error);
        if (!page) return false;
        font = std::make_unique<FontQuad>();
        font->addSourceTexture(page.get(), 33);
        font->bCacheFlag = 1;
        font->attachFontCache();
        for (int i = 0; i < kLabels; ++i) {
            labels.push_back(formatString(u"Label %d: \x1E{0000ff}%d\x1E{000001} apples", i, i * 37));
            vertexBytes += labels.back().size() * 6 * sizeof(platform::Vertex);
        }
        return true;
    }

    void frame() {
        for (int i = 0; i < kLabels; ++i)
            font->drawText(static_cast<float>(i % 4) * 200.0f - 400.0f, static_cast<float>(i / 4) * 14.0f - 350.0f,
                           0.0f, 0xFFFFFFFF, 0x14, labels[static_cast<size_t>(i)]);
    }
};

TextWorld& world() {
    static TextWorld w;
    return w;
}

void BM_MemcpyVertexBytes(benchmark::State& state) {
    TextWorld& w = world();
    if (!w.open()) {
        state.SkipWithError(w.error.c_str());
        return;
    }
    std::vector<char> from(w.vertexBytes, 1), to(w.vertexBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(w.vertexBytes));
}

void runFrames(benchmark::State& state, bool cached) {
    TextWorld& w = world();
    if (!w.open()) {
        state.SkipWithError(w.error.c_str());
        return;
    }
    TextCache::bEnabled = cached;
    w.frame();  // warm
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) w.frame();
    const double perFrame = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                            static_cast<double>(state.iterations());
    TextCache::bEnabled = true;
    state.counters["labels"] = kLabels;
    state.counters["x_memcpy"] = perFrame / (memcpyNanoseconds(w.vertexBytes) * 1e-9);
}

void BM_TextFrameLaidOutEachTime(benchmark::State& state) { runFrames(state, false); }
void BM_TextFrameFromTheCache(benchmark::State& state) { runFrames(state, true); }

BENCHMARK(BM_MemcpyVertexBytes);
BENCHMARK(BM_TextFrameLaidOutEachTime)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextFrameFromTheCache)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
