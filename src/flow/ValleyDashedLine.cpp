#include "flow/ValleyDashedLine.h"

#include <algorithm>
#include <cmath>

#include "flow/BezierPathSimple.h"
#include "flow/GameServices.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"

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
    for (int i = 0; i < 2 * m; ++i) {
        const int j = i / 2;
        const float s = std::min(static_cast<float>(j) * PAIR_STEP, l);
        V3 p;
        float theta = 0.0f;
        path.evaluateL(p, s, &theta);
        const float a = (i % 2 == 0) ? theta + kPi / 2.0f : theta - kPi / 2.0f;
        vb.set(i, p.x + w * std::cos(a), p.y + w * std::sin(a), p.z, COLOUR, s / tw, (i % 2 == 0) ? 0.0f : h / th);
    }
    if (vb.size() > 0) vb.upload();
}
