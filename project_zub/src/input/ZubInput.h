#pragma once
// The input layer. Every input is one entry of a 456-entry state table,
// indexed by input code, kept for this frame and the previous one:
//   0            none
//   1 - 255      keyboard, by DirectInput scan code
//   256 + 48c    controller c (0-3): +0 up, +1 down, +2 left, +3 right,
//                +16 ... +47 buttons 0-31
//   448 - 451    mouse movement up, down, left, right
//   452 - 455    mouse buttons 0-3
// A state byte of 128 or more means held. The mouse position is kept in
// reference-screen space (x from the left, y from the bottom). Pointers (the
// mouse, touch contacts, and taps the menus synthesise) are InputPointer
// records with their own press, release, tap and drag flags; a press
// belongs to the screen that took it (disownPointers).
#include <array>
#include <cstdint>
#include <deque>
#include <vector>

#include "engine-platform/Platform.h"
#include "object/ZubBase.h"
#include "util/KeyCodes.h"
#include "util/WString.h"

struct InputPointer {
    InputPointer() : owner(nullptr) {}
    InputPointer(const InputPointer&) = delete;
    InputPointer& operator=(const InputPointer&) = delete;

    float x = 0, y = 0, z = 0;   // reference-screen position
    float downX = 0, downY = 0;  // where it went down
    uint8_t bWentDown = 0;       // this frame
    uint8_t bWentUp = 0;         // this frame
    uint8_t bHeld = 0;
    uint8_t bTapped = 0;   // released this frame without having been dragged
    uint8_t bDragged = 0;  // moved more than DRAG_DISTANCE from where it went down while held
    // The screen that took the press has gone (ZubInput::disownPointers):
    // until the next press the pointer is held, dragged, released or tapped
    // for nobody.
    uint8_t bDisowned = 0;
    ZubBaseReference owner;

    // Where the record comes from.
    enum class Source : uint8_t { Mouse, Touch, Synthetic } source = Source::Mouse;
    int64_t touchId = 0;
    bool bEnded = false;         // removed at the next update
    bool bPendingPress = false;  // a synthesised tap that goes down at the next update
};

class ZubInput {
public:
    static constexpr int INPUT_CODES = input_codes::INPUT_CODES;
    static constexpr int JOY_BASE = input_codes::JOY_FIRST;
    static constexpr int JOY_STRIDE = input_codes::JOY_STRIDE;
    static constexpr int JOY_BUTTONS_OFFSET = input_codes::JOY_BUTTON0;
    static constexpr int MOUSE_DIRECTION_BASE = input_codes::MOUSE_DIRECTION_BASE;
    static constexpr int MOUSE_BUTTON_BASE = input_codes::MOUSE_BUTTON_BASE;
    static constexpr float DRAG_DISTANCE = 20.0f;
    static constexpr float STICK_THRESHOLD = 0.5f;

    enum InputMode : int { MODE_MOUSE_KEYBOARD = 1, MODE_TOUCH = 2 };

    ZubInput();
    ~ZubInput();
    ZubInput(const ZubInput&) = delete;
    ZubInput& operator=(const ZubInput&) = delete;

    // The where of the reference screen inside the window (letterboxing), in
    // window pixels with y down.
    struct Viewport {
        float x = 0, y = 0, width = 1024, height = 768;
        bool operator==(const Viewport&) const = default;
    };
    void setViewport(const Viewport& v) { viewport = v; }

    // Takes one poll of the devices: this frame's tables, pointers, typed
    // characters and the input mode. The mouse's part of a poll in which a
    // button went down or up among the moves is taken in as many frames as
    // it has steps, one a frame, in their order: the mouse where the button
    // went down (the press), the movement after it with the button held (a
    // drag), the mouse where the button went up with the button still held
    // (the movement before the release drags), the release there, and the
    // movement after it with the button up. Steps left over come in the next
    // frames, before what later polls bring (the movement of a later poll
    // takes the place of a plain movement still to come); the program
    // putting the mouse somewhere drops them. A window moved under the mouse
    // puts the steps still to come where the mouse stands now. Each step
    // comes with the keyboard's keys as they stood in the poll that made
    // it; what the keys did in later polls waits until the steps before it
    // have come (a key let go after a release still holds for the release's
    // steps, and a key tapped meanwhile still goes down). The mouse's
    // place, where the back-end knows it, is taken (without movement) while
    // none is known. A viewport changed since the mouse position was taken
    // (the window was resized) maps the mouse's window pixel again, so that
    // the pointer stays where the mouse is without its moving. `backend`
    // moves the system cursor when the position is set; it may be null.
    void update(const platform::InputSnapshot& s);
    void setBackend(platform::Backend* b) { backend = b; }

    // --- keys -------------------------------------------------------------------
    bool isKeyDown(int code) const { return valid(code) && keys[code] >= 128; }
    bool wasKeyDown(int code) const { return valid(code) && prevKeys[code] >= 128; }
    // Went down this frame and nobody holds the keyboard.
    bool wasKeyPressed(int code) const;
    bool wasKeyReleased(int code) const { return wasKeyDown(code) && !isKeyDown(code); }
    bool wasKeyPressedWithModifiers(int code, int modifiers) const {
        return wasKeyPressed(code) && modifierState == modifiers;
    }
    bool isKeyDownWithModifiers(int code, int modifiers) const { return isKeyDown(code) && modifierState == modifiers; }
    // The lowest input code that went down this frame, 0 when none.
    int getFirstNewlyPressedKey() const;

    // --- pointers -----------------------------------------------------------------
    int pointerCount() const { return static_cast<int>(pointers.size()); }
    InputPointer* getPointer(int n) { return n >= 0 && n < pointerCount() ? pointers[n] : nullptr; }
    bool wasPointerPressed(int n) const;
    bool wasPointerReleased(int n) const;
    bool isPointerHeld(int n) const;
    bool wasPointerTapped(int n) const;
    bool isPointerDragged(int n) const;
    bool wasAnyPointerPressed() const;
    ZubBase* getPointerOwner(int n = 0) const;
    void setPointerOwner(ZubBase* owner, int n = 0);
    // A press and its release belong to one screen. Called when the screen
    // that had the pointers goes (the screen stack's top changes, an in-game
    // overlay closes): every press it took that is still held, or released
    // in this frame, becomes nobody's (no owner; not held, dragged, released
    // nor tapped for anyone until its next press), and a synthesised tap
    // that has not gone down yet is dropped. Presses of this very frame are
    // left to the screen that now has the pointers.
    void disownPointers();
    // A tap at the mouse position: a record that goes down at the next
    // update and up at the one after, the first pointer meanwhile.
    void addMousePointer();

    // --- mouse ------------------------------------------------------------------
    // Stores the position, clears the movement, and with mouse input moves the
    // system cursor there.
    void setMousePosition(float x, float y, float z);
    bool isMouseButtonDown(int b) const { return b >= 0 && b < 4 && mouseButtons[b]; }
    // The mouse stands over the reference screen's picture, not over the
    // bars beside or above and below it, nor outside the window (over its
    // title bar, or on another window); true while no position of the mouse
    // is known and it has not left the window.
    bool isMouseOverPicture() const;
    bool wasMouseButtonPressed(int b) const { return b >= 0 && b < 4 && mouseButtons[b] && !prevMouseButtons[b]; }

    // --- modes --------------------------------------------------------------------
    // Stores the mode and tells every live object.
    void setInputMode(int mode);

    bool valid(int code) const { return code > 0 && code < INPUT_CODES; }

    uint8_t keys[INPUT_CODES] = {};
    uint8_t prevKeys[INPUT_CODES] = {};
    // 0 none, 1 Shift, 2 Ctrl, 3 Alt, 4 Ctrl+Alt, 5 Ctrl+Shift, 6 Alt+Shift, 7 all three.
    int modifierState = 0;
    float mouseX = 0, mouseY = 0, mouseZ = 0;
    float mouseDeltaX = 0, mouseDeltaY = 0, mouseDeltaWheel = 0;
    uint8_t mouseButtons[4] = {};
    uint8_t prevMouseButtons[4] = {};
    int inputMode = MODE_MOUSE_KEYBOARD;
    // The object that holds the keyboard (a text field being edited), or none.
    ZubBaseReference keyboardHolder;
    // This frame's typed character (UTF-16 unit), 0 when none; Backspace is
    // 8 and Return 13. Characters typed faster wait their turn.
    char16_t typedChar = 0;
    std::deque<char16_t> typedQueue;
    // Display names of the input codes, written by the language.
    WString keyNames[INPUT_CODES];
    std::vector<InputPointer*> pointers;

    // The input layer of the running engine, or null.
    static ZubInput* active();

private:
    void toReference(float px, float py, float& x, float& y) const;
    void fromReference(float x, float y, float& px, float& py) const;
    // The window pixel the mouse position stands for, with the viewport it
    // was mapped through.
    void keepMousePixel(float px, float py);
    void updatePointers(const platform::InputSnapshot& s);
    InputPointer* mousePointer();

    // One frame's worth of the mouse: where it stands and which buttons it
    // holds, with the keyboard's keys as they stood then.
    struct MouseStep {
        bool placed = false;  // the mouse stands at the pixel
        bool moved = false;   // ... and got there by moving
        float pixelX = 0, pixelY = 0;
        bool buttons[4] = {};
        bool turn = false;  // a button went down or up there
        std::array<uint8_t, platform::KEY_COUNT> keys{};
    };
    // Adds the mouse's steps of a poll to those still to come; a poll that
    // brings nothing of the mouse's but changes the keys while steps are
    // still to come adds a step of the keys alone.
    void queueMouseSteps(const platform::InputSnapshot& s);

    Viewport viewport;
    platform::Backend* backend = nullptr;
    bool bMouseKnown = false;
    float mousePixelX = 0, mousePixelY = 0;
    bool bMousePixelKnown = false;
    bool bMouseInWindow = true;
    // The mouse's steps of earlier polls still to come, the first in the
    // next frame; at most kMostMouseSteps.
    static constexpr size_t kMostMouseSteps = 32;
    std::deque<MouseStep> mouseSteps;
    Viewport mousePixelViewport;
    ZubInput* previous;
};
