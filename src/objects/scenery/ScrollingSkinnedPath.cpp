#include "objects/scenery/ScrollingSkinnedPath.h"

#include <algorithm>
#include "gfx/Quad.h"
#include "object/Property.h"
#include "objects/ObjectClassIds.h"
#include "world/DeformedQuad.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(ScrollingSkinnedPath, SkinnedPath, object_ids::ScrollingSkinnedPath)

ScrollingSkinnedPath::ScrollingSkinnedPath() = default;

ScrollingSkinnedPath::~ScrollingSkinnedPath() = default;

void ScrollingSkinnedPath::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode() || !bLocal) return;
    DeformedQuad* q = band();
    if (!q || q->vb.size() < 1) return;
    float delta = static_cast<float>(scrollSpeed * dt);
    const float u0 = q->vb[0].u;
    if (u0 > 1.0f) delta -= 1.0f;
    if (u0 < -1.0f) delta += 1.0f;
    for (Vertex& v : q->vb.vertices) v.u += delta;
    q->vb.upload();
}

void ScrollingSkinnedPath::addPropertiesTo(PropertyContainer* c) {
    SkinnedPath::addPropertiesTo(c);
    c->add(new PropertyFloat(u"scrollSpeed", 0, &scrollSpeed),
           "texture widths the picture moves along the path per second");
}
