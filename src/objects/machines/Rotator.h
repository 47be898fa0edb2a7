#pragma once
// An object that turns about its own position, swinging between angle1 and
// angle2 on its own, with the path followers' rules: a position from 0 to 1
// that runs at rotatorSpeed fractions per second, waits endpointDelay at
// each end before it turns back (or stops there with bOnceOnly), optionally
// eased in and out; it moves only while bActivated, and an activation (a
// switch, or the pig's touch with bActivatedByTouch) starts it or sends it
// back from an end as a moving platform's does. Its transform is refreshed
// only when its position between the angles changed.
#include "world/A99Object.h"

class Rotator : public A99Object {
    ZUB_DECLARE_CLASS(Rotator)
public:
    // The editor arrows to the two end angles.
    static constexpr uint32_t EDITOR_ARROW_COLOR = 0xFFFFFFFFu;

    Rotator();
    ~Rotator() override;

    // Swings and turns (nothing while edited).
    void tick(double time, double dt) override;
    // Turns to its position; a rotator placed at an end waits the full delay.
    void netPostReplicate() override;
    // In the editor also arrows towards the two end angles.
    void renderObject() override;
    void activate() override;
    // An activation when bActivatedByTouch is set.
    void onTouched() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Turns to the angle of rotatorAlpha (eased with bSinusoidal) when that
    // changed since the last time.
    void apply();

    float angle1 = -kPi / 8.0f;
    float angle2 = kPi / 8.0f;
    float rotatorAlpha = 0.0f;
    float rotatorSpeed = 0.1f;
    int32_t rotatorDir = 1;
    bool bSinusoidal = false;
    bool bOnceOnly = false;
    bool bActivated = true;
    double endpointDelay = 0.0;
    bool bActivatedByTouch = false;

    double endpointTimer = 0.0;
    // The eased position last turned to; -1 turns it on the first apply.
    float lastAppliedAlpha = -1.0f;
    // The engine frame of the last activation; -1 before the first.
    int32_t lastActivationFrame = -1;

private:
    void waitAtEnd(double dt, int32_t direction);
};

// In the editor: arrows from the object towards each end angle, as long as
// the object's bounding radius (drawn on the side away from the angle); the
// rotators' view of their range.
void drawRotatorAngleArrows(const Renderable& o, float a1, float a2, uint32_t color);
