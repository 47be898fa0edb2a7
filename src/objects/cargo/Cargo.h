#pragma once
// The base of everything the pig picks up and carries: baskets, the
// compass, the umbrella and the winged hat. Lying in the level, a cargo
// falls, bounces, slides and comes to rest on hulls; carried, it is held at
// an offset from the pig and glides there; lost (below the level, or resting
// in acid or danger), it returns to where the level placed it. It offers the
// hero the prompt to pick it up.
//
// Motion while free: gravity, then one sweep from the point's old position
// to the new one against every hull but hero-only and pass-through ones.
// Each hit slides (the motion is mirrored across the segment) and the
// velocity follows the new direction at the impact speed (capped) times a
// bounce factor: loud hits and slow hits on gentle ground lose 60 %, slow
// hits on steep ground keep their speed, and a hit below REST_SPEED on
// gentle ground puts the cargo to rest on that segment. Resting, it rides
// the ground's owner, until the segment turns steeper than STEEP_ANGLE.
#include "anim/InterpolatedValue.h"
#include "world/PhysObject.h"

class Pig;

class Cargo : public PhysObject {
    ZUB_DECLARE_CLASS(Cargo)
public:
    static constexpr float GRAVITY = -1024.0f;
    static constexpr float MAX_SPEED = 1024.0f;
    // Above this impact speed a hit sounds and bounces back at BOUNCE.
    static constexpr float LOUD_SPEED = 250.0f;
    // Below this impact speed on gentle ground the cargo comes to rest.
    static constexpr float REST_SPEED = 50.0f;
    static constexpr float BOUNCE = 0.4f;
    // Ground steeper than this (radians, either way) lets the cargo go.
    static constexpr float STEEP_ANGLE = 0.7853982f;
    static constexpr int PROMPT_PRIORITY = 3;
    // The touch-screen notice when the pig is out of reach.
    static constexpr uint32_t TOO_FAR_COLOR = 0xffff0000u;
    static constexpr float TOO_FAR_RISE = 64.0f;
    static constexpr double TOO_FAR_DURATION = 0.75;

    Cargo();
    ~Cargo() override;

    void tick(double time, double dt) override;
    // The cargo list (where the pig picks cargo up).
    ZubBase* namedOwnerList() const override;
    // Takes its physics position as the place it returns to when lost.
    void netPostReplicate() override;
    // After the editor moved it: the physics point stops at the drawn
    // position less the point's offset.
    void onEdited() override;
    // Keyboard: while it lies free and touches the hero, priority 3 at the
    // distance from her drawn position to its centre. Touch (the point is
    // the touch carried into the world): a touch on the cargo offers it
    // when the pig stands within reach, else shows "TOO FAR AWAY".
    bool queryHeroPrompt(V3 position, int* priority, float* distance) override;

    // Picked up by the pig (with herself) or put down (with null). Put down,
    // it stays on the pig's side of any wall between her and it.
    void setCarriedBy(Pig* carrier);
    Pig* getCarrier() const;
    // Offered an apple that the pig carrying it nudged: a basket takes it
    // into a free place (true); other cargo takes none.
    virtual bool tryAddApple(A99Object* apple) {
        (void)apple;
        return false;
    }
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

protected:
    void tickCarried(Pig* carrier, double time, double dt);
    void tickOnGround(HullSegment* segment);
    void tickFree(double time, double dt);
    // The drawn position follows the physics point (the offset turned with
    // the cargo).
    void placeAtPhysPoint();
    // Lost below the playing area, or resting in acid or danger: back to
    // the respawn position.
    void returnIfLost();
    void showTooFarAway();
};
