#pragma once
// A fish that swims along a path and bites any loose apple it touches, one
// a tick. Without a path it can travel it stays where it was placed.
#include "objects/animals/FishFins.h"

class FishA : public PathFollower {
    ZUB_DECLARE_CLASS(FishA)
public:
    FishA();
    ~FishA() override;

    void tick(double time, double dt) override;

    FishFins body{u"fishA:0"};
};
