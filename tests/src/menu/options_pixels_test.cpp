// The options menu and the main controls page over the blurred intro, drawn
// by the real OpenGL device off-screen (the generator's pictures, the game's
// fonts) and compared with stored pictures within a tolerance. After a
// wanted change of the look, write the pictures again and look at them
// before committing them:
//   ZUB_WRITE_SCREENSHOTS=1 build/tests/game_menu_tests --gtest_filter='OptionsPixels.*'
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

#include "Manifest.h"
#include "Painter.h"
#include "gfx/ImageCodec.h"
#include "gfx/Texture.h"
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
    std::vector<std::unique_ptr<Texture>> painted;
    IntroScreen* intro = nullptr;

    void SetUp() override {
        GLTest::SetUp();
        if (IsSkipped()) return;
        // The generator's pictures instead of the harness's blank ones.
        for (const char* name : {"intro", "intro-blurred", "gui-game-button", "gui-game-editbox", "mousePointer"}) {
            const content::Entry* e = content::findEntry(name);
            const contentgen::SheetLayout layout = contentgen::layoutSheet(e->frames);
            const contentgen::Canvas canvas = contentgen::paintSheet(*e, layout);
            MemoryImageFile image(canvas.width(), canvas.height());
            std::copy(canvas.pixels().begin(), canvas.pixels().end(), image.pixels());
            auto& t = painted.emplace_back(std::make_unique<Texture>(&image, Texture::FLAG_KEEP_SOURCE));
            t->applySkinDescription(contentgen::skinDescription(*e, layout), narrowToWide(name));
            t->registerSkins(r.h.resources, narrowToWide(name));
        }
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
        const std::string stored = std::string(ZUB_TEST_SOURCE_DIR "/src/menu/") + file;
        if (std::getenv("ZUB_WRITE_SCREENSHOTS")) {
            std::vector<uint8_t> rgb;
            for (uint32_t p : frame) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
            const int w = graphics->backBufferWidth;
            ASSERT_TRUE(stbi_write_png(stored.c_str(), w, graphics->backBufferHeight, 3, rgb.data(), w * 3));
            return;
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
        EXPECT_LT(total / static_cast<double>(frame.size()), 2.0) << file;
        EXPECT_LT(far, frame.size() / 200) << file;
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
