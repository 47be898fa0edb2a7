#pragma once
// A telescope the hero uses through her action prompt: the game camera flies
// to a point of the level chosen by the designer, rests there and flies back
// to her, while her controls stay locked. Its head (drawn in the stand's
// frame) turns towards that point.
//
// The show: a CameraTransition to the point blends in over transitionDelay;
// a HeroCamera waits out viewDelay + transitionDelay (the flight and the
// rest) and then blends back over transitionDelay. The hero is locked for
// the whole of it, so the telescope cannot be used again meanwhile.
#include <memory>

#include "objects/triggers/TriggerArea.h"

class Telescope : public TriggerArea {
    ZUB_DECLARE_CLASS(Telescope)
public:
    static constexpr int PROMPT_PRIORITY = 2;
    // Under touch input: a touch within this many radii of it, with the hero
    // within TOUCH_REACH radii.
    static constexpr float TOUCH_RADIUS = 2.0f;
    static constexpr float TOUCH_REACH = 3.0f;
    // The editor arrow to the look-at point.
    static constexpr uint32_t EDITOR_ARROW_COLOR = 0xFFFFFF00u;

    Telescope();
    ~Telescope() override;

    // Starts the camera show when the hero takes its prompt (playing, not
    // locked; nothing while the level is edited).
    void tick(double time, double dt) override;
    // Editor: A sets the look-at point to the pointer (its depth stays), T
    // the radius.
    bool onEvent(ZubEvent& ev) override;
    // The head turns towards the look-at point.
    void netPostReplicate() override;
    // The head is drawn in the telescope's frame.
    void onTransformChanged() override;
    // The stand (with the editor's radius), the head; while edited an arrow
    // to the look-at point.
    void renderObject() override;
    // Keyboard: while the hero is inside, priority 2 at her distance. Touch:
    // a touch near it offers it when she stands close enough, else shows
    // "TOO FAR AWAY".
    bool queryHeroPrompt(V3 point, int* priority, float* distance) override;
    void addPropertiesTo(PropertyContainer* container) override;

    // Where the camera looks: x and y in the level, z the camera's depth.
    V3 lookAt;
    // The flight there (and back), and the rest there.
    double transitionDelay = 1.0;
    double viewDelay = 1.0;
    std::unique_ptr<Renderable> head;
};
