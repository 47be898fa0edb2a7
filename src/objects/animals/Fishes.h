#pragma once
// Two fishes that swim along a path, usually under water, and bite loose
// apples (in no basket place, not spoiled, not hanging). FishA bites any it
// touches, one a tick. FishB guards an area: a loose apple lying in its
// attack area on the side the fish faces draws it out of its path towards
// the apple (a second out, a second back, its fins beating twice as fast);
// it bites the apple when it reaches it and glides back, and picks its next
// target only once it is home on its path. Both flap through the frames of
// their sheet and blip now and then (every 5 to 10 s, the first time not
// before 5 s).
//
// A fish without a path it can travel stays where it was placed; FishB
// then has no home to lunge from and hunts nothing.
#include "anim/InterpolatedValue.h"
#include "objects/paths/PathFollower.h"

class Apple;

// The fins and the idle blip that both fishes share.
struct FishFins {
    static constexpr float RATE = 4.0f;
    static constexpr float ATTACK_RATE = 8.0f;

    explicit FishFins(const char16_t* sheetName);
    // Flaps (restarting the beat when it is done), faces the way the fish
    // swims, places it and blips when the time has come.
    void swim(PathFollower* fish, const V3& at, double time, double dt);

    Skin* sheet = nullptr;  // frame 0 of the fish's sheet
    // 0 to 1 over a beat; the frame is (n - 1) x its value.
    InterpolatedValue fins;
    double nextIdleTime = 0.0;
};

class FishA : public PathFollower {
    ZUB_DECLARE_CLASS(FishA)
public:
    FishA();
    ~FishA() override;

    void tick(double time, double dt) override;

    FishFins body{u"fishA:0"};
};

class FishB : public PathFollower {
    ZUB_DECLARE_CLASS(FishB)
public:
    FishB();
    ~FishB() override;

    void tick(double time, double dt) override;
    void addPropertiesTo(PropertyContainer* container) override;

    // The Area in which it hunts (none: apples that lie in no area).
    ZubBaseReference pAttackArea{this};

    FishFins body{u"fishB:0"};
    // The apple it lunges at.
    ZubBaseReference pTarget{this};
    // 0 home on the path, 1 at the apple.
    float attackAmount = 0.0f;
    // Where the target apple was last seen.
    V3 targetPoint;

private:
    // A loose apple in the attack area on the side the fish faces (f).
    bool isPrey(Apple* apple, float facing);
};
