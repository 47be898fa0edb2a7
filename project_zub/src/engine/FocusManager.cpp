#include "engine/FocusManager.h"

#include "input/ZubInput.h"
#include "net/NetRole.h"

namespace {
FocusManager* current = nullptr;
}

FocusManager::FocusManager()
    : focusObject(nullptr),
      hoverObject(nullptr),
      role(nullptr),
      keysCoveredTree(nullptr),
      keysCoveringScreen(nullptr),
      previous(current) {
    current = this;
}

FocusManager::~FocusManager() {
    if (current == this) current = previous;
}

FocusManager* FocusManager::active() { return current; }

void FocusManager::setFocus(ZubBase* o) {
    ZubBase* old = focusObject.get();
    if (old == o) return;
    focusObject.set(o);
    if (old) sendEvent(EVENT_FOCUS_LOST, nullptr, old);
    // The old focus may have moved the focus elsewhere while losing it.
    if (o && focusObject.get() == o) sendEvent(EVENT_FOCUS_GAINED, nullptr, o);
}

void FocusManager::coverKeys(ZubBase* tree, ZubBase* screen) {
    keysCoveredTree.set(screen ? tree : nullptr);
    keysCoveringScreen.set(tree ? screen : nullptr);
}

bool FocusManager::sendEvent(int code, ZubBase* sender, ZubBase* target) {
    return ZubBase::sendEvent(code, sender, target);
}

void FocusManager::update(ZubBase* root, ZubInput& input) {
    if (role.get()) THEROLE = static_cast<NetRole*>(role.get());

    int skip = 0;
    hoverObject.set(root ? root->findObjectUnderMouse(skip) : nullptr);

    ZubEvent ev;
    ev.x = input.mouseX;
    ev.y = input.mouseY;
    ev.z = input.mouseZ;
    // A pointer that went down this frame may also have moved in it (a tap
    // elsewhere on a touch screen or a tablet, a remote desktop): that
    // movement brought it to where it went down, before the press. A drag
    // starts with the frame after the press, and the object the press gives
    // the focus to is not told of the movement that came before it had it.
    const bool pressed = input.wasPointerPressed(0);
    // A press that a screen took in this frame's tick (a menu item, an
    // overlay lying over the level: the pointer has an owner) is that
    // screen's: the focus stays where it is, and nothing beneath is clicked
    // or dragged by it.
    const bool taken = input.getPointerOwner(0) != nullptr;
    bool focusMoved = false;
    if (pressed && !taken) {
        focusMoved = hoverObject.get() != focusObject.get();
        setFocus(hoverObject.get());
        if (ZubBase* f = focusObject.get()) {
            ev.code = EVENT_CLICK;
            ev.target = f;
            ZubBase::sendEvent(ev);
        }
    }
    const bool moved = input.mouseDeltaX != 0 || input.mouseDeltaY != 0;
    if (moved && input.isPointerHeld(0) && !pressed && !taken) {
        if (ZubBase* f = focusObject.get()) {
            ev.code = EVENT_DRAG;
            ev.target = f;
            ZubBase::sendEvent(ev);
        }
    }
    if (moved && !focusMoved) {
        if (ZubBase* f = focusObject.get()) {
            ev.code = EVENT_MOUSE_MOVE;
            ev.target = f;
            ZubBase::sendEvent(ev);
        }
    }
    // Keys and controller buttons; the mouse's own table entries (movement
    // and buttons) arrive as pointer events instead; none to a focus that a
    // screen lying over it covers.
    ZubBase* covered = keysCoveringScreen.get() ? keysCoveredTree.get() : nullptr;
    int key = 0;
    for (int i = 1; i < ZubInput::MOUSE_DIRECTION_BASE && !key; ++i)
        if (input.keys[i] >= 128 && input.prevKeys[i] < 128) key = i;
    if (key != 0 || input.typedChar != 0) {
        ZubBase* f = focusObject.get();
        if (f && covered && (f == covered || covered->isAncestorOf(f))) f = nullptr;
        if (f) {
            ev.code = EVENT_KEY;
            ev.target = f;
            ev.key = key;
            ev.character = input.typedChar;
            ZubBase::sendEvent(ev);
        }
    }
}
