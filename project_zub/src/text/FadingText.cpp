#include "text/FadingText.h"

#include "gfx/RenderCounters.h"
#include "text/FontQuad.h"

ZUB_IMPLEMENT_NAMED_CLASS(FadingText, Renderable, u"FadingText")

FadingText::FadingText() = default;

FadingText::FadingText(const V3& p, std::u16string_view t, FontQuad* f, uint32_t c) : text(t), font(f) {
    position = p;
    color = c;
    onTransformChanged();
}

FadingText::FadingText(float x, float y, float z, std::u16string_view t, FontQuad* f, uint32_t c)
    : FadingText(V3(x, y, z), t, f, c) {}

void FadingText::tick(double time, double dt) {
    Renderable::tick(time, dt);
    const bool over = advanceFade(dt);
    applyFade(color);
    if (over && bAutoRemove) bToBeDestroyed = 1;
}

void FadingText::renderSelf() {
    if (!font || !isShowing()) return;
    applyFade(color);
    ++renderCounters.renderablesTotal;
    if ((color >> 24) == 0 || text.empty()) return;
    ++renderCounters.renderablesVisible;
    bInView = 1;
    if (bShadow) font->drawTextShadowed(this, flags, text);
    else font->renderText(this, flags, text);
}

void FadingText::fitToWidth(int maxWidth) {
    if (!font) return;
    const float w = font->measureText(text, flags).width;
    if (w > static_cast<float>(maxWidth) && w > 0.0f) {
        scale = V3(static_cast<float>(maxWidth) / w, 1.0f, 1.0f);
        onTransformChanged();
    }
}
