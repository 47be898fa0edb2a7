#include "world/EditorGizmos.h"

#include <cmath>

#include "gfx/Renderable.h"
#include "gfx/Skin.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"

namespace {

void drawTemporary(Skin* skin, const V3& at, float angle, const V3& scale, uint32_t color) {
    if (!skin) return;
    Renderable r;
    r.pSkin = skin;
    r.position = at;
    r.rotation = V3(0.0f, 0.0f, angle);
    r.scale = scale;
    r.color = color;
    r.bNoCulling = 1;
    r.onTransformChanged();
    r.renderSelf();
}

}  // namespace

void drawEditorArrow(const V3& from, const V3& to, uint32_t color) {
    Skin* skin = findResource<Skin>(u"editor_arrow:0");
    const float dx = to.x - from.x, dy = to.y - from.y;
    const float length = V3::distance(from, to);
    const float w = skin->width != 0.0f ? skin->width : 1.0f;
    drawTemporary(skin, (from + to) * 0.5f, std::atan2(dy, dx), V3(length / w, 1.0f, 1.0f), color);
}

void drawEditorCircle(float x, float y, float z, float radius, uint32_t color) {
    Skin* skin = findResource<Skin>(u"editor_circle:0");
    const float w = skin->width != 0.0f ? skin->width : 1.0f;
    const float s = 2.0f * radius / w;
    drawTemporary(skin, V3(x, y, z), 0.0f, V3(s, s, 1.0f), color);
}

void drawEditorSymbol(Skin* skin, const V3& at, uint32_t color) {
    drawTemporary(skin, at, 0.0f, V3(1.0f, 1.0f, 1.0f), color);
}

uint32_t scaleColor(uint32_t argb, float factor) {
    uint32_t out = argb & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const float c = static_cast<float>((argb >> shift) & 0xFFu) * factor;
        uint32_t v = c <= 0.0f ? 0u : c >= 255.0f ? 255u : static_cast<uint32_t>(c);
        out |= v << shift;
    }
    return out;
}
