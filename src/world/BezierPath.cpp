#include "world/BezierPath.h"

#include <cmath>

#include "engine/FocusManager.h"
#include "engine/Zub.h"
#include "gfx/Context.h"
#include "gfx/ImmediateDraw.h"
#include "gfx/Skin.h"
#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "world/BezierSegment.h"
#include "world/BezierVertex.h"
#include "world/EditorGizmos.h"
#include "world/GameWorld.h"
#include "world/WorldClassIds.h"
#include "world/WorldEditorPanel.h"

using namespace input_codes;

ZUB_IMPLEMENT_CLASS(BezierPath, A99Object, world_ids::BezierPath)

namespace {
bool keyPressed(const ZubInput* in, int code) { return in->isKeyDown(code) && !in->wasKeyDown(code); }
}  // namespace

BezierPath::BezierPath() = default;

BezierPath::~BezierPath() {
    // The segments first: they refer to the vertices.
    while (ZubBase* c = segments.firstChild) {
        segments.removeChild(c);
        deleteObject(c);
    }
    while (ZubBase* c = vertices.firstChild) {
        vertices.removeChild(c);
        deleteObject(c);
    }
}

BezierVertex* BezierPath::vertexAt(int i) const {
    for (ZubBase* c = vertices.firstChild; c; c = c->nextSibling)
        if (i-- == 0) return static_cast<BezierVertex*>(c);
    return nullptr;
}

BezierSegment* BezierPath::segmentAt(int i) const {
    for (ZubBase* c = segments.firstChild; c; c = c->nextSibling)
        if (i-- == 0) return static_cast<BezierSegment*>(c);
    return nullptr;
}

float BezierPath::sumOfLengths() const {
    float sum = 0.0f;
    for (const BezierSegment* s : childrenOf<BezierSegment>(segments)) sum += s->length;
    return sum;
}

// The change notice, event 8, along the event route.
void BezierPath::announceChange() { FocusManager::sendEvent(EVENT_CHANGED, this, this); }

// ---------------------------------------------------------------------------
// Building

BezierSegment* BezierPath::makeSegment(BezierVertex* start, BezierVertex* end) {
    BezierSegment* s = new BezierSegment();
    ZUB_ASSERT(THEROLE != NULL);
    ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
    THEROLE->registerObject(s, 0);
    RPCLinkBezierSegment link;
    link.target = s;
    link.path = this;
    link.start = start;
    link.end = end;
    link.call();
    s->netCallPostReplicate();
    s->netCallPostReplicateGlobal();
    segments.addChild(s);
    return s;
}

void BezierPath::addPoint(float x, float y, float z) {
    BezierVertex* v = new BezierVertex();
    ZUB_ASSERT(THEROLE != NULL);
    ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
    THEROLE->registerObject(v, 0);
    v->vertex = V3(x, y, z);
    v->notifyReferrers();
    v->tangent = V3();
    v->notifyReferrers();
    BezierVertex* last = static_cast<BezierVertex*>(vertices.lastChild);
    vertices.addChild(v);
    if (!last) {
        announceChange();
        return;
    }
    const V3 d = (v->vertex - last->vertex) * 0.25f;
    if (last == vertices.firstChild) {
        last->tangent = d;
        last->notifyReferrers();
    }
    v->tangent = d;
    v->notifyReferrers();
    makeSegment(last, v);
    announceChange();
}

void BezierPath::closeLoop() {
    if (bLooping || vertexCount() < 2) return;
    makeSegment(static_cast<BezierVertex*>(vertices.lastChild), static_cast<BezierVertex*>(vertices.firstChild));
    bLooping = true;
    announceChange();
}

void BezierPath::removeLastPoint() {
    if (vertexCount() < 3) return;
    BezierVertex* last = static_cast<BezierVertex*>(vertices.lastChild);
    BezierSegment* doomed[64];
    int n = 0;
    for (ZubBase* c = segments.firstChild; c && n < 64; c = c->nextSibling) {
        BezierSegment* s = static_cast<BezierSegment*>(c);
        if (s->getV1() == last || s->getV2() == last) doomed[n++] = s;
    }
    for (int i = 0; i < n; ++i) {
        // The closing segment (last to first) goes with the last vertex: the
        // path no longer loops.
        if (doomed[i]->getV1() == last && doomed[i]->getV2() == vertices.firstChild) bLooping = false;
        doomed[i]->destroy();
    }
    last->destroy();
    announceChange();
}

// ---------------------------------------------------------------------------
// Evaluation

BezierSegment* BezierPath::findSegment(float L, float* t) const {
    if (segments.isEmpty()) return nullptr;
    if (!bLooping) L = clampf(L, 0.0f, totalLength);
    else L = totalLength != 0.0f ? std::fmod(L, totalLength) : 0.0f;
    float end = 0.0f;
    for (BezierSegment* s : childrenOf<BezierSegment>(segments)) {
        end += s->length;
        if (end > L) {
            if (t) *t = s->length != 0.0f ? 1.0f - (end - L) / s->length : 0.0f;
            return s;
        }
    }
    if (t) *t = 1.0f;
    return static_cast<BezierSegment*>(segments.lastChild);
}

void BezierPath::evaluateL(V3* out, float L, float* angle) const {
    ZUB_ASSERT(!segments.isEmpty());
    float t = 0.0f;
    const BezierSegment* s = findSegment(L, &t);
    if (angle) *angle = s->angleAt(t);
    *out = s->pointAt(t);
}

// ---------------------------------------------------------------------------
// Replication and edits

void BezierPath::measureVertexRadius() {
    float r = 0.0f;
    for (const BezierVertex* v : childrenOf<BezierVertex>(vertices)) {
        const float l = v->vertex.length();
        if (l > r) r = l;
    }
    vertexRadius = r;
}

void BezierPath::netPostReplicateGlobal() {
    A99Object::netPostReplicateGlobal();
    if (pSkin) return;
    measureVertexRadius();
    boundingRadius = vertexRadius;
}

void BezierPath::calcBoundingCircle() {
    A99Object::calcBoundingCircle();
    // Without a skin the path's extent is its vertices.
    if (!pSkin) boundingRadius = vertexRadius * std::fmax(std::fabs(scale.x), std::fabs(scale.y));
}

void BezierPath::onEdited() {
    onTransformChanged();
    totalLength = sumOfLengths();
    measureVertexRadius();
}

void BezierPath::level() {
    BezierVertex* previous = nullptr;
    for (BezierVertex* v : childrenOf<BezierVertex>(vertices)) {
        v->vertex.y = 0.0f;
        v->notifyReferrers();
    }
    for (BezierVertex* v : childrenOf<BezierVertex>(vertices)) {
        if (previous) {
            const V3 d = (v->vertex - previous->vertex) * 0.25f;
            previous->tangent = d;
            previous->notifyReferrers();
            v->tangent = d;
            v->notifyReferrers();
        }
        previous = v;
    }
    announceChange();
}

bool BezierPath::onEvent(ZubEvent& ev) {
    ZubInput* in = ZubInput::active();
    if (!isEditorMode() || !in || in->modifierState != 0) return A99Object::onEvent(ev);
    Context* ctx = owningContext();
    if ((ev.code == EVENT_KEY || ev.code == EVENT_MOUSE_MOVE) && ctx) {
        V3 m;
        world2local(m, ctx->mousePosition);
        if (ev.code == EVENT_KEY) {
            if (keyPressed(in, KEY_A)) {
                addPoint(m.x, m.y, m.z);
                return true;
            }
            if (keyPressed(in, KEY_C)) {
                closeLoop();
                return true;
            }
            if (keyPressed(in, KEY_D)) {
                removeLastPoint();
                return true;
            }
            if (keyPressed(in, KEY_L)) {
                level();
                return true;
            }
        } else if (in->isKeyDown(KEY_M) || in->isKeyDown(KEY_N)) {
            const bool tangent = !in->isKeyDown(KEY_M);
            BezierVertex* best = nullptr;
            float bestSq = 9.998e7f;
            for (BezierVertex* v : childrenOf<BezierVertex>(vertices)) {
                const float d = V3::distanceSquared(tangent ? v->vertex + v->tangent : v->vertex, m);
                if (d < bestSq) {
                    bestSq = d;
                    best = v;
                }
            }
            if (best) {
                if (tangent) best->tangent = m - best->vertex;
                else best->vertex = m;
                best->notifyReferrers();
                announceChange();
            }
            return true;
        }
    }
    return A99Object::onEvent(ev);
}

void BezierPath::renderObject() {
    A99Object::renderObject();
    // The curve and its points are the editor's view of the path: never in
    // play, where the panel exists but the level is not being edited.
    WorldEditorPanel* panel = activeEditorPanel();
    if (!panel || (panel->getEditedObject() != this && !panel->bShowBezierPaths)) return;
    Skin* symbol = findResource<Skin>(u"editor_symbols:5");
    for (const BezierVertex* v : childrenOf<BezierVertex>(vertices)) {
        V3 p;
        localToWorld(p, v->vertex);
        drawEditorSymbol(symbol, p, v == vertices.firstChild ? 0x80FF0000u : 0xFFFF0000u);
    }
    const int n = segmentCount();
    if (n > 0) {
        points.setSize(n * BezierSegment::kLengthSamples);
        lines.setSize(n * 4);
        int k = 0, j = 0;
        for (const BezierSegment* s : childrenOf<BezierSegment>(segments)) {
            for (int i = 0; i < BezierSegment::kLengthSamples; ++i) {
                V3 p;
                localToWorld(p,
                             s->pointAt(static_cast<float>(i) / static_cast<float>(BezierSegment::kLengthSamples - 1)));
                points.set(k++, p.x, p.y, p.z, 0xFFFF0000u, 0.0f, 0.0f);
            }
            const BezierVertex* ends[2] = {s->getV1(), s->getV2()};
            for (const BezierVertex* v : ends) {
                V3 a, b;
                if (v) {
                    localToWorld(a, v->vertex);
                    localToWorld(b, v->vertex + v->tangent);
                }
                lines.set(j++, a.x, a.y, a.z, 0xFF004000u, 0.0f, 0.0f);
                lines.set(j++, b.x, b.y, b.z, 0xFF00FF00u, 0.0f, 0.0f);
            }
        }
        points.upload();
        lines.upload();
        Skin::applyCarrier(nullptr);
        points.draw(nullptr, VertexBuffer::POINT_LIST);
        lines.draw(nullptr, VertexBuffer::LINE_LIST);
        // A pointer running along the path at 64 units per second.
        const double time = ZUB ? ZUB->currentTime : 0.0;
        float t = 0.0f;
        if (BezierSegment* s = findSegment(static_cast<float>(time * 64.0), &t)) {
            const float a = s->angleAt(t);
            const V3 local = s->pointAt(t);
            V3 p;
            localToWorld(p, local);
            drawLine(p, p + V3(std::cos(a), std::sin(a), 0.0f) * 64.0f, 0xFF800000u, 0xFFFF0000u);
        }
    }
}

void BezierPath::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyBool(u"bLooping", 0, &bLooping), "the last point joins the first (a 'loop' line sets it)");
    c->add(new PropertyFloat(u"totalLength", 0, &totalLength), "the path's length, worked out from its points");
    c->add(new PropertySubObject(u"vertices", 0, &vertices),
           "its points and their tangents (its 'point' and 'vertex' lines)");
    c->add(new PropertySubObject(u"segments", 0, &segments), "the curves between its points, made from them");
}
