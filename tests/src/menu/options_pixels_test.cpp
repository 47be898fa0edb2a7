// The options menu and the main controls page over the blurred intro, drawn
// by the real OpenGL device off-screen (the generator's pictures, the game's
// fonts) and compared with stored pictures within a tolerance. After a
// wanted change of the look, write the pictures again and look at them
// before committing them:
//   ZUB_WRITE_SCREENSHOTS=1 build/tests/game_menu_tests --gtest_filter='OptionsPixels.*'
#include <gtest/gtest.h>

#include <string>

#include "OffscreenPicture.h"
#include "gui/IntroScreen.h"
#include "gui/IrisTransition.h"
#include "gui/ScreenOverlays.h"
#include "menu/ContextControlBindings.h"
#include "menu/ContextControls.h"
#include "menu/ContextOptions.h"
#include "menu/MenuItemKeyBinding.h"
#include "options_support.h"
#include "project_zub/gfx/gfx_test_support.h"
#include "text/FontQuad.h"

namespace {

struct OptionsPixels : gfxtest::GLTest {
    optionstest::OptionsRig r;  // made before the OpenGL graphics object, which is therefore the active one
    picturetest::PaintedArt painted;
    IntroScreen* intro = nullptr;

    void SetUp() override {
        GLTest::SetUp();
        if (IsSkipped()) return;
        // The generator's pictures instead of the harness's blank ones.
        painted.paint(r.h.resources, {"intro", "intro-blurred", "gui-game-button", "gui-game-editbox", "mousePointer"},
                      Texture::FLAG_KEEP_SOURCE);
        gui::environment().introScreen = intro = new IntroScreen;
        gui::installScreenOverlays(*r.h.stack);
        r.h.drawEveryFrame = false;
    }
    void TearDown() override {
        deleteObject(r.h.stack);
        r.h.stack = nullptr;
        deleteObject(intro);
        painted.clear();
        GLTest::TearDown();
    }

    // Draws the stack with the iris open and compares it with a stored picture.
    void compareWith(const char* file) {
        gui::iris()->closure = gui::iris()->targetClosure = 0.0f;
        beginFrame(0xFF000000u);
        r.h.stack->renderContext();
        const std::vector<uint32_t> frame = readFrame();
        picturetest::compareWithStored(frame, graphics->backBufferWidth, graphics->backBufferHeight,
                                       std::string(ZUB_TEST_SOURCE_DIR "/src/menu/") + file);
    }
};

TEST_F(OptionsPixels, TheOptionsMenuAndTheMainControlsLookAsStored) {
    ContextOptions* options = r.openOptions();
    r.h.moveMouse(512, 700);
    r.h.step(3);
    compareWith("options_menu.png");

    auto* controls = r.open<ContextControls>(options->controlsItem);
    ASSERT_NE(controls, nullptr);
    auto* bindings = r.open<ContextControlBindings>(controls->playerControlsItem);
    ASSERT_NE(bindings, nullptr);
    // Every caption stands left of its box within the screen, and every key
    // name fits its box.
    for (MenuItemKeyBinding* item : optionstest::itemsOf<MenuItemKeyBinding>(bindings)) {
        const float captionWidth = item->font->measureText(item->caption).width;
        EXPECT_GT(item->position.x - item->skinWidth() / 2 - 5.0f - captionWidth, -512.0f);
        const WString name = MenuItemKeyBinding::keyName(*item->binding);
        EXPECT_LE(item->font->measureText(name).width * item->fitFactor(name), item->skinWidth());
    }
    r.h.moveMouse(700, 250);
    r.h.step(3);
    compareWith("options_controls.png");
}

}  // namespace
