#pragma once
// An invisible charge placed in a level. When something fires it (a switch,
// a trigger) it takes itself away and throws every blastable object
// (BlastableObject) whose position lies strictly within its radius away from
// its centre, with smoke (at detail 1 or more), sparks, a fire cloud, a bang
// and a shake of the camera.
#include "world/A99Object.h"

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
