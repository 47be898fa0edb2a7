#pragma once
// A dangerous animal that patrols a path: a pig that can be hurt and
// touches it is knocked away from it (at KNOCK_BACK_SPEED) and faints. The
// bee flutters through its frames (four wing beats a second) and buzzes
// within its ambient radii.
//
// Without a path it can travel it stays where it was placed (it still
// hurts and flutters there).
#include "objects/paths/PathFollower.h"

class Bee : public PathFollower {
    ZUB_DECLARE_CLASS(Bee)
public:
    static constexpr float WING_BEATS = 4.0f;  // per second

    Bee();
    ~Bee() override;

    void tick(double time, double dt) override;

    // The wing cycle, [0, 1).
    float animPhase = 0.0f;

private:
    Skin* sheet = nullptr;  // frame 0 of "bee"
};
