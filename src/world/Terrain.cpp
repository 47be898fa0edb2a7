#include "world/Terrain.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "engine/FocusManager.h"
#include "gfx/Context.h"
#include "gfx/Skin.h"
#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "object/Packet.h"
#include "object/PropertyArray.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "world/EditorGizmos.h"
#include "world/GameWorld.h"
#include "world/Hull.h"
#include "world/HullSegment.h"
#include "world/HullVertex.h"
#include "world/WorldClassIds.h"
#include "world/WorldEditorPanel.h"

using namespace input_codes;

ZUB_IMPLEMENT_CLASS(Terrain, A99Object, world_ids::Terrain)
ZUB_IMPLEMENT_CLASS(RPCTerrainConstruct, RPC, world_ids::RPCTerrainConstruct)

namespace {
constexpr int32_t kEmptyFirst = 999999;
constexpr int32_t kEmptyLast = -1;
}  // namespace

void RPCTerrainConstruct::addPropertiesTo(Property* c) {
    c->add(new PropertyInt(u"", PROP_ARGUMENT, &segments), "how many points its ground line has");
    c->add(new PropertyInt(u"", PROP_ARGUMENT, &segmentWidth), "the distance between two of its points");
}

void RPCTerrainConstruct::execute() {
    if (Terrain* t = zub_cast<Terrain>(target)) t->local_construct(segments, segmentWidth);
}

Terrain::Terrain() {
    material = MAT_SNOW;
    // getSegmentIndex maps through the inverse transform.
    bHasInvXform = 1;
}

Terrain::~Terrain() = default;

int Terrain::pointCount() const {
    size_t n = segments > 0 ? static_cast<size_t>(segments) : 0;
    for (int r = 0; r < 2; ++r) {
        n = std::min(n, heights[r].size());
        n = std::min(n, normals[r].size());
        n = std::min(n, headings[r].size());
    }
    return static_cast<int>(n);
}

// ---------------------------------------------------------------------------
// Construction

void Terrain::construct(int n, int width) {
    RPCTerrainConstruct rpc;
    rpc.target = this;
    rpc.segments = n;
    rpc.segmentWidth = width;
    rpc.call();
}

void Terrain::local_construct(int n, int width) {
    EditorObject::local_construct();
    n = std::clamp(n, 0, kMaxPoints);
    width = std::clamp(width, 0, kMaxSegmentWidth);
    segments = n;
    segmentWidth = width;
    totalWidth = static_cast<float>(static_cast<int64_t>(n > 0 ? n - 1 : 0) * width);
    for (int r = 0; r < 2; ++r) {
        heights[r].assign(static_cast<size_t>(n), r == 0 ? 256.0f : 0.0f);
        normals[r].assign(static_cast<size_t>(n), r == 0 ? V3(0.0f, 1.0f, 0.0f) : V3(0.0f, -1.0f, 0.0f));
        headings[r].assign(static_cast<size_t>(n), r == 0 ? kPi * 0.5f : -kPi * 0.5f);
    }
    // A second construct starts the hull over rather than appending to it.
    if (Hull* old = getHull()) old->clearParts();
    // The first shape goes into the arrays before the hull is built through
    // them, so that each vertex is placed once where it ends up: the same
    // hull as building it flat and then setting each point's heights, in
    // linear time.
    for (int i = 0; i < n; ++i) {
        const float t = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
        const float top = 400.0f + 300.0f * std::cos(kTwoPi * t);
        storeHeights(i, top, kKeep);
    }
    createHull();
    Hull* hull = getHull();
    if (hull) hull->bEvenlySpaced = true;
    HullVertex* previous = nullptr;
    for (int i = 0; i < n && hull; ++i) {
        ZUB_ASSERT(THEROLE != NULL);
        ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
        HullVertex* v = new HullVertex();
        THEROLE->registerObject(v, 0);
        getHeightPoint(&v->vertex, 0, i);
        v->notifyReferrers();
        hull->appendVertex(v);
        if (previous) {
            ZUB_ASSERT(THEROLE != NULL);
            ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
            HullSegment* s = new HullSegment();
            THEROLE->registerObject(s, 0);
            s->setup(hull, previous, v);
            s->netCallPostReplicate();
            s->netCallPostReplicateGlobal();
            hull->addSegment(s);
        }
        previous = v;
    }
    // Each vertex was appended where it stays: the hull's radius is already
    // the largest of theirs.
    if (n > 0) finishHeights(0, n - 1, false);
    sendEvent(EVENT_CHANGED, this, this);
}

// ---------------------------------------------------------------------------
// Heights

void Terrain::recomputeTotalHeight() {
    const int n = pointCount();
    float maxTop = -999999.0f, minBottom = 999999.0f;
    for (int i = 0; i < n; ++i) {
        maxTop = std::max(maxTop, heights[0][static_cast<size_t>(i)]);
        minBottom = std::min(minBottom, heights[1][static_cast<size_t>(i)]);
    }
    totalHeight = maxTop - minBottom > maxTop ? maxTop - minBottom : maxTop;
}

bool Terrain::storeHeights(int index, float top, float bottom) {
    const int n = pointCount();
    if (n <= 0) return false;
    index = std::clamp(index, 0, n - 1);
    const size_t i = static_cast<size_t>(index);
    if (top == kKeep) top = heights[0][i];
    if (bottom == kKeep) bottom = heights[1][i];
    heights[0][i] = top;
    heights[1][i] = bottom <= top ? bottom : top;
    Hull* hull = getHull();
    HullVertex* v = hull ? hull->vertexAt(index) : nullptr;
    if (!v) return false;
    getHeightPoint(&v->vertex, 0, index);
    v->notifyReferrers();
    return true;
}

void Terrain::finishHeights(int first, int last, bool hullMoved) {
    // A point's normal depends on its neighbours' heights: measured once
    // they all stand.
    for (int i = std::max(first, 0) - 1; i <= last + 1; ++i) updateNormal(i);
    recomputeTotalHeight();
    if (Hull* hull = getHull(); hull && hullMoved) hull->recomputeBoundingRadius();
}

void Terrain::setHeights(int index, float top, float bottom) {
    const int n = pointCount();
    if (n <= 0) return;
    index = std::clamp(index, 0, n - 1);
    const bool moved = storeHeights(index, top, bottom);
    finishHeights(index, index, false);  // the radius as below, cheaper for one vertex
    if (!moved) return;
    // One vertex moved: the radius grows to it, or is measured again when
    // it may have shrunk.
    Hull* hull = getHull();
    const float r = hull->vertexAt(index)->vertex.length();
    if (r > hull->boundingRadius) {
        hull->boundingRadius = r;
        hull->reachChanged();
    } else {
        hull->recomputeBoundingRadius();
    }
}

void Terrain::updateNormal(int i) {
    const int n = pointCount();
    if (n <= 0) return;
    i = std::clamp(i, 0, n - 1);
    const float run = 2.0f * static_cast<float>(segmentWidth);
    for (int r = 0; r < 2; ++r) {
        const std::vector<float>& h = heights[r];
        const float dy = h[static_cast<size_t>(std::min(i + 1, n - 1))] - h[static_cast<size_t>(std::max(i - 1, 0))];
        normals[r][static_cast<size_t>(i)] = V3(-dy, run, 0.0f).normalized();
        headings[r][static_cast<size_t>(i)] = std::atan2(dy, run);
    }
}

// Index -k lies k widths left of point 0; index `segments` has the x of the
// last point and index segments + k lies k widths right of it. The integer
// products are taken in 64 bits: a loaded count or spacing may be anything.
V3* Terrain::getHeightPoint(V3* out, int row, int index) const {
    const int n = pointCount();
    row = row == 1 ? 1 : 0;
    const int j = n > 0 ? std::clamp(index, 0, n - 1) : 0;
    const int64_t width = segmentWidth;
    float x = static_cast<float>(width * j) - totalWidth * 0.5f;
    if (index < 0) x -= static_cast<float>(-static_cast<int64_t>(index)) * static_cast<float>(segmentWidth);
    if (index >= segments)
        x += static_cast<float>(static_cast<int64_t>(index) - segments) * static_cast<float>(segmentWidth);
    const float y = n > 0 ? heights[row][static_cast<size_t>(j)] : 0.0f;
    *out = V3(x, y, 0.0f);
    return out;
}

void Terrain::getSurfaceAt(float worldX, float* outHeight, float* outHeading) const {
    const int n = pointCount();
    if (n < 2) {
        // Too few points for a slope.
        if (outHeight) *outHeight = (n == 1 ? heights[0][0] : 0.0f) + position.y;
        if (outHeading) *outHeading = 0.0f;
        return;
    }
    const float lx = worldX - position.x;
    const float t = totalWidth != 0.0f ? (lx + totalWidth * 0.5f) / totalWidth : 0.0f;
    const float f = static_cast<float>(n - 1) * t;
    int i = std::isfinite(f) ? static_cast<int>(std::clamp(f, -1.0f, static_cast<float>(n))) : 0;
    i = std::clamp(i, 0, n - 2);
    V3 p0, p1;
    getHeightPoint(&p0, 0, i);
    getHeightPoint(&p1, 0, i + 1);
    float u = p1.x != p0.x ? (lx - p0.x) / (p1.x - p0.x) : 0.0f;
    u = clampf(u, 0.0f, 1.0f);
    const float h0 = heights[0][static_cast<size_t>(i)], h1 = heights[0][static_cast<size_t>(i + 1)];
    if (outHeight) *outHeight = h0 + (h1 - h0) * u + position.y;
    if (outHeading)
        *outHeading = lerpAngleSigned(headings[0][static_cast<size_t>(i)], headings[0][static_cast<size_t>(i + 1)], u);
}

int Terrain::getSegmentIndex(float worldX) const {
    V3 local;
    world2local(local, V3(worldX, 0.0f, 0.0f));
    return getIndexAtLocalX(local.x);
}

void Terrain::getIndexRangeMapped(const V3& p, float reach, int* first, int* last) const {
    // The local x is affine in the world point, so over the square it is
    // extreme at corners.
    const float(&m)[4][4] = invWorldMatrix.m;
    if (bInvValid && !movedThisFrame() && m[0][3] == 0.0f && m[1][3] == 0.0f && m[2][3] == 0.0f && m[3][3] == 1.0f) {
        // In place and affine, with a corner that is not finite (see
        // getIndexRange): mapped as world2local maps.
        const float dx = m[0][0] < 0.0f ? -reach : reach, dy = m[1][0] < 0.0f ? -reach : reach;
        auto localX = [&m](float x, float y) {
            const float rx = x * m[0][0] + y * m[1][0] + 0.0f * m[2][0] + m[3][0];
            const float rw = x * m[0][3] + y * m[1][3] + 0.0f * m[2][3] + m[3][3];
            return rw == 0.0f || rw == 1.0f ? rx : rx / rw;
        };
        const IndexScale scale = indexScale();
        *first = scale.at(localX(p.x - dx, p.y - dy));
        *last = scale.at(localX(p.x + dx, p.y + dy));
        return;
    }
    int lo = INT_MAX, hi = INT_MIN;
    const bool moved = movedThisFrame();
    for (int k = 0; k < 4; ++k) {
        const V3 w(k & 1 ? p.x + reach : p.x - reach, k & 2 ? p.y + reach : p.y - reach, 0.0f);
        V3 local;
        world2local(local, w);
        int i = getIndexAtLocalX(local.x);
        lo = std::min(lo, i);
        hi = std::max(hi, i);
        if (moved) {
            world2localOld(local, w);
            i = getIndexAtLocalX(local.x);
            lo = std::min(lo, i);
            hi = std::max(hi, i);
        }
    }
    *first = lo;
    *last = hi;
}

// ---------------------------------------------------------------------------
// Editor

bool Terrain::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_FOCUS_GAINED) {
        editFirst[0] = editFirst[1] = kEmptyFirst;
        editLast[0] = editLast[1] = kEmptyLast;
        return A99Object::onEvent(ev);
    }
    if (!isEditorMode()) return A99Object::onEvent(ev);
    ZubInput* in = ZubInput::active();
    if (!in) return A99Object::onEvent(ev);
    const int mods = in->modifierState;
    if (ev.code == EVENT_MOUSE_MOVE && mods == 0) {
        const bool a = in->isKeyDown(KEY_A), z = in->isKeyDown(KEY_Z), d = in->isKeyDown(KEY_D);
        if (a || z || d) {
            paint(a, z, a || d, z || d);
            FocusManager::sendEvent(EVENT_CHANGED, this, this);
            return true;
        }
    }
    if (ev.code == EVENT_KEY) {
        if (in->isKeyDown(KEY_D) && mods == 1) {
            editFirst[0] = editFirst[1] = kEmptyFirst;
            editLast[0] = editLast[1] = kEmptyLast;
            return true;
        }
        if (in->getFirstNewlyPressedKey() == KEY_S) {
            smooth(mods == 2);
            FocusManager::sendEvent(EVENT_CHANGED, this, this);
            return true;
        }
    }
    return A99Object::onEvent(ev);
}

void Terrain::paint(bool top, bool bottom, bool mark0, bool mark1) {
    Context* ctx = owningContext();
    if (!ctx) return;
    V3 a, b;
    world2local(a, ctx->prevMousePosition);
    world2local(b, ctx->mousePosition);
    int i1 = getIndexAtLocalX(a.x), i2 = getIndexAtLocalX(b.x);
    float y1 = a.y, y2 = b.y;
    if (i1 > i2) {
        std::swap(i1, i2);
        std::swap(y1, y2);
    }
    if (mark0) {
        editFirst[0] = std::min(editFirst[0], i1);
        editLast[0] = std::max(editLast[0], i2);
    }
    if (mark1) {
        editFirst[1] = std::min(editFirst[1], i1);
        editLast[1] = std::max(editLast[1], i2);
    }
    if (!top && !bottom) return;
    bool moved = false;
    for (int i = i1; i <= i2; ++i) {
        const float y =
            i1 == i2 ? y1
                     : lerpMappedClamped(y1, y2, static_cast<float>(i1), static_cast<float>(i2), static_cast<float>(i));
        moved |= storeHeights(i, top ? y : kKeep, bottom ? y : kKeep);
    }
    if (pointCount() > 0) finishHeights(i1, i2, moved);
}

void Terrain::smooth(bool wholeStrip) {
    if (wholeStrip) {
        editFirst[0] = editFirst[1] = -1;
        editLast[0] = editLast[1] = 999999;
    }
    const int n = pointCount();
    // Point by point in ascending order (each sees its left neighbour
    // smoothed already), the totals once at the end.
    bool moved = false;
    for (int i = 1; i + 1 < n; ++i) {
        const size_t k = static_cast<size_t>(i);
        const float top = inEditRange(0, i) ? (heights[0][k - 1] + heights[0][k + 1]) * 0.5f : heights[0][k];
        const float bottom = inEditRange(1, i) ? (heights[1][k - 1] + heights[1][k + 1]) * 0.5f : heights[1][k];
        moved |= storeHeights(i, top, bottom);
    }
    if (n > 2) finishHeights(1, n - 2, moved);
    for (int r = 0; r < 2; ++r) {
        editFirst[r] -= 1;
        editLast[r] += 1;
    }
}

void Terrain::renderObject() {
    A99Object::renderObject();
    WorldEditorPanel* panel = activeEditorPanel();
    if (!panel || panel->bHideEditorViews) return;
    const int n = pointCount();
    if (n <= 0) return;
    outline.setSize(2 * n);
    for (int i = 0; i < n; ++i) {
        V3 p;
        getHeightPoint(&p, 0, i);
        outline.set(i, p.x, p.y, 0.0f, 0xFFFFFFFFu, 0.0f, 0.0f);
        getHeightPoint(&p, 1, n - 1 - i);
        outline.set(n + i, p.x, p.y, 0.0f, 0xFF808080u, 0.0f, 0.0f);
    }
    outline.upload();
    Skin::applyCarrier(this);
    outline.draw(nullptr, VertexBuffer::LINE_STRIP);
    if (panel->getEditedObject() != this) return;
    Skin* symbol = findResource<Skin>(u"editor_symbols:2");
    for (int r = 0; r < 2; ++r) {
        for (int i = 0; i < n; ++i) {
            V3 p, w;
            getHeightPoint(&p, r, i);
            localToWorld(w, p);
            drawEditorSymbol(symbol, w, inEditRange(r, i) ? 0xFFFF0000u : 0xFFFFFFFFu);
        }
    }
}

void Terrain::netSerialize(Packet& p) {
    A99Object::netSerialize(p);
    if (p.bWriting || p.failed()) return;
    if (segmentWidth < 0 || segmentWidth > kMaxSegmentWidth)
        p.fail(formatString(u"terrain spacing %d out of range", segmentWidth), "0 <= segmentWidth <= kMaxSegmentWidth",
               "Terrain::netSerialize");
}

void Terrain::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyInt(u"segments", PROP_READONLY, &segments),
           "how many points its ground line has (given by construct)");
    c->add(new PropertyInt(u"segmentWidth", PROP_READONLY, &segmentWidth),
           "the distance between two of its points (given by construct)");
    c->add(new PropertyArray<float>(u"heights[0]", 0, &heights[0], &segments),
           "the top row: each point's height (a 'terrain' block's ground line)");
    c->add(new PropertyArray<float>(u"heights[1]", 0, &heights[1], &segments),
           "the bottom row: each point's height (a 'terrain' block's depth)");
    c->add(new PropertyArray<V3>(u"normals[0]", 0, &normals[0], &segments),
           "each point's normal on the top row, from the heights");
    c->add(new PropertyArray<V3>(u"normals[1]", 0, &normals[1], &segments),
           "each point's normal on the bottom row, from the heights");
    c->add(new PropertyArray<float>(u"headings[0]", 0, &headings[0], &segments),
           "each point's slope angle on the top row, from the heights");
    c->add(new PropertyArray<float>(u"headings[1]", 0, &headings[1], &segments),
           "each point's slope angle on the bottom row, from the heights");
    c->add(new PropertyFloat(u"totalWidth", 0, &totalWidth), "the distance from its first point to its last");
    c->add(new PropertyFloat(u"totalHeight", 0, &totalHeight), "its height from the lowest bottom to the highest top");
    c->add(new PropertyRPC<RPCTerrainConstruct>(u"construct", 0, this));
}
