#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "input/ZubInput.h"
#include "platform/Platform.h"

namespace {

// Drives ZubInput frame by frame from a scripted back-end.
struct Rig {
    platform::NullBackend backend;
    ZubInput input;
    platform::WindowState window;
    Rig() {
        std::string err;
        backend.openWindow(platform::WindowSettings{}, err);
        input.setBackend(&backend);
    }
    void frame() {
        platform::InputSnapshot s;
        backend.poll(s, window);
        input.update(s);
    }
    void key(int code, bool down) { backend.next.keys[code] = down ? 0x80 : 0; }
    void mouseTo(float px, float py) {
        backend.next.mouseX = px;
        backend.next.mouseY = py;
        backend.next.mouseMoved = true;
    }
};

class ModeProbe : public ZubBase {
public:
    void onInputModeChange(int mode) override { modes.push_back(mode); }
    std::vector<int> modes;
};

TEST(Input, KeyEdgesLastOneFrame) {
    Rig r;
    r.key(57, true);
    r.frame();
    EXPECT_TRUE(r.input.wasKeyPressed(57));
    EXPECT_TRUE(r.input.isKeyDown(57));
    r.frame();  // still held
    EXPECT_FALSE(r.input.wasKeyPressed(57));
    EXPECT_TRUE(r.input.isKeyDown(57));
    r.key(57, false);
    r.frame();
    EXPECT_TRUE(r.input.wasKeyReleased(57));
    EXPECT_FALSE(r.input.isKeyDown(57));
    EXPECT_FALSE(r.input.wasKeyPressed(456));  // outside the table
    EXPECT_FALSE(r.input.wasKeyPressed(-3));
}

TEST(Input, ModifierStatesCountLeftAndRightAlike) {
    Rig r;
    struct Case {
        std::vector<int> keys;
        int state;
    } cases[] = {
        {{}, 0}, {{54}, 1}, {{157}, 2}, {{184}, 3}, {{29, 56}, 4}, {{29, 42}, 5}, {{56, 54}, 6}, {{54, 157, 184}, 7},
    };
    for (const Case& c : cases) {
        for (int k : {42, 54, 29, 157, 56, 184}) r.key(k, false);
        for (int k : c.keys) r.key(k, true);
        r.frame();
        EXPECT_EQ(r.input.modifierState, c.state);
    }
    r.key(42, false);
    r.key(157, false);
    r.key(184, false);
    r.key(54, false);
    r.key(29, true);  // Ctrl
    r.frame();
    r.key(31, true);  // Ctrl+S
    r.frame();
    EXPECT_TRUE(r.input.wasKeyPressedWithModifiers(31, 2));
    EXPECT_FALSE(r.input.wasKeyPressedWithModifiers(31, 0));
    EXPECT_TRUE(r.input.isKeyDownWithModifiers(31, 2));
}

TEST(Input, FirstNewlyPressedKeyIsTheLowestCode) {
    Rig r;
    r.key(200, true);  // held from before: not new
    r.frame();
    r.key(57, true);
    r.key(30, true);
    r.backend.next.joysticks[1].present = true;
    r.backend.next.joysticks[1].buttons = 1u << 3;
    r.frame();
    EXPECT_EQ(r.input.getFirstNewlyPressedKey(), 30);
    r.frame();
    EXPECT_EQ(r.input.getFirstNewlyPressedKey(), 0);
}

TEST(Input, ControllersFillTheirBlocks) {
    Rig r;
    platform::JoystickState& j = r.backend.next.joysticks[2];
    j.present = true;
    j.axisX = -0.8f;
    j.hat = 1;  // up
    j.buttons = (1u << 0) | (1u << 31);
    r.frame();
    const int base = 256 + 48 * 2;
    EXPECT_TRUE(r.input.isKeyDown(base + 0));  // up from the hat
    EXPECT_FALSE(r.input.isKeyDown(base + 1));
    EXPECT_TRUE(r.input.isKeyDown(base + 2));  // left from the stick
    EXPECT_FALSE(r.input.isKeyDown(base + 3));
    EXPECT_TRUE(r.input.isKeyDown(base + 16));  // button 0
    EXPECT_TRUE(r.input.isKeyDown(base + 47));  // button 31
    EXPECT_FALSE(r.input.isKeyDown(base + 17));
    j.axisX = -0.3f;  // inside the dead zone
    r.frame();
    EXPECT_FALSE(r.input.isKeyDown(base + 2));
}

TEST(Input, KeyboardHolderBlocksKeyPresses) {
    Rig r;
    ZubBase editBox;
    r.input.keyboardHolder.set(&editBox);
    r.key(19, true);
    r.frame();
    EXPECT_FALSE(r.input.wasKeyPressed(19));
    EXPECT_EQ(r.input.getFirstNewlyPressedKey(), 19);  // the edit box still sees it
    r.input.keyboardHolder.set(nullptr);
    r.key(19, false);
    r.frame();
    r.key(19, true);
    r.frame();
    EXPECT_TRUE(r.input.wasKeyPressed(19));
}

TEST(Input, MouseInReferenceSpaceWithDeltaAndButtons) {
    Rig r;
    r.input.setViewport({0, 0, 2048, 1536});  // the window is twice the reference size
    r.mouseTo(1024, 1536);                    // bottom centre
    r.frame();
    EXPECT_FLOAT_EQ(r.input.mouseX, 512);
    EXPECT_FLOAT_EQ(r.input.mouseY, 0);
    r.mouseTo(1044, 1516);
    r.frame();
    EXPECT_FLOAT_EQ(r.input.mouseDeltaX, 10);
    EXPECT_FLOAT_EQ(r.input.mouseDeltaY, 10);
    EXPECT_TRUE(r.input.isKeyDown(448));  // moved up
    EXPECT_TRUE(r.input.isKeyDown(451));  // moved right
    r.input.setMousePosition(100, 200, 0);
    EXPECT_EQ(r.input.mouseDeltaX, 0);
    EXPECT_FLOAT_EQ(r.backend.next.mouseX, 200);  // the system cursor was moved
    EXPECT_FLOAT_EQ(r.backend.next.mouseY, (768 - 200) * 2);
    r.backend.next.mouseMoved = false;
    r.frame();
    EXPECT_FLOAT_EQ(r.input.mouseX, 100);  // kept until the mouse moves
    r.backend.next.mouseButtons[1] = true;
    r.frame();
    EXPECT_TRUE(r.input.isKeyDown(453));
    EXPECT_TRUE(r.input.wasMouseButtonPressed(1));
}

TEST(Input, TheFirstMovementAfterTheProgramPlacedTheCursorIsMeasuredFromThere) {
    Rig r;
    // A 1024 x 768 picture in the middle of a 1280 x 800 window.
    r.input.setViewport({128, 16, 1024, 768});
    r.input.setMousePosition(512, 667, 0);  // the mouse has not moved yet
    EXPECT_FLOAT_EQ(r.backend.next.mouseX, 640);
    EXPECT_FLOAT_EQ(r.backend.next.mouseY, 117);
    r.frame();
    r.mouseTo(641, 117);  // one pixel to the right
    r.frame();
    EXPECT_FLOAT_EQ(r.input.mouseX, 513);
    EXPECT_FLOAT_EQ(r.input.mouseY, 667);
    EXPECT_FLOAT_EQ(r.input.mouseDeltaX, 1);
    EXPECT_FLOAT_EQ(r.input.mouseDeltaY, 0);
    EXPECT_TRUE(r.input.isKeyDown(451));  // moved right
}

TEST(Input, AfterAResizeThePointerIsWhereTheMouseStandsInTheNewLetterbox) {
    Rig r;
    // Full screen 1280 x 800: the 4:3 picture 1067 pixels wide in the middle.
    r.input.setViewport({106, 0, 1067, 800});
    r.mouseTo(640, 400);
    r.frame();
    EXPECT_NEAR(r.input.mouseX, 512.48f, 0.01f);
    EXPECT_FLOAT_EQ(r.input.mouseY, 384);
    // A 1024 x 768 window: the picture fills it. The mouse has not moved, it
    // is still at window pixel (640, 400).
    r.input.setViewport({0, 0, 1024, 768});
    r.backend.next.mouseMoved = false;
    r.frame();
    EXPECT_FLOAT_EQ(r.input.mouseX, 640);
    EXPECT_FLOAT_EQ(r.input.mouseY, 368);
    InputPointer* mouse = r.input.getPointer(0);
    ASSERT_NE(mouse, nullptr);
    EXPECT_FLOAT_EQ(mouse->x, 640);
    EXPECT_FLOAT_EQ(mouse->y, 368);
    // That is no movement of the mouse.
    EXPECT_EQ(r.input.mouseDeltaX, 0);
    EXPECT_EQ(r.input.mouseDeltaY, 0);
    for (int code = 448; code < 452; ++code) EXPECT_FALSE(r.input.isKeyDown(code)) << code;
    r.frame();
    EXPECT_FLOAT_EQ(r.input.mouseX, 640);

    // A position the program set stays over its pixel through a resize too.
    r.input.setMousePosition(512, 384, 0);  // window pixel (512, 384)
    r.frame();
    r.input.setViewport({128, 16, 1024, 768});
    r.frame();
    EXPECT_FLOAT_EQ(r.input.mouseX, 384);
    EXPECT_FLOAT_EQ(r.input.mouseY, 400);
}

// Full screen left for a window of another size in another place: the mouse
// stayed where it was on the screen, and the window system tells where it
// stands in the window now. That is no movement either; and leaving the
// window the mouse stands over no picture.
TEST(Input, AWindowMovedUnderTheMouseTellsWhereItStandsWithoutMovement) {
    {
        // The window appears under a mouse that has not moved yet: the
        // back-end read where it stands. That is no movement either, and a
        // place the program gives the mouse stays until it moves.
        Rig r;
        r.backend.next.mouseX = 640;
        r.backend.next.mouseY = 400;
        r.backend.next.mouseKnown = true;
        r.frame();
        EXPECT_FLOAT_EQ(r.input.mouseX, 640);
        EXPECT_FLOAT_EQ(r.input.mouseY, 368);
        EXPECT_EQ(r.input.mouseDeltaX, 0);
        EXPECT_EQ(r.input.mouseDeltaY, 0);
        for (int code = 448; code < 452; ++code) EXPECT_FALSE(r.input.isKeyDown(code)) << code;
        r.input.setMousePosition(100, 200, 0);
        r.backend.next.mouseX = 640;  // the back-end's own idea of it, not moved
        r.backend.next.mouseY = 400;
        r.frame();
        EXPECT_FLOAT_EQ(r.input.mouseX, 100);
        EXPECT_FLOAT_EQ(r.input.mouseY, 200);
    }
    Rig r;
    r.input.setViewport({106, 0, 1067, 800});
    r.mouseTo(204, 758);
    r.frame();
    EXPECT_TRUE(r.input.isMouseOverPicture());
    // The 1278 x 775 window one pixel right and 20 down on the screen.
    r.input.setViewport({122, 0, 1033, 775});
    r.backend.next.mouseX = 203;
    r.backend.next.mouseY = 738;
    r.backend.next.mouseRelocated = true;
    r.frame();
    EXPECT_NEAR(r.input.mouseX, (203.0f - 122.0f) / 1033.0f * 1024.0f, 0.01f);
    EXPECT_NEAR(r.input.mouseY, 768.0f - 738.0f / 775.0f * 768.0f, 0.01f);
    EXPECT_EQ(r.input.mouseDeltaX, 0);
    EXPECT_EQ(r.input.mouseDeltaY, 0);
    for (int code = 448; code < 452; ++code) EXPECT_FALSE(r.input.isKeyDown(code)) << code;
    const float x = r.input.mouseX;
    r.frame();
    EXPECT_EQ(r.input.mouseX, x);
    EXPECT_TRUE(r.input.isMouseOverPicture());
    r.backend.next.mouseInWindow = false;
    r.frame();
    EXPECT_FALSE(r.input.isMouseOverPicture());
    r.backend.next.mouseInWindow = true;
    r.mouseTo(203, 10);
    r.frame();
    EXPECT_TRUE(r.input.isMouseOverPicture());

    // A press with movement after it in its poll; before the frame that
    // takes that movement, the window moves under the mouse: the mouse
    // stands where the window system says, not where it stood in the window
    // before.
    r.backend.next.mouseButtons[0] = true;
    r.backend.next.mousePressed[0] = true;
    r.backend.next.mousePressX[0] = 203;
    r.backend.next.mousePressY[0] = 10;
    r.mouseTo(223, 10);
    r.frame();
    EXPECT_NEAR(r.input.mouseX, (203.0f - 122.0f) / 1033.0f * 1024.0f, 0.01f);
    r.backend.next.mouseX = 300;
    r.backend.next.mouseY = 40;
    r.backend.next.mouseRelocated = true;
    r.frame();
    EXPECT_NEAR(r.input.mouseX, (300.0f - 122.0f) / 1033.0f * 1024.0f, 0.01f);
    EXPECT_NEAR(r.input.mouseY, 768.0f - 40.0f / 775.0f * 768.0f, 0.01f);
    EXPECT_TRUE(r.input.isPointerHeld(0));
    // The window moves under the mouse in the poll in which a button goes
    // up: it goes up where the mouse stands now.
    r.backend.next.mouseButtons[0] = false;
    r.backend.next.mouseX = 250;
    r.backend.next.mouseY = 60;
    r.backend.next.mouseRelocated = true;
    r.frame();
    EXPECT_TRUE(r.input.wasPointerReleased(0));
    EXPECT_NEAR(r.input.mouseX, (250.0f - 122.0f) / 1033.0f * 1024.0f, 0.01f);
    EXPECT_EQ(r.input.mouseDeltaX, 0);

    // A flick with movement after it, in one poll; the window moves under
    // the mouse before the frames that take its drag and its release: both
    // stand where the mouse stands now, not where the flick left it.
    r.backend.next.mouseButtons[0] = true;
    r.backend.next.mousePressed[0] = r.backend.next.mouseReleased[0] = true;
    r.backend.next.mousePressX[0] = 100;
    r.backend.next.mouseReleaseX[0] = 110;
    r.backend.next.mousePressY[0] = r.backend.next.mouseReleaseY[0] = 668;
    r.mouseTo(130, 668);
    r.frame();
    EXPECT_TRUE(r.input.wasPointerPressed(0));
    r.backend.next.mouseButtons[0] = false;
    r.backend.next.mouseX = 300;
    r.backend.next.mouseY = 728;
    r.backend.next.mouseRelocated = true;
    const float nowX = (300.0f - 122.0f) / 1033.0f * 1024.0f, nowY = 768.0f - 728.0f / 775.0f * 768.0f;
    r.frame();
    EXPECT_TRUE(r.input.isPointerHeld(0));
    EXPECT_NEAR(r.input.mouseX, nowX, 0.01f);
    EXPECT_NEAR(r.input.mouseY, nowY, 0.01f);
    r.frame();
    EXPECT_TRUE(r.input.wasPointerReleased(0));
    EXPECT_NEAR(r.input.mouseX, nowX, 0.01f);
    EXPECT_NEAR(r.input.mouseY, nowY, 0.01f);
}

TEST(Input, PointerTapVersusDragAtTwentyUnits) {
    Rig r;
    r.mouseTo(100, 100);
    r.frame();
    r.backend.next.mouseButtons[0] = true;
    r.frame();
    EXPECT_TRUE(r.input.wasPointerPressed(0));
    EXPECT_TRUE(r.input.isPointerHeld(0));
    EXPECT_TRUE(r.input.wasAnyPointerPressed());
    r.mouseTo(100, 119.5f);  // 19.5 units: not yet a drag
    r.frame();
    EXPECT_FALSE(r.input.isPointerDragged(0));
    r.backend.next.mouseButtons[0] = false;
    r.frame();
    EXPECT_TRUE(r.input.wasPointerReleased(0));
    EXPECT_TRUE(r.input.wasPointerTapped(0));

    ZubBase button;  // took the last press; the next press belongs to nobody yet
    r.input.setPointerOwner(&button);
    r.backend.next.mouseButtons[0] = true;
    r.frame();
    EXPECT_EQ(r.input.getPointerOwner(), nullptr);
    r.mouseTo(100, 140.5f);  // more than 20 from where it went down
    r.frame();
    EXPECT_TRUE(r.input.isPointerDragged(0));
    r.backend.next.mouseButtons[0] = false;
    r.frame();
    EXPECT_TRUE(r.input.wasPointerReleased(0));
    EXPECT_FALSE(r.input.wasPointerTapped(0));
}

// A click in every poll, each in a frame of its own steps (down, up, on):
// the frames fall behind by a bounded number only, and then the mouse
// stands where the last poll left it, the button up.
TEST(Input, ClicksFasterThanTheFramesFallBehindByABoundedNumberOfFrames) {
    Rig r;
    r.mouseTo(0, 100);
    r.frame();
    for (int i = 0; i < 500; ++i) {
        const float x = static_cast<float>(i % 100) * 10.0f;
        r.backend.next.mouseButtons[0] = true;
        r.backend.next.mousePressed[0] = r.backend.next.mouseReleased[0] = true;
        r.backend.next.mousePressX[0] = x;
        r.backend.next.mouseReleaseX[0] = x + 5.0f;
        r.backend.next.mousePressY[0] = r.backend.next.mouseReleaseY[0] = 100;
        r.mouseTo(x + 7.0f, 100);
        r.frame();
        r.backend.next.mouseButtons[0] = false;
    }
    int behind = 0;
    for (; behind < 1000 && (r.input.isMouseButtonDown(0) || r.input.mouseX != 997.0f); ++behind) r.frame();
    EXPECT_LE(behind, 40);
    r.frame();
    EXPECT_FALSE(r.input.isPointerHeld(0));
    EXPECT_FLOAT_EQ(r.input.mouseX, 997.0f);
}

// Each mouse step comes with the keys of the poll that made it: a move made
// with S held while a flick's steps are still to come is a step of its own,
// in which S goes down, and S let go after it goes up after it.
TEST(Input, AMoveMadeWithAKeyHeldAfterAFlickBringsTheKey) {
    Rig r;
    r.mouseTo(100, 100);
    r.frame();
    // The flick, with movement after it, in one poll.
    r.backend.next.mouseButtons[0] = true;
    r.backend.next.mousePressed[0] = r.backend.next.mouseReleased[0] = true;
    r.backend.next.mousePressX[0] = r.backend.next.mouseReleaseX[0] = 100;
    r.backend.next.mousePressY[0] = r.backend.next.mouseReleaseY[0] = 100;
    r.mouseTo(130, 100);
    r.frame();
    EXPECT_TRUE(r.input.wasPointerPressed(0));
    // The move with S held, then S let go.
    r.backend.next.mouseButtons[0] = false;
    r.key(input_codes::KEY_S, true);
    r.mouseTo(160, 100);
    std::vector<std::pair<float, bool>> steps;
    for (int i = 0; i < 4; ++i) {
        r.frame();
        r.key(input_codes::KEY_S, false);
        steps.emplace_back(r.input.mouseX, r.input.isKeyDown(input_codes::KEY_S));
    }
    EXPECT_EQ(steps, (std::vector<std::pair<float, bool>>{{100, false}, {130, false}, {160, true}, {160, false}}));
}

TEST(Input, SynthesisedTapIsTheFirstPointerAndKeepsItsOwner) {
    Rig r;
    r.input.setMousePosition(300, 400, 0);
    ZubBase button;
    r.input.addMousePointer();
    EXPECT_FALSE(r.input.wasPointerPressed(0));  // what ticks after it was added sees no press
    r.frame();
    EXPECT_TRUE(r.input.wasPointerPressed(0));  // the next frame sees it go down ...
    r.input.setPointerOwner(&button);
    r.frame();
    EXPECT_TRUE(r.input.wasPointerReleased(0));  // ... and the one after go up
    EXPECT_TRUE(r.input.wasPointerTapped(0));
    EXPECT_EQ(r.input.getPointerOwner(), &button);
    EXPECT_FLOAT_EQ(r.input.getPointer(0)->x, 300);
    r.frame();
    EXPECT_EQ(r.input.pointerCount(), 1);  // only the mouse is left
    auto* owner = new ZubBase;
    r.input.setPointerOwner(owner);
    delete owner;  // the owner is held by reference: cleared, never dangling
    EXPECT_EQ(r.input.getPointerOwner(), nullptr);
}

TEST(Input, APressBelongsToTheScreenThatTookItUntilTheNextPress) {
    Rig r;
    ZubBase button;
    r.mouseTo(100, 100);
    r.frame();
    // Pressed, then its screen goes while it is held: the drag and the
    // release that follow are nobody's.
    r.backend.next.mouseButtons[0] = true;
    r.frame();
    r.input.setPointerOwner(&button);
    r.frame();
    r.input.disownPointers();
    EXPECT_EQ(r.input.getPointerOwner(), nullptr);
    EXPECT_FALSE(r.input.isPointerHeld(0));
    r.mouseTo(100, 150);
    r.frame();
    EXPECT_FALSE(r.input.isPointerDragged(0));
    r.backend.next.mouseButtons[0] = false;
    r.frame();
    EXPECT_FALSE(r.input.wasPointerReleased(0));
    EXPECT_FALSE(r.input.wasPointerTapped(0));
    EXPECT_FALSE(r.input.getPointer(0)->bWentUp);  // raw flags too
    // The next press is a new one, for whoever takes it.
    r.backend.next.mouseButtons[0] = true;
    r.frame();
    EXPECT_TRUE(r.input.wasPointerPressed(0));
    EXPECT_TRUE(r.input.isPointerHeld(0));
    r.backend.next.mouseButtons[0] = false;
    r.frame();
    EXPECT_TRUE(r.input.wasPointerTapped(0));

    // A release in the frame the screen goes is swallowed there; a press of
    // that very frame is the next screen's.
    r.backend.next.mouseButtons[0] = true;
    r.frame();
    r.backend.next.mouseButtons[0] = false;
    r.frame();
    r.input.disownPointers();
    EXPECT_FALSE(r.input.wasPointerReleased(0));
    EXPECT_FALSE(r.input.wasPointerTapped(0));
    r.backend.next.mouseButtons[0] = true;
    r.frame();
    r.input.disownPointers();
    EXPECT_TRUE(r.input.wasPointerPressed(0));
    EXPECT_TRUE(r.input.isPointerHeld(0));
    r.backend.next.mouseButtons[0] = false;
    r.frame();
    EXPECT_TRUE(r.input.wasPointerTapped(0));

    // A tap synthesised for the gone screen never goes down; a touch
    // contact held across the change is released for nobody.
    r.input.addMousePointer();
    r.input.disownPointers();
    r.frame();
    EXPECT_FALSE(r.input.wasAnyPointerPressed());
    EXPECT_EQ(r.input.pointerCount(), 1);
    r.backend.next.touches = {{7, 512, 384}};
    r.frame();
    r.frame();
    r.input.disownPointers();
    r.backend.next.touches.clear();
    r.frame();
    EXPECT_FALSE(r.input.wasPointerTapped(0));
}

TEST(Input, TouchContactsBecomePointersAndSwitchTheMode) {
    Rig r;
    ModeProbe probe;
    r.backend.next.touches = {{7, 512, 384}};
    r.frame();
    EXPECT_EQ(r.input.inputMode, 2);
    EXPECT_EQ(probe.modes, std::vector<int>{2});
    ASSERT_GE(r.input.pointerCount(), 2);
    EXPECT_EQ(r.input.getPointer(0)->source, InputPointer::Source::Touch);
    EXPECT_TRUE(r.input.wasPointerPressed(0));
    EXPECT_FLOAT_EQ(r.input.mouseX, 512);
    EXPECT_FLOAT_EQ(r.input.mouseY, 384);
    r.backend.next.touches.clear();
    r.frame();
    EXPECT_TRUE(r.input.wasPointerReleased(0));
    EXPECT_TRUE(r.input.wasPointerTapped(0));
    r.frame();
    EXPECT_EQ(r.input.getPointer(0)->source, InputPointer::Source::Mouse);
    // A key switches back to mouse-and-keyboard mode, and every object hears it.
    r.key(57, true);
    r.frame();
    EXPECT_EQ(r.input.inputMode, 1);
    EXPECT_EQ(probe.modes, (std::vector<int>{2, 1}));
}

TEST(Input, TypedCharactersAreHandedOutOnePerFrame) {
    Rig r;
    r.backend.next.typed = u"Hi\u00e4";
    r.frame();
    EXPECT_EQ(r.input.typedChar, u'H');
    r.frame();
    EXPECT_EQ(r.input.typedChar, u'i');
    r.backend.next.typed = std::u16string(1, u'\b');
    r.frame();
    EXPECT_EQ(r.input.typedChar, u'\u00e4');
    r.frame();
    EXPECT_EQ(r.input.typedChar, 8);
    r.frame();
    EXPECT_EQ(r.input.typedChar, 0);
}

}  // namespace
