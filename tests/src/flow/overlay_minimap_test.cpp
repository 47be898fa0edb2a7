// The level map: opened by the map key or the map touch button on normal
// levels only, over the level, which stands still until it closes; the
// level's picture with what the pig has not explored left transparent; the
// marks of the house, the pig, free cargo and free apples where the map is
// revealed; the placing of points on the map.
#include <gtest/gtest.h>

#include <cstring>

#include "FlowHarness.h"
#include "Manifest.h"
#include "flow/GameHud.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayMiniMap.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "lang/Language.h"
#include "objects/apples/Apple.h"
#include "objects/apples/Basket.h"
#include "objects/cargo/Umbrella.h"
#include "objects/cargo/WingedHat.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "records/ProfileData.h"
#include "text/FadingText.h"
#include "util/KeyCodes.h"

using flowtest::FlowHarness;

namespace {

const V3 kHouse(600.0f, 0.0f, 0.0f);

struct MiniMap : testing::Test {
    MiniMap() {
        language.setKeyNameTable(h.input.keyNames);
        language.setLanguage(Language::ENGLISH);
    }
    int mapKey() const { return h.services.config->controls[GameConfiguration::CONTROL_MAP].key; }
    MyRootObject& root() { return *h.server().gameRoot(); }
    OverlayMiniMap* map() { return zub_cast<OverlayMiniMap>(root().contextOverlay); }
    GameController& playToPlaying(bool bonus = false) {
        GameController& gc = h.play(h.writeLevel([&](LevelDraft& d) {
            d.controller().findHouse()->setPosition(kHouse);
            d.controller().bBonusLevel = bonus;
        }));
        EXPECT_TRUE(h.frameUntil([&] { return gc.state == GameController::PLAYING; }, 600));
        return gc;
    }
    // Opens the map the way the controller does, outside its frame.
    OverlayMiniMap* open(GameController& gc) {
        NetRole* before = THEROLE;
        THEROLE = &h.server();
        EXPECT_TRUE(gc.openOverlay(Overlay::MINIMAP));
        THEROLE = before;
        return map();
    }
    // The marks (renderables after the frame and the picture) by icon.
    std::vector<const Renderable*> marks(OverlayMiniMap& o, int icon) {
        std::vector<const Renderable*> out;
        const Skin* skin = findResource<Skin>(formatString(u"minimapIcons:%d", icon));
        for (const Renderable* r : childrenOf<Renderable>(o))
            if (r->pSkin == skin) out.push_back(r);
        return out;
    }

    FlowHarness h;
    Language language;
};

V3 markAt(const GameController& gc, const V3& world) {
    const V3 p = OverlayMiniMap::iconPlace(gc, world);
    return V3(p.x, p.y + OverlayMiniMap::MAP_RAISE, p.z);
}

}  // namespace

TEST_F(MiniMap, TheMapKeyOpensItOverTheStandingLevelAndClosesIt) {
    GameController& gc = playToPlaying();
    h.frame(5);
    h.tap(mapKey());
    OverlayMiniMap* o = map();
    ASSERT_NE(o, nullptr);

    // Frame, picture, the pig (and the house when its place was seen),
    // the footer naming the map key.
    const std::vector<const Renderable*> shown = [&] {
        std::vector<const Renderable*> v;
        for (const Renderable* r : childrenOf<Renderable>(*o)) v.push_back(r);
        return v;
    }();
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(shown[0]->pSkin, findResource<Skin>(u"minimapBackground:0"));
    ASSERT_NE(o->pMapTexture, nullptr);
    EXPECT_EQ(shown[1]->pSkin, o->pMapTexture->getSkin(0));
    EXPECT_EQ(shown[1]->position, V3(0.0f, 22.0f, 0.0f));
    EXPECT_EQ(shown[1]->color, 0x80808080u);
    ASSERT_EQ(marks(*o, OverlayMiniMap::ICON_PIG).size(), 1u);
    EXPECT_EQ(marks(*o, OverlayMiniMap::ICON_PIG)[0]->position, markAt(gc, gc.getHero()->position));
    const auto* footer = zub_cast<FadingText>(shown.back());
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(footer->text, u"Press M to continue");
    EXPECT_EQ(footer->position, V3(0.0f, -110.0f, 0.0f));

    // The level stands still while it is open.
    const int32_t frames = gc.playFrameCount;
    const double played = gc.currentResult.time;
    uint8_t explored[GameController::MINIMAP_HEIGHT][GameController::MINIMAP_WIDTH];
    std::memcpy(explored, gc.exploredMap, sizeof explored);
    h.frame(40);
    EXPECT_EQ(gc.playFrameCount, frames);
    EXPECT_EQ(gc.currentResult.time, played);
    EXPECT_EQ(std::memcmp(explored, gc.exploredMap, sizeof explored), 0);

    // The map key again closes it.
    h.tap(mapKey());
    ASSERT_TRUE(h.frameUntil([&] { return root().contextOverlay == nullptr; }, 6));
    h.frame(2);
    EXPECT_GT(gc.playFrameCount, frames);

    // The pad's map button opens it as well; a pointer press closes it.
    h.tap(h.services.config->controls[GameConfiguration::CONTROL_MAP].alternative);
    ASSERT_NE(map(), nullptr);
    h.frame(15);
    h.touchHud(1, V3());
    h.frame();
    h.lift(1);
    EXPECT_TRUE(h.frameUntil([&] { return root().contextOverlay == nullptr; }, 6));

    // A press that closes it stays the map's: held on after the map has
    // gone and lifted, it is neither held nor tapped in the level beneath.
    h.frame(5);
    h.tap(mapKey());
    ASSERT_NE(map(), nullptr);
    h.frame(15);
    h.touchHud(2, V3());
    ASSERT_TRUE(h.frameUntil([&] { return root().contextOverlay == nullptr; }, 6));
    h.frame();
    EXPECT_EQ(h.input.getPointer(0)->touchId, 2);
    EXPECT_FALSE(h.input.isPointerHeld(0));
    h.lift(2);
    h.frame();
    EXPECT_FALSE(h.input.wasPointerReleased(0));
    EXPECT_FALSE(h.input.wasPointerTapped(0));
}

TEST_F(MiniMap, OpensOnNormalLevelsBelowTheLastOnlyAndFromTheShownMapButton) {
    // A bonus level has no map: neither the key nor the touch button.
    GameController* gc = &playToPlaying(true);
    h.tap(mapKey());
    EXPECT_EQ(root().contextOverlay, nullptr);
    h.touchHud(1, V3());
    h.frame();
    h.lift(1);
    ASSERT_EQ(h.input.inputMode, ZubInput::MODE_TOUCH);
    EXPECT_TRUE(gc->contextHUD->pMapButton->bHidden);
    h.touchHud(2, gc->contextHUD->pMapButton->position);
    h.frame();
    h.lift(2);
    EXPECT_EQ(root().contextOverlay, nullptr);

    // A normal level: the shown button opens it.
    h.input.setInputMode(ZubInput::MODE_MOUSE_KEYBOARD);
    gc = &playToPlaying();
    h.touchHud(1, V3());
    h.frame();
    h.lift(1);
    h.frame();
    ASSERT_FALSE(gc->contextHUD->pMapButton->bHidden);
    h.touchHud(2, gc->contextHUD->pMapButton->position);
    h.frame();
    h.lift(2);
    ASSERT_NE(map(), nullptr);
    EXPECT_EQ(h.input.getPointerOwner(0), gc);
    EXPECT_EQ(zub_cast<FadingText>(map()->lastChild)->text, u"Tap to continue");
    h.frame(15);
    h.tap(input_codes::KEY_ESCAPE);
    ASSERT_TRUE(h.frameUntil([&] { return root().contextOverlay == nullptr; }, 6));

    // The last level has none either (the level played is the server's).
    h.input.setInputMode(ZubInput::MODE_MOUSE_KEYBOARD);
    h.server().levelNumber = GameController::MAP_LEVELS;
    h.tap(mapKey());
    EXPECT_EQ(root().contextOverlay, nullptr);
}

TEST_F(MiniMap, ThePictureShowsOnlyWhatThePigHasExplored) {
    GameController& gc = h.play(h.writeLevel([](LevelDraft& d) { d.controller().findHouse()->setPosition(kHouse); }));
    const auto* picture = findResource<MemoryImageFile>(u"minimap00");

    // Nothing explored: the picture is wholly transparent (yet keeps its
    // colours), and only the frame, the picture, the pig and the footer show.
    std::memset(gc.exploredMap, 0, sizeof gc.exploredMap);
    OverlayMiniMap* o = open(gc);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->countChildren(), 4);
    EXPECT_EQ(marks(*o, OverlayMiniMap::ICON_PIG).size(), 1u);
    const Texture& empty = *o->pMapTexture;
    EXPECT_TRUE(empty.bHasAlpha);
    ASSERT_EQ(empty.width, 256);
    ASSERT_EQ(empty.height, 192);
    for (int y = 0; y < 192; y += 7)
        for (int x = 0; x < 256; x += 5) {
            const uint32_t p = empty.canvasPixels()[static_cast<size_t>(y * empty.realWidth + x)];
            ASSERT_EQ(p, picture->getPixel(x, y) & 0x00FFFFFFu) << x << "," << y;
        }
    root().local_closeContextOverlay();

    // A band explored: only it shows, as the picture has it; the house in
    // it is marked.
    int houseColumn, houseRow;
    OverlayMiniMap::cellOf(gc, gc.findHouse()->position, houseColumn, houseRow);
    for (int r = 40; r < 60; ++r) std::memset(&gc.exploredMap[r][0], 1, 256);
    std::memset(&gc.exploredMap[houseRow][houseColumn], 1, 1);
    o = open(gc);
    const Texture& band = *o->pMapTexture;
    for (int y = 0; y < 192; y += 3)
        for (int x = 0; x < 256; x += 3) {
            const uint32_t p = band.canvasPixels()[static_cast<size_t>(y * band.realWidth + x)];
            const uint32_t want =
                gc.exploredMap[y][x] ? picture->getPixel(x, y) : picture->getPixel(x, y) & 0x00FFFFFFu;
            ASSERT_EQ(p, want) << x << "," << y;
        }
    ASSERT_EQ(marks(*o, OverlayMiniMap::ICON_HOUSE).size(), 1u);
    EXPECT_EQ(marks(*o, OverlayMiniMap::ICON_HOUSE)[0]->position, markAt(gc, gc.findHouse()->position));
}

TEST_F(MiniMap, MarksFreeCargoAndApplesWhereRevealed) {
    GameController& gc = h.play(h.writeLevel([&](LevelDraft& d) {
        GameController& c = d.controller();
        c.findHouse()->setPosition(kHouse);
        d.place<BasketA>(V3(-300.0f, 200.0f, 0.0f), c.cargoList);
        d.place<BasketB>(V3(-200.0f, 200.0f, 0.0f), c.cargoList);
        d.place<WingedHat>(V3(100.0f, 200.0f, 0.0f), c.cargoList);
        d.place<Umbrella>(V3(200.0f, 200.0f, 0.0f), c.cargoList);
        for (int i = 0; i < 3; ++i) d.place<Apple>(V3(-1000.0f + 100.0f * i, 300.0f, 0.0f), c.appleList);
    }));
    // The objects of the played level, in their order in the file.
    auto nth = [](ZubBase* list, int n) {
        for (ZubBase* o : childrenOf(list))
            if (n-- == 0) return o;
        return static_cast<ZubBase*>(nullptr);
    };
    Basket* basket = zub_cast<Basket>(nth(gc.cargoList, 0));
    Basket* carried = zub_cast<Basket>(nth(gc.cargoList, 1));
    WingedHat* hat = zub_cast<WingedHat>(nth(gc.cargoList, 2));
    Umbrella* umbrella = zub_cast<Umbrella>(nth(gc.cargoList, 3));
    ASSERT_TRUE(basket && carried && hat && umbrella);
    std::vector<Apple*> apples;
    for (Apple* a : childrenOf<Apple>(gc.appleList)) apples.push_back(a);
    ASSERT_EQ(apples.size(), 4u);
    // One apple in a basket, one spoiled, a basket carried by the pig.
    ASSERT_TRUE(basket->tryAddApple(apples[1]));
    apples[2]->bSpoiled = 1;
    carried->setCarriedBy(gc.getHero());

    std::memset(gc.exploredMap, 1, sizeof gc.exploredMap);
    OverlayMiniMap* o = open(gc);
    ASSERT_NE(o, nullptr);
    const auto basketMarks = marks(*o, OverlayMiniMap::ICON_BASKET);
    ASSERT_EQ(basketMarks.size(), 1u);
    EXPECT_EQ(basketMarks[0]->position, markAt(gc, basket->position));
    ASSERT_EQ(marks(*o, OverlayMiniMap::ICON_HAT).size(), 1u);
    EXPECT_EQ(marks(*o, OverlayMiniMap::ICON_HAT)[0]->position, markAt(gc, hat->position));
    ASSERT_EQ(marks(*o, OverlayMiniMap::ICON_UMBRELLA).size(), 1u);
    EXPECT_EQ(marks(*o, OverlayMiniMap::ICON_UMBRELLA)[0]->position, markAt(gc, umbrella->position));
    const auto appleMarks = marks(*o, OverlayMiniMap::ICON_APPLE);
    ASSERT_EQ(appleMarks.size(), 2u);
    EXPECT_EQ(appleMarks[0]->position, markAt(gc, apples[0]->position));
    EXPECT_EQ(appleMarks[1]->position, markAt(gc, apples[3]->position));
    root().local_closeContextOverlay();

    // Where the map is not revealed only the pig is marked.
    std::memset(gc.exploredMap, 0, sizeof gc.exploredMap);
    o = open(gc);
    for (int icon : {OverlayMiniMap::ICON_APPLE, OverlayMiniMap::ICON_BASKET, OverlayMiniMap::ICON_HAT,
                     OverlayMiniMap::ICON_UMBRELLA, OverlayMiniMap::ICON_HOUSE})
        EXPECT_TRUE(marks(*o, icon).empty()) << icon;
    EXPECT_EQ(marks(*o, OverlayMiniMap::ICON_PIG).size(), 1u);
}

TEST_F(MiniMap, PointsMapOntoTheCellsAndThePictureClamped) {
    GameController& gc = h.play(h.writeLevel());
    gc.playingArea = {-1000.0f, 800.0f, 1000.0f, 0.0f};
    int c = -1, r = -1;
    // The right and bottom edges are the last cell; the top left the first.
    OverlayMiniMap::cellOf(gc, V3(1000.0f, 0.0f, 0.0f), c, r);
    EXPECT_EQ(c, 255);
    EXPECT_EQ(r, 191);
    EXPECT_EQ(OverlayMiniMap::iconPlace(gc, V3(1000.0f, 0.0f, 7.0f)), V3(128.0f, -96.0f, 7.0f));
    OverlayMiniMap::cellOf(gc, V3(-1000.0f, 800.0f, 0.0f), c, r);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(OverlayMiniMap::iconPlace(gc, V3(-1000.0f, 800.0f, 0.0f)), V3(-128.0f, 96.0f, 0.0f));
    // The middle, and points outside, clamped to the edges.
    EXPECT_EQ(OverlayMiniMap::iconPlace(gc, V3(0.0f, 400.0f, 0.0f)), V3(0.0f, 0.0f, 0.0f));
    OverlayMiniMap::cellOf(gc, V3(5000.0f, -5000.0f, 0.0f), c, r);
    EXPECT_EQ(c, 255);
    EXPECT_EQ(r, 191);
    EXPECT_EQ(OverlayMiniMap::iconPlace(gc, V3(-5000.0f, 5000.0f, 0.0f)), V3(-128.0f, 96.0f, 0.0f));
    // An area without width: everything in the first column, at the left.
    gc.playingArea.right = gc.playingArea.left;
    OverlayMiniMap::cellOf(gc, V3(300.0f, 400.0f, 0.0f), c, r);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(OverlayMiniMap::iconPlace(gc, V3(300.0f, 400.0f, 0.0f)).x, -128.0f);
    // A point that is not a number stays in the picture.
    OverlayMiniMap::cellOf(gc, V3(std::nanf(""), std::nanf(""), 0.0f), c, r);
    EXPECT_TRUE(c == 0 && r == 0);
}

TEST_F(MiniMap, EveryLevelWithAMapHasItsPictureInTheContent) {
    // Bonus levels (the fourth of each valley) and the last level have none;
    // the content's tests check the pictures' size.
    for (int32_t n = 0; n < GameController::MAP_LEVELS; ++n) {
        if (n % 4 == 3) continue;
        const content::Entry* entry = content::findEntry(wideToNarrow(ProfileData::levelNumberToMinimap(n)));
        ASSERT_NE(entry, nullptr) << n;
        EXPECT_EQ(entry->kind, content::Kind::Image) << n;
    }
}
