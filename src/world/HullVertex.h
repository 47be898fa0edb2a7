#pragma once
// A corner of a collision hull, in the hull owner's local frame. Whoever
// moves it tells its referrers (the segments that use it recompute).
#include "object/ZubBase.h"
#include "util/Math.h"

class HullVertex : public ZubBase {
    ZUB_DECLARE_CLASS(HullVertex)
public:
    HullVertex() = default;
    ~HullVertex() override;
    void addPropertiesTo(PropertyContainer* c) override;

    V3 vertex;
};
