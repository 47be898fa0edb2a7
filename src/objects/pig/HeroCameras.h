#pragma once
// Cameras of the game context that the game controller and the pig append
// to its camera node, each blending in over its duration (after its delay):
// CameraTransition looks at a fixed point, HeroCamera follows the hero with
// a dead zone. Both keep the view inside the level's playing area. Neither
// is registered or replicated.
//
// The blend fields (blendCurve 6, duration 1 s, elapsed, blend, delay) and
// the blend step are Camera's; the camera node counts a child's delay down
// before the child starts blending. Screen sizes are the reference size
// (REFERENCE_WIDTH x REFERENCE_HEIGHT), never window pixels.
#include "gfx/Camera.h"

class CameraTransition : public Camera {
public:
    // Looks at (x, y) from depth z (negative), moved so that the view stays
    // inside the playing area: the look-at point keeps -z from the left and
    // right edges and -z x H / W from the bottom and top ones.
    CameraTransition(float x, float y, float z);
};

class HeroCamera : public Camera {
public:
    // How far the hero may stray from the view's centre before the view
    // follows her, as a fraction of the screen's width (x) and height (y).
    static constexpr float DEAD_ZONE = 0.1f;

    // Starts at the hero, half a screen width in front of the level.
    HeroCamera();
    // The blend step, then following the hero: the view moves only as far as
    // keeps her within a tenth of the screen of its centre, and stays half a
    // screen inside the playing area (the right and top edges win when the
    // area is smaller than the screen).
    void tick(double time, double dt) override;
};
