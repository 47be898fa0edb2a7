#include "flow/TouchHudControl.h"

#include <cmath>

#include "engine/Zub.h"
#include "gfx/Context.h"
#include "input/ZubInput.h"

TouchHudControl::TouchHudControl(Skin* skin, bool newTouchOnly)
    : bNewTouchOnly(newTouchOnly ? 1 : 0), alpha(IDLE_ALPHA, 1.0f / FADE_SECONDS, 1, InterpolatedValue::CLAMP) {
    bPickable = 1;
    scaleMode = SCALE_ASPECT;
    // The larger buttons of small displays.
    if (ZUB && ZUB->displayClass == 0) scale = V3(1.5f, 1.5f, 1.0f);
    touchRadius = BASE_RADIUS * scale.x;
    setSkin(skin);
    setAlpha(static_cast<uint8_t>(IDLE_ALPHA));
}

void TouchHudControl::tick(double time, double dt) {
    alpha.tick(time, dt);
    pressed = 0;
    ZubInput* in = ZubInput::active();
    const Context* context = owningContext();
    if (in && context && !bHidden) {
        for (const InputPointer* p : in->pointers) {
            if (p->source != InputPointer::Source::Touch || p->bEnded) continue;
            if (bNewTouchOnly && !p->bWentDown) continue;
            const V3 at = context->camera->screenToWorld(p->x, p->y, p->z);
            if (std::fabs(at.y - position.y) < touchRadius && std::fabs(at.x - position.x) < touchRadius) {
                pressed = 1;
                alpha.setImmediate(TOUCHED_ALPHA);
                alpha.moveTo(IDLE_ALPHA);
            }
        }
    }
    const float a = alpha.get();
    setAlpha(static_cast<uint8_t>(a > 0.0f ? (a < 255.0f ? a : 255.0f) : 0.0f));
}
