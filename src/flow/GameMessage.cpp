#include "flow/GameMessage.h"

#include <cmath>

#include "gfx/Quad.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"

GameMessage::GameMessage(FontQuad* font, const V3& at) : pFont(font), position(at) {}

void GameMessage::show(const WString& text, double duration) {
    while (ZubBase* c = lastChild) {
        removeChild(c);
        deleteObject(c);
    }
    if (text.empty() || !pFont) return;
    if (!bPerLetter) {
        auto* t = new FadingText(position, text, pFont, color);
        t->flags = FontQuad::TEXT_CENTRE | FontQuad::TEXT_LINE_UP;
        t->bShadow = 0;
        t->fadeIn = 1.0;
        t->fadeOut = 1.0;
        t->lifetime = duration + 1.0;
        addChild(t);
        return;
    }
    // Each letter stands in its glyph's cell (a glyph's skin is centred on
    // its position): the cells run from the left end of the centred line,
    // one glyph advance apart. A font that grows with the resolution draws
    // its letters and their advances at its current scale, as the line was
    // measured.
    const float k = pFont->currentScale();
    float x = position.x - std::trunc(pFont->measureLine(text) / 2.0f);
    auto letterAt = [&](Skin* skin, const V3& at, double delay) {
        auto* letter = new MessageLetter(skin, at, delay, duration);
        letter->color = color & 0x00FFFFFFu;
        if (k != 1.0f) letter->setScale(k);
        addChild(letter);
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const FontQuad::Glyph g = pFont->getGlyph(text[i]);
        const float width = g.quad ? std::trunc(g.quad->width) : 0.0f;
        const V3 at(x + k * width / 2.0f, position.y, position.z);
        const double delay = static_cast<double>(i) * LETTER_INTERVAL;
        letterAt(g.quad, at, delay);
        if (g.quad && g.accent) letterAt(g.accent, at + V3(k * g.accentX, k * g.accentY, 0.0f), delay);
        x += k *
             (g.quad ? width + static_cast<float>(pFont->letterSpacing) : static_cast<float>(pFont->defaultCharWidth));
    }
}

void GameMessage::tick(double time, double dt) {
    ZubBase::tick(time, dt);
    if (bRemoveWhenEmpty && !firstChild) bToBeDestroyed = 1;
}

MessageLetter::MessageLetter(Skin* skin, const V3& home, double d, double life)
    : homePosition(home), delay(d), duration(life) {
    bDisabled = 1;
    position = home;
    pSkin = skin;
    onTransformChanged();
}

void MessageLetter::tick(double time, double dt) {
    Renderable::tick(time, dt);
    const double t = timeInState;
    if (t > delay + duration) {
        bToBeDestroyed = 1;
        return;
    }
    if (!pSkin) return;
    // Within [0, 1]; not a number (a duration from a peer) counts as 0.
    auto unit = [](double v) { return v > 0.0 ? (v < 1.0 ? v : 1.0) : 0.0; };
    double a;
    if (t < delay + FADE_TIME) {
        const double u = unit((t - delay) / FADE_TIME);
        a = 255.0 * u * u;
    } else {
        const double v = unit((t - (delay + duration - FADE_TIME)) / FADE_TIME);
        a = 255.0 * (1.0 - v * v);
    }
    setAlpha(static_cast<uint8_t>(a));
}
