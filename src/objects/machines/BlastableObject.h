#pragma once
// A placed rock or plank that blocks the way with its hull until a blast
// (Explosion) throws it: its hull goes at once, and it flies straight on (no
// gravity) spinning, until it is out of view and leaves the level.
// Explosions look for blastable objects in the explodable list only, which
// a blastable object joins by itself when it is set up.
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
