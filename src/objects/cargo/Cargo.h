#pragma once
// The base of everything the pig picks up and carries: baskets, the
// compass, the umbrella and the winged hat. Lying in the level, a cargo
// falls, bounces, slides and comes to rest on hulls; carried, it is held at
// an offset from the pig and glides there; lost (below the level, or resting
// in acid or danger), it returns to where the level placed it. It offers the
// hero the prompt to pick it up.
#include "anim/InterpolatedValue.h"
#include "world/PhysObject.h"

class Pig;

class Cargo : public PhysObject {
    ZUB_DECLARE_CLASS(Cargo)
public:
    static constexpr float GRAVITY = -1024.0f;
    static constexpr float MAX_SPEED = 1024.0f;
    static constexpr int PROMPT_PRIORITY = 3;

    Cargo();
    ~Cargo() override;

    void tick(double time, double dt) override;
    void netPostReplicate() override;
    // After the editor moved it: the physics point stops at the drawn
    // position less the point's offset.
    void onEdited() override;
    bool queryHeroPrompt(V3 position, int* priority, float* distance) override;

    // Picked up by the pig (with herself) or put down (with null).
    void setCarriedBy(Pig* carrier);
    Pig* getCarrier() const;
    // Where a carried cargo is held this tick: the physics position, the
    // drawn position and the rotation. Fatal without a carrier.
    void getCarriedParams(V3* outPosition, V3* outDrawn, float* outAngle) const;

    // Where the cargo is held in the carrier's frame, before the carrier's
    // carryScale.
    V3 carriedOffset;
    // A carried cargo turns with the hero's facing.
    uint8_t bFollowHeroFacing = 0;
    // The carrier; cleared by itself when the carrier goes.
    ZubBaseReference carriedBy{this};
    InterpolatedVector drawnPosition{V3(), 4.0f, 3};
    InterpolatedValue drawnAngle{0.0f, 4.0f, 3, InterpolatedValue::CLAMP | InterpolatedValue::ANGLE_WRAP};
    // Where a lost cargo returns: its physics position after set-up.
    V3 respawnPosition;
    // Set each time it is picked up or put down.
    uint8_t bEverCarried = 0;
    V3 velocity;
};
