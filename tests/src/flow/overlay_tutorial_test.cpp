// The "How To Play" panel: opened by the HUD's help button on a touch
// screen, over the level, which stands still; five pages turned by taps
// (not by the tap that opened it), the fifth tap closing it; the first two
// pictures swapped with the steering controls on the right; Escape and the
// jump key closing it on any page.
#include <gtest/gtest.h>

#include "FlowHarness.h"
#include "flow/GameHud.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayTutorial.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "lang/Language.h"
#include "objects/triggers/House.h"
#include "text/MultiLineText.h"
#include "util/KeyCodes.h"

using flowtest::FlowHarness;

namespace {

struct Tutorial : testing::Test {
    // Plays a level to the start of play under touch input and opens the
    // panel with a tap on the help button.
    GameController& open() {
        GameController& gc = h.play(
            h.writeLevel([](LevelDraft& d) { d.controller().findHouse()->setPosition(V3(600.0f, 0.0f, 0.0f)); }));
        EXPECT_TRUE(h.frameUntil([&] { return gc.state == GameController::PLAYING; }, 600));
        tap(V3(0.0f, -200.0f, 0.0f));
        EXPECT_FALSE(gc.contextHUD->pHelpButton->bHidden);
        tap(gc.contextHUD->pHelpButton->position);
        return gc;
    }
    // A finger down for a frame, then up for a frame.
    void tap(const V3& at) {
        h.touchHud(1, at);
        h.frame();
        h.lift(1);
        h.frame();
    }
    OverlayTutorial* panel() { return zub_cast<OverlayTutorial>(h.server().gameRoot()->contextOverlay); }
    // The page's picture and text.
    const Renderable* picture() { return firstOf<Renderable>(panel()->pPage); }
    WString text() {
        for (const MultiLineText* t : childrenOf<MultiLineText>(panel()->pPage)) return t->text;
        return WString();
    }
    const Skin* sheetSkin(int n) { return findResource<Texture>(u"tutorial-iPad")->getSkin(n); }

    FlowHarness h;
};

}  // namespace

TEST_F(Tutorial, TheHelpButtonOpensFivePagesThatTapsTurnTheFifthClosing) {
    GameController& gc = open();
    OverlayTutorial* o = panel();
    ASSERT_NE(o, nullptr);
    const Language& language = gameLanguage();

    // The tap that opened it turned no page.
    EXPECT_EQ(o->page, 0);
    std::vector<const Renderable*> parts;
    for (const Renderable* r : childrenOf<Renderable>(*o)) parts.push_back(r);
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0]->pSkin, findResource<Skin>(u"minimapBackground:0"));
    EXPECT_EQ(parts[0]->scale.x, 2.0f);
    EXPECT_EQ(parts[1]->pSkin, sheetSkin(0));
    EXPECT_EQ(parts[1]->position, V3(0.0f, 50.0f, 0.0f));
    const auto* title = zub_cast<FadingText>(parts[2]);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text, u"How To Play");
    EXPECT_EQ(title->position, V3(0.0f, 284.0f, 0.0f));
    const auto* footer = zub_cast<FadingText>(parts[3]);
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(footer->text, u"Tap to continue");
    EXPECT_EQ(footer->position, V3(0.0f, -210.0f, 0.0f));
    EXPECT_EQ(picture()->pSkin, sheetSkin(1));
    EXPECT_EQ(picture()->position, V3(0.0f, 50.0f, 0.0f));
    EXPECT_EQ(text(), language.getText(SID_IOS_HOWTOPLAYTEXT1));

    // Each tap the next page, while the level stands still.
    const int32_t frames = gc.playFrameCount;
    for (int page = 1; page < 5; ++page) {
        h.frame(3);
        tap(V3(100.0f, 0.0f, 0.0f));
        ASSERT_EQ(panel(), o) << page;
        EXPECT_EQ(o->page, page);
        EXPECT_EQ(picture()->pSkin, sheetSkin(page + 1)) << page;
        EXPECT_EQ(text(), language.getText(SID_IOS_HOWTOPLAYTEXT1 + page)) << page;
        EXPECT_EQ(o->countChildren(), 5);
    }
    EXPECT_EQ(gc.playFrameCount, frames);

    // The fifth tap closes it; the level goes on.
    tap(V3(100.0f, 0.0f, 0.0f));
    ASSERT_TRUE(h.frameUntil([&] { return h.server().gameRoot()->contextOverlay == nullptr; }, 6));
    h.frame(2);
    EXPECT_GT(gc.playFrameCount, frames);
}

TEST_F(Tutorial, WithTheControlsOnTheRightTheFirstTwoPicturesChangePlaces) {
    h.services.config->touchControls = 1;
    open();
    ASSERT_NE(panel(), nullptr);
    const Language& language = gameLanguage();
    const int pictures[5] = {2, 1, 3, 4, 5};
    for (int page = 0; page < 5; ++page) {
        EXPECT_EQ(picture()->pSkin, sheetSkin(pictures[page])) << page;
        EXPECT_EQ(text(), language.getText(SID_IOS_HOWTOPLAYTEXT1 + page)) << page;
        if (page < 4) tap(V3(100.0f, 0.0f, 0.0f));
    }
}

TEST_F(Tutorial, EscapeOrTheJumpKeyClosesItOnAnyPage) {
    for (int key : {input_codes::KEY_ESCAPE, input_codes::KEY_SPACE}) {
        open();
        ASSERT_NE(panel(), nullptr);
        h.frame(3);
        tap(V3(100.0f, 0.0f, 0.0f));
        tap(V3(100.0f, 0.0f, 0.0f));
        ASSERT_EQ(panel()->page, 2);
        h.frame(15);
        h.tap(key);
        EXPECT_TRUE(h.frameUntil([&] { return h.server().gameRoot()->contextOverlay == nullptr; }, 6)) << key;
    }
}
