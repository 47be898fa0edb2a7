#include "world/PhysicsPoint.h"

#include <cmath>

#include "object/Property.h"

namespace {
bool isFiniteV3(const V3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
}  // namespace

void PhysicsPoint::tick(double time, double dt) {
    // One type for the whole count-down: a tick of 2 x 0.04 runs exactly two
    // steps.
    float remaining = static_cast<float>(dt);
    for (int steps = 0; remaining > 0.0f && steps < kMaxSteps; ++steps) {
        const float step = remaining > kStep ? kStep : remaining;
        integrate(time, step);
        time += step;
        remaining -= kStep;
    }
    if (bResetForce) force = V3();
}

float PhysicsPoint::inverseMass() const { return std::isnormal(mass) && mass > 0.0f ? 1.0f / mass : 0.0f; }

void PhysicsPoint::integrate(double time, double dt) {
    (void)time;
    const float h = static_cast<float>(dt);
    const float inverse = inverseMass();
    acceleration = inverse > 0.0f ? force * inverse : V3();
    velocity += acceleration * h;
    if (vdamping > 0.0f) {
        const V3 dv = velocity * (vdamping * h);
        if (dv.lengthSquared() > velocity.lengthSquared()) velocity = V3();
        else velocity -= dv;
    }
    const float speedSq = velocity.lengthSquared();
    if (speedSq > 0.0f) {
        if (friction > 0.0f) {
            const V3 f = velocity.normalized() * -(friction * h);
            if (f.lengthSquared() > speedSq) velocity = V3();
            else velocity += f;
        }
        // A speed above the limit comes down to the limit (the speed as it
        // was before the friction decides). A negative limit is its size: it
        // never turns the motion round.
        const float limit = std::fabs(maxSpeed);
        if (speedSq > limit * limit) velocity *= limit / std::sqrt(speedSq);
    }
    oldPosition = position;
    position += velocity * h;
    if (!isFiniteV3(velocity) || !isFiniteV3(position)) {
        // Forces beyond what a float holds (an owner's, or a huge one on a
        // tiny mass): the point stops where it was rather than carry an
        // infinity or a NaN to its owner.
        position = oldPosition;
        velocity = V3();
        acceleration = V3();
    }
}

void PhysicsPoint::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    addPropertyV3(c, u"position", 0, &position);
    addPropertyV3(c, u"oldPosition", 0, &oldPosition);
    addPropertyV3(c, u"velocity", 0, &velocity);
    addPropertyV3(c, u"acceleration", 0, &acceleration);
    addPropertyV3(c, u"force", 0, &force);
    c->add(new PropertyFloat(u"mass", 0, &mass));
    c->add(new PropertyFloat(u"friction", 0, &friction));
    c->add(new PropertyFloat(u"maxSpeed", 0, &maxSpeed));
    c->add(new PropertyFloat(u"vdamping", 0, &vdamping));
    c->add(new PropertyBool(u"bResetForce", 0, &bResetForce));
}
