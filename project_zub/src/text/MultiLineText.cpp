#include "text/MultiLineText.h"

#include <cmath>

#include "gfx/RenderCounters.h"
#include "text/FontQuad.h"

ZUB_IMPLEMENT_NAMED_CLASS(MultiLineText, FadingText, u"MultiLineText")

MultiLineText::MultiLineText() = default;

MultiLineText::MultiLineText(const FadingText* t, float w) : width(w) {
    if (t) {
        text = t->text;
        font = t->font;
        flags = t->flags;
        bShadow = t->bShadow;
        position = t->position;
        rotation = t->rotation;
        scale = t->scale;
        color = t->color;
        scaleMode = t->scaleMode;
        bNoCulling = t->bNoCulling;
        delay = t->delay;
        lifetime = t->lifetime;
        fadeIn = t->fadeIn;
        fadeOut = t->fadeOut;
        age = t->age;
        bAutoRemove = t->bAutoRemove;
        if (t->bHasParent) {
            parentMatrix = t->parentMatrix;
            bHasParent = true;
        }
    }
    onTransformChanged();
}

MultiLineText::~MultiLineText() {
    if (block) deleteObject(block);
}

TextBlock* MultiLineText::getBlock() {
    if (!font) return nullptr;
    const float s = font->currentScale();
    if (!block || blockText != text || blockFont != font || blockWidth != width || blockSpacing != lineSpacing ||
        blockScale != s) {
        if (!block) block = new TextBlock();
        block->font = font;
        block->maxWidth = width;
        block->lineSpacing = lineSpacing;
        block->text = text;
        block->layout();
        blockText = text;
        blockFont = font;
        blockWidth = width;
        blockSpacing = lineSpacing;
        blockScale = s;
    }
    return block;
}

void MultiLineText::renderSelf() {
    if (!font || !isShowing()) return;
    applyFade(color);
    ++renderCounters.renderablesTotal;
    if ((color >> 24) == 0) return;
    TextBlock* b = getBlock();
    if (!b || b->lineCount() == 0) return;
    ++renderCounters.renderablesVisible;
    bInView = 1;
    float dy = 0;
    if (flags & FontQuad::TEXT_HALF_LINE_UP) dy += std::trunc(static_cast<float>(font->height) * 0.5f);
    if (flags & FontQuad::TEXT_LINE_UP) dy += static_cast<float>(font->height);
    const int lineFlags = flags & ~(FontQuad::TEXT_CENTRE | FontQuad::TEXT_RIGHT | FontQuad::TEXT_HALF_LINE_UP |
                                    FontQuad::TEXT_LINE_UP | FontQuad::TEXT_SYSTEM_FONT);
    for (const TextLine* line : childrenOf<TextLine>(b)) {
        if (line->runCount() == 0) continue;
        float x = 0;
        if (flags & FontQuad::TEXT_CENTRE) x = std::trunc(-line->width * 0.5f);
        else if (flags & FontQuad::TEXT_RIGHT) x = -line->width;
        const V3 offset(x, line->y + dy, 0.0f);
        const WString markup = line->markupText();
        if (bShadow)
            font->drawTextShadowed(this, lineFlags, markup, V3(0.0f, -4.0f, 0.0f), FontQuad::DEFAULT_SHADOW_COLOUR,
                                   offset);
        else font->renderText(this, lineFlags, markup, offset);
    }
}
