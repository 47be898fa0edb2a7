#include "objects/animals/Bear.h"

#include <cmath>

#include "audio/Sound.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/animals/AnimalMotion.h"
#include "objects/apples/Apple.h"
#include "objects/apples/AppleIndex.h"
#include "objects/pig/Pig.h"
#include "world/BezierPath.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(Bear, PathFollower, object_ids::Bear)

namespace {

// Where the parts stand, from the body skin's origin.
const V3 kPartOffsets[Bear::PART_COUNT] = {V3(-10.0f, 16.0f, 0.0f), V3(5.0f, 5.0f, 0.0f), V3(), V3(), V3()};

}  // namespace

Bear::Bear() {
    collisionSensitivity = 0.7f;
    Skin* body = findResource<Skin>(u"bear:0");
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
    const float reach = std::fabs(effectiveRadius());
    for (Apple* apple : AppleIndex::Near(level->appleList, boundingCentre.x - reach, boundingCentre.x + reach)) {
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
    animal_motion::knockBackHero(this);
    const BezierPath* path = travelledPath();
    if (!path) return;

    const float facing = rightFacing();
    // The legs keep swinging while the bear waits at an end.
    walkPhase = animal_motion::wrapPhase(walkPhase + path->totalLength * pathSpeed / STRIDE * static_cast<float>(dt));
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
