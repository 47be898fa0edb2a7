#pragma once
// A trigger area that throws the hero along its own up direction when she
// comes inside (her velocity is replaced; her own speed limits then apply in
// her tick), bounces its board for a second (it cannot throw again until the
// bounce is over) and pushes the loose apples that touch it away from its
// centre.
#include <memory>

#include "objects/triggers/TriggerArea.h"

class Springboard : public TriggerArea {
    ZUB_DECLARE_CLASS(Springboard)
public:
    static constexpr float DEFAULT_FORCE = 1024.0f;
    // Where the board sits on the base, in the springboard's frame.
    static constexpr float BOARD_HEIGHT = 23.0f;
    // How long a bounce lasts (and the least time between two throws).
    static constexpr float BOUNCE_TIME = 1.0f;
    // The speed of an apple's push away from the centre.
    static constexpr float APPLE_PUSH = 128.0f;

    Springboard();
    ~Springboard() override;

    // Throws the hero, pushes apples, bounces (nothing while edited).
    void tick(double time, double dt) override;
    // The base, then the board.
    void renderObject() override;
    // The board follows the base's transform (and its bounce).
    void onTransformChanged() override;
    void addPropertiesTo(PropertyContainer* container) override;

    // The launch speed.
    float force = DEFAULT_FORCE;
    // The running bounce, from BOUNCE_TIME down to 0.
    float bounceTime = 0.0f;
    std::unique_ptr<Renderable> board;

private:
    void pushApples();
};
