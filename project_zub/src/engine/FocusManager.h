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
    // Key events reach the focus only while it lies inside the screen that
    // took the frame's keys, if one did.
    void update(ZubBase* root, ZubInput& input);

    // A screen lying over the others (an in-game overlay over the level)
    // takes the frame's keys in its tick: the focus beneath it, the object
    // selected in the level, is not told of them. Good for the dispatch of
    // this frame only.
    void takeKeys(ZubBase* screen) { keysTaker.set(screen); }

    ZubBaseReference focusObject;
    ZubBaseReference hoverObject;
    // The network role made current at the start of each frame's dispatch.
    ZubBaseReference role;
    // The screen that took this frame's keys, or none.
    ZubBaseReference keysTaker;

private:
    FocusManager* previous;
};
