// The HUD: its message lines (letter by letter, replaced, checked when a
// peer sends them) and its touch controls (pressed only while shown; the
// jump only by a new touch; the buttons opening overlays).
#include <gtest/gtest.h>

#include "FlowHarness.h"
#include "flow/GameHud.h"
#include "flow/MyRootObject.h"
#include "flow/TouchHudControl.h"
#include "lang/Language.h"
#include "objects/triggers/House.h"

using flowtest::FlowHarness;

namespace {

uint32_t alphaOf(const ZubBase* letter) { return static_cast<const Renderable*>(letter)->color >> 24; }

// The house away from the hero (who would otherwise be told of the
// missing apples).
void houseAway(LevelDraft& d) { d.controller().findHouse()->setPosition(V3(600.0f, 0.0f, 0.0f)); }

}  // namespace

TEST(Hud, MessagesShowLetterByLetterAndTakeOnlyWhatTheyCanShow) {
    FlowHarness h;
    GameController& gc = h.play(h.writeLevel(houseAway));
    GameMessage& line1 = gc.contextHUD->message1;
    GameMessage& line2 = gc.contextHUD->message2;

    gc.local_setMessage(1, 0, 2.0, u"Hi!");
    ASSERT_EQ(line1.countChildren(), 3);
    const auto* first = static_cast<MessageLetter*>(line1.firstChild);
    const auto* last = static_cast<MessageLetter*>(line1.lastChild);
    EXPECT_LT(first->position.x, last->position.x);
    EXPECT_DOUBLE_EQ(last->delay, 0.1);
    // Each letter fades in over a quarter second after its delay.
    h.frame(13);
    EXPECT_NEAR(alphaOf(first), 68, 1);
    EXPECT_NEAR(alphaOf(last), 3, 1);

    // A text id wins over the text; the new text replaces the old at once.
    gc.local_setMessage(1, SID_GO, 1.0, u"ignored");
    EXPECT_EQ(line1.countChildren(), static_cast<int>(WString(gameLanguage().getText(SID_GO)).size()));

    // From a peer: a line that does not exist is dropped, an id that does
    // not exist clears, a duration that is not a number shows nothing odd.
    gc.local_setMessage(2, 0, 1.0, u"abc");
    RPCSetMessage call;
    call.target = &gc;
    call.messenger = 3;
    call.text = WString(1, u'x');
    call.execute();
    EXPECT_EQ(line2.countChildren(), 3);
    call.messenger = 2;
    call.textId = 5000;
    call.execute();
    EXPECT_EQ(line2.countChildren(), 0);
    call.textId = 0;
    call.duration = std::nanf("");
    call.execute();
    h.frame(2);
    EXPECT_EQ(line2.countChildren(), 1);

    // Shorter than the fade: each letter goes while still fading in.
    gc.local_setMessage(1, 0, 0.1, u"ab");
    h.frame(12);
    ASSERT_EQ(line1.countChildren(), 1);
    EXPECT_LT(alphaOf(line1.firstChild), 255u);
    h.frame(5);
    EXPECT_EQ(line1.countChildren(), 0);

    EXPECT_EXIT(gc.local_setMessage(3, 0, 1.0, u"x"), ::testing::ExitedWithCode(255), "Unknown messenger");
}

TEST(Hud, TouchControlsPressOnlyWhileShownAndButtonsOpenOverlays) {
    FlowHarness h;
    h.openPlainOverlays();
    GameController& gc = h.play(h.writeLevel(houseAway));
    GameHud& hud = *gc.contextHUD;
    MyRootObject& root = *h.server().gameRoot();

    // Before play the controls are hidden: they neither steer nor pause.
    h.touchHud(1, hud.pMoveLeft->position);
    h.touchHud(2, hud.pPauseButton->position);
    h.frame();
    EXPECT_EQ(h.input.inputMode, ZubInput::MODE_TOUCH);
    EXPECT_TRUE(hud.pMoveLeft->bHidden && hud.pPauseButton->bHidden);
    EXPECT_FALSE(gc.isTouchHeld(Level::TOUCH_LEFT));
    EXPECT_EQ(root.contextOverlay, nullptr);
    h.lift(1);
    h.lift(2);
    ASSERT_TRUE(h.frameUntil([&] { return gc.state == GameController::PLAYING; }, 600));
    h.frame();

    // Two fingers on a control: lifting one leaves it pressed. A finger
    // exactly the radius away does not count.
    const V3 left = hud.pMoveLeft->position;
    h.touchHud(1, left);
    h.touchHud(2, left + V3(10.0f, 0.0f, 0.0f));
    h.touchHud(3, left + V3(hud.pMoveLeft->touchRadius, 0.0f, 0.0f));
    h.frame();
    EXPECT_TRUE(gc.isTouchHeld(Level::TOUCH_LEFT));
    EXPECT_EQ(hud.pMoveLeft->color >> 24, 255u);
    h.lift(1);
    h.frame();
    EXPECT_TRUE(gc.isTouchHeld(Level::TOUCH_LEFT));
    h.lift(2);
    h.frame();
    EXPECT_FALSE(gc.isTouchHeld(Level::TOUCH_LEFT));
    h.lift(3);

    // A finger sliding onto the jump does not jump; a new tap jumps once.
    const V3 jump = hud.pJump->position;
    h.touchHud(4, jump + V3(0.0f, 200.0f, 0.0f));
    h.frame();
    h.touchHud(4, jump);
    h.frame();
    EXPECT_FALSE(gc.isTouchHeld(Level::TOUCH_JUMP));
    h.lift(4);
    h.frame();
    h.touchHud(5, jump);
    h.frame();
    EXPECT_TRUE(gc.isTouchHeld(Level::TOUCH_JUMP));
    h.frame();
    EXPECT_FALSE(gc.isTouchHeld(Level::TOUCH_JUMP));
    h.lift(5);
    h.frame();

    // The shown help button opens the tutorial and claims the touch; the
    // shown pause button pauses.
    ASSERT_FALSE(hud.pHelpButton->bHidden);
    h.touchHud(6, hud.pHelpButton->position);
    h.frame();
    ASSERT_NE(root.contextOverlay, nullptr);
    EXPECT_EQ(h.input.getPointerOwner(0), &gc);
    h.lift(6);
    h.frame(15);
    h.tap(input_codes::KEY_ESCAPE);
    ASSERT_TRUE(h.frameUntil([&] { return root.contextOverlay == nullptr; }, 10));
    h.frame();
    h.touchHud(7, hud.pPauseButton->position);
    h.frame();
    EXPECT_NE(root.contextOverlay, nullptr);
}
