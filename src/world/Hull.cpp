#include "world/Hull.h"

#include <cmath>

#include "gfx/Context.h"
#include "gfx/RenderCounters.h"
#include "gfx/Skin.h"
#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "sys/ErrorManager.h"
#include "world/A99Object.h"
#include "world/EditorGizmos.h"
#include "world/GameWorld.h"
#include "world/HullList.h"
#include "world/HullSegment.h"
#include "world/HullVertex.h"
#include "world/WorldClassIds.h"
#include "world/WorldEditorPanel.h"

using namespace input_codes;

ZUB_IMPLEMENT_CLASS(Hull, ZubBase, world_ids::Hull)
ZUB_IMPLEMENT_CLASS(RPCHullSetRef, RPC, world_ids::RPCHullSetRef)

namespace {
const char16_t* const kHullTypeNames[Hull::HULL_TYPE_COUNT] = {u"solid", u"pass-through"};

bool keyPressed(const ZubInput* in, int code) { return in->isKeyDown(code) && !in->wasKeyDown(code); }
}  // namespace

Hull::Hull() = default;

Hull::~Hull() {
    bDying = 1;
    if (pIndex) pIndex->forget(this);
    // The parts go while the hull is whole.
    while (ZubBase* c = segments.firstChild) {
        segments.removeChild(c);
        deleteObject(c);
    }
    while (ZubBase* c = vertices.firstChild) {
        vertices.removeChild(c);
        deleteObject(c);
    }
}

A99Object* Hull::owner() const {
    if (bToBeDestroyed) return nullptr;
    return pRef.as<A99Object>();
}

void Hull::setRef(A99Object* o) {
    RPCHullSetRef rpc;
    rpc.target = this;
    rpc.owner = o;
    rpc.call();
}

// ---------------------------------------------------------------------------
// Building

HullSegment* Hull::makeSegment(HullVertex* startVertex, HullVertex* endVertex) {
    HullSegment* s = new HullSegment();
    ZUB_ASSERT(THEROLE != NULL);
    ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
    THEROLE->registerObject(s, 0);
    s->setup(this, startVertex, endVertex);
    s->netCallPostReplicate();
    s->netCallPostReplicateGlobal();
    return s;
}

HullVertex* Hull::addHullPoint(float x, float y, float z, bool connect) {
    HullVertex* v = new HullVertex();
    ZUB_ASSERT(THEROLE != NULL);
    ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
    THEROLE->registerObject(v, 0);
    v->vertex = V3(x, y, z);
    v->notifyReferrers();
    HullVertex* last = static_cast<HullVertex*>(vertices.lastChild);
    appendVertex(v);
    if (connect && last) addSegment(makeSegment(last, v));
    return v;
}

void Hull::appendVertex(HullVertex* v) {
    vertices.addChild(v);
    const float r = v->vertex.length();
    if (r > boundingRadius) {
        boundingRadius = r;
        reachChanged();
    }
}

void Hull::reachChanged() {
    if (pIndex) pIndex->refresh(this);
}

void Hull::addSegment(HullSegment* s) {
    HullSegment* last = static_cast<HullSegment*>(segments.lastChild);
    segments.addChild(s);
    // Only a segment that continues the chain is linked behind the last one
    // (after a closed loop the last segment ends at the first vertex).
    if (last && last != s && !last->next() && last->getV2() && last->getV2() == s->getV1()) {
        last->nextSegment.set(s);
        s->prevSegment.set(last);
        last->recompute();
        s->recompute();
    }
}

void Hull::closeLoop() {
    if (vertices.count() < 2) return;
    HullSegment* last = static_cast<HullSegment*>(segments.lastChild);
    if (last && last->next()) return;  // closed already
    HullVertex* lastVertex = static_cast<HullVertex*>(vertices.lastChild);
    HullVertex* firstVertex = static_cast<HullVertex*>(vertices.firstChild);
    HullSegment* s = makeSegment(lastVertex, firstVertex);
    addSegment(s);
    HullSegment* first = static_cast<HullSegment*>(segments.firstChild);
    if (first && first != s && !first->prev()) {
        s->nextSegment.set(first);
        first->prevSegment.set(s);
        s->recompute();
        first->recompute();
    }
}

void Hull::clearParts() {
    while (ZubBase* c = segments.firstChild) {
        c->destroy();
        if (segments.firstChild == c) {
            segments.removeChild(c);
            deleteObject(c);
        }
    }
    while (ZubBase* c = vertices.firstChild) {
        c->destroy();
        if (vertices.firstChild == c) {
            vertices.removeChild(c);
            deleteObject(c);
        }
    }
    boundingRadius = 0.0f;
    reachChanged();
}

void Hull::deleteVertex(HullVertex* v) {
    if (!v || v->parent != &vertices) return;
    HullSegment* doomed[2048];
    int n = 0;
    for (ZubBase* c = segments.firstChild; c && n < 2048; c = c->nextSibling) {
        HullSegment* s = static_cast<HullSegment*>(c);
        if (s->getV1() == v || s->getV2() == v) doomed[n++] = s;
    }
    for (int i = 0; i < n; ++i) {
        HullSegment* s = doomed[i];
        if (HullSegment* p = s->prev(); p && p->next() == s) {
            p->nextSegment.set(nullptr);
            p->nextJoint = HullSegment::JOINT_NONE;
            p->updateSpans();
        }
        if (HullSegment* nx = s->next(); nx && nx->prev() == s) {
            nx->prevSegment.set(nullptr);
            nx->prevJoint = HullSegment::JOINT_NONE;
            nx->updateSpans();
        }
        s->destroy();
    }
    v->destroy();
    recomputeBoundingRadius();
}

// ---------------------------------------------------------------------------
// Queries

HullVertex* Hull::getVertex(int i) {
    HullVertex* result = vertexAt(i);
    ZUB_ASSERT(result != NULL);
    return result;
}

HullSegment* Hull::getSegment(int i) {
    HullSegment* result = segmentAt(i);
    ZUB_ASSERT(result != NULL);
    return result;
}

HullVertex* Hull::findNearestVertex(float x, float y, float z) {
    const V3 p(x, y, z);
    HullVertex* best = nullptr;
    float bestSq = kFarSq;
    for (HullVertex* v : childrenOf<HullVertex>(vertices)) {
        const float d = V3::distanceSquared(v->vertex, p);
        if (d < bestSq) {
            bestSq = d;
            best = v;
        }
    }
    return best;
}

void Hull::recomputeBoundingRadius() {
    float r = 0.0f;
    for (const HullVertex* v : childrenOf<HullVertex>(vertices)) {
        const float l = v->vertex.length();
        if (l > r) r = l;
    }
    boundingRadius = r;
    reachChanged();
}

void Hull::netPostReplicateGlobal() {
    // The stored radius is a 16-bit float, truncated: measure it again.
    recomputeBoundingRadius();
    vertices.rebuildIndex();
    segments.rebuildIndex();
}

// ---------------------------------------------------------------------------
// Events and the editor

bool Hull::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_REFERENCE_LOST && ev.reference == &pRef) {
        bToBeDestroyed = 1;
        return true;
    }
    if (ev.code == EVENT_REFERENCE_CHANGED) {
        recomputeBoundingRadius();
        return true;
    }
    if (isEditorMode()) {
        if (ev.code == EVENT_KEY && onEditorKey()) return true;
        if (ev.code == EVENT_MOUSE_MOVE && onEditorPointerMove()) return true;
    }
    return ZubBase::onEvent(ev);
}

bool Hull::localMouse(V3& out) const {
    A99Object* o = owner();
    if (!o) return false;
    Context* ctx = o->owningContext();
    if (!ctx) return false;
    o->world2local(out, ctx->mousePosition);
    return true;
}

bool Hull::onEditorKey() {
    ZubInput* in = ZubInput::active();
    V3 m;
    if (!in || !localMouse(m)) return false;
    const int mods = in->modifierState;
    if (keyPressed(in, KEY_A) && (mods == 0 || mods == 1)) {
        addHullPoint(m.x, m.y, m.z, mods == 0);
    } else if (keyPressed(in, KEY_C) && mods == 0) {
        closeLoop();
    } else if (keyPressed(in, KEY_D) && mods == 0) {
        deleteVertex(findNearestVertex(m.x, m.y, m.z));
    } else {
        return false;
    }
    return true;
}

bool Hull::onEditorPointerMove() {
    ZubInput* in = ZubInput::active();
    V3 m;
    if (!in || in->modifierState != 0 || !in->isKeyDown(KEY_M) || !localMouse(m)) return false;
    if (HullVertex* v = findNearestVertex(m.x, m.y, m.z)) {
        v->vertex = m;
        v->notifyReferrers();
        recomputeBoundingRadius();
    }
    return true;
}

void Hull::render() {
    WorldEditorPanel* panel = activeEditorPanel();
    A99Object* o = owner();
    if (!panel || !o) return;
    const bool edited = panel->getEditedObject() == this;
    if (!edited && !(panel->bShowHulls && (!o->pSkin || o->bInView))) return;
    if (edited) {
        Skin* symbol = findResource<Skin>(u"editor_symbols:2");
        for (const HullVertex* v : childrenOf<HullVertex>(vertices)) {
            V3 w;
            o->localToWorld(w, v->vertex);
            drawEditorSymbol(symbol, w, 0x8000ffffu);
        }
    }
    const int32_t frame = renderCounters.frameNumber;
    const int n = segments.count();
    lines.setSize(4 * n);
    int k = 0;
    for (HullSegment* s : childrenOf<HullSegment>(segments)) {
        V3 a, b;
        o->localToWorld(a, s->start);
        o->localToWorld(b, s->start + s->dV);
        uint32_t startColor = bHeroOnly ? 0xffff00ffu : 0xff000000u;
        uint32_t endColor = startColor;
        if (s->prevJoint == HullSegment::JOINT_RIGHT) startColor = 0xff808080u;
        if (s->nextJoint == HullSegment::JOINT_RIGHT) endColor = 0xff808080u;
        if (s->debug_consideredFrame == frame) startColor = endColor = 0xff0080ffu;
        if (s->debug_collidedFrame == frame) startColor = endColor = 0xffff0000u;
        if (hullType == PASS_THROUGH || highlightedSegment.get() == s) startColor = endColor = 0xffffffffu;
        const V3 mid = (a + b) * 0.5f;
        const V3 tip = mid + V3(std::cos(s->normalDirection), std::sin(s->normalDirection), 0.0f) * 8.0f;
        const uint32_t tickColor =
            std::fabs(s->getWorldAngle()) > 0.7853981852531433f ? 0xffffffffu : scaleColor(startColor, 0.5f);
        lines.set(k++, a.x, a.y, a.z, startColor, 0.0f, 0.0f);
        lines.set(k++, b.x, b.y, b.z, endColor, 0.0f, 0.0f);
        lines.set(k++, mid.x, mid.y, mid.z, tickColor, 0.0f, 0.0f);
        lines.set(k++, tip.x, tip.y, tip.z, tickColor, 0.0f, 0.0f);
        if (k >= 4 * n) break;
    }
    if (k > 0) {
        lines.upload();
        Skin::applyCarrier(nullptr);
        lines.draw(nullptr, VertexBuffer::LINE_LIST, 0, k);
    }
    if (edited) {
        GameWorld* w = GameWorld::current();
        for (const HullSegment* s : childrenOf<HullSegment>(segments)) {
            V3 a;
            o->localToWorld(a, s->start);
            w->drawLabel(formatString(u"%d", s->serial), a, 0xffffffffu, 0x14);
        }
    }
}

void Hull::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    c->add(new PropertyFloat(u"boundingRadius", PROP_READONLY, &boundingRadius));
    c->add(new PropertyBool(u"bEvenlySpaced", 0, &bEvenlySpaced));
    c->add(new PropertyReference(u"pRef", 0, &pRef, &A99Object::classRecord));
    c->add(new PropertyEnum(u"hullType", 0, &hullType, HULL_TYPE_COUNT, kHullTypeNames));
    c->add(new PropertyBool(u"bHeroOnly", 0, &bHeroOnly));
    c->add(new PropertySubObject(u"vertices", 0, &vertices));
    c->add(new PropertySubObject(u"segments", 0, &segments));
}

void RPCHullSetRef::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", 0, &owner, &A99Object::classRecord));
}

void RPCHullSetRef::execute() {
    Hull* h = zub_cast<Hull>(target);
    if (!h) return;
    h->pRef.set(owner);
    h->reachChanged();
}
