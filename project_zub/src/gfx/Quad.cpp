#include "gfx/Quad.h"

#include <cmath>

#include "gfx/Texture.h"

ZUB_IMPLEMENT_NAMED_CLASS(Quad, Skin, u"Quad")

Quad::Quad() { vb.setSize(4); }

Quad::Quad(Texture* t, int x, int y, int w, int h) {
    vb.setSize(4);
    texture = t;
    setRect(x, y, y + h, x + w);
}

void Quad::setTexture(Texture* t) {
    texture = t;
    refresh();
}

void Quad::setRect(int left, int top, int bottom, int right) {
    rectLeft = left;
    rectTop = top;
    rectBottom = bottom;
    rectRight = right;
    if (texture && texture->realWidth > 0 && texture->realHeight > 0) {
        const float rw = static_cast<float>(texture->realWidth);
        const float rh = static_cast<float>(texture->realHeight);
        u0 = static_cast<float>(left) / rw;
        u1 = static_cast<float>(right) / rw;
        v0 = static_cast<float>(top) / rh;
        v1 = static_cast<float>(bottom) / rh;
    }
    refresh();
}

void Quad::setTexCoords(float left, float top, float right, float bottom) {
    u0 = left;
    v0 = top;
    u1 = right;
    v1 = bottom;
    refresh();
}

bool Quad::computeSize() {
    if (!texture || texture->realWidth <= 0) return false;
    const float f = static_cast<float>(texture->hq2x > 0 ? texture->hq2x : 1);
    width = (u1 - u0) * static_cast<float>(texture->realWidth) / f;
    height = std::fabs(v0 - v1) * static_cast<float>(texture->realHeight) / f;
    return true;
}

void Quad::refresh() {
    computeSize();
    const float hw = width * 0.5f, hh = height * 0.5f;
    vb.setSize(4);
    vb.set(0, -hw, hh, 0.0f, 0xFFFFFFFF, u0, v0);
    vb.set(1, hw, hh, 0.0f, 0xFFFFFFFF, u1, v0);
    vb.set(2, -hw, -hh, 0.0f, 0xFFFFFFFF, u0, v1);
    vb.set(3, hw, -hh, 0.0f, 0xFFFFFFFF, u1, v1);
    primitiveType = VertexBuffer::TRIANGLE_STRIP;
    vb.upload();
}
