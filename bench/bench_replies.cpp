// A web server's reply shown in a message viewer, as the network test page,
// the high-score upload and the crash report show it: the frame in which the
// reply arrives (its UTF-8 bytes decoded, its lines added to the viewer, the
// viewer's nine lines drawn on the counting null device). The replies are as
// large as the HTTP layer takes (16 MB) in four shapes, and 100 KB of bars
// (each starts a line). Each reports the frame's share of the 10 ms frame
// and its ratio to a memcpy of the reply's bytes, measured in the same run,
// and frame_cpu_ms, the frame's processor time on this thread (which a busy
// machine does not stretch). The font is an atlas rendered from DejaVu
// Sans, so lines wrap as the game's do; the log has no file here (its lines
// are still made).
#include <benchmark/benchmark.h>
#include "MemcpyBaseline.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "gui/MessageViewer.h"
#include "object/ResourceManager.h"
#include "platform/FontRasterizer.h"
#include "platform/RenderDevice.h"
#include "sys/ErrorManager.h"
#include "text/FontQuad.h"
#include "text/GlyphPageGenerator.h"

namespace {

// The largest reply the HTTP layer hands on (platform/HttpTransport.h).
constexpr size_t kLargestReply = size_t{16} << 20;

struct ViewerWorld {
    ZubGraphics graphics;
    ResourceManager resources;
    std::unique_ptr<Texture> page;
    std::unique_ptr<FontQuad> font;
    std::string error;

    bool open() {
        if (font) return true;
        ErrorManager::bTestMode = true;
        if (!benchsupport::useCountingDevice(graphics, error)) return false;
        page = benchsupport::glyphPageTexture(18, error);
        if (!page) return false;
        font = std::make_unique<FontQuad>();
        font->addSourceTexture(page.get(), 33);
        resources.addResource(u"fontMediumOutline", font.get());
        return true;
    }
};

ViewerWorld& world() {
    static ViewerWorld w;
    return w;
}

std::string repeated(std::string_view piece, size_t size) {
    std::string out;
    out.reserve(size);
    while (out.size() < size) out += piece;
    out.resize(size);
    return out;
}

void showReply(benchmark::State& state, const std::string& reply) {
    ViewerWorld& w = world();
    if (!w.open()) {
        state.SkipWithError(w.error.c_str());
        return;
    }
    MessageViewer viewer;
    for (const char16_t* line : {u"Connecting...", u"Connected."}) viewer.addMessage(line);
    const double cpuBefore = benchsupport::threadSeconds();
    const double seconds = benchsupport::timeFrames(state, [&] {
        viewer.addReply(narrowToWide(reply));  // what HttpRequest::getReplyText does with UTF-8
        viewer.render();
    });
    const double cpu = benchsupport::threadSeconds() - cpuBefore;
    benchmark::DoNotOptimize(viewer.lines.data());
    const double frame = seconds / static_cast<double>(state.iterations());
    state.counters["frame_ms"] = frame * 1e3;
    // The thread's processor time: the same figure on a busy machine.
    state.counters["frame_cpu_ms"] = cpu / static_cast<double>(state.iterations()) * 1e3;
    state.counters["x_memcpy"] = frame / (memcpyNanoseconds(reply.size()) * 1e-9);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(reply.size()));
}

// One line without a space: wrapped between characters into about 170,000
// lines, of which nine stay.
void BM_ReplyOneLine16MB(benchmark::State& state) {
    static const std::string reply = repeated("abcdefghijklmnopqrstuvwxyz0123456789", kLargestReply);
    showReply(state, reply);
}

// Text as a server writes it: words, a line break every 60 or so.
void BM_ReplyWords16MB(benchmark::State& state) {
    static const std::string reply =
        repeated("The pig rolls the apple home. Twelve apples, one basket.\r\nNext one: ", kLargestReply);
    showReply(state, reply);
}

// Sixteen million empty lines.
void BM_ReplyLineBreaks16MB(benchmark::State& state) {
    static const std::string reply(kLargestReply, '\n');
    showReply(state, reply);
}

// Sixteen million bars: one line of the reply that breaks into as many
// empty lines.
void BM_ReplyBars16MB(benchmark::State& state) {
    static const std::string reply(kLargestReply, '|');
    showReply(state, reply);
}

void BM_ReplyBars100KB(benchmark::State& state) {
    static const std::string reply(100 * 1024, '|');
    showReply(state, reply);
}

BENCHMARK(BM_ReplyOneLine16MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplyWords16MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplyLineBreaks16MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplyBars16MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplyBars100KB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
