#pragma once
// A rabbit that pops its head out of its burrow on a fixed rhythm: down for
// `inTime` seconds, up for `outTime` (after `initialDelay` before the first
// cycle). The head rises in one second, twitches while it is up and bites a
// loose apple that it touches while fully out. It does not touch the hero.
//
// States: 1 down, 2 up. A rhythm of two phases that both last no time flips
// once per tick instead of without end within one.
#include <memory>

#include "anim/InterpolatedValue.h"
#include "world/A99Object.h"

class Texture;

class Rabbit : public A99Object {
    ZUB_DECLARE_CLASS(Rabbit)
public:
    enum State : int { DOWN = 1, UP = 2 };
    // Frames of the sheet "rabbit".
    enum Frame : int { FRAME_BURROW = 0, FRAME_HEAD = 1, FRAME_TWITCH_A = 2, FRAME_TWITCH_B = 3 };

    // The head's way from the skin's origin: hidden, and fully out.
    static constexpr float HEAD_HIDDEN_Y = -50.0f;
    static constexpr float HEAD_OUT_Y = 45.0f;
    // The head stops twitching this long before it goes down.
    static constexpr double TWITCH_END = 0.2;

    Rabbit();
    ~Rabbit() override;

    // Raises or lowers the head, bites, twitches (nothing while edited).
    void tick(double time, double dt) override;
    // Down: the head sinks and the next rise is timed; up: the head rises
    // with a squeak and the next descent is timed.
    void onStateChange() override;
    // Starts the rhythm (not while edited).
    void netPostReplicate() override;
    // The head follows the body.
    void onTransformChanged() override;
    // The head behind the burrow.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    double inTime = 2.0;
    double outTime = 2.0;
    double initialDelay = 0.0;

    std::unique_ptr<Renderable> head;
    // 0 in the burrow, 1 fully out.
    InterpolatedValue appearValue{0.0f, 1.0f, 3, InterpolatedValue::CLAMP};
    double twitchTime = 0.0;

private:
    void bite();
    void showHead(int frame);
    // The timed change to the other phase; immediate only while the two
    // phases do not both last no time.
    void timeNextPhase(int next, double after);

    Texture* sheet = nullptr;
};
