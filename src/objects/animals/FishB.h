#pragma once
// A fish that guards an area: a loose apple lying in its attack area on the
// side the fish faces draws it out of its path towards the apple (a second
// out, a second back, its fins beating twice as fast); it bites the apple
// when it reaches it and glides back, and picks its next target only once it
// is home on its path. Without a path it can travel it stays where it was
// placed, has no home to lunge from and hunts nothing.
#include "objects/animals/FishFins.h"

class Apple;

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
