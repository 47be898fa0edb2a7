#pragma once
// A moving platform: a path follower whose hull the pig stands on and rides
// (her ground contact is kept in the platform's frame). A level keeps it
// still until it is fired by setting bActivated off: the first activation
// (a switch, or her touch with bActivatedByTouch) starts it in its current
// direction; a later one sends it back when it rests at an end and is
// ignored while it travels. Activations on consecutive frames (a switch
// held down, a lasting touch) count once. It can turn with its path: along
// it (orientation 1), along it within a fixed bound (2), or banking by the
// sine of the path's angle (3).
//
// A platform whose path cannot be travelled stays where it stands.
#include "objects/paths/PathFollower.h"

class PathPlatform : public PathFollower {
    ZUB_DECLARE_CLASS(PathPlatform)
public:
    enum Orientation : int32_t { KEEP = 0, FOLLOW = 1, FOLLOW_BOUNDED = 2, BANK = 3, ORIENTATION_COUNT };
    // The bound of orientation 2 (radians), and the default bank amplitude.
    static constexpr float FOLLOW_BOUND = 0.687223f;
    static constexpr float DEFAULT_BANK = 0.687223f;

    PathPlatform();
    ~PathPlatform() override;

    // Travels, then stands (and turns) at the path's point.
    void tick(double time, double dt) override;
    void activate() override;
    // An activation when bActivatedByTouch is set.
    void onTouched() override;
    void addPropertiesTo(PropertyContainer* container) override;

    bool bActivatedByTouch = false;
    int32_t orientationEnum = KEEP;
    float maxBankAngle = DEFAULT_BANK;
    // The engine frame of the last activation; -1 before the first.
    int32_t lastActivationFrame = -1;
};

// The activation rule of platforms and rotators: the first one sets
// `activated`; a later one that does not follow one in the previous frame
// turns `direction` round when `alpha` rests at an end (0 or 1) and does
// nothing while it lies between them. Stamps `lastFrame` with this frame.
void activateTraveller(int32_t& lastFrame, bool& activated, int32_t& direction, float alpha);
