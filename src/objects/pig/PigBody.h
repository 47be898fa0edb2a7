#pragma once
// The drawn and animated body shared by the hero and her piglets: sprite
// parts (legs, tail, eyes, lids, mouth, head, hat) drawn with the body's
// world transform in a fixed order, a walk cycle, idle life (eyes, blinks,
// tail wag, mouth), a squash on hard landings, a tilt that follows the
// ground, and the faint and wake poses. The owner (Pig or Piglet) moves the
// physics point and calls updateParts once per tick after moving.
//
// Its one property, `type`, chooses the look: 1 the mother pig, 2 to 4 the
// three piglets (0 until set through setPigletCount).
#include <memory>

#include "anim/InterpolatedValue.h"
#include "net/RPC.h"
#include "world/PhysObject.h"

class PigBody : public PhysObject {
    ZUB_DECLARE_CLASS(PigBody)
public:
    static constexpr int TYPE_PIG = 1;
    static constexpr int TYPE_COUNT = 5;  // 0 (not set yet) to 4

    PigBody();
    ~PigBody() override;

    void addPropertiesTo(PropertyContainer* container) override;
    // Hands the body's world transform to every part.
    void onTransformChanged() override;
    // The parts in their fixed order; nothing in the hidden half of each
    // tenth of a second while flashing.
    void renderObject() override;

    // The replicated call that types the body (1 pig, 2-4 piglets) and
    // chooses its skins.
    void setPigletCount(int type);
    void local_setPigletCount(int type);
    // The animation step, after the owner moved the physics point.
    void updateParts(double time, double dt);
    void slurpPose();
    void faintPose();
    void wakePose();

    bool isPiglet() const { return type != TYPE_PIG; }

    int32_t type = 0;

    // Parts, drawn with the body's world transform as their parent transform.
    std::unique_ptr<Renderable> tail, eyes, blink, mouth, head, hat;
    std::unique_ptr<Renderable> legs[4];

    InterpolatedValue hatAlpha{1.0f, 4.0f, 1};
    InterpolatedValue eyeLook{0.0f, 4.0f, 3};
    InterpolatedValue blinkValue{0.0f, 4.0f, 3};
    InterpolatedValue mouthValue{0.0f, 1.5f, 1};
    InterpolatedValue tilt{0.0f, 4.0f, 1, InterpolatedValue::CLAMP | InterpolatedValue::ANGLE_WRAP};
    InterpolatedValue roll{0.0f, 2.0f, 3};

    V3 bodyOffset{0.0f, 40.0f, 0.0f};
    // +1 facing right, -1 left: the sign of the x scale.
    int32_t facing = 1;
    float walkPhase = 0.0f;  // [0, 1)
    float walkBlend = 0.0f;  // [0, 1]
    bool bWalking = false;   // set by the owner each tick it walks
    bool bFainted = false;
    float squash = 0.0f;     // 1 after a hard landing, decays
    double flashTime = 0.0;  // while above 0 the body blinks; counted down by the owner
    double nextLook = 0.0;   // absolute times of the next eye move and blink
    double nextBlink = 0.0;
    float tailWag = 0.0f;    // set to 1 by the owner, counts down
    // The body's velocity (the owner integrates it).
    V3 velocity;
};

class RPCSetPigletCount : public RPC {
    ZUB_DECLARE_CLASS(RPCSetPigletCount)
public:
    RPCSetPigletCount() : RPC(true, true, false) {}
    void addPropertiesTo(Property* container) override;
    void execute() override;
    int32_t type = 0;
};
