#pragma once
// One cubic piece of the valley map's road (BezierPathSimple): the curve
// through p0 and p1 with the control points p0 + t0 and p1 - t1. It measures
// its length once, as the polyline through eight samples (the curve at
// 0, 1/7 ... 6/7, then p1), and keeps the road's direction at those samples
// so that the direction anywhere along it costs one interpolation.
//
// It is a plain object of the path's segment container: not registered,
// without properties.
#include <cstdint>
#include <vector>

#include "object/ZubBase.h"
#include "util/Math.h"

class BezierSegmentSimple : public ZubBase {
public:
    static constexpr int32_t SAMPLES = 8;
    // The step after a sample toward the point that gives its direction.
    static constexpr float DIRECTION_STEP = 0.0078125f;

    BezierSegmentSimple(const V3& p0, const V3& t0, const V3& p1, const V3& t1);
    ~BezierSegmentSimple() override;

    // The curve at parameter t (0 gives p0, 1 gives p1).
    V3 pointAt(float t) const;
    // Fills `angles` and `length`.
    void sample();
    // The road's direction (radians) at the fraction t of the segment (t is
    // clamped to [0, 1]), between the two samples around it, the short way.
    float getAngle(float t) const;
    // For inspection: the curve as a line strip and a pointer that runs
    // along it once every 8 seconds of engine time.
    void render() override;

    float length = 0.0f;
    V3 p0, t0, p1, t1;
    std::vector<float> angles;
};
