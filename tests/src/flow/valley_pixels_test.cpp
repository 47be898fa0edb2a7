// The valley map as a player sees it, drawn by the real OpenGL device
// off-screen (the generator's placeholder pictures, the game's fonts) and
// compared with a stored picture within a tolerance: a profile ten levels
// in, the road drawn to the current level, the markers with their ratings
// and titles, the pointer resting on a finished level with its bubble open.
// After a wanted change of the look, write the picture again and look at it
// before committing it:
//   ZUB_WRITE_SCREENSHOTS=1 build/tests/game_flow_tests --gtest_filter='ValleyPixels.*'
#include <gtest/gtest.h>

#include "OffscreenPicture.h"
#include "ValleyHarness.h"
#include "flow/ValleyIcon.h"
#include "flow/ValleyStatsBubble.h"
#include "gui/ScreenOverlays.h"
#include "project_zub/gfx/gfx_test_support.h"

namespace {

struct ValleyPixels : gfxtest::GLTest {
    valleytest::ValleyHarness h;  // made before the OpenGL graphics object, which is therefore the active one
    picturetest::PaintedArt painted;
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
    painted.paint(h.menus.resources,
                  {"valley", "valleyDot", "valleyIcons", "valleyArrow", "valleyDashedLine", "gui-game-hud",
                   "gui-game-button", "gui-game-speechBubble", "mousePointer", "glint"},
                  Texture::FLAG_KEEP_SOURCE);
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

    picturetest::compareWithStored(frame, graphics->backBufferWidth, graphics->backBufferHeight,
                                   ZUB_TEST_SOURCE_DIR "/src/flow/valley_map.png");
}

}  // namespace
