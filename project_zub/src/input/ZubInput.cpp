#include "input/ZubInput.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "util/KeyCodes.h"

namespace {
ZubInput* current = nullptr;
using namespace input_codes;
}  // namespace

ZubInput::ZubInput() : keyboardHolder(nullptr), previous(current) {
    current = this;
    auto* mouse = new InputPointer;
    mouse->source = InputPointer::Source::Mouse;
    pointers.push_back(mouse);
}

ZubInput::~ZubInput() {
    for (InputPointer* p : pointers) delete p;
    if (current == this) current = previous;
}

ZubInput* ZubInput::active() { return current; }

void ZubInput::toReference(float px, float py, float& x, float& y) const {
    const float w = viewport.width > 0 ? viewport.width : 1.0f;
    const float h = viewport.height > 0 ? viewport.height : 1.0f;
    x = (px - viewport.x) / w * 1024.0f;
    y = 768.0f - (py - viewport.y) / h * 768.0f;
}

void ZubInput::fromReference(float x, float y, float& px, float& py) const {
    px = viewport.x + x / 1024.0f * viewport.width;
    py = viewport.y + (768.0f - y) / 768.0f * viewport.height;
}

void ZubInput::keepMousePixel(float px, float py) {
    mousePixelX = px;
    mousePixelY = py;
    mousePixelViewport = viewport;
    bMousePixelKnown = true;
}

void ZubInput::update(const platform::InputSnapshot& s) {
    std::memcpy(prevKeys, keys, sizeof keys);
    std::memcpy(prevMouseButtons, mouseButtons, sizeof mouseButtons);
    std::memset(keys, 0, sizeof keys);

    for (int c = 0; c < platform::JOYSTICK_COUNT; ++c) {
        const platform::JoystickState& j = s.joysticks[c];
        if (!j.present) continue;
        uint8_t* block = keys + JOY_BASE + JOY_STRIDE * c;
        block[0] = (j.axisY < -STICK_THRESHOLD || (j.hat & 1)) ? 0x80 : 0;
        block[1] = (j.axisY > STICK_THRESHOLD || (j.hat & 4)) ? 0x80 : 0;
        block[2] = (j.axisX < -STICK_THRESHOLD || (j.hat & 8)) ? 0x80 : 0;
        block[3] = (j.axisX > STICK_THRESHOLD || (j.hat & 2)) ? 0x80 : 0;
        for (int b = 0; b < platform::JOYSTICK_BUTTONS; ++b)
            block[JOY_BUTTONS_OFFSET + b] = (j.buttons >> b) & 1 ? 0x80 : 0;
    }

    // The mouse: only real movement replaces the position, so a position set
    // by the program stays until the mouse moves. The mouse's steps come one
    // a frame (queueMouseSteps).
    mouseDeltaX = mouseDeltaY = 0;
    mouseDeltaWheel = static_cast<float>(s.wheel);
    float pixelX = 0, pixelY = 0;
    bool moved = false, relocated = false;
    bool buttons[4];
    for (int b = 0; b < 4; ++b) buttons[b] = prevMouseButtons[b] != 0;
    // The keyboard as it stands in this poll, or as it stood when the
    // mouse's step of this frame was made.
    const uint8_t* keyLevels = s.keys;
    std::array<uint8_t, platform::KEY_COUNT> stepKeys;
    if (s.touches.empty()) {
        queueMouseSteps(s);
        // Clicks faster than the frames (a stalled frame's worth, a clicking
        // device) fall behind by a bounded number of frames at most: the
        // oldest steps go, the latest stand.
        while (mouseSteps.size() > kMostMouseSteps) mouseSteps.pop_front();
        if (!mouseSteps.empty()) {
            const MouseStep step = mouseSteps.front();
            mouseSteps.pop_front();
            if (step.placed) {
                pixelX = step.pixelX;
                pixelY = step.pixelY;
                moved = step.moved;
                // Without moving: the window moved or changed under the
                // mouse, or its place was read where none was known.
                relocated = !step.moved;
            }
            std::copy(std::begin(step.buttons), std::end(step.buttons), buttons);
            stepKeys = step.keys;
            keyLevels = stepKeys.data();
        }
    } else {
        // The first touch contact drives the mouse (updatePointers).
        mouseSteps.clear();
        for (int b = 0; b < 4; ++b) buttons[b] = s.mouseButtons[b];
    }
    for (int i = 1; i < platform::KEY_COUNT; ++i) keys[i] = (keyLevels[i] & 0x80) ? 0x80 : 0;
    if (moved || relocated) {
        float x, y;
        toReference(pixelX, pixelY, x, y);
        if (moved && bMouseKnown) {
            mouseDeltaX = x - mouseX;
            mouseDeltaY = y - mouseY;
        }
        mouseX = x;
        mouseY = y;
        bMouseKnown = true;
        keepMousePixel(pixelX, pixelY);
    } else if (bMousePixelKnown && !(viewport == mousePixelViewport)) {
        // The window changed its size under a mouse that stayed where it
        // was: the same pixel is elsewhere in the reference screen now. That
        // is no movement of the mouse.
        toReference(mousePixelX, mousePixelY, mouseX, mouseY);
        mousePixelViewport = viewport;
    }
    keys[MOUSE_DIRECTION_BASE + 0] = mouseDeltaY > 0 ? 0x80 : 0;
    keys[MOUSE_DIRECTION_BASE + 1] = mouseDeltaY < 0 ? 0x80 : 0;
    keys[MOUSE_DIRECTION_BASE + 2] = mouseDeltaX < 0 ? 0x80 : 0;
    keys[MOUSE_DIRECTION_BASE + 3] = mouseDeltaX > 0 ? 0x80 : 0;
    bMouseInWindow = s.mouseInWindow;
    for (int b = 0; b < 4; ++b) {
        mouseButtons[b] = buttons[b] ? 1 : 0;
        keys[MOUSE_BUTTON_BASE + b] = mouseButtons[b] ? 0x80 : 0;
    }

    const bool shift = isKeyDown(KEY_LSHIFT) || isKeyDown(KEY_RSHIFT);
    const bool ctrl = isKeyDown(KEY_LCONTROL) || isKeyDown(KEY_RCONTROL);
    const bool alt = isKeyDown(KEY_LALT) || isKeyDown(KEY_RALT);
    static constexpr int table[8] = {
        // index: shift | ctrl << 1 | alt << 2
        0, 1, 2, 5, 3, 6, 4, 7,
    };
    modifierState = table[(shift ? 1 : 0) | (ctrl ? 2 : 0) | (alt ? 4 : 0)];

    // The input mode follows the device in use.
    bool keyActivity = false;
    for (int i = 1; i < INPUT_CODES && !keyActivity; ++i)
        if (keys[i] >= 128 && prevKeys[i] < 128 && (i < MOUSE_DIRECTION_BASE || i >= MOUSE_BUTTON_BASE))
            keyActivity = true;
    bool newTouch = false;
    for (const platform::TouchPoint& t : s.touches) {
        bool known = false;
        for (InputPointer* p : pointers)
            if (p->source == InputPointer::Source::Touch && p->touchId == t.id && !p->bEnded) known = true;
        if (!known) newTouch = true;
    }
    if (newTouch) setInputMode(MODE_TOUCH);
    else if (keyActivity || moved) setInputMode(MODE_MOUSE_KEYBOARD);

    for (char16_t c : s.typed) typedQueue.push_back(c);
    if (typedQueue.size() > 1024) typedQueue.erase(typedQueue.begin(), typedQueue.end() - 1024);
    typedChar = 0;
    if (!typedQueue.empty()) {
        typedChar = typedQueue.front();
        typedQueue.pop_front();
    }

    updatePointers(s);
}

void ZubInput::queueMouseSteps(const platform::InputSnapshot& s) {
    // The poll's news goes on from the last step still to come, or from the
    // mouse as it stands before this frame.
    MouseStep at;
    bool known = bMousePixelKnown;
    // The window moved under a mouse that stayed where it was: it stands
    // elsewhere in the window now, without moving.
    const bool relocated = s.mouseRelocated && !s.mouseMoved;
    if (mouseSteps.empty()) {
        at.pixelX = mousePixelX;
        at.pixelY = mousePixelY;
        for (int b = 0; b < 4; ++b) at.buttons[b] = prevMouseButtons[b] != 0;
    } else {
        // The steps still to come were taken before the window moved: they
        // stand where the mouse stands now.
        if (relocated) {
            for (MouseStep& step : mouseSteps) {
                step.placed = step.moved = true;
                step.pixelX = s.mouseX;
                step.pixelY = s.mouseY;
            }
        }
        at = mouseSteps.back();
        known = known || std::any_of(mouseSteps.begin(), mouseSteps.end(), [](const MouseStep& m) { return m.placed; });
    }
    at.placed = at.moved = at.turn = false;
    std::copy(std::begin(s.keys), std::end(s.keys), at.keys.begin());
    bool added = false;
    // The mouse as it is now, at a pixel (or where it stood, or where the
    // window moved it to) after a button went down or up (`turn`) or the
    // mouse moved there.
    auto add = [&](bool placed, bool moving, float px, float py, bool turn) {
        if (placed) {
            at.moved = moving || !known || px != at.pixelX || py != at.pixelY;
            at.pixelX = px;
            at.pixelY = py;
            known = true;
        } else if (relocated) {
            placed = true;
            at.moved = false;
            at.pixelX = s.mouseX;
            at.pixelY = s.mouseY;
            known = true;
        } else {
            at.moved = false;
        }
        at.placed = placed;
        at.turn = turn;
        added = true;
        // Movement with the buttons as they are, after movement still to
        // come with the same buttons: the later place is the one to go to.
        if (placed && !turn && !mouseSteps.empty()) {
            MouseStep& last = mouseSteps.back();
            if (last.placed && !last.turn && std::equal(std::begin(last.buttons), std::end(last.buttons), at.buttons) &&
                last.keys == at.keys) {
                last.pixelX = px;
                last.pixelY = py;
                last.moved = last.moved || at.moved;
                return;
            }
        }
        mouseSteps.push_back(at);
    };
    const bool wasHeld[4] = {at.buttons[0], at.buttons[1], at.buttons[2], at.buttons[3]};
    for (int b = 0; b < 4; ++b) at.buttons[b] = s.mouseButtons[b];
    // The button that went down or up in this poll, where it did (the
    // back-end tells the places); the other buttons are taken as they are
    // from the first step on.
    int button = -1;
    for (int b = 0; b < 4 && button < 0; ++b) {
        const bool down = s.mousePressed[b] && (s.mouseButtons[b] || s.mouseReleased[b]);
        const bool up = s.mouseReleased[b] && wasHeld[b];
        if ((down && !wasHeld[b]) || (up && (down || !s.mouseButtons[b]))) button = b;
    }
    const float endX = s.mouseX, endY = s.mouseY;
    // Button b goes down at its place: what the press lands on is what
    // stands there.
    auto press = [&](int b) {
        at.buttons[b] = true;
        add(true, false, s.mousePressX[b], s.mousePressY[b], true);
    };
    // Button b goes up at its place: the movement before the release drags
    // with the button held.
    auto release = [&](int b) {
        const float rx = s.mouseReleaseX[b], ry = s.mouseReleaseY[b];
        at.buttons[b] = true;
        if (!known || rx != at.pixelX || ry != at.pixelY) add(true, false, rx, ry, false);
        at.buttons[b] = false;
        add(true, false, rx, ry, true);
    };
    if (button >= 0) {
        const int b = button;
        if (!wasHeld[b]) {
            // Down, then maybe up again (a flick).
            press(b);
            if (s.mouseReleased[b]) release(b);
        } else {
            // Up, then maybe down again (the next press came in the same
            // poll).
            release(b);
            if (s.mousePressed[b]) press(b);
        }
        // The movement after the last of them.
        if (s.mouseMoved && (endX != at.pixelX || endY != at.pixelY)) add(true, true, endX, endY, false);
    } else {
        const bool turn = !std::equal(std::begin(wasHeld), std::end(wasHeld), at.buttons);
        if (s.mouseMoved) add(true, true, endX, endY, turn);
        else if (turn) add(false, false, 0, 0, true);
    }
    // The window moved under the mouse, or the mouse's place became known:
    // it stands there, without moving.
    if (!added && mouseSteps.empty() && (relocated || (!s.mouseMoved && !known && s.mouseKnown))) {
        at.placed = true;
        at.moved = at.turn = false;
        at.pixelX = s.mouseX;
        at.pixelY = s.mouseY;
        mouseSteps.push_back(at);
    } else if (!added && !mouseSteps.empty() && mouseSteps.back().keys != at.keys) {
        // The keys changed after steps still to come were made: that waits
        // its turn, in a step of its own.
        at.placed = at.moved = at.turn = false;
        mouseSteps.push_back(at);
    }
}

InputPointer* ZubInput::mousePointer() {
    for (InputPointer* p : pointers)
        if (p->source == InputPointer::Source::Mouse) return p;
    return nullptr;
}

void ZubInput::updatePointers(const platform::InputSnapshot& s) {
    // Records that ended last frame go; the rest start a new frame.
    for (auto it = pointers.begin(); it != pointers.end();) {
        if ((*it)->bEnded) {
            delete *it;
            it = pointers.erase(it);
        } else {
            ++it;
        }
    }
    // A press starts a new contact: nobody owns it yet (the mouse's record
    // lives on from press to press).
    auto press = [](InputPointer* p) {
        p->bWentDown = 1;
        p->bHeld = 1;
        p->bDragged = 0;
        p->downX = p->x;
        p->downY = p->y;
        p->bDisowned = 0;
        p->owner.set(nullptr);
    };
    // The release of a disowned press ends it without telling anyone.
    auto release = [](InputPointer* p) {
        p->bHeld = 0;
        if (p->bDisowned) return;
        p->bWentUp = 1;
        p->bTapped = p->bDragged ? 0 : 1;
    };
    auto dragCheck = [](InputPointer* p) {
        if (p->bHeld && std::hypot(p->x - p->downX, p->y - p->downY) > DRAG_DISTANCE) p->bDragged = 1;
    };

    for (InputPointer* p : pointers) {
        p->bWentDown = p->bWentUp = p->bTapped = 0;
        // A synthesised tap goes down at the poll after it was added (so
        // that everything ticked in that frame sees the press) and up at the
        // next one.
        if (p->source == InputPointer::Source::Synthetic) {
            if (p->bPendingPress) {
                p->bPendingPress = false;
                press(p);
            } else {
                release(p);
                p->bEnded = true;
            }
        }
    }

    InputPointer* mouse = mousePointer();
    mouse->x = mouseX;
    mouse->y = mouseY;
    mouse->z = mouseZ;
    if (mouseButtons[0] && !prevMouseButtons[0]) press(mouse);
    else if (!mouseButtons[0] && prevMouseButtons[0]) release(mouse);
    dragCheck(mouse);

    for (const platform::TouchPoint& t : s.touches) {
        InputPointer* rec = nullptr;
        for (InputPointer* p : pointers)
            if (p->source == InputPointer::Source::Touch && p->touchId == t.id) rec = p;
        float x, y;
        toReference(t.x, t.y, x, y);
        if (!rec) {
            rec = new InputPointer;
            rec->source = InputPointer::Source::Touch;
            rec->touchId = t.id;
            rec->x = x;
            rec->y = y;
            press(rec);
            // Touch contacts come before the mouse: the first one is pointer 0.
            auto firstNonTouch = std::find_if(pointers.begin(), pointers.end(),
                                              [](InputPointer* p) { return p->source == InputPointer::Source::Mouse; });
            pointers.insert(firstNonTouch, rec);
        } else {
            rec->x = x;
            rec->y = y;
            dragCheck(rec);
        }
    }
    for (InputPointer* p : pointers) {
        if (p->source != InputPointer::Source::Touch || p->bEnded) continue;
        const bool held = std::any_of(s.touches.begin(), s.touches.end(),
                                      [p](const platform::TouchPoint& t) { return t.id == p->touchId; });
        if (!held) {
            release(p);
            p->bEnded = true;
        }
    }
    // The first touch contact drives the mouse position in touch mode.
    if (!s.touches.empty()) {
        InputPointer* first = pointers.front();
        if (first->source == InputPointer::Source::Touch) {
            mouseDeltaX = first->x - mouseX;
            mouseDeltaY = first->y - mouseY;
            mouseX = first->x;
            mouseY = first->y;
            for (const platform::TouchPoint& t : s.touches)
                if (t.id == first->touchId) keepMousePixel(t.x, t.y);
        }
    }
}

bool ZubInput::wasKeyPressed(int code) const { return isKeyDown(code) && !wasKeyDown(code) && !keyboardHolder.get(); }

int ZubInput::getFirstNewlyPressedKey() const {
    for (int i = 1; i < INPUT_CODES; ++i)
        if (keys[i] >= 128 && prevKeys[i] < 128) return i;
    return 0;
}

bool ZubInput::wasPointerPressed(int n) const {
    return n >= 0 && n < static_cast<int>(pointers.size()) && pointers[n]->bWentDown;
}
bool ZubInput::wasPointerReleased(int n) const {
    return n >= 0 && n < static_cast<int>(pointers.size()) && pointers[n]->bWentUp;
}
bool ZubInput::isPointerHeld(int n) const {
    return n >= 0 && n < static_cast<int>(pointers.size()) && pointers[n]->bHeld && !pointers[n]->bDisowned;
}
bool ZubInput::wasPointerTapped(int n) const {
    return n >= 0 && n < static_cast<int>(pointers.size()) && pointers[n]->bTapped;
}
bool ZubInput::isPointerDragged(int n) const {
    return n >= 0 && n < static_cast<int>(pointers.size()) && pointers[n]->bDragged && !pointers[n]->bDisowned;
}

bool ZubInput::wasAnyPointerPressed() const {
    return std::any_of(pointers.begin(), pointers.end(), [](InputPointer* p) { return p->bWentDown != 0; });
}

ZubBase* ZubInput::getPointerOwner(int n) const {
    return n >= 0 && n < static_cast<int>(pointers.size()) ? pointers[n]->owner.get() : nullptr;
}

void ZubInput::setPointerOwner(ZubBase* owner, int n) {
    if (n >= 0 && n < static_cast<int>(pointers.size())) pointers[n]->owner.set(owner);
}

void ZubInput::disownPointers() {
    for (InputPointer* p : pointers) {
        if (p->bPendingPress) {
            p->bPendingPress = false;
            p->bEnded = true;
            continue;
        }
        if (p->bWentDown || !(p->bHeld || p->bWentUp)) continue;
        p->bDisowned = 1;
        p->bWentUp = p->bTapped = 0;
        p->owner.set(nullptr);
    }
}

void ZubInput::addMousePointer() {
    auto* p = new InputPointer;
    p->source = InputPointer::Source::Synthetic;
    p->x = p->downX = mouseX;
    p->y = p->downY = mouseY;
    p->z = mouseZ;
    p->bPendingPress = true;
    pointers.insert(pointers.begin(), p);
}

void ZubInput::setMousePosition(float x, float y, float z) {
    mouseX = x;
    mouseY = y;
    mouseZ = z;
    mouseDeltaX = mouseDeltaY = mouseDeltaWheel = 0;
    // The next movement is measured from here, also when the mouse had not
    // moved before: the program has put the cursor somewhere known (and
    // where the mouse went in the steps still to come no longer matters).
    bMouseKnown = true;
    mouseSteps.clear();
    float px = 0, py = 0;
    fromReference(x, y, px, py);
    keepMousePixel(px, py);
    if (inputMode == MODE_MOUSE_KEYBOARD && backend) backend->warpMouse(px, py);
}

bool ZubInput::isMouseOverPicture() const {
    if (!bMouseInWindow) return false;
    if (!bMousePixelKnown) return true;
    return mousePixelX >= viewport.x && mousePixelX < viewport.x + viewport.width && mousePixelY >= viewport.y &&
           mousePixelY < viewport.y + viewport.height;
}

void ZubInput::setInputMode(int mode) {
    if (mode == inputMode) return;
    inputMode = mode;
    ZubBase::forEachLive([mode](ZubBase* o) { o->onInputModeChange(mode); });
}
