#pragma once
// What the two fishes (FishA, FishB) share: they swim along a path, usually
// under water, flap through the frames of their sheet and blip now and then
// (every 5 to 10 s, the first time not before 5 s), and bite loose apples
// (in no basket place, not spoiled, not hanging).
#include "anim/InterpolatedValue.h"
#include "objects/paths/PathFollower.h"

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

// How much of a fish's bounding circle collides.
inline constexpr float FISH_COLLISION_SENSITIVITY = 0.75f;

// The first loose apple of the level that the fish touches: bitten.
void fishBiteApple(Renderable* fish);
