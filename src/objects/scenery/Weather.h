#pragma once
// Rain in spring, falling leaves in autumn and snow in winter, drawn in front
// of the level: a fixed set of sprites that drift at a constant velocity and
// wrap around a box that follows the camera, so that the weather never runs
// out and nothing is spawned or allocated while it runs.
//
// The box is `viewScale` reference screens wide and high around the
// camera's position; a sprite that leaves it on one side comes back one box
// width (height) further on the other, one correction per axis and tick, so
// that a camera jump of several boxes is caught up over as many ticks.
//
// Emitters are plain objects (never replicated nor stored in level files)
// that the game controller keeps in its weather list (see forLevel). All
// random numbers come from the program-wide generator, in a fixed order per
// sprite: phase, depth, y, x, then the start rotation of leaves and flakes.
#include <cstdint>
#include <memory>

#include "gfx/Renderable.h"

class Camera;
class Level;

// One drop, leaf or flake: drawn at its home position (plus its sway).
class WeatherSprite : public Renderable {
public:
    // Radians in [0, 2 pi): the sway and the animation frame.
    float phase = 0.0f;
    V3 home;
};

class WeatherEmitter : public ZubBase {
public:
    // One sprite for every 1/128 of intensity; an intensity from a level
    // file never makes more than this (none when it is not above 0).
    static constexpr int PARTICLES_PER_INTENSITY = 128;
    static constexpr int MAX_PARTICLES = 8 * PARTICLES_PER_INTENSITY;
    static constexpr float SPRITE_SCALE = 0.5f;
    // The phase turns at this many radians per second.
    static constexpr float PHASE_SPEED = 2.0f;
    // Leaves and flakes sway sideways this far.
    static constexpr float SWAY = 16.0f;

    // What tells the members apart.
    struct Look {
        const char16_t* skinName;
        V3 velocity;
        // Frame cycles per turn of the phase; 0 keeps the skin's first frame.
        int cycles;
        // A random start rotation in [-pi/4, pi/4) and the sideways sway.
        bool bTurnedAndSwaying;
    };

    ~WeatherEmitter() override;

    // The level's weather, appended to its weather list: at graphics detail
    // 1 or more and a weather intensity above 0, rain in spring (season 0),
    // leaves in autumn (2), snow in winter (3), nothing in summer (1) or any
    // other season. Null when there is none.
    static WeatherEmitter* forLevel(Level& level);

    // Moves and wraps every sprite.
    void tick(double time, double dt) override;
    // Every sprite in array order.
    void render() override;

    int getCount() const { return count; }
    const WeatherSprite& sprite(int i) const { return particles[static_cast<size_t>(i)]; }
    const Look& getLook() const { return look; }

    // The camera the box follows (cleared when the camera goes away; the
    // box then stays where it was).
    ZubBaseReference pCamera{this};
    float viewScale = 1.0f;
    Skin* pSkin = nullptr;

protected:
    WeatherEmitter(const Look& look, Camera* camera, float viewScale, float intensity);

private:
    Look look;
    std::unique_ptr<WeatherSprite[]> particles;
    int count = 0;
    // Where the box stood at the last tick.
    float boxX = 0.0f, boxY = 0.0f;
};

// Spring: drops falling steeply, the skin's first frame.
class RainDrop : public WeatherEmitter {
public:
    RainDrop(Camera* camera, float viewScale, float intensity);
};

// Autumn: swaying, turned leaves, one cycle of frames per turn of the phase.
class AutumnLeaf : public WeatherEmitter {
public:
    AutumnLeaf(Camera* camera, float viewScale, float intensity);
};

// Winter: swaying, turned flakes, four cycles of frames per turn.
class SnowFlake : public WeatherEmitter {
public:
    SnowFlake(Camera* camera, float viewScale, float intensity);
};
