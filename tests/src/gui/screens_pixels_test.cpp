// A page over the blurred intro, with the pointer and a part-closed iris,
// drawn by the real OpenGL device off-screen (the generator's placeholder
// pictures, the game's fonts) and compared with a stored picture within a
// tolerance. After a wanted change of the look, write the picture again and
// look at it before committing it:
//   ZUB_WRITE_SCREENSHOTS=1 build-test/tests/game_gui_tests --gtest_filter='ScreensPixels.*'
#include <gtest/gtest.h>

#include "MenuHarness.h"
#include "OffscreenPicture.h"
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
    picturetest::PaintedArt painted;
    IntroScreen* intro = nullptr;
    void TearDown() override { deleteObject(intro), painted.clear(), GLTest::TearDown(); }
};

TEST_F(ScreensPixels, APageOverTheBlurredIntroLooksAsStored) {
    // The generator's pictures instead of the harness's blank ones.
    painted.paint(h.resources, {"intro", "intro-blurred", "gui-game-button", "gui-game-editbox", "mousePointer"},
                  Texture::FLAG_KEEP_SOURCE);
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

    picturetest::compareWithStored(frame, graphics->backBufferWidth, graphics->backBufferHeight,
                                   ZUB_TEST_SOURCE_DIR "/src/gui/screens_intro_page.png");
}

}  // namespace
