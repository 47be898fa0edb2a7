#pragma once
// A skin drawn as a Renderable that fades in and out like a FadingText
// (FadeTiming): nothing during its delay or after its lifetime, and removed
// at the end when bAutoRemove is set.
#include "gfx/Renderable.h"
#include "text/FadeTiming.h"

class FadingSprite : public Renderable, public FadeTiming {
    ZUB_DECLARE_CLASS(FadingSprite)
public:
    FadingSprite() = default;
    FadingSprite(Skin* skin, const V3& position);

    void tick(double time, double dt) override;
    void renderSelf() override;
};
