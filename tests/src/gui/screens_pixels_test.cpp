// The intro backdrop with a page over it, the pointer and a part-closed iris,
// drawn by the real OpenGL device in an off-screen window (with the
// generator's placeholder pictures and the game's fonts) and compared with a
// stored picture within a tolerance.
//
// The stored picture is screens_intro_page.png beside this file. After a
// wanted change of the look, write it again with
//   ZUB_WRITE_SCREENSHOTS=1 build-test/tests/game_gui_tests --gtest_filter='ScreensPixels.*'
// then look at it before committing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <memory>

#include "MenuHarness.h"
#include "Manifest.h"
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

namespace screenstest {
bool writePng(const std::string& path, int w, int h, const std::vector<uint32_t>& argb);
}

namespace {

class ScreensPixels : public gfxtest::GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();  // after the harness: its OpenGL graphics object is the active one
        if (IsSkipped()) return;
        for (const char* name : {"intro", "intro-blurred", "gui-game-button", "gui-game-editbox", "mousePointer"})
            paint(name);
    }
    void TearDown() override {
        deleteObject(intro);
        painted.clear();
        GLTest::TearDown();
    }
    // The generator's picture of a manifest texture, in place of the harness's blank one.
    void paint(const char* name) {
        const content::Entry* e = content::findEntry(name);
        ASSERT_NE(e, nullptr) << name;
        const contentgen::SheetLayout layout = contentgen::layoutSheet(e->frames);
        const contentgen::Canvas canvas = contentgen::paintSheet(*e, layout);
        MemoryImageFile image(canvas.width(), canvas.height());
        std::copy(canvas.pixels().begin(), canvas.pixels().end(), image.pixels());
        auto& t = painted.emplace_back(std::make_unique<Texture>(&image, Texture::FLAG_KEEP_SOURCE));
        t->applySkinDescription(contentgen::skinDescription(*e, layout), narrowToWide(name));
        t->registerSkins(h.resources, narrowToWide(name));
    }

    menutest::MenuHarness h;
    std::vector<std::unique_ptr<Texture>> painted;
    IntroScreen* intro = nullptr;
};

TEST_F(ScreensPixels, APageOverTheBlurredIntroLooksAsStored) {
    intro = new IntroScreen;
    gui::environment().introScreen = intro;
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
    const int w = graphics->backBufferWidth, hgt = graphics->backBufferHeight;

    const std::string stored = ZUB_TEST_SOURCE_DIR "/src/gui/screens_intro_page.png";
    if (std::getenv("ZUB_WRITE_SCREENSHOTS")) {
        ASSERT_TRUE(screenstest::writePng(stored, w, hgt, frame)) << stored;
        GTEST_SKIP() << "wrote " << stored;
    }
    ASSERT_TRUE(std::filesystem::exists(stored)) << stored << " is missing: see the top of this file";
    const std::string bytes = filestest::readBytes(stored);
    DecodedImage expected;
    image_codec::decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), u"screens_intro_page.png",
                        expected);
    ASSERT_EQ(expected.width, w);
    ASSERT_EQ(expected.height, hgt);

    // Rasterisers differ a little at edges: a few pixels may differ much,
    // the picture as a whole only slightly.
    double total = 0.0;
    int far = 0;
    for (size_t i = 0; i < frame.size(); ++i) {
        const uint32_t a = frame[i], b = expected.pixels[i];
        const int d = std::max({std::abs(gfxtest::red(a) - gfxtest::red(b)), std::abs(gfxtest::green(a) - gfxtest::green(b)),
                                std::abs(gfxtest::blue(a) - gfxtest::blue(b))});
        total += d;
        if (d > 48) ++far;
    }
    EXPECT_LT(total / static_cast<double>(frame.size()), 2.0);
    EXPECT_LT(far, static_cast<int>(frame.size() / 200));
    // The corners lie under the iris; the middle shows the page.
    EXPECT_TRUE(gfxtest::nearColor(at(frame, 0, 0), 0xFF000000u, 1));
    EXPECT_FALSE(gfxtest::nearColor(at(frame, w / 2, hgt / 2), 0xFF000000u, 8));
}

}  // namespace
