#pragma once
// A text that drifts by its velocity (units per second) and fades out over
// its duration, then removes itself: a FadingText whose lifetime and fade-out
// are the duration.
#include "text/FadingText.h"

class FloatingText : public FadingText {
    ZUB_DECLARE_CLASS(FloatingText)
public:
    FloatingText() = default;
    FloatingText(FontQuad* font, const V3& position, std::u16string_view text, uint32_t color, const V3& velocity,
                 double duration);

    void tick(double time, double dt) override;

    V3 velocity;
};
