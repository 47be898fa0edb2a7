// The HUD: its message lines (letter by letter, replaced, checked when a
// peer sends them), its touch controls (pressed only by touches and while
// shown; the jump only by a new touch; the buttons opening overlays; the
// sides they stand on) and its status line (the points counted up, the row
// of apples, the bonus countdown's colour).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>

#include "FlowHarness.h"
#include "flow/GameHud.h"
#include "flow/MyRootObject.h"
#include "flow/TouchHudControl.h"
#include "gfx/ZubGraphics.h"
#include "lang/Language.h"
#include "objects/triggers/House.h"
#include "platform/RenderDevice.h"

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

namespace {

// The HUD drawn once into the recording device.
struct DrawnHud {
    DrawnHud() {
        auto d = std::make_unique<platform::NullRenderDevice>();
        device = d.get();
        std::string error;
        EXPECT_TRUE(graphics.setDevice(std::move(d), error)) << error;
    }
    // The draws of the apple row: the bar, then one per apple (all from the
    // HUD's sheet, which nothing else of the HUD uses).
    std::vector<platform::NullRenderDevice::DrawRecord> appleRow(GameHud& hud) {
        device->resetRecords();
        hud.renderContext();
        std::vector<platform::NullRenderDevice::DrawRecord> row;
        for (const auto& d : device->draws)
            if (d.texture == device->draws.front().texture) row.push_back(d);
        return row;
    }
    ZubGraphics graphics;
    platform::NullRenderDevice* device = nullptr;
};

float xOf(const platform::NullRenderDevice::DrawRecord& d) { return d.world.m[3][0]; }

}  // namespace

TEST(Hud, TheStatusLineCountsThePointsUpAndRowsTheApplesRequired) {
    FlowHarness h;
    GameController& gc = h.play(h.writeLevel(houseAway));
    GameHud& hud = *gc.contextHUD;
    DrawnHud drawn;

    // 500 points: counted up over 0.8 s, never past them.
    gc.currentResult.points = 500;
    int32_t last = 0, halfway = -1, reached = -1;
    for (int frame = 1; frame <= 100; ++frame) {
        h.frame();
        const int32_t shown = hud.shownPoints();
        ASSERT_TRUE(shown >= last && shown <= 500) << frame << ": " << shown;
        if (frame == 40) halfway = shown;
        if (shown == 500 && reached < 0) reached = frame;
        last = shown;
    }
    EXPECT_NEAR(halfway, 250, 10);
    EXPECT_NEAR(reached, 80, 1);

    // Ten apples, three of them in: the bar, then the apples 25 apart, the
    // gathered ones bright and the rest dim.
    gc.currentResult.apples = 10;
    gc.currentResult.applesGathered = 3;
    auto ten = drawn.appleRow(hud);
    ASSERT_EQ(ten.size(), 11u);
    for (size_t i = 2; i < ten.size(); ++i) EXPECT_FLOAT_EQ(xOf(ten[i]) - xOf(ten[i - 1]), 25.0f) << i;
    for (size_t i = 1; i < ten.size(); ++i) EXPECT_EQ(ten[i].modulate, i <= 3 ? 0xFFFFFFFFu : 0x80000000u) << i;
    // Eleven: closer (16 apart) and the smaller picture; the bar's end
    // follows the row.
    gc.currentResult.apples = 11;
    auto eleven = drawn.appleRow(hud);
    ASSERT_EQ(eleven.size(), 12u);
    EXPECT_FLOAT_EQ(xOf(eleven[2]) - xOf(eleven[1]), 16.0f);
    EXPECT_FLOAT_EQ(xOf(eleven[0]) - xOf(ten[0]), 11 * 16.0f - 10 * 25.0f);
    EXPECT_NE(eleven[1].firstVertex.u, ten[1].firstVertex.u);
    // None: the bar alone, where a row of none ends.
    gc.currentResult.apples = 0;
    auto none = drawn.appleRow(hud);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_FLOAT_EQ(xOf(none[0]) - xOf(ten[0]), -10 * 25.0f);
}

TEST(Hud, TheBonusCountdownTurnsRedAndTheSteeringSidesFollowTheSetting) {
    FlowHarness h;
    h.services.config->touchControls = 1;
    GameController& gc = h.play(h.houseLevel(true, 30.0));
    GameHud& hud = *gc.contextHUD;
    // The jump on the left, the steering pair on the right.
    EXPECT_LT(hud.pJump->position.x, 0.0f);
    EXPECT_GT(hud.pMoveLeft->position.x, 0.0f);
    EXPECT_FLOAT_EQ(hud.pMoveRight->position.x - hud.pMoveLeft->position.x, 2.0f * hud.pMoveLeft->touchRadius);

    DrawnHud drawn;
    auto colours = [&](float left) {
        gc.bonusTimeLeft = left;
        drawn.device->resetRecords();
        hud.renderContext();
        std::set<uint32_t> seen;
        for (const auto& d : drawn.device->draws) seen.insert(d.firstColor);
        return seen;
    };
    // White above five seconds, turning red towards none.
    EXPECT_FALSE(colours(8.0f).count(0xFFFF0000u));
    EXPECT_TRUE(colours(4.5f).count(lerpColor(0xFFFFFFFFu, 0xFFFF0000u, 0.1f)));
    EXPECT_TRUE(colours(0.0f).count(0xFFFF0000u));
    // A countdown that is not a number draws as none.
    EXPECT_TRUE(colours(std::nanf("")).count(0xFFFF0000u));
}

TEST(Hud, OnlyTouchesSteerAndATouchedControlFadesBackInFourSeconds) {
    FlowHarness h;
    GameController& gc = h.play(h.writeLevel(houseAway));
    GameHud& hud = *gc.contextHUD;
    // In touch play the controls show from the start of play.
    h.touchHud(1, V3(0.0f, 300.0f, 0.0f));
    h.frame();
    h.lift(1);
    ASSERT_TRUE(h.frameUntil([&] { return gc.state == GameController::PLAYING; }, 600));
    h.frame();
    ASSERT_FALSE(hud.pMoveLeft->bHidden);

    // The mouse pressed on a shown control presses nothing (a new finger
    // away from the controls in the same frame keeps the play in touch
    // mode).
    h.moveMouse(hud.pMoveLeft->position);
    h.touchHud(1, V3(0.0f, 300.0f, 0.0f));
    h.mouseDown = true;
    h.frame();
    ASSERT_FALSE(hud.pMoveLeft->bHidden);
    ASSERT_TRUE(h.input.getPointer(1) && h.input.getPointer(1)->bHeld);
    EXPECT_FALSE(gc.isTouchHeld(Level::TOUCH_LEFT));
    h.mouseDown = false;
    h.lift(1);
    h.frame();

    // Touched: full opacity; half again four seconds after the finger left.
    h.touchHud(2, hud.pMoveLeft->position);
    h.frame();
    EXPECT_TRUE(gc.isTouchHeld(Level::TOUCH_LEFT));
    EXPECT_EQ(hud.pMoveLeft->color >> 24, 255u);
    h.lift(2);
    h.frame(200);
    EXPECT_GT(hud.pMoveLeft->color >> 24, 150u);
    h.frame(200);
    EXPECT_EQ(hud.pMoveLeft->color >> 24, 128u);
}
