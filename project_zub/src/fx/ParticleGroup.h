#pragma once
// A burst of particles: each leaves the group's position with a speed drawn
// from [minimum, maximum] and a direction within centre +- spread / 2
// (radians, 0 along +x, counter-clockwise), lives for its lifetime and fades
// out, and the group flags itself for removal (to be deleted by the list or
// maker it is a child of) when the last particle is gone.
//
// Random values come from the program-wide generator, four per particle in
// this order: speed, direction, size, lifetime.
//
// Particles live in world coordinates and are drawn together as one
// triangle list with the particle skin (a frame looked up by name; without
// it plain squares), tinted by the group's colour. The group's bounding
// circle holds all its particles, so it is culled as a whole.
#include <cstdint>
#include <vector>

#include "gfx/Renderable.h"
#include "gfx/VertexBuffer.h"

struct Particle {
    V3 position;
    V3 velocity;
    float age = 0.0f;
    float life = 1.0f;
    float size = 1.0f;     // scale at birth
    float sizeEnd = 1.0f;  // scale at the end of its life
    float angle = 0.0f;    // rotation of the image
    uint32_t color = 0xFFFFFFFF;
};

class ParticleGroup : public Renderable {
    ZUB_DECLARE_CLASS(ParticleGroup)
public:
    ParticleGroup();
    // count particles; speed range, direction centre and spread, colour
    // (ARGB), lifetime in seconds. Skin "glint:0".
    ParticleGroup(int count, const V3& position, float minSpeed, float maxSpeed, float direction, float spread,
                  uint32_t color, float lifetime);

    void tick(double time, double dt) override;
    void renderSelf() override;

    int liveCount() const { return static_cast<int>(particles.size()); }
    bool isFinished() const { return particles.empty(); }

    std::vector<Particle> particles;
    float gravity = 0.0f;           // downward acceleration, units per second squared
    float drag = 1.0f;              // share of the speed lost per second
    bool bAlignToVelocity = false;  // images turn along their flight
    Skin* particleSkin = nullptr;   // not owned

protected:
    // Adds count particles with sizes in [minSize, maxSize] growing by
    // `growth` over their lives and lifetimes in [minLife, maxLife].
    void spawn(int count, const V3& at, float minSpeed, float maxSpeed, float direction, float spread, float minSize,
               float maxSize, float growth, uint32_t color, float minLife, float maxLife);
    // The frame registered under the name, or null.
    static Skin* findSkin(const char16_t* name);
    void updateBounds();

    VertexBuffer buffer;
};

// Smoke puffs: slow down, grow to twice their size and fade. Skin "smoke:0".
class SmokeParticles : public ParticleGroup {
    ZUB_DECLARE_CLASS(SmokeParticles)
public:
    SmokeParticles() = default;
    SmokeParticles(int count, const V3& position, float minSpeed, float maxSpeed, float direction, float spread,
                   float minScale, float maxScale, uint32_t color, double minLife, double maxLife);
};

// Drops of water or mud that fall back under gravity and shrink. Variant 0,
// a jet, uses the skin "splash:0" and rises about as many units as its
// drops are fast; variant 1, a splash out of a surface, uses
// "splashCircular:0" and falls back at once.
class SplashParticles : public ParticleGroup {
    ZUB_DECLARE_CLASS(SplashParticles)
public:
    SplashParticles() = default;
    SplashParticles(int count, float x, float y, float z, float minSpeed, float maxSpeed, float direction, float spread,
                    float minScale, float maxScale, uint32_t color, int variant, double minLife, double maxLife);
    int variant = 0;
};

// Sixteen sparks that fly along their direction of travel. Skin "spark:0"
// (its origin, the right edge's middle, is the spark's head).
class SparkShower : public ParticleGroup {
    ZUB_DECLARE_CLASS(SparkShower)
public:
    static constexpr int SPARKS = 16;
    SparkShower() = default;
    SparkShower(const V3& position, float minSpeed, float maxSpeed, float direction, float spread, float scale,
                float gravity, double life);
};

// Eight fire balls that swell and fade. Skin "explosion:0".
class ExplosionParticles : public ParticleGroup {
    ZUB_DECLARE_CLASS(ExplosionParticles)
public:
    static constexpr int BALLS = 8;
    ExplosionParticles() = default;
    ExplosionParticles(const V3& position, float minSpeed, float maxSpeed, float direction, float spread,
                       float minScale, float maxScale, uint32_t color, double minLife, double maxLife);
};
