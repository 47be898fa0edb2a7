#include "flow/BezierPathSimple.h"

#include <algorithm>
#include <cmath>

#include "engine/Zub.h"
#include "gfx/ImmediateDraw.h"
#include "sys/ErrorManager.h"

BezierPathSimple::BezierPathSimple() = default;

BezierPathSimple::~BezierPathSimple() { segments.destroyChildren(); }

void BezierPathSimple::addPoint(const V3& vertex, const V3& tangent) {
    BezierSegmentSimple* segment;
    if (bPending) {
        segment = new BezierSegmentSimple(pendingVertex, pendingTangent, vertex, tangent);
        bPending = 0;
    } else if (auto* last = static_cast<BezierSegmentSimple*>(segments.lastChild)) {
        segment = new BezierSegmentSimple(last->p1, last->t1, vertex, tangent);
    } else {
        pendingVertex = vertex;
        pendingTangent = tangent;
        bPending = 1;
        return;
    }
    segments.addChild(segment);
    totalLength += segment->length;
}

BezierSegmentSimple* BezierPathSimple::findSegment(float length, float& fraction) const {
    fraction = 0.0f;
    auto* last = static_cast<BezierSegmentSimple*>(segments.lastChild);
    if (!last) return nullptr;
    float l;
    if (!bLooping) l = std::clamp(length, 0.0f, totalLength);
    else if (totalLength > 0.0f) l = std::fmod(length, totalLength);
    else l = 0.0f;  // a road of no length has nothing to go round
    float end = 0.0f;
    for (auto* s : childrenOf<BezierSegmentSimple>(segments)) {
        end += s->length;
        if (end > l) {
            fraction = s->length > 0.0f ? 1.0f - (end - l) / s->length : 0.0f;
            return s;
        }
    }
    fraction = 1.0f;
    return last;
}

V3 BezierPathSimple::evaluateL(V3& point, float length, float* angle) const {
    ZUB_ASSERT(!segments.isEmpty());
    float fraction;
    const BezierSegmentSimple* s = findSegment(length, fraction);
    if (angle) *angle = s->getAngle(fraction);
    point = s->pointAt(fraction);
    return point;
}

void BezierPathSimple::render() {
    segments.render();
    if (segments.isEmpty()) return;
    const float at = static_cast<float>(64.0 * (ZUB ? ZUB->currentTime : 0.0));
    V3 p;
    float a = 0.0f;
    evaluateL(p, at, &a);
    drawLine(p, p + V3(std::cos(a), std::sin(a), 0.0f) * 64.0f, 0xFF004040u, 0xFF00FFFFu);
}
