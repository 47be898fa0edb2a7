#include "world/BezierSegment.h"

#include <cmath>

#include "object/Property.h"
#include "world/BezierPath.h"
#include "world/BezierVertex.h"
#include "world/WorldClassIds.h"

ZUB_IMPLEMENT_CLASS(BezierSegment, ZubBase, world_ids::BezierSegment)
ZUB_IMPLEMENT_CLASS(RPCLinkBezierSegment, RPC, world_ids::RPCLinkBezierSegment)

BezierSegment::~BezierSegment() = default;

BezierVertex* BezierSegment::getV1() const { return v1.as<BezierVertex>(); }
BezierVertex* BezierSegment::getV2() const { return v2.as<BezierVertex>(); }
BezierPath* BezierSegment::getPath() const { return pPath.as<BezierPath>(); }

V3 BezierSegment::pointAt(float t) const {
    const BezierVertex* a = getV1();
    const BezierVertex* b = getV2();
    if (!a || !b) return V3();
    return bezierCubic(a->vertex, a->tangent, b->vertex, b->tangent, t);
}

float BezierSegment::angleAt(float t) const {
    t = clampf(t, 0.0f, 1.0f);
    const float t2 = t + 0.0078125f;
    V3 d;
    if (t2 >= 1.0f) {
        const BezierVertex* b = getV2();
        d = b ? b->tangent : V3();
    } else {
        d = pointAt(t2) - pointAt(t);
    }
    return std::atan2(d.y, d.x);
}

void BezierSegment::computeLength() {
    const BezierVertex* a = getV1();
    if (!a || !getV2()) {
        length = 0.0f;
        return;
    }
    float sum = 0.0f;
    V3 previous = a->vertex;
    for (int i = 0; i < kLengthSamples; ++i) {
        const V3 p = pointAt(static_cast<float>(i) / static_cast<float>(kLengthSamples - 1));
        sum += (p - previous).length();
        previous = p;
    }
    length = sum;
}

bool BezierSegment::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_REFERENCE_CHANGED && ev.sender && (ev.sender == v1.get() || ev.sender == v2.get()))
        computeLength();
    return ZubBase::onEvent(ev);
}

void BezierSegment::netPostReplicate() { computeLength(); }

void BezierSegment::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    c->add(new PropertyReference(u"v1", 0, &v1, &BezierVertex::classRecord));
    c->add(new PropertyReference(u"v2", 0, &v2, &BezierVertex::classRecord));
    c->add(new PropertyReference(u"pPath", 0, &pPath, &BezierPath::classRecord));
}

void RPCLinkBezierSegment::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", 0, &path, &BezierPath::classRecord));
    c->add(new PropertyPointer(u"", 0, &start, &BezierVertex::classRecord));
    c->add(new PropertyPointer(u"", 0, &end, &BezierVertex::classRecord));
}

void RPCLinkBezierSegment::execute() {
    BezierSegment* s = zub_cast<BezierSegment>(target);
    if (!s) return;
    s->pPath.set(path);
    s->v1.set(start);
    s->v2.set(end);
}
