#pragma once
// The drawn and animated body shared by the hero and her piglets: sprite
// parts (legs, tail, eyes, lids, mouth, head, hat) drawn with the body's
// world transform in a fixed order, a walk cycle, idle life (eyes, blinks,
// tail wag, mouth), a squash on hard landings, a tilt that follows the
// ground, and the faint and wake poses. The owner (Pig or Piglet) moves the
// physics point and calls updateParts once per tick after moving.
//
// Its one property, `type`, chooses the look: 1 the mother pig, 2 to 4 the
// three piglets (0 until set through setPigletCount). Piglets are drawn at
// 0.6 of the pig's size, without mouth and hat, and animate twice as fast.
#include <memory>

#include "anim/InterpolatedValue.h"
#include "object/RPC.h"
#include "world/PhysObject.h"

class Texture;

class PigBody : public PhysObject {
    ZUB_DECLARE_CLASS(PigBody)
public:
    static constexpr int TYPE_PIG = 1;
    static constexpr int TYPE_COUNT = 5;  // 0 (not set yet) to 4
    static constexpr int LEG_COUNT = 4;
    // The body's drawn centre above the physics point at rest.
    static constexpr float BODY_HEIGHT = 40.0f;
    static constexpr float PIGLET_SCALE = 0.6f;

    PigBody();
    ~PigBody() override;

    void addPropertiesTo(PropertyContainer* container) override;
    // Hands the body's world transform to every part (mouth and hat only
    // for the pig).
    void onTransformChanged() override;
    // A copy takes the skins of its type.
    void netPostReplicate() override;
    // The parts in their fixed order; nothing in the hidden half of each
    // tenth of a second while flashing.
    void renderObject() override;

    // The replicated call that types the body (1 pig, 2-4 piglets) and
    // chooses its skins.
    void setPigletCount(int type);
    void local_setPigletCount(int type);
    // The animation step, after the owner moved the physics point.
    void updateParts(double time, double dt);
    // The mouth opens wide from shut.
    void slurpPose();
    // Eyes shut, mouth open, rolled onto her back towards her facing.
    void faintPose();
    void wakePose();

    bool isPiglet() const { return type != TYPE_PIG; }
    // Whether the part is drawn and moved for this type (mouth and hat only
    // for the pig).
    bool showsPart(const Renderable* part) const;

    int32_t type = 0;

    // Parts, drawn with the body's world transform as their parent transform.
    std::unique_ptr<Renderable> tail, eyes, blink, mouth, head, hat;
    std::unique_ptr<Renderable> legs[LEG_COUNT];

    InterpolatedValue hatAlpha{1.0f, 4.0f, 1};
    InterpolatedValue eyeLook{0.0f, 4.0f, 3};
    InterpolatedValue blinkValue{0.0f, 4.0f, 3};
    InterpolatedValue mouthValue{0.0f, 1.5f, 1};
    InterpolatedValue tilt{0.0f, 4.0f, 1, InterpolatedValue::CLAMP | InterpolatedValue::ANGLE_WRAP};
    InterpolatedValue roll{0.0f, 2.0f, 3};

    V3 bodyOffset{0.0f, BODY_HEIGHT, 0.0f};
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
    float tailWag = 0.0f;  // set to 1 by the owner, counts down
    // The body's velocity (the owner integrates it).
    V3 velocity;

private:
    // Body and head skins by type.
    void applyTypeSkins();
    // Sets the part's skin to the sequence's frame for a value in [0, 1].
    static void showFrame(Renderable* part, Texture* sequence, float value);

    // The frame sequences of tail, eyes, lids and mouth (not owned).
    Texture* tailFrames = nullptr;
    Texture* eyeFrames = nullptr;
    Texture* blinkFrames = nullptr;
    Texture* mouthFrames = nullptr;
};

class RPCSetPigletCount : public RPC {
    ZUB_DECLARE_CLASS(RPCSetPigletCount)
public:
    RPCSetPigletCount() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* container) override;
    void execute() override;
    int32_t type = 0;
};
