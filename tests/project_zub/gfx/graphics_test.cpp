// The graphics object: presentation parameters, video modes, viewport.
#include <gtest/gtest.h>

#include <iterator>

#include "gfx/ImageCodec.h"
#include "gfx_test_support.h"
#include "sys/Logger.h"

using namespace gfxtest;

namespace {

bool logged(const char* text) {
    for (const WString& line : Logger::get().history())
        if (line.find(widen(text)) != WString::npos) return true;
    return false;
}

TEST(ZubGraphics, DescribesVideoModesWithTheirReducedAspect) {
    EXPECT_EQ(ZubGraphics::describeVideoMode({1024, 768}), u"1024x768 (4:3)");
    EXPECT_EQ(ZubGraphics::describeVideoMode({1920, 1080}), u"1920x1080 (16:9)");
    EXPECT_EQ(ZubGraphics::describeVideoMode({1280, 800}), u"1280x800 (8:5)");
    EXPECT_EQ(ZubGraphics::describeVideoMode({800, 600}), u"800x600 (4:3)");
}

TEST(ZubGraphics, RestartsOnlyWhenSomethingChanged) {
    platform::NullBackend backend;
    ZubGraphics g;
    g.setBackend(&backend);
    ASSERT_EQ(g.videoModes.size(), 2u);  // the backend's, in order
    EXPECT_EQ(g.videoModes[1].width, 1920);
    static int hookCalls = 0;
    hookCalls = 0;
    g.onRestart = [](ZubGraphics&) { ++hookCalls; };
    Logger::get().clearHistory();
    // Only the filter: no restart.
    g.changePresentationParameters(-1, -1, false, true, false, true);
    EXPECT_EQ(g.restarts, 0);
    EXPECT_FALSE(g.bBilinearFilter);
    EXPECT_FALSE(logged("Restarting to apply configuration."));
    // The same again: nothing.
    g.changePresentationParameters(1024, 768, false, true, false, true);
    EXPECT_EQ(g.restarts, 0);
    // A new size: restart; negative values keep the current ones.
    g.changePresentationParameters(800, -1, false, true, false, true);
    EXPECT_EQ(g.restarts, 1);
    EXPECT_EQ(g.width, 800);
    EXPECT_EQ(g.height, 768);
    EXPECT_EQ(backend.window.width, 800);
    EXPECT_TRUE(logged("ZubGraphics::changePresentationParameters(): Restarting to apply configuration."));
    // Full screen, letterboxing and vertical sync each restart.
    g.changePresentationParameters(-1, -1, true, true, false, true);
    g.changePresentationParameters(-1, -1, true, false, false, true);
    g.changePresentationParameters(-1, -1, true, false, false, false);
    EXPECT_EQ(g.restarts, 4);
    EXPECT_EQ(hookCalls, 4);
    EXPECT_TRUE(g.bFullScreen);
    EXPECT_FALSE(g.bLetterbox);
    EXPECT_FALSE(g.bVSync);
    // Without a window layer the back buffer takes the size asked for.
    ZubGraphics bare;
    bare.changePresentationParameters(640, 480, false, true, true, true);
    EXPECT_EQ(bare.backBufferWidth, 640);
    EXPECT_EQ(bare.viewport.height, 480);
}

TEST(ZubGraphics, TheCurrentSizeIsTheOneTheWindowGot) {
    // A window system that leaves the window at the size it opened with.
    struct KeepingBackend : platform::NullBackend {
        bool setFullScreen(bool on, int, int) override {
            ++asks;
            fullScreen = on;
            return true;
        }
        int asks = 0;
    } backend;
    std::string error;
    platform::WindowSettings opened;
    ASSERT_TRUE(backend.openWindow(opened, error));
    ZubGraphics g;
    g.setBackend(&backend);
    g.changePresentationParameters(1920, 1080, true, true, true, true);
    EXPECT_EQ(backend.asks, 1);
    EXPECT_TRUE(backend.fullScreen);
    EXPECT_EQ(g.width, 1024);
    EXPECT_EQ(g.height, 768);
    EXPECT_EQ(g.viewport.width, 1024);
    EXPECT_EQ(g.viewport.height, 768);
    // Keeping the current size changes nothing; vertical sync alone restarts
    // without asking the window for anything.
    const int restarts = g.restarts;
    g.changePresentationParameters(-1, -1, true, true, true, true);
    EXPECT_EQ(g.restarts, restarts);
    g.changePresentationParameters(-1, -1, true, true, true, false);
    EXPECT_EQ(g.restarts, restarts + 1);
    EXPECT_EQ(backend.asks, 1);
    EXPECT_FALSE(backend.vsync);
}

TEST(ZubGraphics, LetterboxingKeepsTheReferenceShape) {
    ZubGraphics g;
    g.onWindowSize(1280, 768);  // wider than 4:3: bars at the sides
    EXPECT_EQ(g.viewport.x, 128);
    EXPECT_EQ(g.viewport.y, 0);
    EXPECT_EQ(g.viewport.width, 1024);
    EXPECT_EQ(g.viewport.height, 768);
    EXPECT_FLOAT_EQ(g.aspectRatio, 1.0f);
    EXPECT_FLOAT_EQ(g.pixelToDesign(), 1.0f);
    g.onWindowSize(512, 512);  // taller: bars at the top and bottom
    EXPECT_EQ(g.viewport.width, 512);
    EXPECT_EQ(g.viewport.height, 384);
    EXPECT_EQ(g.viewport.y, 64);
    EXPECT_FLOAT_EQ(g.pixelToDesign(), 2.0f);
    // Without letterboxing the reference screen is stretched over the window.
    g.bLetterbox = false;
    g.onWindowSize(1280, 768);
    EXPECT_EQ(g.viewport.width, 1280);
    EXPECT_FLOAT_EQ(g.aspectRatio, 1.25f);
}

using Graphics = NullGraphicsTest;

TEST_F(Graphics, BeginFrameSetsTheFrameState) {
    graphics.bBilinearFilter = false;
    device->alphaBlend = false;
    graphics.beginFrame();
    EXPECT_FALSE(device->bilinear);
    EXPECT_TRUE(device->alphaBlend);
    EXPECT_EQ(device->modulate, 0xFFFFFFFFu);
}

TEST_F(Graphics, ScreenshotWithTheNullDeviceIsTheClearColour) {
    graphics.clear(0xFF00FF00);
    TempFolder folder;
    const std::string path = folder / "null.jpg";
    ASSERT_TRUE(graphics.saveScreenshot(path));
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    DecodedImage shot;
    image_codec::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), u"null.jpg", shot);
    EXPECT_EQ(shot.width, 1024);
    EXPECT_EQ(shot.height, 768);
    EXPECT_TRUE(nearColor(shot.pixels[1000], 0xFF00FF00, 8));
    EXPECT_FALSE(graphics.saveScreenshot("/nonexistent-folder/x/shot.jpg"));
}

// The screenshot is a new file: a link under its name (to another file of
// the user's) is replaced, not written through; and a JPEG over the limit
// given is not written at all.
TEST_F(Graphics, AScreenshotIsANewFileWithinItsLimit) {
    graphics.clear(0xFF0000FF);
    TempFolder folder;
    const std::string path = folder / "crash.Tumbrodemo.jpg", other = folder / "letter.txt";
    filestest::writeBytes(other, "precious");
    std::filesystem::create_symlink(other, path);
    ASSERT_TRUE(graphics.saveScreenshot(path));
    EXPECT_EQ(filestest::readBytes(other), "precious");
    namespace fs = std::filesystem;
    EXPECT_FALSE(fs::is_symlink(path));
    const uintmax_t size = fs::file_size(path);
    fs::remove(path);
    EXPECT_TRUE(graphics.saveScreenshot(path, 90, size));
    fs::remove(path);
    EXPECT_FALSE(graphics.saveScreenshot(path, 90, size - 1));
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
