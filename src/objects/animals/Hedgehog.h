#pragma once
// A hedgehog that trots along its path on four legs. It knocks a vulnerable
// hero back, and every loose apple it touches is spiked: the apple counts as
// spoiled (eaten: it no longer moves by itself) and rides on the hedgehog's
// back from then on, kept at the place where it was struck in the
// hedgehog's own frame.
//
// The spiked apples are held by self-clearing pointers: an apple deleted
// while it rides (by the editor, by a peer) simply drops out of the list.
// A hedgehog with no path to travel stays where it was placed and does
// nothing.
#include <memory>

#include "objects/paths/PathFollower.h"

class Apple;

class Hedgehog : public PathFollower {
    ZUB_DECLARE_CLASS(Hedgehog)
public:
    // Frames of the sheet "hedgy".
    enum Frame : int { FRAME_EYES_OPEN = 0, FRAME_EYES_SHUT = 1, FRAME_LEG = 2 };
    static constexpr int LEG_COUNT = 4;
    // The body rides this high above the path.
    static constexpr float BODY_HEIGHT = 32.0f;
    // One step cycle per this many units of path.
    static constexpr float STEP_LENGTH = 30.0f;
    // The eyes shut this long before each blink time.
    static constexpr double BLINK_SHUT = 0.1;
    // The far pair of legs: smaller and darker.
    static constexpr float FAR_LEG_SCALE = 0.8f;
    static constexpr uint32_t FAR_LEG_COLOR = 0xffc0c0c0u;

    Hedgehog();
    ~Hedgehog() override;

    // Travels, hurts the hero, spikes apples, poses the body and legs (only
    // the path's travel while edited).
    void tick(double time, double dt) override;
    // The legs and the spiked apples follow the body.
    void onTransformChanged() override;
    // Far legs, the near hind leg, the body, the near front leg.
    void renderObject() override;

    // The apples on its back, in the order they were spiked (cleared
    // pointers left out).
    int spikedCount() const;
    Apple* spikedApple(int i) const;

    std::unique_ptr<Renderable> legs[LEG_COUNT];
    // One ZubBasePointer per spiked apple.
    ZubBase spikedApples;
    float walkPhase = 0.0f;  // [0, 1)
    double nextBlink = 0.0;

private:
    void knockBackHero();
    void spikeApples();
    void spike(Apple* apple);
    void pose(double time, double dt);
    void poseLegs();

    Skin* bodyOpen = nullptr;
    Skin* bodyShut = nullptr;
};
