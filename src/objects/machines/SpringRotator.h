#pragma once
// A board on a pivot that the pig tips by standing on it, free between
// minAngle and maxAngle, where it stops dead. Her weight turns it by her
// distance from the pivot; it keeps its angle when she steps off. The angle
// moves as the x of a damped point mass that the board ticks itself, once a
// tick (not as a child of the board).
#include "world/A99Object.h"
#include "world/PhysicsPoint.h"

class SpringRotator : public A99Object {
    ZUB_DECLARE_CLASS(SpringRotator)
public:
    // The angle point loses this share of its speed per second.
    static constexpr float DAMPING = 1.0f;
    // Smaller turns than this (radians) leave the transform alone.
    static constexpr float ANGLE_EPSILON = 0.001f;

    SpringRotator();
    ~SpringRotator() override;

    // Moves the angle point, stops it at the limits and turns the board
    // (nothing while edited).
    void tick(double time, double dt) override;
    // The angle point starts at the stored angle.
    void netPostReplicate() override;
    // The pig's weight at `from` (her point; `to` lies 1.0 below) turns the
    // board: the turning effect about the pivot, in the board's frame,
    // grows with her distance from it in bounding radii. A board without
    // a size (no skin) is not turned.
    void onStoodOnAt(Pig* pig, V3 from, V3 to) override;
    // As a rotator: in the editor arrows towards the two limits.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    float minAngle = -kPi / 8.0f;
    float maxAngle = kPi / 8.0f;
    float currentAngle = 0.0f;
    // x is the angle; its force is cleared after each of its ticks.
    PhysicsPoint anglePoint;
};
