#pragma once
// A dangerous animal that patrols a path: a pig that can be hurt and
// touches it is knocked away from it (at KNOCK_BACK_SPEED) and faints. The
// bear walks 45 units above its path, tilted with it, swinging its legs once
// per 60 units travelled, and bites the first apple it touches each tick:
// a loose one, or one in a basket place, whatever the basket's carrier.
//
// Without a path it can travel it stays where it was placed (it still
// bites and hurts there).
#include "objects/paths/PathFollower.h"

class Bear : public PathFollower {
    ZUB_DECLARE_CLASS(Bear)
public:
    static constexpr int PART_COUNT = 5;
    // The body stands this high above the path, square to it.
    static constexpr float BODY_HEIGHT = 45.0f;
    // The legs swing once per this many units of path travelled.
    static constexpr float STRIDE = 60.0f;

    Bear();
    ~Bear() override;

    // Bites, knocks the hero back, then stands on the path and swings its legs.
    void tick(double time, double dt) override;
    // The parts follow the body.
    void onTransformChanged() override;
    // Far legs, body, near legs, head.
    void renderObject() override;

    // Skins 1 to 5 of "bear": part 1 and 2 the near legs, 3 and 4 the far
    // legs, 5 the head (still).
    Renderable parts[PART_COUNT];
    // The leg cycle, [0, 1).
    float walkPhase = 0.0f;

private:
    void biteApple();
};
