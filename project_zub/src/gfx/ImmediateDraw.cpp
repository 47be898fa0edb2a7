#include "gfx/ImmediateDraw.h"

#include "gfx/Skin.h"
#include "gfx/VertexBuffer.h"

namespace {
VertexBuffer& lines() {
    static VertexBuffer buffer;
    return buffer;
}
}  // namespace

void drawLine(const V3& p0, const V3& p1, uint32_t c0, uint32_t c1) {
    VertexBuffer& vb = lines();
    vb.setSize(2);
    vb.set(0, p0.x, p0.y, p0.z, c0, 0.0f, 0.0f);
    vb.set(1, p1.x, p1.y, p1.z, c1, 0.0f, 0.0f);
    vb.upload();
    Skin::applyCarrier(nullptr);
    vb.draw(nullptr, VertexBuffer::LINE_LIST);
}

void drawRectOutline(float left, float top, float right, float bottom, uint32_t color, float z) {
    VertexBuffer& vb = lines();
    vb.setSize(5);
    vb.set(0, left, top, z, color, 0.0f, 0.0f);
    vb.set(1, right, top, z, color, 0.0f, 0.0f);
    vb.set(2, right, bottom, z, color, 0.0f, 0.0f);
    vb.set(3, left, bottom, z, color, 0.0f, 0.0f);
    vb.set(4, left, top, z, color, 0.0f, 0.0f);
    vb.upload();
    Skin::applyCarrier(nullptr);
    vb.draw(nullptr, VertexBuffer::LINE_STRIP);
}
