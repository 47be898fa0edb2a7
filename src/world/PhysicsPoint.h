#pragma once
// A point mass that integrates its own motion: forces accumulate in `force`;
// each tick turns them into acceleration, velocity and position in sub-steps
// of at most 0.04 s, with viscous damping, constant friction against the
// motion and a speed limit. A step never leaves it at a position or velocity
// that is not finite. Owners keep it as a member (not a tree child, so
// it is ticked once, by them), add their forces and tick it, and save it
// with their own properties through a sub-object property.
//
// It is not a registered class: it reports ZubBase's class.
#include "object/ZubBase.h"
#include "util/Math.h"

class PhysicsPoint : public ZubBase {
public:
    // The longest integration step (seconds), and the most steps one tick
    // takes (4 s of motion): an infinite or huge dt, whose float count-down
    // would never reach zero, ends there.
    static constexpr float kStep = 0.04f;
    static constexpr int kMaxSteps = 100;

    PhysicsPoint() = default;
    ~PhysicsPoint() override = default;

    // Integrates over dt in sub-steps (0.1 s: 0.04, 0.04, 0.02; 0: none),
    // then clears the force unless bResetForce is off. No state timer and no
    // children.
    void tick(double time, double dt) override;
    // One step.
    virtual void integrate(double time, double dt);
    // 1 / mass; 0 for a mass that is not a positive normal number (0,
    // negative, infinite or NaN, as a file or a peer may give it). Such a
    // point has no finite mass to divide a force by: it is taken as
    // immovable, as a static body is, so no force accelerates it.
    float inverseMass() const;
    void addPropertiesTo(PropertyContainer* c) override;

    V3 position;
    V3 oldPosition;
    V3 velocity;
    V3 acceleration;
    V3 force;
    float mass = 1.0f;      // see inverseMass
    float friction = 0.0f;  // speed taken off per second against the motion
    float maxSpeed = 1e6f;  // its magnitude counts
    float vdamping = 0.0f;  // fraction of the velocity taken off per second
    bool bResetForce = true;
};
