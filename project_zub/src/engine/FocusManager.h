#pragma once
// Input focus and hover. Each frame the focus manager finds the object under
// the pointer, moves the focus on a press, and sends the pointer and key
// events to the focused object along the usual event route. Focus and hover
// are references, so an object destroyed while it has them leaves nothing
// dangling.
#include "object/ZubBase.h"

class ZubInput;
class NetRole;

class FocusManager {
public:
    FocusManager();
    ~FocusManager();
    FocusManager(const FocusManager&) = delete;
    FocusManager& operator=(const FocusManager&) = delete;

    static FocusManager* active();

    // Event 2 to the old focus, then event 3 to the new one.
    void setFocus(ZubBase* o);
    ZubBase* getFocus() const { return focusObject.get(); }
    ZubBase* getHover() const { return hoverObject.get(); }

    // Routes an event: the target's ancestors preview it, the target handles
    // it unless consumed or disabled, the ancestors get it bubbling up.
    static bool sendEvent(int code, ZubBase* sender, ZubBase* target);

    // The frame's dispatch: makes the role current, finds the hover object
    // under the pointer in `root`, then sends click (4), drag (5), move (7)
    // and key (6) events to the focus. The frame in which the pointer went
    // down sends no drag (whatever the pointer moved in that frame it moved
    // before the press), nor a move to the object the press gave the focus.
    // A press that something took in the frame's tick (ZubInput's pointer
    // owner) moves no focus and sends no click, nor drags while it is held.
    // No key event reaches a focus in a tree that a screen covers.
    void update(ZubBase* root, ZubInput& input);

    // A screen lying over a tree of objects (an in-game overlay over the
    // level) keeps the keys from it while the screen stays: a focus in the
    // tree (the object selected in a level being edited) is told of no key,
    // also while a screen opened from the covering one (the options) runs.
    // Until the screen goes or the next call (null: nothing covered).
    void coverKeys(ZubBase* tree, ZubBase* screen);

    ZubBaseReference focusObject;
    ZubBaseReference hoverObject;
    // The network role made current at the start of each frame's dispatch.
    ZubBaseReference role;
    // The tree kept from the keys and the screen that covers it.
    ZubBaseReference keysCoveredTree;
    ZubBaseReference keysCoveringScreen;

private:
    FocusManager* previous;
};
