#pragma once
// The screen transition: a black mask over the whole screen with a shaped
// hole in the middle. `closure` sizes the hole: at 0 nothing is drawn, at 1
// the screen is black. Each tick moves closure toward targetClosure by the
// step (a full open or close takes one second) without passing it.
//
// It lives in the screen stack's iris context (installScreenOverlays), drawn
// last, over everything. The stack opens it (target 0) whenever a new screen
// becomes the top; the game flow closes it (target 1) around level changes
// and the intro story starts fully closed. Setting the target alone starts a
// transition; setting both jumps.
//
// The hole's radius is (1 - closure) times the half diagonal of the
// reference screen; its rim is shaped (two ears on top, a narrower bottom)
// and turns once as the iris closes. With the detail level high its edge is
// soft.
#include "gfx/Renderable.h"

class IrisTransition : public Renderable {
    ZUB_DECLARE_CLASS(IrisTransition)
public:
    static constexpr int RING_POINTS = 128;

    IrisTransition();
    ~IrisTransition() override;

    void tick(double time, double dt) override;
    void renderSelf() override;

    // The rim's shape factor at ring point i (0 ... 127).
    static float shapeFactor(int i);

    float closure = 0.0f;
    float targetClosure = 0.0f;
};
