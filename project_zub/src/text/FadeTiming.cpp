#include "text/FadeTiming.h"

bool FadeTiming::advanceFade(double dt) {
    if (delay > 0.0) {
        delay -= dt;
        if (delay > 0.0) return false;
        dt = -delay;
        delay = 0.0;
    }
    age += dt;
    return age >= lifetime;
}

int FadeTiming::fadeAlpha() const {
    if (delay > 0.0) return 0;
    double a = 255.0;
    if (fadeIn > 0.0 && age < fadeIn) a = 255.0 * age / fadeIn;
    else if (fadeOut > 0.0 && age > lifetime - fadeOut) a = 255.0 * (lifetime - age) / fadeOut;
    if (!(a > 0.0)) return 0;
    if (a > 255.0) return 255;
    return static_cast<int>(a);
}

void FadeTiming::applyFade(uint32_t& color) {
    if (!known || color != applied) {
        unfaded = color;
        known = true;
    }
    const uint32_t alpha = ((unfaded >> 24) * static_cast<uint32_t>(fadeAlpha()) + 127) / 255;
    color = (unfaded & 0x00FFFFFFu) | (alpha << 24);
    applied = color;
}
