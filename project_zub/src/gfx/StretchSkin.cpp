#include "gfx/StretchSkin.h"

#include "gfx/Texture.h"

ZUB_IMPLEMENT_NAMED_CLASS(StretchSkin, Skin, u"StretchSkin")

StretchSkin::StretchSkin() { primitiveType = VertexBuffer::TRIANGLE_LIST; }

StretchSkin::StretchSkin(Skin* src) {
    primitiveType = VertexBuffer::TRIANGLE_LIST;
    setSource(src);
}

void StretchSkin::setSource(Skin* src) {
    source = src;
    if (src) {
        texture = src->texture;
        u0 = src->u0;
        v0 = src->v0;
        u1 = src->u1;
        v1 = src->v1;
        width = src->width;
        height = src->height;
    }
    refresh();
}

void StretchSkin::setBorders(int left, int top, int right, int bottom) {
    borderLeft = left < 0 ? 0 : left;
    borderTop = top < 0 ? 0 : top;
    borderRight = right < 0 ? 0 : right;
    borderBottom = bottom < 0 ? 0 : bottom;
    refresh();
}

void StretchSkin::setSize(float w, float h) {
    if (w > 0.0f) width = w;
    if (h > 0.0f) height = h;
    refresh();
}

void StretchSkin::refresh() {
    const float realW = texture && texture->realWidth > 0 ? static_cast<float>(texture->realWidth) : 1.0f;
    const float realH = texture && texture->realHeight > 0 ? static_cast<float>(texture->realHeight) : 1.0f;
    const float f = texture && texture->hq2x > 0 ? static_cast<float>(texture->hq2x) : 1.0f;

    // Design-unit insets, shrunk to fit.
    float l = static_cast<float>(borderLeft) / f, r = static_cast<float>(borderRight) / f;
    float t = static_cast<float>(borderTop) / f, b = static_cast<float>(borderBottom) / f;
    if (l + r > width && l + r > 0.0f) {
        const float k = width / (l + r);
        l *= k;
        r *= k;
    }
    if (t + b > height && t + b > 0.0f) {
        const float k = height / (t + b);
        t *= k;
        b *= k;
    }
    const float hw = width * 0.5f, hh = height * 0.5f;
    const float xs[4] = {-hw, -hw + l, hw - r, hw};
    const float ys[4] = {hh, hh - t, -hh + b, -hh};  // top to bottom
    const float us[4] = {u0, u0 + static_cast<float>(borderLeft) / realW, u1 - static_cast<float>(borderRight) / realW,
                         u1};
    const float vs[4] = {v0, v0 + static_cast<float>(borderTop) / realH, v1 - static_cast<float>(borderBottom) / realH,
                         v1};
    vb.setSize(54);
    int n = 0;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const float xa = xs[col], xb = xs[col + 1], ya = ys[row], yb = ys[row + 1];
            const float ua = us[col], ub = us[col + 1], va = vs[row], vb2 = vs[row + 1];
            vb.set(n++, xa, ya, 0.0f, 0xFFFFFFFF, ua, va);
            vb.set(n++, xb, ya, 0.0f, 0xFFFFFFFF, ub, va);
            vb.set(n++, xa, yb, 0.0f, 0xFFFFFFFF, ua, vb2);
            vb.set(n++, xb, ya, 0.0f, 0xFFFFFFFF, ub, va);
            vb.set(n++, xb, yb, 0.0f, 0xFFFFFFFF, ub, vb2);
            vb.set(n++, xa, yb, 0.0f, 0xFFFFFFFF, ua, vb2);
        }
    }
    primitiveType = VertexBuffer::TRIANGLE_LIST;
    vb.upload();
}
