// A page over the blurred intro, with the pointer and a part-closed iris,
// drawn by the real OpenGL device off-screen (the generator's placeholder
// pictures, the game's fonts) and compared with a stored picture within a
// tolerance. After a wanted change of the look, write the picture again and
// look at it before committing it:
//   ZUB_WRITE_SCREENSHOTS=1 build-test/tests/game_gui_tests --gtest_filter='ScreensPixels.*'
#include <gtest/gtest.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "MenuHarness.h"
#include "Painter.h"
#include "gfx/ImageCodec.h"
#include "gfx/Texture.h"
#include "gui/ContextPage.h"
#include "gui/GuiEnvironment.h"
#include "gui/IntroScreen.h"
#include "gui/IrisTransition.h"
#include "gui/MessageViewer.h"
#include "gui/ScreenOverlays.h"
#include "project_zub/gfx/gfx_test_support.h"

namespace {

struct ScreensPixels : gfxtest::GLTest {
    menutest::MenuHarness h;  // made before the OpenGL graphics object, which is therefore the active one
    std::vector<std::unique_ptr<Texture>> painted;
    IntroScreen* intro = nullptr;
    void TearDown() override { deleteObject(intro), painted.clear(), GLTest::TearDown(); }
};

TEST_F(ScreensPixels, APageOverTheBlurredIntroLooksAsStored) {
    // The generator's pictures instead of the harness's blank ones.
    for (const char* name : {"intro", "intro-blurred", "gui-game-button", "gui-game-editbox", "mousePointer"}) {
        const content::Entry* e = content::findEntry(name);
        const contentgen::SheetLayout layout = contentgen::layoutSheet(e->frames);
        const contentgen::Canvas canvas = contentgen::paintSheet(*e, layout);
        MemoryImageFile image(canvas.width(), canvas.height());
        std::copy(canvas.pixels().begin(), canvas.pixels().end(), image.pixels());
        auto& t = painted.emplace_back(std::make_unique<Texture>(&image, Texture::FLAG_KEEP_SOURCE));
        t->applySkinDescription(contentgen::skinDescription(*e, layout), narrowToWide(name));
        t->registerSkins(h.resources, narrowToWide(name));
    }
    gui::environment().introScreen = intro = new IntroScreen;
    gui::installScreenOverlays(*h.stack);
    auto* page = h.push(new ContextPage);
    page->setTitle(gui::text(SID_CREDITS));
    auto* viewer = new MessageViewer;
    page->addChild(viewer);
    for (const char16_t* line : {u"Starting...", u"The server answered:|OK", u"Done."}) viewer->addMessage(line);
    page->addBackButton();
    h.drawEveryFrame = false;
    h.moveMouse(700, 250);
    h.step(3);
    gui::iris()->closure = gui::iris()->targetClosure = 0.2f;
    beginFrame(0xFF000000u);
    h.stack->renderContext();
    const std::vector<uint32_t> frame = readFrame();

    const std::string stored = ZUB_TEST_SOURCE_DIR "/src/gui/screens_intro_page.png";
    if (std::getenv("ZUB_WRITE_SCREENSHOTS")) {
        std::vector<uint8_t> rgb;
        for (uint32_t p : frame) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        const int w = graphics->backBufferWidth;
        ASSERT_TRUE(stbi_write_png(stored.c_str(), w, graphics->backBufferHeight, 3, rgb.data(), w * 3));
        GTEST_SKIP() << "wrote " << stored;
    }
    ASSERT_TRUE(std::filesystem::exists(stored)) << stored << " is missing: see the top of this file";
    const std::string bytes = filestest::readBytes(stored);
    DecodedImage expected;
    image_codec::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), u"stored", expected);
    ASSERT_EQ(expected.pixels.size(), frame.size());
    // Rasterisers differ a little at edges: a few pixels may differ much, the whole only slightly.
    double total = 0.0;
    size_t far = 0;
    for (size_t i = 0; i < frame.size(); ++i) {
        using namespace gfxtest;
        const uint32_t a = frame[i], b = expected.pixels[i];
        const int d = std::max({std::abs(red(a) - red(b)), std::abs(green(a) - green(b)), std::abs(blue(a) - blue(b))});
        total += d;
        far += d > 48 ? 1 : 0;
    }
    EXPECT_LT(total / static_cast<double>(frame.size()), 2.0);
    EXPECT_LT(far, frame.size() / 200);
}

}  // namespace
