#pragma once
// The screen stack. Its children are the stacked contexts, the last one on
// top; only the top one ticks. Two overlay contexts of its own carry the
// mouse pointer and the screen transition, which the game puts there.
#include <cstdint>
#include <functional>

#include "gfx/Context.h"

class ContextManager : public Context {
    ZUB_DECLARE_CLASS(ContextManager)
public:
    ContextManager();
    ~ContextManager() override;

    // Puts the context on top of the stack; the stack owns it from now on.
    void pushContext(Context* c);
    Context* getTop() const { return static_cast<Context*>(lastChild); }
    // Only contexts go on the stack.
    void addChild(ZubBase* child) override;

    // Pops finished tops (a popped screen takes the input focus with it
    // when the focus is on it or inside it; a focus beneath it stays, so
    // that the object picked in a level being edited keeps its keys once
    // the pages opened over the level close), activates a new top (the
    // pointers' presses taken by the old top stay its own:
    // ZubInput::disownPointers), ticks the overlays and the top.
    void tick(double time, double frameInterval) override;
    // Draws the top, the pointer overlay (while the window has the focus and
    // the top shows the pointer), the transition overlay, the frame rate.
    void renderContext() override;
    ZubBase* findObjectUnderMouse(int& skip) override;

    Context* pointerContext;  // owned, not on the stack
    Context* irisContext;     // owned, not on the stack
    bool bQuit = false;       // set when the stack becomes empty, or by a quit item

    // Hooks the game installs.
    std::function<void()> onTopChanged;             // e.g. the transition closes again
    std::function<void(Context*)> onContextPopped;  // after it left the stack
    // Draws the frame-rate figure (frameRate) over the top context; called
    // last in every frame in which *showFrameRate (the game configuration's
    // show-frame-rate byte) is nonzero, unless the top hides the figure
    // (Context::bHideFrameRate).
    std::function<void(Context*)> drawFrameRate;
    const uint8_t* showFrameRate = nullptr;

    // Frames per second of engine time: ticks counted over each whole second
    // (over the time so far until the first second is whole). 0 before the
    // second tick.
    double frameRate = 0.0;

    // Whether the program window has the input focus, as the running
    // engine last heard from the platform layer (Zub::bWindowFocused; a run
    // told to assume the focus has it). Without an engine: focused.
    static bool windowHasFocus();

private:
    void measureFrameRate(double time);
    static void dropFocusIn(Context* screen);

    Context* activeTop = nullptr;
    double rateSince = -1.0;  // engine time the count runs from (-1: not yet)
    int rateTicks = 0;
    bool bRateWhole = false;  // a whole second has been counted
};
