#pragma once
// Charges and what they blow away.
//
// Explosion: an invisible charge placed in a level. When something fires it
// (a switch, a trigger) it takes itself away and throws every blastable
// object whose position lies strictly within its radius away from its
// centre, with smoke (at detail 1 or more), sparks, a fire cloud, a bang
// and a shake of the camera.
//
// BlastableObject: a placed rock or plank that blocks the way with its
// hull until a blast throws it: its hull goes at once, and it flies
// straight on (no gravity) spinning, until it is out of view and leaves the
// level. Explosions look for blastable objects in the explodable list only,
// which a blastable object joins by itself when it is set up.
#include "world/A99Object.h"

class BlastableObject : public A99Object {
    ZUB_DECLARE_CLASS(BlastableObject)
public:
    // The launch speed: LAUNCH_SPEED plus up to LAUNCH_SPEED_SPAN more.
    static constexpr float LAUNCH_SPEED = 300.0f;
    static constexpr float LAUNCH_SPEED_SPAN = 200.0f;

    BlastableObject();
    ~BlastableObject() override;

    // Once launched: flies and spins, and leaves the level when out of
    // view (nothing while edited).
    void tick(double time, double dt) override;
    // The explodable list, where explosions find it.
    ZubBase* namedOwnerList() const override;

    // Thrown away from the centre, once: the hull goes, a speed of 300 to
    // 500 along the direction from the centre (none when it lies on the
    // centre) and a spin of one to two turns a second either way, drawn
    // from the program's generator.
    void launchFrom(const V3& centre);

    bool bLaunched = false;
    V3 launchVelocity;
    // Radians per second.
    float spinSpeed = 0.0f;
};

class Explosion : public A99Object {
    ZUB_DECLARE_CLASS(Explosion)
public:
    static constexpr float DEFAULT_RADIUS = 200.0f;
    // The camera's shake: strength and seconds.
    static constexpr double SHAKE_STRENGTH = 0.15;
    static constexpr double SHAKE_TIME = 0.75;

    Explosion();
    ~Explosion() override;

    // Goes off: takes itself and its hull away, launches the blastable
    // objects in reach, shows the effects, bangs and shakes the camera.
    // A second call in the same tick launches nothing more but shows and
    // sounds again.
    void activate() override;
    void addPropertiesTo(PropertyContainer* container) override;

    float explosionRadius = DEFAULT_RADIUS;
};
