#pragma once
// A snail that creeps along its path, leaning with it, and nibbles the first
// loose apple it touches in a tick. Its crawl animation runs once per
// CRAWL_LENGTH units travelled and stands still with the snail. It does not
// touch the hero. A snail with no path to travel stays where it was placed
// and does nothing.
#include "anim/InterpolatedValue.h"
#include "objects/paths/PathFollower.h"

class Texture;

class Snail : public PathFollower {
    ZUB_DECLARE_CLASS(Snail)
public:
    // One crawl cycle per this many units of path.
    static constexpr float CRAWL_LENGTH = 40.0f;

    Snail();
    ~Snail() override;

    // Travels, bites, crawls (only the path's travel while edited).
    void tick(double time, double dt) override;

    // The crawl cycle, 0 to 1, restarted when it has run its course.
    InterpolatedValue crawlValue{0.0f, 1.0f, 8, InterpolatedValue::CLAMP};

private:
    void bite();

    Texture* sheet = nullptr;
};
