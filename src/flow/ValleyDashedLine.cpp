#include "flow/ValleyDashedLine.h"

#include <algorithm>
#include <cmath>

#include "flow/BezierPathSimple.h"
#include "flow/GameServices.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "object/ResourceLookup.h"

ValleyDashedLine::ValleyDashedLine() : strip(new Quad) {
    strip->texture = findResource<Texture>(u"valleyDashedLine");
    strip->primitiveType = VertexBuffer::TRIANGLE_STRIP;
    strip->vb.setSize(0);
    pSkin = strip;
    bOwnsSkin = 1;
    bNoCulling = 1;
    onTransformChanged();
}

ValleyDashedLine::~ValleyDashedLine() = default;

void ValleyDashedLine::build(const BezierPathSimple& path, float length) {
    const float l = length > 0.0f ? length : 0.0f;
    const Texture* t = strip->texture;
    const Quad* dash = t->getSkin(0);
    // The texture's size in design units (texture pixels over the hq2x
    // factor), as the skin sizes are.
    const float hq = static_cast<float>(t->hq2x > 0 ? t->hq2x : 1);
    const float tw = static_cast<float>(t->realWidth) / hq;
    const float th = static_cast<float>(t->realHeight) / hq;
    const float h = dash ? dash->height : 0.0f;
    const float w = 0.5f * h;
    // A road too long to count in pairs is not one the map can hold.
    const float pairs = std::min(l / PAIR_STEP + 2.0f, 1.0e6f);
    const int m = static_cast<int>(pairs);
    VertexBuffer& vb = strip->vb;
    vb.setSize(2 * m);
    if (path.segments.isEmpty() || tw <= 0.0f || th <= 0.0f) {
        vb.setSize(0);
        return;
    }
    // Each pair: one point of the road, a vertex on either side of it.
    for (int j = 0; j < m; ++j) {
        const float s = std::min(static_cast<float>(j) * PAIR_STEP, l);
        V3 p;
        float theta = 0.0f;
        path.evaluateL(p, s, &theta);
        const float left = theta + kPi / 2.0f;
        const float right = theta - kPi / 2.0f;
        vb.set(2 * j, p.x + w * std::cos(left), p.y + w * std::sin(left), p.z, COLOUR, s / tw, 0.0f);
        vb.set(2 * j + 1, p.x + w * std::cos(right), p.y + w * std::sin(right), p.z, COLOUR, s / tw, h / th);
    }
    if (vb.size() > 0) vb.upload();
}
