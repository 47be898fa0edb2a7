#pragma once
// A worm that crawls along its path and ruins the first loose apple it
// touches (a worm-eaten apple), which is its last meal: it is gone
// afterwards. The pig squashes it by touching it. Its crawl animation runs
// as fast as it actually travels; a worm with no path to travel does
// nothing.
#include "anim/InterpolatedValue.h"
#include "objects/paths/PathFollower.h"

class Worm : public PathFollower {
    ZUB_DECLARE_CLASS(Worm)
public:
    // The death burst.
    static constexpr int DEATH_PARTICLES = 5;
    static constexpr float DEATH_MIN_SPEED = 10.0f;
    static constexpr float DEATH_MAX_SPEED = 25.0f;
    static constexpr uint32_t DEATH_COLOR = 0xffffb46bu;
    static constexpr float DEATH_LIFETIME = 1.0f;
    // The crawl runs once per this many units travelled.
    static constexpr float CRAWL_LENGTH = 20.0f;

    Worm();
    ~Worm() override;

    void tick(double time, double dt) override;

    // The crawl cycle, 0 to 1, restarted when it reaches 1.
    InterpolatedValue crawl;

private:
    void eatApple();
    void checkHero();
    Skin* frame(int index) const;
    Skin* sheet = nullptr;  // frame 0 of "worm"
};
