#pragma once
// A switch the pig operates with the action key (or that fires by itself
// when she walks into it) and that then calls `activate` on up to five
// target objects: drawbridges, platforms, rotators, explosions. A lever
// toggles between on and off every time; a button (once-only) works once.
// It may first fly the camera to its first target, rest there and fly back,
// while the hero's controls stay locked; the targets then fire when the
// camera arrives.
//
// Frames of the sheet "switch": 0 and 1 the button off and on, 2 and 3 the
// lever off and on. An invisible switch shows nothing and makes no sound of
// its own (a level-chosen activation sound still plays).
#include "objects/triggers/TriggerArea.h"

class Pig;
class Sound;

class Switch : public TriggerArea {
    ZUB_DECLARE_CLASS(Switch)
public:
    static constexpr int TARGET_COUNT = 5;
    // The prompt it offers the hero (above hers, below cargo's).
    static constexpr int PROMPT_PRIORITY = 2;
    // The editor arrows to the targets.
    static constexpr uint32_t EDITOR_ARROW_COLOR = 0xFF80FF00u;
    // The pending activation of a switch without a camera show: it fires in
    // the tick that operated the switch (any step is longer).
    static constexpr double FIRE_AT_ONCE = 0.001;
    static constexpr double NOTHING_PENDING = -1.0;

    Switch();
    ~Switch() override;

    // Operates on the action target (or by itself), then counts a pending
    // activation down and fires the targets when it runs out.
    void tick(double time, double dt) override;
    // Shows its skin; an automatic switch that is not once-only is fatal.
    void netPostReplicate() override;
    // An automatic switch that is not once-only: it would fire again on
    // every visit.
    WString valueFault() const override;
    // An editor change of a property shows at once.
    void onEdited() override;
    // Keyboard: while the hero is inside, a usable switch that waits for the
    // key offers priority 2 at the point's distance from it. Touch (the point
    // is the touch carried into the world): a touch on it offers it when the
    // hero stands within three radii, else shows "TOO FAR AWAY".
    bool queryHeroPrompt(V3 point, int* priority, float* distance) override;
    // The switch; in the editor also an arrow to each target.
    void renderObject() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // The frame of its state, or none when invisible.
    void updateSkin();
    // Whether the switch can still be used (a used button cannot).
    bool isUsable() const { return !bOnceOnly || bArmed; }
    ZubBaseReference& target(int i) { return *targets[i]; }

    ZubBaseReference target1{this};
    ZubBaseReference target2{this};
    ZubBaseReference target3{this};
    ZubBaseReference target4{this};
    ZubBaseReference target5{this};
    // Played at the switch when the targets fire, if target1 is set.
    Sound* pActivationSound = nullptr;
    bool bAutomatic = false;
    bool bInvisible = false;
    bool bOn = false;
    bool bOnceOnly = false;
    bool bShowTarget = false;
    // The camera's flight to the first target (and back), which the targets
    // wait for, and its rest there.
    double transitionDelay = 1.0;
    double viewDelay = 1.0;

    // Seconds until the targets fire; below 0 nothing is pending.
    double fireTime = NOTHING_PENDING;
    // A once-only switch that has not been used.
    bool bArmed = true;

private:
    // Toggles, flies the camera when asked, and sounds.
    void operate(Pig* hero);
    // The camera flies to target1, rests, and comes back to the hero.
    void showTarget(Pig* hero);
    void fireTargets();
    void showTooFarAway();

    ZubBaseReference* const targets[TARGET_COUNT] = {&target1, &target2, &target3, &target4, &target5};
    Skin* frames[4] = {};
};
