#pragma once
// One of the pig's three children: a pig body of type 2, 3 or 4 that wanders
// by itself near the house and near the pig, hops now and then, and heads
// for the house when the pig stands at it. It has no controls, takes no
// damage and offers no prompt.
//
// States: 1 walking to targetX (8 s at most), 2 standing (0.5-1 s while
// the hero is near the house, else 1-5 s). A walk heads for the house when
// the hero is inside its radius, for a point beside the hero while she is
// near the house, and otherwise for a point within 300 of the house; never
// within 100 of the playing area's side edges. Piglets hop only away from
// the house, each type on its own schedule.
//
// A piglet that falls below the playing area is put back where it started,
// just above the house, so that everybody can still get home; and while the
// hero is inside the house, the house's own outline does not stop a piglet
// (one outside its walls or up on its roof could never reach its x).
#include "objects/pig/PigBody.h"

class House;
class Level;

class Piglet : public PigBody {
    ZUB_DECLARE_CLASS(Piglet)
public:
    enum State : int { WALKING = 1, STANDING = 2 };

    static constexpr float ACCELERATION = 3000.0f;
    static constexpr float MAX_SPEED = 192.0f;
    static constexpr float FRICTION = 2500.0f;
    static constexpr float GRAVITY = -2048.0f;
    static constexpr float HOP_SPEED = 384.0f;
    // A landing faster than this squashes the body.
    static constexpr float HARD_LANDING_SPEED = 500.0f;
    // The hero counts as near the house within this distance of it.
    static constexpr float HERO_NEAR_HOUSE = 600.0f;
    // No hops within this distance of the house.
    static constexpr float NO_HOP_RADIUS = 120.0f;
    // Wandering targets lie within this distance of the house.
    static constexpr float WANDER_RANGE = 300.0f;
    // Targets keep this far from the playing area's side edges.
    static constexpr float EDGE_MARGIN = 100.0f;
    // Piglets start this far above the house.
    static constexpr float START_HEIGHT = 10.0f;
    static constexpr double FIRST_WALK_DELAY = 2.0;
    static constexpr double LONGEST_WALK = 8.0;

    Piglet();
    ~Piglet() override;

    // The piglet list.
    ZubBase* namedOwnerList() const override;
    // Joins the piglet list wherever it hung and starts above the house;
    // unless the level is being edited, the first walk begins after
    // FIRST_WALK_DELAY.
    void netPostReplicate() override;
    void tick(double time, double dt) override;
    // Entering a walk chooses its target; entering a stand schedules the
    // next walk.
    void onStateChange() override;
    // After the editor moved it: the physics point stops at the drawn
    // position less the point's offset.
    void onEdited() override;

    // The hero is within HERO_NEAR_HOUSE of the house.
    bool isHeroNearHouse() const;

    // The x the piglet walks towards in state 1.
    float targetX = 0.0f;
    // Hops since it last stood on ground.
    int32_t jumpCount = 0;
    // The time of its next chance to hop; 0 until the first chance, which
    // only schedules the next.
    double nextJump = 0.0;

private:
    void chooseTarget();
    void scheduleWalk();
    // Ends the walk now (the pending end of the walk is cancelled).
    void standNow();
    // The time until the next chance to hop, by type.
    double hopInterval() const;
    // Back to the start above the house, at rest.
    void returnToHouse(const House* house);
    // Moves the physics point from its old position towards `to` through the
    // level's hulls, walking along every segment it meets.
    void sweep(const V3& to);
};
