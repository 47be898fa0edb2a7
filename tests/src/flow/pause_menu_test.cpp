// The pause menu over a level played through the level manager: opened by
// Escape, Pause or the HUD's pause button, the level standing still behind
// it; Resume; Restart and End with their question, the outcome they hand
// the level manager, and End's shortcut on the jump key.
#include <gtest/gtest.h>

#include "FlowHarness.h"
#include "flow/GameHud.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayMenu.h"
#include "gui/ContextMessageBox.h"
#include "gui/MenuButton.h"
#include "util/KeyCodes.h"

using flowtest::FlowHarness;

namespace {

// An item's anchor (reference screen: x from the left, y up from the
// bottom) as a point from the screen's centre.
V3 onScreen(CursorTarget* item) {
    const V3 a = item->cursorAnchor(0);
    return V3(a.x - 512.0f, a.y - 384.0f, 0.0f);
}

struct Paused {
    FlowHarness h;
    GameController* gc = nullptr;
    MyRootObject* root = nullptr;

    Paused() {
        gc = &h.play(h.houseLevel());
        root = h.server().gameRoot();
    }
    OverlayMenu* menu() const { return root ? zub_cast<OverlayMenu>(root->contextOverlay) : nullptr; }
    ContextMessageBox* question() const { return zub_cast<ContextMessageBox>(h.dialogs->getTop()); }
    // Opens the menu with Escape and lets its guard time pass.
    OverlayMenu* open() {
        h.tap(input_codes::KEY_ESCAPE);
        h.frame(15);
        return menu();
    }
    // Plays on to the start of play and opens the menu there.
    void openInPlay(OverlayMenu*& opened) {
        ASSERT_TRUE(h.playUntil(*gc, GameController::PLAYING));
        opened = open();
        ASSERT_NE(opened, nullptr);
    }
};

}  // namespace

TEST(PauseMenu, EscapePauseAndThePauseButtonStopTheLevelUntilResume) {
    Paused p;
    FlowHarness& h = p.h;
    GameController& gc = *p.gc;

    // Paused in the opening: its timers stand still too.
    h.frame(20);
    ASSERT_EQ(gc.state, GameController::OPENING);
    h.tap(input_codes::KEY_ESCAPE);
    OverlayMenu* menu = p.menu();
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(menu->pOptions, nullptr);
    EXPECT_EQ(menu->pOptions->caption, u"Options...");
    EXPECT_FLOAT_EQ(menu->pOptions->position.y, -100.0f);
    EXPECT_EQ(menu->pResume->caption, u"Resume game");
    EXPECT_EQ(menu->pQuit->question, u"Are you sure?");
    const double left = gc.stateLeft;
    h.frame(300);
    EXPECT_EQ(gc.state, GameController::OPENING);
    EXPECT_EQ(gc.stateLeft, left);
    EXPECT_EQ(p.menu(), menu);

    // Options asks the program for its options menu and leaves the pause
    // menu open beneath it.
    h.click(onScreen(menu->pOptions));
    EXPECT_EQ(h.services.optionsOpened, 1);
    EXPECT_EQ(p.menu(), menu);

    // Resume closes it at a network step; the level goes on from there.
    h.click(onScreen(menu->pResume));
    ASSERT_TRUE(h.frameUntil([&] { return p.root->contextOverlay == nullptr; }, 10));
    EXPECT_EQ(h.manager->outcome(), 0);
    ASSERT_TRUE(h.playUntil(gc, GameController::PLAYING));

    // Pause in play: neither the play time nor the frames count.
    h.frame(10);
    h.tap(input_codes::KEY_PAUSE);
    ASSERT_NE(p.menu(), nullptr);
    const double played = gc.currentResult.time;
    const int32_t frames = gc.playFrameCount;
    h.frame(50);
    EXPECT_EQ(gc.currentResult.time, played);
    EXPECT_EQ(gc.playFrameCount, frames);
    // The jump key closes it too (past the guard time).
    h.tap(input_codes::KEY_SPACE);
    ASSERT_TRUE(h.frameUntil([&] { return p.root->contextOverlay == nullptr; }, 10));
    h.frame();
    EXPECT_GT(gc.playFrameCount, frames);

    // The HUD's pause button shows in touch play and pauses.
    h.touchHud(1, V3(0.0f, -300.0f, 0.0f));
    h.frame();
    h.lift(1);
    h.frame();
    GameHud& hud = *gc.contextHUD;
    ASSERT_FALSE(hud.pPauseButton->bHidden);
    h.touchHud(2, hud.pPauseButton->position);
    h.frame();
    EXPECT_NE(p.menu(), nullptr);
}

TEST(PauseMenu, RestartAndEndAskFirstAndHandTheirOutcomeToTheLevelManager) {
    {
        Paused p;
        FlowHarness& h = p.h;
        OverlayMenu* menu = nullptr;
        ASSERT_NO_FATAL_FAILURE(p.openInPlay(menu));

        // No keeps playing: the question goes, the menu stays, no outcome.
        h.click(onScreen(menu->pRestart));
        ContextMessageBox* box = p.question();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text, u"Are you sure?");
        // While the question is up the level manager does not tick at all.
        const double serverTime = h.server().gameRoot()->timeInState;
        h.frame(20);
        EXPECT_EQ(h.server().gameRoot()->timeInState, serverTime);
        h.click(onScreen(box->button2));
        h.frame(2);
        EXPECT_EQ(p.question(), nullptr);
        EXPECT_EQ(p.menu(), menu);
        EXPECT_EQ(h.manager->outcome(), 0);

        // Yes restarts: outcome 6, and the level manager finishes.
        h.click(onScreen(menu->pRestart));
        ASSERT_NE(p.question(), nullptr);
        h.click(onScreen(p.question()->button1));
        ASSERT_TRUE(h.frameUntil([&] { return h.manager->done != 0; }, 5));
        EXPECT_EQ(h.manager->outcome(), OverlayMenu::OUTCOME_RESTART);
    }
    {
        Paused p;
        FlowHarness& h = p.h;
        OverlayMenu* menu = nullptr;
        ASSERT_NO_FATAL_FAILURE(p.openInPlay(menu));
        h.click(onScreen(menu->pQuit));
        ASSERT_NE(p.question(), nullptr);
        h.click(onScreen(p.question()->button1));
        ASSERT_TRUE(h.frameUntil([&] { return h.manager->done != 0; }, 5));
        EXPECT_EQ(h.manager->outcome(), OverlayMenu::OUTCOME_QUIT);
    }
    {
        // The jump key on the highlighted End ends the level unasked; on
        // another item it only closes the menu.
        Paused p;
        FlowHarness& h = p.h;
        OverlayMenu* menu = nullptr;
        ASSERT_NO_FATAL_FAILURE(p.openInPlay(menu));
        h.moveMouse(onScreen(menu->pQuit));
        ASSERT_TRUE(menu->pQuit->bHovered);
        h.tap(input_codes::KEY_SPACE);
        EXPECT_EQ(p.question(), nullptr);
        EXPECT_EQ(h.manager->outcome(), OverlayMenu::OUTCOME_QUIT);
        EXPECT_NE(h.manager->done, 0);
    }
}
