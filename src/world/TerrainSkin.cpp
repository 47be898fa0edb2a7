#include "world/TerrainSkin.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gfx/Context.h"
#include "gfx/Quad.h"
#include "gfx/Renderable.h"
#include "gfx/Texture.h"
#include "sys/ErrorManager.h"
#include "world/Terrain.h"

namespace {

// The texture's width in design units (its pixels before the hq2x scaling):
// the distance after which it repeats.
float textureRepeat(const Quad* ref) {
    if (ref->texture && ref->texture->realWidth > 0)
        return static_cast<float>(ref->texture->realWidth) / static_cast<float>(std::max(ref->texture->hq2x, 1));
    return ref->width > 0.0f ? ref->width : 1.0f;
}

}  // namespace

TerrainSkin::TerrainSkin(TerrainSkinSource* owner) : pTerrainDeco(owner) {
    primitiveType = VertexBuffer::TRIANGLE_STRIP;
}

TerrainSkin::~TerrainSkin() = default;

void TerrainSkin::refresh() {
    const TerrainSkinSource* deco = pTerrainDeco;
    ZUB_ASSERT(pTerrainDeco->skinSegments > 0);
    // A loaded count is bounded like the terrain's own.
    const int n = std::min(deco->skinSegments, Terrain::kMaxPoints);
    const Terrain* terrain = deco->pTerrain;
    const Quad* ref = deco->pSkinRefQuad;
    const int points = terrain ? terrain->pointCount() : 0;
    if (!ref || points < 1) {
        // Nothing to lay the band on.
        vb.setSize(0);
        width = height = 0.0f;
        return;
    }
    texture = ref->texture;
    vb.setSize(2 * n);
    const int flags = deco->skinFlags;
    const int row = (flags & TerrainSkinSource::BOTTOM_ROW) ? 1 : 0;
    const int q = n / 4;
    const float repeat = textureRepeat(ref);
    const float w = static_cast<float>(terrain->segmentWidth);
    V3 nudge0;
    for (int i = 0; i < n; ++i) {
        const int64_t s = static_cast<int64_t>(deco->skinStartingSegment) + i;
        const size_t j = static_cast<size_t>(std::clamp<int64_t>(s, 0, points - 1));
        const float h = terrain->heights[row][j];
        const V3 d = (flags & TerrainSkinSource::UPRIGHT) ? V3(0.0f, 1.0f, 0.0f) : terrain->normals[row][j];
        V3 a(static_cast<float>(s) * w, 0.0f, 0.0f);
        V3 b = a;
        const float u = (flags & TerrainSkinSource::U_FROM_START)
                            ? w * static_cast<float>(i) / repeat / deco->skinTexScale.x
                            : a.x / repeat / deco->skinTexScale.x;
        float va = ref->v1, vbv = ref->v0;
        const float t = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
        float f = 1.0f;
        const bool rising = flags & TerrainSkinSource::RISING, falling = flags & TerrainSkinSource::FALLING;
        if (rising && falling) f = std::sin(kPi * t);
        else if (rising) f = std::sin(kPi * 0.5f * t);
        else if (falling) f = std::sin(kPi * 0.5f * t + kPi * 0.5f);
        if ((flags & TerrainSkinSource::FADE_IN) && i < q)
            f = std::sin(kPi * 0.5f * static_cast<float>(i) / static_cast<float>(q));
        if ((flags & TerrainSkinSource::FADE_OUT) && i > n - q - 1) {
            const int from = n - q - 1, to = n - 1;
            const float uf = to != from ? static_cast<float>(i - from) / static_cast<float>(to - from) : 0.0f;
            f = 1.0f - uf * uf;
        }
        const float bandHeight = ref->height * deco->skinTexScale.y;
        float thickness = bandHeight * f;
        // Earth that repeats straight down the span takes its texture from
        // the height.
        bool byHeight = false;
        if (flags & TerrainSkinSource::FLIP) {
            thickness = -thickness;
            std::swap(va, vbv);
            if (flags & TerrainSkinSource::SPAN_ROWS) {
                thickness = -std::fabs(terrain->heights[0][j] - terrain->heights[1][j]);
                const bool repeating = (flags & TerrainSkinSource::SCALE_FAR_V) && bandHeight != 0.0f;
                // Laid along the normal, the far side lies the span away but
                // less than the span lower: its v counts the span.
                byHeight = repeating && (flags & TerrainSkinSource::UPRIGHT);
                vbv = repeating ? std::fabs(thickness) / bandHeight : ref->v1;
            }
        }
        b += d * thickness;
        a.y += h;
        b.y += h;
        const float nudge = deco->skinNudge.y * f + deco->skinNudgeAbs.y;
        a += d * nudge;
        b += d * nudge;
        if (i == 0) nudge0 = d * nudge;
        if (byHeight) {
            // One repeat every bandHeight units downward from the terrain's
            // height 0: the same texture row at the same height in every
            // pair, so the repeats lie level and a pair far below its
            // neighbour (under a steep wall) shears nothing. Straight down,
            // the far side's v still lies the span further on.
            va = ref->v0 - a.y / bandHeight;
            vbv = ref->v0 - b.y / bandHeight;
        }
        vb.set(2 * i, a.x, a.y, a.z, 0xFFFFFFFFu, u, va);
        vb.set(2 * i + 1, b.x, b.y, b.z, 0xFFFFFFFFu, u, vbv);
    }
    float minX = 99999.0f, maxX = -99999.0f, minY = 99999.0f, maxY = -99999.0f;
    for (const Vertex& v : vb.vertices) {
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y);
        maxY = std::max(maxY, v.y);
    }
    width = maxX - minX;
    height = maxY - minY;
    const float cx = (minX + maxX) * 0.5f, cy = (minY + maxY) * 0.5f;
    for (Vertex& v : vb.vertices) {
        v.x -= cx;
        v.y -= cy;
    }
    vb.upload();
    anchor = V3(vb[0].x, vb[0].y, vb[0].z) - nudge0;
}

bool TerrainSkin::visiblePairs(float left, float right, int* first, int* last) const {
    const int n = vb.size() / 2;
    const Terrain* terrain = pTerrainDeco->pTerrain;
    if (n < 1 || !terrain) return false;
    const int start = pTerrainDeco->skinStartingSegment;
    *first = std::max(terrain->getSegmentIndex(left) - 1 - 3 - start, 0);
    *last = std::min(terrain->getSegmentIndex(right) + 1 + 3 - start, n - 1);
    return *first <= *last;
}

void TerrainSkin::draw(Renderable* carrier) {
    const Quad* ref = pTerrainDeco->pSkinRefQuad;
    if (!ref || vb.size() < 2) return;
    int first = 0, last = vb.size() / 2 - 1;
    const Context* ctx = Context::environment.current;
    if (ctx && ctx->camera) {
        const ViewRect view = ctx->camera->getViewRect(0.0f);
        if (!visiblePairs(view.left, view.right, &first, &last)) return;
    }
    applyCarrier(carrier);
    vb.draw(ref->texture, VertexBuffer::TRIANGLE_STRIP, 2 * first, 2 * (last - first) + 2);
}

void TerrainSkin::getHeightsAt(float x, float* outA, float* outB) const {
    const int n = vb.size() / 2;
    if (n < 2) {
        // One pair (or none): its heights.
        if (outA) *outA = n == 1 ? vb[0].y : 0.0f;
        if (outB) *outB = n == 1 ? vb[1].y : 0.0f;
        return;
    }
    const float x0 = vb[0].x, xn = vb[2 * (n - 1)].x;
    const float t = xn != x0 ? (x - x0) / (xn - x0) : 0.0f;
    const float fi = static_cast<float>(n - 1) * t;
    int i = std::isfinite(fi) ? static_cast<int>(std::clamp(fi, -1.0f, static_cast<float>(n))) : 0;
    i = std::clamp(i, 0, n - 2);
    const Vertex& a0 = vb[2 * i];
    const Vertex& a1 = vb[2 * (i + 1)];
    float u = a1.x != a0.x ? (x - a0.x) / (a1.x - a0.x) : 0.0f;
    u = clampf(u, 0.0f, 1.0f);
    if (outA) *outA = a0.y + (a1.y - a0.y) * u;
    if (outB) *outB = vb[2 * i + 1].y + (vb[2 * i + 3].y - vb[2 * i + 1].y) * u;
}

bool TerrainSkin::isPointInside(float x, float y, float z) const {
    if (!Skin::isPointInside(x, y, z)) return false;
    float a = 0.0f, b = 0.0f;
    getHeightsAt(x, &a, &b);
    const float lower = std::min(a, b), higher = std::max(a, b);
    return lower < y && y <= higher;
}
