#include "text/FloatingText.h"

ZUB_IMPLEMENT_NAMED_CLASS(FloatingText, FadingText, u"FloatingText")

FloatingText::FloatingText(FontQuad* f, const V3& p, std::u16string_view t, uint32_t c, const V3& v, double duration)
    : FadingText(p, t, f, c), velocity(v) {
    lifetime = duration;
    fadeOut = duration;
}

void FloatingText::tick(double time, double dt) {
    if (delay <= 0.0) {
        position += velocity * static_cast<float>(dt);
        onTransformChanged();
    }
    FadingText::tick(time, dt);
}
