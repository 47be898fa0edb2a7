#pragma once
// Objects that turn about their own position.
//
// Rotator: swings between angle1 and angle2 on its own, with the path
// followers' rules: a position from 0 to 1 that runs at rotatorSpeed
// fractions per second, waits endpointDelay at each end before it turns
// back (or stops there with bOnceOnly), optionally eased in and out; it
// moves only while bActivated, and an activation (a switch, or the pig's
// touch with bActivatedByTouch) starts it or sends it back from an end as
// a moving platform's does. Its transform is refreshed only when its
// position between the angles changed.
//
// SpringRotator: a board on a pivot that the pig tips by standing on it,
// free between minAngle and maxAngle, where it stops dead. Her weight turns
// it by her distance from the pivot; it keeps its angle when she steps off.
// The angle moves as the x of a damped point mass that the board ticks
// itself, once a tick (not as a child of the board).
#include "world/A99Object.h"
#include "world/PhysicsPoint.h"

class Rotator : public A99Object {
    ZUB_DECLARE_CLASS(Rotator)
public:
    // The editor arrows to the two end angles.
    static constexpr uint32_t EDITOR_ARROW_COLOR = 0xFFFFFFFFu;

    Rotator();
    ~Rotator() override;

    // Swings and turns (nothing while edited).
    void tick(double time, double dt) override;
    // Turns to its position; a rotator placed at an end waits the full delay.
    void netPostReplicate() override;
    // In the editor also arrows towards the two end angles.
    void renderObject() override;
    void activate() override;
    // An activation when bActivatedByTouch is set.
    void onTouched() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Turns to the angle of rotatorAlpha (eased with bSinusoidal) when that
    // changed since the last time.
    void apply();

    float angle1 = -kPi / 8.0f;
    float angle2 = kPi / 8.0f;
    float rotatorAlpha = 0.0f;
    float rotatorSpeed = 0.1f;
    int32_t rotatorDir = 1;
    bool bSinusoidal = false;
    bool bOnceOnly = false;
    bool bActivated = true;
    double endpointDelay = 0.0;
    bool bActivatedByTouch = false;

    double endpointTimer = 0.0;
    // The eased position last turned to; -1 turns it on the first apply.
    float lastAppliedAlpha = -1.0f;
    // The engine frame of the last activation; -1 before the first.
    int32_t lastActivationFrame = -1;

private:
    void waitAtEnd(double dt, int32_t direction);
};

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
