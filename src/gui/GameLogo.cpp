#include "gui/GameLogo.h"

#include <algorithm>

#include "gui/GuiClassIds.h"
#include "object/ResourceLookup.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(GameLogo, FadingSprite, gui_ids::GameLogo)

GameLogo::GameLogo(int32_t) {
    layer.setSkin(findResource<Skin>(u"logo:0"));
    onTransformChanged();
}

GameLogo::~GameLogo() = default;

void GameLogo::tick(double time, double dt) {
    FadingSprite::tick(time, dt);
    layer.color = color;
    secondLayer.color = color;
    const double s = std::clamp(timeInState - 2.0, 0.0, 1.0);
    secondLayer.setScaleV(V3(1.0f, static_cast<float>(1.0 - (1.0 - s) * (1.0 - s)), 1.0f));
}

void GameLogo::renderSelf() {
    if (!isShowing()) return;
    applyFade(color);
    if ((color >> 24) == 0) return;
    layer.color = color;
    layer.render();
    if (bSecondLayer) {
        secondLayer.color = color;
        secondLayer.render();
    }
}

void GameLogo::onTransformChanged() {
    Renderable::onTransformChanged();
    layer.setParentMatrix(worldMatrix);
    secondLayer.setParentMatrix(worldMatrix);
}
