// The hint panel and the level map over a small level, drawn by the real
// OpenGL device in an off-screen window in the content generator's art: the
// frozen level shows around them, the panel's square and the map's frame
// stand in the middle, the map shows the picture only where the pig has
// been and marks the pig and the house there. With ZUB_WRITE_SCREENSHOTS
// set the pictures are written to the folder it names, for a look.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "FlowHarness.h"
#include "OffscreenPicture.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayHint.h"
#include "flow/OverlayMiniMap.h"
#include "gfx/Skin.h"
#include "gui/GameSquare.h"
#include "lang/Language.h"
#include "objects/apples/Apple.h"
#include "objects/hints/TriggerHint.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "world/Terrain.h"

namespace {

constexpr int W = 1024, H = 768;
constexpr float GROUND = 100.0f;

using picturetest::channel;
using picturetest::difference;

struct OverlaysPixels : testing::Test {
    void SetUp() override {
        if (!window.open("Overlays", W, H)) return;
        // The generator's art in place of the harness's blank sheets.
        art.paintAll(h.resources);
        language.setKeyNameTable(h.input.keyNames);
        language.setLanguage(Language::ENGLISH);
    }
    void TearDown() override {
        h.manager.reset();
        window.close();
    }

    // A flat level with the house a little right of the pig, played to the
    // start of play and a second of walking right.
    GameController& playSmallLevel() {
        GameController& gc = h.play(h.writeLevel([](LevelDraft& d) {
            GameController& c = d.controller();
            Terrain* ground = firstOf<Terrain>(c.objectList);
            for (int i = 0; i < ground->segments; ++i) ground->setHeights(i, GROUND, 0.0f);
            Pig* pig = c.getHero();
            pig->setPosition(V3(-200.0f, GROUND + 2.0f, 0.0f) + pig->bodyOffset);
            pig->onEdited();
            c.findHouse()->setPosition(V3(250.0f, GROUND, 0.0f));
            // The apple far off, away from the pig's mark on the map.
            Apple* apple = firstOf<Apple>(c.appleList);
            apple->setPosition(V3(-3000.0f, GROUND + 30.0f, 0.0f));
            apple->onEdited();
            c.applesNeeded = 1;
        }));
        EXPECT_TRUE(h.frameUntil([&] { return gc.state == GameController::PLAYING; }, 600));
        h.press(h.services.config->controls[GameConfiguration::CONTROL_RIGHT].key);
        h.frame(100);
        h.release(h.services.config->controls[GameConfiguration::CONTROL_RIGHT].key);
        h.frame(30);
        return gc;
    }

    std::vector<uint32_t> draw(const char* name) {
        window.beginFrame(0xFF000000u);
        h.manager->renderContext();
        std::vector<uint32_t> frame = window.readFrame();
        picturetest::keepInFolder(picturetest::kOverlaysFolder, name, frame, W, H);
        return frame;
    }

    // The pixel at a point of the overlay's plane (origin at the centre, y up).
    static uint32_t at(const std::vector<uint32_t>& frame, float x, float y) {
        const int px = static_cast<int>(x + W / 2), py = static_cast<int>(H / 2 - y);
        return frame[static_cast<size_t>(py * W + px)] | 0xFF000000u;
    }

    flowtest::FlowHarness h;
    Language language;
    picturetest::OffscreenWindow window;
    picturetest::PaintedArt art;
};

}  // namespace

TEST_F(OverlaysPixels, TheHintPanelStandsOverTheFrozenLevel) {
    GameController& gc = playSmallLevel();
    const std::vector<uint32_t> level = draw("level.png");
    MyRootObject& root = *h.server().gameRoot();
    NetRole* before = THEROLE;
    THEROLE = &h.server();
    ASSERT_TRUE(
        gc.showHintPanel(u"Apples", TriggerHint::insertKeyNames(gameLanguage().getText(SID_HINTJUMP)), nullptr));
    THEROLE = before;
    ASSERT_NE(zub_cast<OverlayHint>(root.contextOverlay), nullptr);
    h.frame(5);
    const std::vector<uint32_t> panel = draw("hint.png");

    // Around the panel the level as it was; in its middle the panel's
    // translucent wood over it.
    EXPECT_LT(difference(at(panel, -480.0f, 350.0f), at(level, -480.0f, 350.0f)), 8);
    EXPECT_LT(difference(at(panel, 480.0f, -300.0f), at(level, 480.0f, -300.0f)), 8);
    const GameSquare* square = firstOf<GameSquare>(root.contextOverlay);
    ASSERT_NE(square, nullptr);
    const float inside = square->pSkin->width * 0.5f - 40.0f;
    const uint32_t fill = at(panel, inside, 0.0f);
    EXPECT_GT(difference(fill, at(level, inside, 0.0f)), 20);
    EXPECT_GT(channel(fill, 16), channel(fill, 0));
    // The text is drawn on it: dark pixels on the panel's row of text.
    int dark = 0;
    for (float x = -inside; x < inside; x += 1.0f)
        for (float y = -30.0f; y < 30.0f; y += 1.0f) dark += channel(at(panel, x, y), 8) < 40 ? 1 : 0;
    EXPECT_GT(dark, 50);
}

TEST_F(OverlaysPixels, TheLevelMapShowsWhereThePigHasBeenAndMarksHerAndTheHouse) {
    GameController& gc = playSmallLevel();
    h.tap(h.services.config->controls[GameConfiguration::CONTROL_MAP].key);
    auto* map = zub_cast<OverlayMiniMap>(h.server().gameRoot()->contextOverlay);
    ASSERT_NE(map, nullptr);
    const std::vector<uint32_t> frame = draw("minimap.png");

    // The pig's mark (pink) where she stands on the map.
    const V3 raise(0.0f, OverlayMiniMap::MAP_RAISE, 0.0f);
    const V3 pig = OverlayMiniMap::iconPlace(gc, gc.getHero()->position) + raise;
    const V3 house = OverlayMiniMap::iconPlace(gc, gc.findHouse()->position) + raise;
    int pink = 0;
    for (float dx = -4.0f; dx <= 4.0f; dx += 1.0f)
        for (float dy = -4.0f; dy <= 4.0f; dy += 1.0f)
            pink += difference(at(frame, pig.x + dx, pig.y + dy), 0xFFF4A6BEu) < 40;
    EXPECT_GT(pink, 4);
    // A cell the pig has not seen shows the frame; one she has seen shows
    // the picture over it: each against the frame drawn without the map.
    std::vector<std::pair<Renderable*, uint8_t>> maps;
    for (Renderable* r : childrenOf<Renderable>(map))
        if (r->pSkin && r->pSkin->texture == map->pMapTexture) maps.emplace_back(r, r->bHidden);
    ASSERT_EQ(maps.size(), 1u);
    maps[0].first->bHidden = 1;
    const std::vector<uint32_t> frameAlone = draw("minimap_frame.png");
    maps[0].first->bHidden = maps[0].second;
    int seenColumn = -1, seenRow = -1, unseenColumn = -1, unseenRow = -1;
    for (int r = 5; r < 187; r += 4)
        for (int c = 5; c < 251; c += 4) {
            const bool seen = gc.exploredMap[r][c] && gc.exploredMap[r - 3][c] && gc.exploredMap[r + 3][c] &&
                              gc.exploredMap[r][c - 3] && gc.exploredMap[r][c + 3];
            const bool unseen = !gc.exploredMap[r][c] && !gc.exploredMap[r - 3][c] && !gc.exploredMap[r + 3][c] &&
                                !gc.exploredMap[r][c - 3] && !gc.exploredMap[r][c + 3];
            // Away from the marks of the pig and the house.
            const V3 cell(-128.0f + static_cast<float>(c), 96.0f - static_cast<float>(r) + OverlayMiniMap::MAP_RAISE,
                          0.0f);
            if (seen && seenRow < 0 && V3::distance(cell, pig) > 20.0f && V3::distance(cell, house) > 20.0f)
                seenColumn = c, seenRow = r;
            if (unseen && unseenRow < 0 && r > 96) unseenColumn = c, unseenRow = r;
        }
    ASSERT_GE(seenRow, 0);
    ASSERT_GE(unseenRow, 0);
    auto onMap = [&](const std::vector<uint32_t>& f, int c, int r) {
        return at(f, -128.0f + static_cast<float>(c) + 0.5f,
                  96.0f - static_cast<float>(r) - 0.5f + OverlayMiniMap::MAP_RAISE);
    };
    EXPECT_LT(difference(onMap(frame, unseenColumn, unseenRow), onMap(frameAlone, unseenColumn, unseenRow)), 8);
    EXPECT_GT(difference(onMap(frame, seenColumn, seenRow), onMap(frameAlone, seenColumn, seenRow)), 8);
}
