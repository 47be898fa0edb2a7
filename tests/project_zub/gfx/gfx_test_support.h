#pragma once
// Helpers of the graphics tests: a graphics object on the null device or on
// the real OpenGL device in an off-screen window, and images made in memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "gfx/Context.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/RenderCounters.h"
#include "gfx/ZubGraphics.h"
#include "platform/Platform.h"
#include "platform/RenderDevice.h"
#include "project_zub/sys/files_test_support.h"
#include "support/png/PngWriter.h"

namespace gfxtest {

// A graphics object drawing on the null device, with a context whose camera
// is the default one (eye at (0, 0, -512)) as the current context.
class NullGraphicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto d = std::make_unique<platform::NullRenderDevice>();
        device = d.get();
        std::string error;
        ASSERT_TRUE(graphics.setDevice(std::move(d), error)) << error;
        previousContext = Context::environment.current;
        Context::environment.current = &context;
        context.camera->apply();
        renderCounters.reset();
    }
    void TearDown() override { Context::environment.current = previousContext; }

    ZubGraphics graphics;
    platform::NullRenderDevice* device = nullptr;
    Context context;
    Context* previousContext = nullptr;
};

// The real device in an off-screen window of W x H pixels (the reference
// screen at half size: 2 world units per pixel at depth 0). Skipped when no
// off-screen OpenGL 3.3 window can be made.
class GLTest : public ::testing::Test {
protected:
    static constexpr int W = 512, H = 384;

    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        backend = platform::createSdlBackend();
        platform::WindowSettings s;
        s.title = "Graphics test";
        s.width = W;
        s.height = H;
        s.vsync = false;
        s.assumeFocused = true;
        std::string error;
        if (!backend->openWindow(s, error)) GTEST_SKIP() << "no off-screen OpenGL window: " << error;
        graphics = std::make_unique<ZubGraphics>();
        if (!graphics->setDevice(platform::createGLRenderDevice(), error)) {
            graphics.reset();
            GTEST_SKIP() << "no OpenGL 3.3 device: " << error;
        }
        graphics->setBackend(backend.get());
        platform::InputSnapshot input;
        platform::WindowState window;
        backend->poll(input, window);
        graphics->onWindowSize(window.width > 0 ? window.width : W, window.height > 0 ? window.height : H);
        previousContext = Context::environment.current;
        Context::environment.current = &context;
        beginFrame(0xFF000000);
    }

    void TearDown() override {
        Context::environment.current = previousContext;
        graphics.reset();
        backend.reset();
    }

    // Starts a frame: viewport, point filtering, blending on, the clear, the camera.
    void beginFrame(uint32_t clearColor) {
        graphics->bBilinearFilter = false;
        graphics->beginFrame();
        graphics->clear(clearColor);
        context.camera->apply();
    }

    // The whole frame, rows top-down.
    std::vector<uint32_t> readFrame() {
        std::vector<uint32_t> px;
        EXPECT_TRUE(graphics->device()->readPixels(0, 0, graphics->backBufferWidth, graphics->backBufferHeight, px));
        return px;
    }
    uint32_t at(const std::vector<uint32_t>& frame, int x, int y) const {
        return frame[static_cast<size_t>(y) * static_cast<size_t>(graphics->backBufferWidth) + static_cast<size_t>(x)] |
               0xFF000000u;
    }
    // The window pixel where a world point appears, through the camera's
    // reference-screen conversion and the viewport.
    void worldToPixel(const V3& w, int& px, int& py) const {
        const V3 s = context.camera->worldToScreen(w);
        const platform::DeviceViewport& v = graphics->viewport;
        px = v.x + static_cast<int>(s.x * static_cast<float>(v.width) / 1024.0f);
        py = v.y + static_cast<int>((768.0f - s.y) * static_cast<float>(v.height) / 768.0f);
    }
    uint32_t atWorld(const std::vector<uint32_t>& frame, float x, float y) const {
        int px, py;
        worldToPixel(V3(x, y, 0.0f), px, py);
        return at(frame, px, py);
    }

    std::unique_ptr<platform::Backend> backend;
    std::unique_ptr<ZubGraphics> graphics;
    Context context;
    Context* previousContext = nullptr;
};

// Colour channels.
inline int red(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
inline int green(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int blue(uint32_t c) { return static_cast<int>(c & 0xFF); }
inline int alpha(uint32_t c) { return static_cast<int>(c >> 24); }

// Whether two colours agree within `tolerance` in each of r, g, b.
inline ::testing::AssertionResult nearColor(uint32_t actual, uint32_t expected, int tolerance = 3) {
    if (std::abs(red(actual) - red(expected)) <= tolerance && std::abs(green(actual) - green(expected)) <= tolerance &&
        std::abs(blue(actual) - blue(expected)) <= tolerance)
        return ::testing::AssertionSuccess();
    char text[96];
    std::snprintf(text, sizeof text, "colour %08x, expected %08x (+-%d)", actual, expected, tolerance);
    return ::testing::AssertionFailure() << text;
}

// An image of w x h pixels from a function of (x, y).
template <class F>
MemoryImageFile* makeImage(int w, int h, F colorAt) {
    auto* img = new MemoryImageFile(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img->setPixel(x, y, colorAt(x, y));
    return img;
}

// A 32-bit uncompressed TGA (top-left origin, 8 alpha bits).
inline std::string tgaBytes(int w, int h, const std::vector<uint32_t>& argb) {
    std::string s(18, '\0');
    s[2] = 2;
    s[12] = static_cast<char>(w & 0xFF);
    s[13] = static_cast<char>(w >> 8);
    s[14] = static_cast<char>(h & 0xFF);
    s[15] = static_cast<char>(h >> 8);
    s[16] = 32;
    s[17] = 0x28;
    for (uint32_t p : argb) {
        s.push_back(static_cast<char>(p & 0xFF));
        s.push_back(static_cast<char>((p >> 8) & 0xFF));
        s.push_back(static_cast<char>((p >> 16) & 0xFF));
        s.push_back(static_cast<char>(p >> 24));
    }
    return s;
}

// A PNG of ARGB pixels with 3 (no alpha) or 4 channels (support/png/).
using pngtest::pngBytes;

using filestest::TempFolder;

}  // namespace gfxtest
