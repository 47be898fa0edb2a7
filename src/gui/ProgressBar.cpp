#include "gui/ProgressBar.h"

#include <algorithm>

#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gui/GuiClassIds.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(ProgressBar, Renderable, gui_ids::ProgressBar)

ProgressBar::ProgressBar(Texture* t, int32_t backgroundSkin, int32_t barSkin) : texture(t), barSkinIndex(barSkin) {
    ZUB_ASSERT(texture != nullptr);
    Quad* barSource = texture->getSkin(barSkinIndex);
    ZUB_ASSERT(barSource != nullptr);
    if (backgroundSkin >= 0) {
        Quad* background = texture->getSkin(backgroundSkin);
        ZUB_ASSERT(background != nullptr);
        setSkin(background);
    }
    bNoCulling = 1;

    barQuad = new Quad();
    barQuad->setTexture(texture);
    barQuad->getAnchorPoint(4);
    bar.bOwnsSkin = 1;
    bar.bNoCulling = 1;
    bar.setSkin(barQuad);
    bar.setPosition(-barSource->width / 2, 0.0f, 0.0f);
    setProgress(0.0f);
}

ProgressBar::~ProgressBar() = default;

void ProgressBar::setProgress(float v) {
    value = std::clamp(v, 0.0f, 1.0f);
    if (!(value == value)) value = 0.0f;  // not a number
    const Quad* source = texture->getSkin(barSkinIndex);
    barQuad->setTexCoords(source->u0, source->v0, source->u0 + (source->u1 - source->u0) * value, source->v1);
    barQuad->getAnchorPoint(4);
    onTransformChanged();
}

void ProgressBar::onTransformChanged() {
    Renderable::onTransformChanged();
    bar.setParentMatrix(worldMatrix);
}

void ProgressBar::render() {
    if (bHidden) return;
    Renderable::render();
    bar.color = color;
    bar.render();
}
