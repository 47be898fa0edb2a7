#include "objects/animals/FishB.h"

#include <cmath>

#include "anim/Easing.h"
#include "audio/Sound.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/animals/AnimalMotion.h"
#include "objects/apples/Apple.h"
#include "objects/areas/Area.h"
#include "util/Random.h"
#include "world/GameWorld.h"

ZUB_IMPLEMENT_CLASS(FishB, PathFollower, object_ids::FishB)

FishB::FishB() {
    collisionSensitivity = FISH_COLLISION_SENSITIVITY;
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
    c->add(new PropertyReference(u"pAttackArea", PROP_RAW_POINTER, &pAttackArea, &Area::classRecord),
           "the water area in which it hunts apples");
}
