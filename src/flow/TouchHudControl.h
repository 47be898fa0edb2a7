#pragma once
// One of the HUD's three steering buttons on a touch screen (move left,
// move right, jump). Each frame it tests every touch against the square of
// half-side `touchRadius` around its position and keeps `pressed` for that
// frame, which the hero reads in place of the keyboard. A touched control
// shows at full opacity and fades back to half over four seconds. A hidden
// control is not pressed.
#include <cstdint>

#include "anim/InterpolatedValue.h"
#include "gfx/Renderable.h"

class TouchHudControl : public Renderable {
public:
    static constexpr float BASE_RADIUS = 45.0f;
    static constexpr float IDLE_ALPHA = 128.0f;
    static constexpr float TOUCHED_ALPHA = 255.0f;
    static constexpr float FADE_SECONDS = 4.0f;

    // bNewTouchOnly: only touches that went down this frame count (the jump).
    TouchHudControl(Skin* skin, bool bNewTouchOnly);

    // The opacity, then `pressed` from the touches (mapped into the plane of
    // the owning context with its camera). Children are not ticked.
    void tick(double time, double dt) override;

    uint8_t pressed = 0;
    float touchRadius;
    uint8_t bNewTouchOnly;
    InterpolatedValue alpha;
};
