#include "objects/animals/Fishes.h"

#include <cmath>

#include "anim/Easing.h"
#include "audio/Sound.h"
#include "object/Property.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/apples/Apple.h"
#include "objects/areas/Area.h"
#include "object/ResourceManager.h"
#include "util/Random.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(FishA, PathFollower, object_ids::FishA)
ZUB_IMPLEMENT_CLASS(FishB, PathFollower, object_ids::FishB)

namespace {

// The fin beat's easing curve.
constexpr int kFinCurve = 8;
// The idle blip comes every IDLE_BASE to IDLE_BASE + IDLE_SPAN seconds.
constexpr double kIdleBase = 5.0;
constexpr double kIdleSpan = 5.0;
constexpr float kCollisionSensitivity = 0.75f;

ZubBase* findResource(const char16_t* name) {
    ResourceManager* rm = ResourceManager::active();
    if (!rm) ZUB_ERROR(u"Could not find resource '%s'.", name);
    return rm->find(name, true);
}

// The frame (n - 1) x t of a sheet of n, truncated; NaN counts as 0.
int frameAt(int n, float t) {
    const float f = static_cast<float>(n - 1) * t;
    return f > 0.0f ? static_cast<int>(std::fmin(f, static_cast<float>(n - 1))) : 0;
}

// The first loose apple of the level that the fish touches: bitten.
void biteApple(Renderable* fish) {
    Level* level = Level::current();
    if (!level || !level->appleList) return;
    for (Apple* apple : childrenOf<Apple>(level->appleList)) {
        if (apple->bToBeDestroyed || !apple->isLoose() || !fish->collide(apple)) continue;
        apple->spoil(Apple::SPOIL_BITTEN);
        return;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Fins

FishFins::FishFins(const char16_t* sheetName)
    : sheet(static_cast<Skin*>(findResource(sheetName))), fins(0.0f, RATE, kFinCurve, InterpolatedValue::CLAMP) {
    fins.moveTo(1.0f);
}

void FishFins::swim(PathFollower* fish, const V3& at, double time, double dt) {
    fins.tick(time, dt);
    const int index = frameAt(sheet ? sheet->getFrameCount() : 1, fins.get());
    if (fins.progress == 1.0f) {
        fins.value = fins.start = fins.target = 0.0f;
        fins.progress = 0.0f;
        fins.moveTo(1.0f);
    }
    Skin* skin = sheet ? sheet->getFrame(index) : nullptr;
    const V3 scl(fish->rightFacing(), 1.0f, 1.0f);
    fish->setFields(skin ? skin : fish->pSkin, &at, nullptr, &scl);
    if (nextIdleTime < time) {
        if (nextIdleTime > 0.0) fish->playSound(zub_cast<Sound>(findResource(u"fishIdle")), false);
        nextIdleTime = time + kIdleBase + kIdleSpan * randomFraction();
    }
}

// ---------------------------------------------------------------------------
// FishA

FishA::FishA() {
    collisionSensitivity = kCollisionSensitivity;
    setSkin(body.sheet);
}

FishA::~FishA() = default;

void FishA::tick(double time, double dt) {
    PathFollower::tick(time, dt);
    if (isEditorMode()) return;
    biteApple(this);
    body.swim(this, travelledPath() ? pathPosition : position, time, dt);
}

// ---------------------------------------------------------------------------
// FishB

FishB::FishB() {
    collisionSensitivity = kCollisionSensitivity;
    setSkin(body.sheet);
}

FishB::~FishB() = default;

bool FishB::isPrey(Apple* apple, float facing) {
    if (apple->bToBeDestroyed || !apple->isLoose()) return false;
    if (apple->findContainingArea() != pAttackArea.get()) return false;
    const float side = apple->position.x - position.x > 0.0f ? 1.0f : -1.0f;
    return side == facing;
}

void FishB::tick(double time, double dt) {
    PathFollower::tick(time, dt);
    if (isEditorMode()) return;
    if (!travelledPath()) {
        pTarget.set(nullptr);
        body.swim(this, position, time, dt);
        return;
    }
    const float facing = rightFacing();
    // A target that is no longer loose, has left the area or lies behind
    // the fish now (it turned at an end) is given up.
    Apple* target = pTarget.as<Apple>();
    if (target && !isPrey(target, facing)) {
        pTarget.set(nullptr);
        target = nullptr;
    }
    // Only once home on its path.
    Level* level = Level::current();
    if (!target && attackAmount == 0.0f && level && level->appleList) {
        for (Apple* apple : childrenOf<Apple>(level->appleList)) {
            if (!isPrey(apple, facing)) continue;
            pTarget.set(apple);
            target = apple;
            break;
        }
    }
    const float step = static_cast<float>(dt);
    if (target) {
        targetPoint = target->position;
        attackAmount += step;
        if (collide(target)) {
            target->spoil(Apple::SPOIL_BITTEN);
            pTarget.set(nullptr);
            target = nullptr;
        }
    } else {
        attackAmount -= step;
    }
    attackAmount = clampf(attackAmount, 0.0f, 1.0f);
    const V3 at = interpolateEased(pathPosition, targetPoint, attackAmount, easing::LINEAR);
    body.fins.rate = target ? FishFins::ATTACK_RATE : FishFins::RATE;
    body.swim(this, at, time, dt);
}

void FishB::addPropertiesTo(PropertyContainer* c) {
    PathFollower::addPropertiesTo(c);
    // Only an area: a file, a peer or the editor naming anything else is
    // refused by the property.
    c->add(new PropertyReference(u"pAttackArea", PROP_RAW_POINTER, &pAttackArea, &Area::classRecord));
}
