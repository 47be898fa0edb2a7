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
#include "src/flow/ten_levels_done.h"

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

// Ten levels done, the last of them perfect and the seventh a new best
// score.
void seedTenLevels(ProfileData& p) {
    profileseed::tenLevelsDone(p);
    LevelResult& last = p.levels[9];
    last.applesGathered = 10;
    last.sweetsGathered = 5;
    last.secretsFound = last.secrets;
    last.livesLost = 0;
    last.time = 30.0;
    last.computeScore();
    for (int32_t i = 0; i < 10; ++i) p.levels[i].newRecord[LevelResult::RECORD_POINTS] = i == 6;
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
