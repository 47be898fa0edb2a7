#pragma once
// Cameras of the game context that the game controller and the pig append
// to its camera node, each blending in over its duration (after its delay):
// CameraTransition looks at a fixed point, HeroCamera follows the hero with
// a dead zone. Both keep the view inside the level's playing area. Neither
// is registered or replicated.
#include "gfx/Camera.h"

class CameraTransition : public Camera {
public:
    // Looks at (x, y) from depth z (negative), moved so that the view stays
    // inside the playing area.
    CameraTransition(float x, float y, float z);
};

class HeroCamera : public Camera {
public:
    // Starts at the hero, half a screen width in front of the level.
    HeroCamera();
    // The blend step, then following the hero.
    void tick(double time, double dt) override;
};
