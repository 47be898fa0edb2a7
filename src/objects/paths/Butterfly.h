#pragma once
// A butterfly that flutters along its path between two resting places at
// the path's ends, bobbing on random wing beats, faster and higher in flight
// than at rest. At the far end it settles only when its perch object is
// there to sit on (and turns back at once otherwise); the pig scares a
// resting butterfly back along its path. It starts at rest (pathDir 0).
//
// To rest until something sends it on, a butterfly's level data sets
// bOnceOnly; without it the path turns it back at each end by itself after
// endpointDelay.
#include "objects/paths/PathFollower.h"

class Butterfly : public PathFollower {
    ZUB_DECLARE_CLASS(Butterfly)
public:
    // Wing strokes and the flutter they give (per second, per second squared).
    static constexpr float WING_OPEN_SPEED = 4.0f;
    static constexpr float WING_CLOSE_SPEED = 8.0f;
    static constexpr float LIFT_PER_STROKE = 512.0f;
    static constexpr float FLYING_FALL = 256.0f;
    static constexpr float RESTING_FALL = 64.0f;

    Butterfly();
    ~Butterfly() override;

    void tick(double time, double dt) override;
    void addPropertiesTo(PropertyContainer* container) override;

    bool isFlying() const { return pathAlpha > 0.0f && pathAlpha < 1.0f; }

    // The object it needs to settle on at the far end, or none.
    ZubBaseReference pNeededForSittingOn{this};
    float liftSpeed = 0.0f;
    float liftHeight = 0.0f;
    // The wings, 0 closed to 1 open (also the frame), and how far the
    // current beat opens them.
    float wing = 0.0f;
    float wingTarget = 0.0f;

private:
    // Sends it back along the path (a butterfly at rest sets off forwards).
    void turnBack();
    Skin* sheet = nullptr;  // frame 0 of "butterfly"
};
