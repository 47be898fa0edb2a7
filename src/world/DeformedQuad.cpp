#include "world/DeformedQuad.h"

#include <algorithm>
#include <cmath>

#include "world/BezierPath.h"

DeformedQuad::DeformedQuad(BezierPath* path) : pPath(path) {
    vb.setSize(16);
    primitiveType = VertexBuffer::TRIANGLE_STRIP;
}

DeformedQuad::~DeformedQuad() = default;

void DeformedQuad::refresh() {
    computeSize();
    vb.setSize(2 * pairCount());
    primitiveType = VertexBuffer::TRIANGLE_STRIP;
}

void DeformedQuad::setReference(Quad* quad) {
    pRefQuad = quad;
    texture = quad ? quad->texture : nullptr;
    refresh();
    if (quad) {
        u0 = quad->u0;
        v0 = quad->v0;
        u1 = quad->u1;
        v1 = quad->v1;
    }
    refresh();
    const int n = pairCount();
    if (n < 1) {
        buildSegments();
        return;
    }
    const float pathLength = pPath ? pPath->totalLength : 0.0f;
    const float quadWidth = quad && quad->width != 0.0f ? quad->width : 1.0f;
    for (int i = 0; i < n; ++i) {
        const float t = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
        const float u = bSkinMap1to1 ? (pathLength / quadWidth) * (1.0f - t) : u1 + (u0 - u1) * t;
        Vertex& a = vb[2 * i];
        Vertex& b = vb[2 * i + 1];
        a.u = b.u = u;
        a.v = v0;
        b.v = v1;
        a.diffuse = b.diffuse = 0xFFFFFFFFu;
    }
    buildSegments();
}

void DeformedQuad::buildSegments() {
    if (!pRefQuad || !pPath || pPath->segments.isEmpty()) return;
    const int n = pairCount();
    if (n < 1) return;
    vb.setSize(2 * n);
    width = height = 0.0f;
    const float total = pPath->totalLength;
    const float refHeight = pRefQuad->height;
    for (int i = 0; i < n; ++i) {
        const float t = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
        const float f = ((1.0f - skinBulge) + skinBulge * std::sin(kPi * t)) * skinThicknessScale;
        V3 p;
        float angle = 0.0f;
        pPath->evaluateL(&p, total * t, &angle);
        const V3 e(std::cos(angle + kPi * 0.5f), std::sin(angle + kPi * 0.5f), 0.0f);
        const float thick = refHeight * f;
        const V3 a = p + e * (skinOffcenter * thick);
        const V3 b = p - e * ((1.0f - skinOffcenter) * thick);
        Vertex& va = vb[2 * i];
        Vertex& vbv = vb[2 * i + 1];
        va.x = a.x;
        va.y = a.y;
        va.z = a.z;
        vbv.x = b.x;
        vbv.y = b.y;
        vbv.z = b.z;
        width = std::max(width, std::fabs(p.x));
        height = std::max(height, std::fabs(p.y));
    }
    width += skinThicknessScale * refHeight * 0.5f;
    height += skinThicknessScale * refHeight * 0.5f;
    width *= 2.0f;
    height *= 2.0f;
    vb.upload();
}

bool DeformedQuad::isPointInside(float x, float y, float z) const {
    if (!Skin::isPointInside(x, y, z) || !pRefQuad) return false;
    const float r = pRefQuad->height * skinThicknessScale * 0.5f;
    const V3 p(x, y, z);
    for (int i = 0; i + 1 < vb.size(); i += 2) {
        const Vertex& a = vb[i];
        const Vertex& b = vb[i + 1];
        const V3 mid((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f);
        if (V3::isWithinDistance(mid, p, r)) return true;
    }
    return false;
}
