#include "world/HullSegment.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "object/Property.h"
#include "world/A99Object.h"
#include "world/Hull.h"
#include "world/HullVertex.h"
#include "world/WorldClassIds.h"
#include "world/Xsect.h"

ZUB_IMPLEMENT_CLASS(HullSegment, ZubBase, world_ids::HullSegment)
ZUB_IMPLEMENT_CLASS(RPCHullSegmentSetup, RPC, world_ids::RPCHullSegmentSetup)

int32_t HullSegment::serialCounter = 0;

namespace {
const char16_t* const kJointNames[3] = {u"none", u"1", u"2"};

// Wraps into [0, 2 pi).
float wrapAngle(float a) {
    float r = std::fmod(a, kTwoPi);
    if (r < 0.0f) r += kTwoPi;
    if (r >= kTwoPi) r = 0.0f;
    return r;
}
}  // namespace

int32_t hullJointKind(float fromDirection, float toDirection) {
    float d = wrapAngle(toDirection) - wrapAngle(fromDirection);
    if (d > kPi) d -= kTwoPi;
    else if (d <= -kPi) d += kTwoPi;
    return d > 0.0f ? HullSegment::JOINT_LEFT : HullSegment::JOINT_RIGHT;
}

HullSegment::HullSegment() : serial(serialCounter++) {}

HullSegment::~HullSegment() {
    if (Xsect* x = Xsect::activeSweep()) x->forget(this);
    if (HullPartHolder* h = HullPartHolder::of(this)) h->childGone();
}

Hull* HullSegment::getHull() const { return pHull.as<Hull>(); }
HullVertex* HullSegment::getV1() const { return v1.as<HullVertex>(); }
HullVertex* HullSegment::getV2() const { return v2.as<HullVertex>(); }

A99Object* HullSegment::owner() const {
    Hull* h = getHull();
    return h ? h->owner() : nullptr;
}

void HullSegment::setup(Hull* hull, HullVertex* startVertex, HullVertex* endVertex) {
    RPCHullSegmentSetup rpc;
    rpc.target = this;
    rpc.hull = hull;
    rpc.start = startVertex;
    rpc.end = endVertex;
    rpc.call();
}

void HullSegment::local_setup(Hull* hull, HullVertex* startVertex, HullVertex* endVertex) {
    pHull.set(hull);
    v1.set(startVertex);
    v2.set(endVertex);
    recompute();
}

void HullSegment::updateSpans() {
    collisionLengthMin = prevJoint == JOINT_LEFT ? -kJointExtension : 0.0f;
    collisionLengthMax = nextJoint != JOINT_NONE ? length + kJointExtension : length;
}

void HullSegment::recompute() {
    HullVertex* a = getV1();
    HullVertex* b = getV2();
    if (!a || !b) return;
    start = a->vertex;
    dV = b->vertex - a->vertex;
    along = dV.normalized();
    normal = V3(-along.y, along.x, 0.0f);
    length = dV.length();
    alongDirection = std::atan2(dV.y, dV.x);
    normalDirection = alongDirection + 1.5707963705062866f;
    HullSegment* n = next();
    HullSegment* p = prev();
    computedNext = n;
    computedPrev = p;
    if (n) {
        computedNextDirection = n->alongDirection;
        computedNextJoint = static_cast<int8_t>(hullJointKind(alongDirection, computedNextDirection));
    }
    if (p) {
        // With a segment that is its own neighbour, its direction is the new one.
        computedPrevDirection = p->alongDirection;
        computedPrevJoint = static_cast<int8_t>(hullJointKind(computedPrevDirection, alongDirection));
    }
    bComputed = true;
    rewriteJoints();
    notifyReferrers();
}

void HullSegment::rewriteJoints() {
    if (HullSegment* n = next()) {
        nextJoint = computedNextJoint;
        n->prevJoint = nextJoint;
        n->updateSpans();
    }
    if (HullSegment* p = prev()) {
        prevJoint = computedPrevJoint;
        p->nextJoint = prevJoint;
        p->updateSpans();
    }
    updateSpans();
}

bool HullSegment::upToDate() const {
    if (!bComputed) return false;
    const HullVertex* a = getV1();
    const HullVertex* b = getV2();
    if (!a || !b) return false;
    // Bit for bit: a zero's sign turns the directions.
    const V3 d = b->vertex - a->vertex;
    if (std::memcmp(&start, &a->vertex, sizeof(V3)) != 0 || std::memcmp(&dV, &d, sizeof(V3)) != 0) return false;
    const HullSegment* n = next();
    const HullSegment* p = prev();
    if (n != computedNext || p != computedPrev) return false;
    if (n && std::bit_cast<uint32_t>(n->alongDirection) != std::bit_cast<uint32_t>(computedNextDirection)) return false;
    if (p && std::bit_cast<uint32_t>(p->alongDirection) != std::bit_cast<uint32_t>(computedPrevDirection)) return false;
    return true;
}

float HullSegment::getWorldAngle() const {
    A99Object* o = owner();
    HullVertex* a = getV1();
    HullVertex* b = getV2();
    if (!o || !a || !b) return alongDirection;
    V3 wa, wb;
    o->localToWorld(wa, a->vertex);
    o->localToWorld(wb, b->vertex);
    const V3 d = o->scale.x < 0.0f ? wa - wb : wb - wa;
    return std::atan2(d.y, d.x);
}

bool HullSegment::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_REFERENCE_CHANGED && ev.sender && (ev.sender == v1.get() || ev.sender == v2.get())) {
        recompute();
    } else if (ev.code == EVENT_REFERENCE_LOST) {
        // A neighbour that goes away leaves an open end.
        if (ev.reference == &prevSegment) {
            prevJoint = JOINT_NONE;
            updateSpans();
        } else if (ev.reference == &nextSegment) {
            nextJoint = JOINT_NONE;
            updateSpans();
        }
    }
    return ZubBase::onEvent(ev);
}

// Floats travel as 16-bit values: the derived data is made again from the
// (quantised) vertices so that a loaded hull agrees with itself.
void HullSegment::netSerialize(Packet& p) {
    bComputed = false;
    ZubBase::netSerialize(p);
}

void HullSegment::netPostReplicate() { recompute(); }

// After a load every segment has been recomputed once, after its body, and
// mostly nothing it reads has changed since: then its referrers were told
// of the values it holds, and only the joints are written again (a
// neighbour's body read later may have overwritten them).
void HullSegment::netPostReplicateGlobal() {
    if (upToDate()) rewriteJoints();
    else recompute();
}

void HullSegment::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    c->add(new PropertyReference(u"v1", 0, &v1, &HullVertex::classRecord));
    c->add(new PropertyReference(u"v2", 0, &v2, &HullVertex::classRecord));
    c->add(new PropertyReference(u"pHull", 0, &pHull, &Hull::classRecord));
    c->add(new PropertyReference(u"prevSegment", 0, &prevSegment, &HullSegment::classRecord));
    c->add(new PropertyReference(u"nextSegment", 0, &nextSegment, &HullSegment::classRecord));
    addPropertyV3(c, u"dV", 0, &dV);
    addPropertyV3(c, u"along", 0, &along);
    addPropertyV3(c, u"normal", 0, &normal);
    c->add(new PropertyFloat(u"length", 0, &length));
    c->add(new PropertyFloat(u"collisionLengthMin", 0, &collisionLengthMin));
    c->add(new PropertyFloat(u"collisionLengthMax", 0, &collisionLengthMax));
    c->add(new PropertyFloat(u"alongDirection", 0, &alongDirection));
    c->add(new PropertyFloat(u"normalDirection", 0, &normalDirection));
    c->add(new PropertyEnum(u"prevJoint", 0, &prevJoint, 3, kJointNames));
    c->add(new PropertyEnum(u"nextJoint", 0, &nextJoint, 3, kJointNames));
}

void RPCHullSegmentSetup::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", 0, &hull, &Hull::classRecord));
    c->add(new PropertyPointer(u"", 0, &start, &HullVertex::classRecord));
    c->add(new PropertyPointer(u"", 0, &end, &HullVertex::classRecord));
}

void RPCHullSegmentSetup::execute() {
    if (HullSegment* s = zub_cast<HullSegment>(target)) s->local_setup(hull, start, end);
}
