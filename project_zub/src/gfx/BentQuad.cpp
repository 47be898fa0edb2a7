#include "gfx/BentQuad.h"

#include <cmath>
#include <utility>

#include "gfx/Texture.h"

ZUB_IMPLEMENT_NAMED_CLASS(BentQuad, Quad, u"BentQuad")

BentQuad::BentQuad() { refresh(); }

void BentQuad::setBend(float b) {
    if (std::fabs(b) < MIN_BEND || !std::isfinite(b)) b = 0.0f;
    if (b == bend) return;
    bend = b;
    refresh();
}

void BentQuad::setSegments(int n) {
    segments = n < 1 ? 1 : n;
    refresh();
}

void BentQuad::refresh() {
    if (computeSize() && bRotate) std::swap(width, height);
    if (segments < 1) segments = 1;
    ++rebuilds;
    const float length = width, half = height * 0.5f;
    vb.setSize(2 * (segments + 1));
    for (int i = 0; i <= segments; ++i) {
        const float s = static_cast<float>(i) / static_cast<float>(segments);
        float px, py, nx, ny;
        if (bend == 0.0f) {
            px = -length * 0.5f + length * s;
            py = 0.0f;
            nx = 0.0f;
            ny = 1.0f;
        } else {
            const float theta = bend * s;
            const float radius = length / bend;
            px = -length * 0.5f + radius * std::sin(theta);
            py = radius * (1.0f - std::cos(theta));
            nx = -std::sin(theta);
            ny = std::cos(theta);
        }
        // Texture coordinates of the +y side (A) and the -y side (B).
        float ua, va, ub, vb_;
        if (bRotate) {
            const float v = v1 + (v0 - v1) * s;
            ua = u0;
            ub = u1;
            va = vb_ = v;
        } else {
            const float u = u0 + (u1 - u0) * s;
            ua = ub = u;
            va = v0;
            vb_ = v1;
        }
        vb.set(2 * i, px + nx * half, py + ny * half, 0.0f, 0xFFFFFFFF, ua, va);
        vb.set(2 * i + 1, px - nx * half, py - ny * half, 0.0f, 0xFFFFFFFF, ub, vb_);
    }
    primitiveType = VertexBuffer::TRIANGLE_STRIP;
    vb.upload();
}
