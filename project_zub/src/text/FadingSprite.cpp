#include "text/FadingSprite.h"

ZUB_IMPLEMENT_NAMED_CLASS(FadingSprite, Renderable, u"FadingSprite")

FadingSprite::FadingSprite(Skin* skin, const V3& p) : Renderable(skin, p) {}

void FadingSprite::tick(double time, double dt) {
    Renderable::tick(time, dt);
    const bool over = advanceFade(dt);
    applyFade(color);
    if (over && bAutoRemove) bToBeDestroyed = 1;
}

void FadingSprite::renderSelf() {
    if (!isShowing()) return;
    applyFade(color);
    if ((color >> 24) == 0) return;
    Renderable::renderSelf();
}
