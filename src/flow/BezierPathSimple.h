#pragma once
// A light road of cubic Bezier segments measured by length: given a distance
// from its start it gives the point there and the road's direction. The
// valley map keeps one as its road; it is not a level object (not
// registered, no properties, in no object tree).
//
// Points are added in road order, each a vertex and a tangent; the first
// waits for the second, and every later one makes a segment from the end of
// the last (its start tangent is the curve's outgoing control offset, its
// end tangent the incoming one). A road of n points has n - 1 segments.
//
// The fraction of a segment's length at a road length is used directly as
// the curve's parameter: the road is not exactly arc-length parameterised.
#include <cstdint>

#include "flow/BezierSegmentSimple.h"
#include "object/ZubBase.h"
#include "util/Math.h"

class BezierPathSimple : public ZubBase {
public:
    // The container of the segments, in road order.
    class SegmentList : public ZubBase {
    public:
        bool isEmpty() const { return firstChild == nullptr; }
    };

    BezierPathSimple();
    ~BezierPathSimple() override;

    void addPoint(const V3& vertex, const V3& tangent);
    // The segment holding a road length and the fraction of its length
    // there; null for an empty road. Lengths are clamped to the road, or
    // with bLooping taken modulo its length (a negative one stays negative,
    // landing before the first segment's start).
    BezierSegmentSimple* findSegment(float length, float& fraction) const;
    // The point at a road length (also stored in `point`) and, when `angle`
    // is given, the direction there. Fatal on a road without segments.
    V3 evaluateL(V3& point, float length, float* angle = nullptr) const;
    int segmentCount() const { return segments.countChildren(); }

    // For inspection: the segments, then a pointer travelling along the road
    // at 64 units per second of engine time.
    void render() override;

    float totalLength = 0.0f;
    SegmentList segments;
    uint8_t bLooping = 0;
    uint8_t bPending = 0;
    V3 pendingVertex;
    V3 pendingTangent;
};
