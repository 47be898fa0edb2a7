// The sky behind a played level: the season's picture, a change of season
// seen from the next frame, nothing for a season that has none, one black
// frame per press of F9 with Right Shift, the editor's dark blue, and a
// missing sky picture ending the program.
#include <gtest/gtest.h>

#include <memory>

#include "FlowHarness.h"
#include "flow/Sky.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "objects/triggers/House.h"
#include "platform/RenderDevice.h"
#include "util/KeyCodes.h"

using flowtest::FlowHarness;

namespace {

struct SkyOfLevel : testing::Test {
    SkyOfLevel() {
        auto d = std::make_unique<platform::NullRenderDevice>();
        device = d.get();
        std::string error;
        EXPECT_TRUE(graphics.setDevice(std::move(d), error)) << error;
    }
    GameController& play(int season) {
        return h.play(h.writeLevel([&](LevelDraft& d) {
            d.controller().findHouse()->setPosition(V3(600.0f, 0.0f, 0.0f));
            d.controller().season = season;
        }));
    }
    // Draws the sky context alone; the textures it drew with.
    std::vector<platform::TextureHandle> drawSky(GameController& gc) {
        device->resetRecords();
        device->clears = 0;
        gc.contextBackground->renderContext();
        std::vector<platform::TextureHandle> drawn;
        for (const auto& d : device->draws) drawn.push_back(d.texture);
        return drawn;
    }
    platform::TextureHandle sky(const char16_t* name) { return findResource<Texture>(name)->getHandle(); }

    FlowHarness h;
    ZubGraphics graphics;
    platform::NullRenderDevice* device = nullptr;
};

}  // namespace

TEST_F(SkyOfLevel, ShowsTheSeasonsPictureAndFollowsAChangeAtOnce) {
    GameController& gc = play(2);
    h.frame();
    EXPECT_EQ(drawSky(gc), std::vector<platform::TextureHandle>{sky(u"sky-autumn")});
    EXPECT_EQ(gc.contextBackground->pSky->pSkin, findResource<Skin>(u"sky-autumn:0"));
    gc.season = 3;
    EXPECT_EQ(drawSky(gc), std::vector<platform::TextureHandle>{sky(u"sky-winter")});
    // A season without a sky keeps the picture it has.
    gc.season = 4;
    EXPECT_EQ(drawSky(gc), std::vector<platform::TextureHandle>{sky(u"sky-winter")});
    EXPECT_EQ(device->clears, 0);
}

TEST_F(SkyOfLevel, ASeasonWithoutASkyDrawsNothing) {
    GameController& gc = play(0);
    for (int season : {-1, 4}) {
        gc.season = season;
        EXPECT_TRUE(drawSky(gc).empty()) << season;
        EXPECT_EQ(gc.contextBackground->pSky->pSkin, nullptr);
    }
}

TEST_F(SkyOfLevel, RightShiftWithF9GivesOneBlackFrameAPress) {
    GameController& gc = play(0);
    h.press(input_codes::KEY_RSHIFT);
    h.frame();
    EXPECT_EQ(drawSky(gc).size(), 1u);
    h.press(input_codes::KEY_F9);
    h.frame();
    EXPECT_TRUE(drawSky(gc).empty());
    EXPECT_EQ(device->clears, 1);
    EXPECT_EQ(device->lastClearColor, Sky::BLACK);
    // Held, F9 gives no second one; without Right Shift it gives none.
    h.frame();
    EXPECT_EQ(drawSky(gc).size(), 1u);
    EXPECT_EQ(device->clears, 0);
    h.release(input_codes::KEY_F9);
    h.release(input_codes::KEY_RSHIFT);
    h.frame();
    h.press(input_codes::KEY_F9);
    h.frame();
    EXPECT_EQ(drawSky(gc).size(), 1u);
    EXPECT_EQ(device->clears, 0);
}

TEST_F(SkyOfLevel, TheEditorSeesDarkBlue) {
    h.services.bEditLevels = true;
    GameController& gc = play(1);
    NetRole* before = THEROLE;
    THEROLE = &h.server();
    ASSERT_TRUE(gc.isEditing());
    EXPECT_TRUE(drawSky(gc).empty());
    THEROLE = before;
    EXPECT_EQ(device->clears, 1);
    EXPECT_EQ(device->lastClearColor, Sky::EDITOR_BLUE);
}

using SkyOfLevelDeathTest = SkyOfLevel;

TEST_F(SkyOfLevelDeathTest, AMissingSkyEndsTheProgram) {
    GameController& gc = play(1);
    EXPECT_EXIT(
        {
            ResourceManager nothing;
            drawSky(gc);
        },
        ::testing::ExitedWithCode(255), "Could not find resource 'sky-summer:0'");
}
