#pragma once
// A point of a Bezier path with its tangent, in the path's local frame.
// Whoever changes either tells its referrers (the segments that use it).
#include "object/ZubBase.h"
#include "util/Math.h"

class BezierVertex : public ZubBase {
    ZUB_DECLARE_CLASS(BezierVertex)
public:
    BezierVertex() = default;
    ~BezierVertex() override;
    void addPropertiesTo(PropertyContainer* c) override;

    V3 vertex;
    V3 tangent;
};
