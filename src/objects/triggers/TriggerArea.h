#pragma once
// The base of the placed objects that react to the hero coming near (the
// house, springboards, switches, telescopes, hints, secret areas): a radius,
// a per-frame test whether the hero is inside it, and two operations that
// fire on the transitions. In the editor it draws its radius and the T key
// sets the radius to the pointer's distance.
#include "world/A99Object.h"

class TriggerArea : public A99Object {
    ZUB_DECLARE_CLASS(TriggerArea)
public:
    // The editor circle of the radius: half-transparent yellow.
    static constexpr uint32_t EDITOR_CIRCLE_COLOR = 0x80FFFF00u;

    TriggerArea();
    ~TriggerArea() override;

    // The inside test and its transitions (nothing while the level is
    // edited: the flag keeps its value, and the first tick after editing
    // compares against it). Subclasses run it first.
    void tick(double time, double dt) override;
    // Editor: T (no modifier) sets the radius to the pointer's distance.
    bool onEvent(ZubEvent& ev) override;
    // Editor: the radius circle, then the object.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Called once when the hero comes inside, and once when she leaves; the
    // inside flag already holds the new value.
    virtual void onHeroEnter() {}
    virtual void onHeroLeave() {}

    // The hero is inside when her distance (in three dimensions) to the
    // area's position is strictly below the radius plus her own radius.
    bool isHeroInside() const { return bHeroInside != 0; }

    float triggerRadius = 50.0f;
    // The result of the last inside test.
    uint8_t bHeroInside = 0;
};
