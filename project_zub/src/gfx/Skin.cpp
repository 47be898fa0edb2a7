#include "gfx/Skin.h"

#include "gfx/Quad.h"
#include "gfx/Renderable.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS(Skin, ZubBase, u"Skin")

Skin::Skin() = default;
Skin::~Skin() = default;

void Skin::applyCarrier(Renderable* carrier) {
    ZubGraphics* g = ZubGraphics::active();
    platform::RenderDevice* d = g ? g->device() : nullptr;
    if (!d) return;
    if (carrier) {
        d->setTransform(platform::TransformSlot::World, carrier->worldMatrix);
        d->setModulateColor(carrier->color);
    } else {
        d->setTransform(platform::TransformSlot::World, M44::identity());
        d->setModulateColor(0xFFFFFFFF);
    }
}

void Skin::draw(Renderable* carrier) {
    if (vb.size() == 0) return;
    applyCarrier(carrier);
    vb.draw(texture, primitiveType);
}

bool Skin::isPointInside(float x, float y, float) const {
    const float hw = width * 0.5f, hh = height * 0.5f;
    return x >= -hw && x < hw && y >= -hh && y < hh;
}

V3 Skin::anchorOffset(int index, float w, float h) {
    if (index == 0) index = 5;
    ZUB_ASSERT(index >= 1 && index <= 9);
    const int column = (index - 1) % 3;  // 0 left, 1 middle, 2 right
    const int row = (index - 1) / 3;     // 0 bottom, 1 middle, 2 top
    return V3(static_cast<float>(column - 1) * w * 0.5f, static_cast<float>(row - 1) * h * 0.5f, 0.0f);
}

void Skin::getAnchorPoint(int index) { origin = anchorOffset(index, width, height) + originAdjust; }

int Skin::getFrameCount() const {
    Texture* sheet = getSheet();
    return sheet ? sheet->getSkinCount() : 1;
}

Skin* Skin::getFrame(int n) const {
    Texture* sheet = getSheet();
    return sheet ? sheet->getSkin(n) : nullptr;
}
