#include "objects/animals/BearAndBee.h"

#include <cmath>

#include "audio/Sound.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "objects/pig/Pig.h"
#include "object/ResourceManager.h"
#include "world/BezierPath.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(Bear, PathFollower, object_ids::Bear)
ZUB_IMPLEMENT_CLASS(Bee, PathFollower, object_ids::Bee)

namespace {

ZubBase* findResource(const char16_t* name) {
    ResourceManager* rm = ResourceManager::active();
    if (!rm) ZUB_ERROR(u"Could not find resource '%s'.", name);
    return rm->find(name, true);
}

// Into [0, 1): fmod keeps the sign of its first operand (and a tiny
// negative remainder plus 1 rounds to 1).
float wrapPhase(float v) {
    v = std::fmod(v, 1.0f);
    if (v < 0.0f) v += 1.0f;
    return v < 1.0f ? v : 0.0f;
}

// The frame (n - 1) x t of a sheet of n, truncated; NaN counts as 0.
int frameAt(int n, float t) {
    const float f = static_cast<float>(n - 1) * t;
    return f > 0.0f ? static_cast<int>(std::fmin(f, static_cast<float>(n - 1))) : 0;
}

// Knocks the hero away from the animal when they touch and she can be hurt:
// her velocity points from the animal to her at the knock-back speed (none
// when they stand on one point), and she faints at once.
void knockBackHero(Renderable* animal) {
    Level* level = Level::current();
    Pig* hero = level ? level->heroOrNull() : nullptr;
    if (!hero || !animal->collide(hero) || !hero->isVulnerable()) return;
    hero->velocity = (hero->position - animal->position).normalized() * Pig::KNOCK_BACK_SPEED;
    hero->gotoState(Pig::FAINTING);
}

// Where the parts stand, from the body skin's origin.
const V3 kPartOffsets[Bear::PART_COUNT] = {V3(-10.0f, 16.0f, 0.0f), V3(5.0f, 5.0f, 0.0f), V3(), V3(), V3()};

}  // namespace

// ---------------------------------------------------------------------------
// Bear

Bear::Bear() {
    collisionSensitivity = 0.7f;
    Skin* body = static_cast<Skin*>(findResource(u"bear:0"));
    setSkin(body);
    const V3 origin = body ? body->origin : V3();
    for (int i = 0; i < PART_COUNT; ++i) {
        parts[i].position = origin + kPartOffsets[i];
        parts[i].setSkin(body ? body->getFrame(i + 1) : nullptr);
    }
    onTransformChanged();
}

Bear::~Bear() = default;

void Bear::onTransformChanged() {
    PathFollower::onTransformChanged();
    for (Renderable& part : parts) part.setParentMatrix(worldMatrix);
}

void Bear::renderObject() {
    parts[3].render();
    parts[2].render();
    parts[1].render();
    PathFollower::renderObject();
    parts[0].render();
    parts[4].render();
}

void Bear::biteApple() {
    Level* level = Level::current();
    if (!level || !level->appleList) return;
    for (Apple* apple : childrenOf<Apple>(level->appleList)) {
        if (apple->bToBeDestroyed) continue;
        // Lying spoiled or still hanging in its tree; an apple in a basket
        // place is fair game.
        if (!apple->pSlot && (apple->bSpoiled || apple->bHanging)) continue;
        if (!collide(apple)) continue;
        apple->spoil(Apple::SPOIL_BITTEN);
        return;
    }
}

void Bear::tick(double time, double dt) {
    PathFollower::tick(time, dt);
    if (isEditorMode()) return;
    biteApple();
    knockBackHero(this);
    const BezierPath* path = travelledPath();
    if (!path) return;

    const float facing = rightFacing();
    // The legs keep swinging while the bear waits at an end.
    walkPhase = wrapPhase(walkPhase + path->totalLength * pathSpeed / STRIDE * static_cast<float>(dt));
    const float p = kTwoPi * walkPhase;
    const float sway = std::cos(p) * kPi / 32.0f;
    const V3 at = pathPosition + V3(-BODY_HEIGHT * std::sin(pathAngle), BODY_HEIGHT * std::cos(pathAngle), 0.0f);
    const V3 rot(0.0f, 0.0f, pathAngle + sway);
    const V3 scl(facing, 1.0f, 1.0f);
    setFields(nullptr, &at, &rot, &scl);

    if (!bInView) return;
    parts[0].setRotationZ(std::cos(kPi - p) * kPi / 16.0f);
    parts[1].setRotationZ(std::cos(-p) * kPi / 16.0f + kPi / 16.0f);
    parts[2].setRotationZ(std::cos(-p) * kPi / 8.0f + kPi / 16.0f);
    parts[3].setRotationZ(std::cos(kPi - p) * kPi / 8.0f - kPi / 16.0f);
}

// ---------------------------------------------------------------------------
// Bee

Bee::Bee() {
    collisionSensitivity = 0.25f;
    sheet = static_cast<Skin*>(findResource(u"bee:0"));
    editorSkin = sheet;
    pAmbientSound = zub_cast<Sound>(findResource(u"beeBuzz"));
}

Bee::~Bee() = default;

void Bee::tick(double time, double dt) {
    PathFollower::tick(time, dt);
    if (isEditorMode()) return;
    knockBackHero(this);
    const V3 scl(rightFacing(), 1.0f, 1.0f);
    animPhase = wrapPhase(animPhase + WING_BEATS * static_cast<float>(dt));
    Skin* skin = sheet ? sheet->getFrame(frameAt(sheet->getFrameCount(), animPhase)) : nullptr;
    const V3* at = travelledPath() ? &pathPosition : nullptr;
    setFields(skin ? skin : pSkin, at, nullptr, &scl);
}
