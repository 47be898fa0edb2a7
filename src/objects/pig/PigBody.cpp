#include "objects/pig/PigBody.h"

#include <cmath>

#include "anim/Easing.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "sys/ErrorManager.h"
#include "util/Random.h"
#include "world/HullSegment.h"

ZUB_IMPLEMENT_CLASS(PigBody, PhysObject, object_ids::PigBody)
ZUB_IMPLEMENT_CLASS(RPCSetPigletCount, RPC, object_ids::RPCSetPigletCount)

namespace {

// The level on which the pig wears her chef's hat.
constexpr int32_t CHEF_HAT_LEVEL = 31;

// Where a leg stands at rest, and its angle there.
struct LegRest {
    float x, y, angle, scale;
    uint32_t color;
};
// Legs 1 and 2 are the near pair, 3 and 4 (darker, smaller) the far pair.
constexpr LegRest kLegs[PigBody::LEG_COUNT] = {
    {6.0f, -32.0f, kPi / 16.0f, 1.0f, 0xFFFFFFFFu},
    {-18.0f, -32.0f, -kPi / 16.0f, 0.9f, 0xFFFFFFFFu},
    {18.0f, -32.0f, kPi / 16.0f, 0.9f, 0xFFC0C0C0u},
    {-6.0f, -32.0f, -kPi / 16.0f, 0.8f, 0xFFC0C0C0u},
};

// Within [0, 1]; NaN counts as 0 (frame indices are made from it).
float clamp01(float v) { return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f; }

}  // namespace

PigBody::PigBody() {
    for (std::unique_ptr<Renderable>* part : {&tail, &eyes, &blink, &mouth, &head, &hat})
        *part = std::make_unique<Renderable>();
    tailFrames = findResource<Texture>(u"pig-tail");
    eyeFrames = findResource<Texture>(u"pig-eyes");
    blinkFrames = findResource<Texture>(u"pig-blink");
    mouthFrames = findResource<Texture>(u"pig-mouth");
    showFrame(tail.get(), tailFrames, 0.5f);
    showFrame(eyes.get(), eyeFrames, 0.0f);
    showFrame(blink.get(), blinkFrames, 0.0f);
    showFrame(mouth.get(), mouthFrames, 0.0f);
    Skin* leg = findResource<Skin>(u"pig-body:2");
    for (int i = 0; i < LEG_COUNT; ++i) {
        legs[i] = std::make_unique<Renderable>();
        legs[i]->pSkin = leg;
        legs[i]->scale = V3(kLegs[i].scale, kLegs[i].scale, 1.0f);
        legs[i]->color = kLegs[i].color;
        legs[i]->rotation.z = kLegs[i].angle;
    }
    Level* level = Level::current();
    if (level && level->getCurrentLevelNumber() == CHEF_HAT_LEVEL) hat->pSkin = findResource<Skin>(u"chefHat:0");
    // The mother pig's look until the body is typed, standing at rest.
    applyTypeSkins();
    const V3 anchor = pSkin ? pSkin->origin : V3();
    for (int i = 0; i < LEG_COUNT; ++i) legs[i]->position = anchor + V3(kLegs[i].x, kLegs[i].y, 0.0f);
    onTransformChanged();
}

PigBody::~PigBody() {
    for (int i = LEG_COUNT - 1; i >= 0; --i) legs[i].reset();
    for (std::unique_ptr<Renderable>* part : {&hat, &head, &mouth, &blink, &eyes, &tail}) part->reset();
}

void PigBody::addPropertiesTo(PropertyContainer* c) {
    PhysObject::addPropertiesTo(c);
    c->add(new PropertyEnum(u"type", 0, &type, TYPE_COUNT), "1 the mother pig, 2 to 4 the piglets (0 until set)");
}

bool PigBody::showsPart(const Renderable* part) const {
    return type == TYPE_PIG || (part != mouth.get() && part != hat.get());
}

void PigBody::onTransformChanged() {
    PhysObject::onTransformChanged();
    // Parts are made after the base; a transform refresh before that has
    // nothing to hand on.
    if (!head) return;
    // Every part stands at the body skin's anchor (legs offset from it).
    const V3 anchor = pSkin ? pSkin->origin : V3();
    for (Renderable* part : {tail.get(), eyes.get(), blink.get(), mouth.get(), head.get(), hat.get()}) {
        if (!showsPart(part)) continue;
        part->position = anchor;
        part->setParentMatrix(worldMatrix);
    }
    // Legs keep the places updateParts gives them.
    for (const std::unique_ptr<Renderable>& leg : legs) leg->setParentMatrix(worldMatrix);
}

void PigBody::netPostReplicate() {
    PhysObject::netPostReplicate();
    applyTypeSkins();
}

void PigBody::applyTypeSkins() {
    pSkin = findResource<Skin>(type == TYPE_PIG || type == 0 ? u"pig-body:0" : u"piglets:3");
    switch (type) {
        case 2:
            head->pSkin = findResource<Skin>(u"piglets:2");
            break;
        case 3:
            head->pSkin = findResource<Skin>(u"piglets:1");
            break;
        case 4:
            head->pSkin = findResource<Skin>(u"piglets:0");
            break;
        default:
            head->pSkin = findResource<Skin>(u"pig-body:1");
            break;
    }
    onTransformChanged();
}

void PigBody::showFrame(Renderable* part, Texture* sequence, float value) {
    const int frames = sequence->getSkinCount();
    if (frames < 1) return;
    const int frame = static_cast<int>(clamp01(value) * static_cast<float>(frames - 1));
    part->pSkin = sequence->getSkin(frame < frames ? frame : frames - 1);
}

// ---------------------------------------------------------------------------
// Typing

void PigBody::setPigletCount(int n) {
    RPCSetPigletCount rpc;
    rpc.target = this;
    rpc.type = n;
    rpc.call();
}

void PigBody::local_setPigletCount(int n) {
    // The body's proxy (one only: a body constructed before keeps its own).
    EditorObject::local_construct();
    type = n;
    applyTypeSkins();
}

void RPCSetPigletCount::addPropertiesTo(Property* c) { c->add(new PropertyInt(u"", PROP_ARGUMENT, &type)); }

void RPCSetPigletCount::execute() {
    if (PigBody* b = zub_cast<PigBody>(target)) b->local_setPigletCount(type);
}

// ---------------------------------------------------------------------------
// Animation

void PigBody::updateParts(double time, double dt) {
    const float fdt = static_cast<float>(dt);
    // Piglets animate twice as fast.
    const float k = type == TYPE_PIG ? 1.0f : 2.0f;

    walkBlend = clamp01(walkBlend + (bWalking ? 2.0f : -2.0f) * k * fdt);
    walkPhase += 4.0f * k * fdt;
    walkPhase -= std::floor(walkPhase);

    // Squash: wider and flatter for a moment after a hard landing.
    const float s = 1.0f + 0.15f * squash * std::sin(-kTwoPi * squash);
    scale = V3(static_cast<float>(facing) * s, 1.0f / s, 1.0f);
    if (isPiglet()) scale = V3(scale.x * PIGLET_SCALE, scale.y * PIGLET_SCALE, PIGLET_SCALE);
    squash = std::max(0.0f, squash - 4.0f * fdt);

    // Drawn above the point, the feet kept down while squashed, turned with
    // the tilt.
    const float skinHeight = pSkin ? pSkin->height : 0.0f;
    bodyOffset.y = BODY_HEIGHT + 0.5f * skinHeight * (scale.y - 1.0f);
    const float c = std::cos(tilt.value), sn = std::sin(tilt.value);
    position = physPoint.position +
               V3(bodyOffset.x * c - bodyOffset.y * sn, bodyOffset.x * sn + bodyOffset.y * c, bodyOffset.z);

    // Tilt towards the ground's slope (upright in the air).
    const HullSegment* ground = getGround();
    const float slope = ground ? ground->getWorldAngle() : 0.0f;
    if (angleDifference(tilt.target, slope) != 0.0f) tilt.moveTo(slope);
    tilt.tick(time, dt);
    roll.tick(time, dt);

    const float sway = std::cos(kTwoPi * walkPhase) * (kPi / 64.0f);
    rotation.z = tilt.value + roll.value + lerpAngleSigned(0.0f, sway, walkBlend);

    // Legs: each swings on a small ellipse; the far pair an eighth of a
    // cycle later.
    const float a = -kTwoPi * walkPhase;
    const float b = a + kPi / 4.0f;
    const V3 walkPoints[LEG_COUNT] = {
        V3(3.0f * std::cos(a) + 6.0f, 2.0f * std::sin(a) - 32.0f, 0.0f),
        V3(-3.0f * std::cos(a) - 18.0f, -2.0f * std::sin(a) - 32.0f, 0.0f),
        V3(3.0f * std::cos(b) + 18.0f, 2.0f * std::sin(b) - 32.0f, 0.0f),
        V3(-3.0f * std::cos(b) - 6.0f, -2.0f * std::sin(b) - 32.0f, 0.0f),
    };
    const float walkAngles[LEG_COUNT] = {std::cos(a) * kPi / 4.0f, -std::cos(a) * kPi / 4.0f, std::cos(b) * kPi / 4.0f,
                                         -std::cos(b) * kPi / 4.0f};
    const V3 anchor = pSkin ? pSkin->origin : V3();
    for (int i = 0; i < LEG_COUNT; ++i) {
        const V3 rest(kLegs[i].x, kLegs[i].y, 0.0f);
        legs[i]->position = anchor + interpolateEased(rest, walkPoints[i], walkBlend, easing::LINEAR);
        legs[i]->rotation.z = lerpAngleSigned(kLegs[i].angle, walkAngles[i], walkBlend);
    }

    // Tail wag and the head's nod with it.
    const float w = 0.5f * tailWag * std::cos(4.0f * kTwoPi * tailWag) + 0.5f;
    showFrame(tail.get(), tailFrames, w);
    head->rotation.z = (w - 0.5f) * 0.1f;
    tailWag = std::max(0.0f, tailWag - fdt);

    // Eyes and lids on their random schedules; the first chance only
    // schedules.
    if (!bFainted) {
        if (time > nextLook) {
            if (nextLook != 0.0) eyeLook.moveTo(randomFraction() * (type == 3 ? 0.5f : 1.0f));
            nextLook = time + (type == 2 ? 0.1 : 0.25 + 2.75 * static_cast<double>(randomFraction()));
        }
        if (time > nextBlink) {
            if (nextBlink != 0.0) {
                blinkValue.setImmediate(1.0f);
                blinkValue.moveTo(type == 3 ? 0.5f : 0.0f);
            }
            const double most = type == 2 ? 20.0 : 3.0;
            nextBlink = time + 0.25 + static_cast<double>(randomFraction()) * (most - 0.25);
        }
    }
    // The eyes follow their value too (the look would otherwise never move);
    // the lids show the faint pose's shut eyes as well.
    eyeLook.tick(time, dt);
    blinkValue.tick(time, dt);
    mouthValue.tick(time, dt);
    hatAlpha.tick(time, dt);
    showFrame(eyes.get(), eyeFrames, eyeLook.value);
    showFrame(blink.get(), blinkFrames, blinkValue.value);
    showFrame(mouth.get(), mouthFrames, mouthValue.value);
    hat->setAlpha(static_cast<uint8_t>(std::lround(clamp01(hatAlpha.value) * 255.0f)));

    // One refresh for the body and every part.
    onTransformChanged();
}

void PigBody::slurpPose() {
    mouthValue.setImmediate(0.0f);
    mouthValue.moveTo(1.0f);
}

void PigBody::faintPose() {
    bFainted = true;
    blinkValue.moveTo(1.0f);
    mouthValue.setImmediate(1.0f);
    mouthValue.moveTo(0.6875f);
    roll.moveTo(static_cast<float>(facing) * kPi);
}

void PigBody::wakePose() {
    bFainted = false;
    blinkValue.moveTo(0.0f);
    mouthValue.setImmediate(0.0f);
    roll.setImmediate(0.0f);
}

// ---------------------------------------------------------------------------
// Drawing

void PigBody::renderObject() {
    // Flashing: drawn only in the second half of every tenth of a second.
    if (flashTime != 0.0 && std::fmod(flashTime * 10.0, 1.0) <= 0.5) return;
    legs[3]->render();
    legs[2]->render();
    tail->render();
    PhysObject::renderObject();
    eyes->render();
    blink->render();
    if (showsPart(mouth.get())) mouth->render();
    head->render();
    legs[1]->render();
    legs[0]->render();
    if (showsPart(hat.get())) hat->render();
}
