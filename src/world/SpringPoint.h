#pragma once
// A physics point on a spring that pulls it towards a rest point, with its
// own damping. Not a registered class.
#include "world/PhysicsPoint.h"

class SpringPoint : public PhysicsPoint {
public:
    SpringPoint() = default;

    // The spring force and damping, then the point's own tick.
    void tick(double time, double dt) override;
    void addPropertiesTo(PropertyContainer* c) override;

    V3 restPoint;
    float k = 0.0f;        // spring constant
    float damping = 0.0f;  // fraction of the velocity taken off per second
};
