// The pause menu and the end-of-level statistics over a small level, drawn
// by the OpenGL device in an off-screen window in the content generator's
// art and the game's fonts, as a player sees them. Checked where layout
// matters: the frozen level around the pause panel is the level as it
// stood, and the settled awards stand at their rows' places. With
// ZUB_FLOW_PICTURES=<folder> the pictures are written there to look at.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FlowHarness.h"
#include "MenuHarness.h"
#include "OffscreenPicture.h"
#include "flow/GameHud.h"
#include "flow/LevelStatsEffect.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayMenu.h"
#include "util/KeyCodes.h"

using flowtest::FlowHarness;

namespace {

constexpr int W = 512, H = 384;

using picturetest::difference;

class FlowPixels : public ::testing::Test {
protected:
    void SetUp() override {
        if (!window.open("Flow", W, H)) return;
        h = std::make_unique<FlowHarness>();
        // The generator's art and the game's fonts instead of the blank
        // placeholders and the one small font.
        art.paintAll(h->resources);
        // With the loader's spacings (menutest::registerGameFonts).
        ASSERT_TRUE(menutest::registerGameFonts(h->resources));
    }
    void TearDown() override {
        h.reset();
        art.clear();
        window.close();
    }

    std::vector<uint32_t> draw() {
        window.beginFrame(0xFF000000u);
        h->manager->renderContext();
        return window.readFrame();
    }
    // The pixel where a point of the screen (origin at the centre, y up) shows.
    static uint32_t at(const std::vector<uint32_t>& frame, float x, float y) {
        const int px = static_cast<int>((x + 512.0f) * W / 1024.0f), py = static_cast<int>((384.0f - y) * H / 768.0f);
        return frame[static_cast<size_t>(py) * W + static_cast<size_t>(px)];
    }
    static void keep(const std::vector<uint32_t>& frame, const char* name) {
        picturetest::keepInFolder(picturetest::kFlowFolder, name, frame, W, H);
    }

    picturetest::OffscreenWindow window;
    std::unique_ptr<FlowHarness> h;
    picturetest::PaintedArt art;
};

TEST_F(FlowPixels, ThePauseMenuStandsOverTheFrozenLevelAndTheStatisticsSettleInTheirRows) {
    FlowHarness& f = *h;
    GameController& gc = f.play(f.houseLevel());
    auto holdUntil = [&](const V3& where, int state) { return f.holdUntil(gc, where, state, 3000); };
    ASSERT_TRUE(holdUntil(FlowHarness::AWAY, GameController::PLAYING));
    f.frameHolding(gc, FlowHarness::AWAY, 30);
    const std::vector<uint32_t> level = draw();

    // Paused: the panel in the middle, the level as it stood around it.
    f.tap(input_codes::KEY_ESCAPE);
    f.moveMouse(V3(0.0f, 100.0f, 0.0f));
    f.frame(30);
    ASSERT_NE(zub_cast<OverlayMenu>(f.server().gameRoot()->contextOverlay), nullptr);
    const std::vector<uint32_t> paused = draw();
    keep(paused, "pause_menu.png");
    for (float x : {-400.0f, -300.0f, 300.0f, 400.0f})
        for (float y : {-300.0f, -250.0f, 250.0f})
            EXPECT_LE(difference(at(paused, x, y), at(level, x, y)), 8) << x << "," << y;
    int changed = 0;
    for (float x = -150.0f; x <= 150.0f; x += 10.0f)
        for (float y = -150.0f; y <= 150.0f; y += 10.0f) changed += difference(at(paused, x, y), at(level, x, y)) > 24;
    EXPECT_GT(changed, 31 * 31 / 2);
    f.tap(input_codes::KEY_ESCAPE);
    ASSERT_TRUE(f.frameUntil([&] { return f.server().gameRoot()->contextOverlay == nullptr; }, 10));

    // Won, and the rows settled: each award sits at its row's place.
    gc.currentResult.applesGathered = 1;
    ASSERT_TRUE(holdUntil(FlowHarness::HOME, GameController::STATISTICS));
    f.frame(1500);
    const std::vector<uint32_t> stats = draw();
    keep(stats, "level_statistics.png");
    const std::vector<LevelStatsEffect*> rows = [&] {
        std::vector<LevelStatsEffect*> r;
        for (ZubBase* c : childrenOf(gc.contextHUD))
            if (auto* row = dynamic_cast<LevelStatsEffect*>(c)) r.push_back(row);
        return r;
    }();
    ASSERT_EQ(rows.size(), 7u);
    for (const LevelStatsEffect* row : rows) {
        ASSERT_EQ(row->state, LevelStatsEffect::SETTLING);
        if (!row->pStar) continue;
        // The star's middle shows the star, not the backdrop a little aside.
        const V3 p = row->pStar->position;
        EXPECT_GT(difference(at(stats, p.x, p.y), at(stats, p.x, p.y + 30.0f)), 24) << p.y;
    }
}

}  // namespace
