#include "OffscreenPicture.h"

#include <cstdlib>
#include <filesystem>

#include "Manifest.h"
#include "Painter.h"
#include "PngWriter.h"
#include "gfx/ImageCodec.h"
#include "gfx/MemoryImageFile.h"
#include "object/ResourceManager.h"
#include "platform/RenderDevice.h"
#include "project_zub/sys/files_test_support.h"

namespace picturetest {

bool OffscreenWindow::open(const char* title, int w, int h) {
    auto skip = [](const std::string& why) { GTEST_SKIP() << why; };
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    backend = platform::createSdlBackend();
    std::string error;
    if (!backend->openWindow({.title = title, .width = w, .height = h, .vsync = false, .assumeFocused = true}, error)) {
        skip("no off-screen OpenGL window: " + error);
        return false;
    }
    graphics = std::make_unique<ZubGraphics>();
    if (!graphics->setDevice(platform::createGLRenderDevice(), error)) {
        skip("no OpenGL device: " + error);
        return false;
    }
    graphics->onWindowSize(w, h);
    width = w;
    height = h;
    return true;
}

void OffscreenWindow::close() {
    graphics.reset();
    backend.reset();
}

void OffscreenWindow::beginFrame(uint32_t clearColour) {
    graphics->bBilinearFilter = false;
    graphics->beginFrame();
    graphics->clear(clearColour);
}

std::vector<uint32_t> OffscreenWindow::readFrame() {
    std::vector<uint32_t> frame;
    EXPECT_TRUE(graphics->device()->readPixels(0, 0, width, height, frame));
    return frame;
}

void compareWithStored(const std::vector<uint32_t>& frame, int w, int h, const std::string& stored, const char* rewrite,
                       const Tolerance& tolerance) {
    if (std::getenv(rewrite)) {
        ASSERT_TRUE(pngtest::writePng(stored, w, h, frame)) << stored;
        GTEST_SKIP() << "wrote " << stored;
    }
    ASSERT_TRUE(std::filesystem::exists(stored))
        << stored << " is missing: write it with " << rewrite << "=1 (tests/support/OffscreenPicture.h)";
    const std::string bytes = filestest::readBytes(stored);
    ASSERT_FALSE(bytes.empty()) << stored;
    DecodedImage expected;
    image_codec::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), u"stored", expected);
    ASSERT_TRUE(expected.width == w && expected.height == h) << stored;
    ASSERT_EQ(expected.pixels.size(), frame.size()) << stored;
    double total = 0.0;
    size_t far = 0;
    for (size_t i = 0; i < frame.size(); ++i) {
        const int d = difference(frame[i], expected.pixels[i]);
        total += d;
        far += d > tolerance.farDifference ? 1 : 0;
    }
    if (tolerance.meanBelow) {
        EXPECT_LT(total / static_cast<double>(frame.size()), *tolerance.meanBelow) << stored;
    }
    if (tolerance.farBelowOneIn) {
        EXPECT_LT(far, frame.size() / *tolerance.farBelowOneIn) << stored;
    }
    if (tolerance.farAtMost) {
        EXPECT_LE(far, *tolerance.farAtMost) << "pixels that differ from " << stored;
    }
}

void keepInFolder(const char* folder, const std::string& name, const std::vector<uint32_t>& frame, int w, int h) {
    const char* path = std::getenv(folder);
    if (!path) return;
    const std::string file = std::string(path) + "/" + name;
    EXPECT_TRUE(pngtest::writePng(file, w, h, frame)) << file;
}

namespace {

std::unique_ptr<Texture> paintTexture(ResourceManager& resources, const content::Entry& e, int textureFlags) {
    const contentgen::SheetLayout layout = contentgen::layoutSheet(e.frames);
    MemoryImageFile image(DecodedImage{layout.width, layout.height, contentgen::paintSheet(e, layout).pixels(), true});
    auto t = std::make_unique<Texture>(&image, textureFlags);
    t->applySkinDescription(contentgen::skinDescription(e, layout), narrowToWide(e.name));
    t->registerSkins(resources, narrowToWide(e.name));
    return t;
}

}  // namespace

void PaintedArt::paintAll(ResourceManager& resources, int textureFlags) {
    for (const content::Entry& e : content::manifest())
        if (e.kind == content::Kind::Texture && !e.frames.empty())
            textures.push_back(paintTexture(resources, e, textureFlags));
}

void PaintedArt::paint(ResourceManager& resources, std::initializer_list<const char*> names, int textureFlags) {
    for (const char* name : names) {
        const content::Entry* e = content::findEntry(name);
        if (!e) {
            ADD_FAILURE() << "the manifest holds no " << name;
            continue;
        }
        textures.push_back(paintTexture(resources, *e, textureFlags));
    }
}

}  // namespace picturetest
