#include "objects/animals/FishA.h"

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

ZUB_IMPLEMENT_CLASS(FishA, PathFollower, object_ids::FishA)

FishA::FishA() {
    collisionSensitivity = FISH_COLLISION_SENSITIVITY;
    setSkin(body.sheet);
}

FishA::~FishA() = default;

void FishA::tick(double time, double dt) {
    PathFollower::tick(time, dt);
    if (isEditorMode()) return;
    fishBiteApple(this);
    body.swim(this, travelledPath() ? pathPosition : position, time, dt);
}
