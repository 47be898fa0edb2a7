// The valley map as a player sees it, drawn by the real OpenGL device
// off-screen (the generator's placeholder pictures, the game's fonts) and
// compared with a stored picture within a tolerance: a profile ten levels
// in, the road drawn to the current level, the markers with their ratings
// and titles, the pointer resting on a finished level with its bubble open.
// After a wanted change of the look, write the picture again and look at it
// before committing it:
//   ZUB_WRITE_SCREENSHOTS=1 build/tests/game_flow_tests --gtest_filter='ValleyPixels.*'
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
#include "ValleyHarness.h"
#include "flow/ValleyIcon.h"
#include "flow/ValleyStatsBubble.h"
#include "gfx/ImageCodec.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Texture.h"
#include "gui/ScreenOverlays.h"
#include "project_zub/gfx/gfx_test_support.h"

namespace {

struct ValleyPixels : gfxtest::GLTest {
    valleytest::ValleyHarness h;  // made before the OpenGL graphics object, which is therefore the active one
    std::vector<std::unique_ptr<Texture>> painted;
    void TearDown() override {
        while (ZubBase* c = h.menus.stack->firstChild) deleteObject(c);
        painted.clear();
        GLTest::TearDown();
    }
};

// Ten levels done with ratings from 40% up to 100%, the eleventh current.
void seedTenLevels(ProfileData& p) {
    for (int32_t i = 0; i < 10; ++i) {
        LevelResult& r = p.levels[i];
        r.apples = 10;
        r.applesGathered = 4 + i * 2 / 3;
        r.sweets = 5;
        r.sweetsGathered = i % 6;
        r.secrets = i % 3;
        r.secretsFound = r.secrets;
        r.time = 40.0 + i * 7.0;
        r.parTime = 60.0;
        r.livesLost = i % 2;
        r.points = 1000 + 350 * i;
        r.computeScore();
        if (i == 9) {
            r.applesGathered = 10, r.sweetsGathered = 5, r.secretsFound = r.secrets, r.livesLost = 0, r.time = 30.0;
            r.computeScore();
        }
        r.newRecord[LevelResult::RECORD_POINTS] = i == 6;
        r.empty = 0;
        r.completed = r.unlocked = 1;
    }
    p.levels[10].unlocked = 1;
    p.currentLevel = 10;
    p.total.reset();
    for (const LevelResult& r : p.levels) p.total.accumulate(r);
}

TEST_F(ValleyPixels, TheMapTenLevelsInLooksAsStored) {
    // The generator's pictures instead of the harness's blank ones.
    for (const char* name : {"valley", "valleyDot", "valleyIcons", "valleyArrow", "valleyDashedLine", "gui-game-hud",
                             "gui-game-button", "gui-game-speechBubble", "mousePointer", "glint"}) {
        const content::Entry* e = content::findEntry(name);
        ASSERT_NE(e, nullptr) << name;
        const contentgen::SheetLayout layout = contentgen::layoutSheet(e->frames);
        const contentgen::Canvas canvas = contentgen::paintSheet(*e, layout);
        MemoryImageFile image(canvas.width(), canvas.height());
        std::copy(canvas.pixels().begin(), canvas.pixels().end(), image.pixels());
        auto& t = painted.emplace_back(std::make_unique<Texture>(&image, Texture::FLAG_KEEP_SOURCE));
        t->applySkinDescription(contentgen::skinDescription(*e, layout), narrowToWide(name));
        t->registerSkins(h.menus.resources, narrowToWide(name));
    }
    gui::installScreenOverlays(*h.menus.stack);
    seedTenLevels(h.profile());
    h.menus.drawEveryFrame = false;
    ContextValley* v = h.openValley();
    ASSERT_NE(v, nullptr);
    // The road runs out to the current level and the map scrolls to it.
    h.step(400);
    ASSERT_TRUE(v->pathReach.isDone());
    ValleyIcon* rested = v->icon(7);
    const V3 at = v->camera->worldToScreen(rested->position);
    h.menus.moveMouse(at.x, at.y);
    h.step(2);
    ASSERT_FALSE(v->pStatsBubble->bHidden);

    beginFrame(0xFF000000u);
    h.menus.stack->renderContext();
    const std::vector<uint32_t> frame = readFrame();

    const std::string stored = ZUB_TEST_SOURCE_DIR "/src/flow/valley_map.png";
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
