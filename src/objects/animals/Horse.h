#pragma once
// A horse that stands in one place. When an apple comes within reach of its
// sight (loose, or lying in a basket) it turns its head toward the nearest
// one, and when its head touches that apple it bites it, licks its lips for a
// second and is ready again. It idles with blinks and the odd snort, and
// does not touch the hero.
//
// States: 1 idle, 2 alert (an apple is near), 3 licking.
#include <memory>

#include "anim/InterpolatedValue.h"
#include "world/A99Object.h"

class Apple;
class Texture;

class Horse : public A99Object {
    ZUB_DECLARE_CLASS(Horse)
public:
    enum State : int { IDLE = 1, ALERT = 2, LICKING = 3 };
    // Frames of the sheet "horse-head".
    enum HeadFrame : int { HEAD_EYES_SHUT = 0, HEAD_IDLE = 1, HEAD_ALERT = 2 };

    // Apples farther than this are not seen.
    static constexpr float SIGHT = 400.0f;
    // Where the head sits on the body (from the body skin's origin): looking
    // forward, looking back, and its height.
    static constexpr float HEAD_FRONT_X = 12.0f;
    static constexpr float HEAD_BACK_X = 66.0f;
    static constexpr float HEAD_Y = 32.0f;
    // The head tilts at most this far (radians) toward an apple.
    static constexpr float MAX_TILT = 0.5f;
    // The lick sits this far below and behind the head's origin.
    static constexpr float LICK_X = 8.0f;
    static constexpr float LICK_Y = 29.0f;
    static constexpr double LICK_TIME = 1.0;
    static constexpr double BLINK_SHUT = 0.1;

    Horse();
    ~Horse() override;

    // Watches, turns its head, bites; the lick follows the head.
    void tick(double time, double dt) override;
    // Idle: the next snort is scheduled; alert: a whinny; licking: the
    // digest sound, the lick and the return to idle after a second.
    void onStateChange() override;
    // Stands idle (not while edited).
    void netPostReplicate() override;
    // The head follows the body.
    void onTransformChanged() override;
    // Body, head, lick.
    void renderObject() override;

    // The apple it watches: the nearest within sight that lies in a basket
    // or is loose; null when none.
    Apple* nearestApple() const;

    std::unique_ptr<Renderable> head;
    std::unique_ptr<Renderable> lick;
    InterpolatedValue lickValue{0.0f, 1.0f, 3, InterpolatedValue::CLAMP};
    double nextBlink = 0.0;
    double nextIdleSound = 0.0;
    // +1 the head looks forward, -1 back.
    float lookSide = 1.0f;

private:
    void tickIdle(double time);
    void tickAlert(Apple* apple);
    void placeHead(int frame);
    void placeLick(double time, double dt);

    Texture* headFrames = nullptr;
    Texture* lickFrames = nullptr;
};
