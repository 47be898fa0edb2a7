#include "objects/machines/BlastableObject.h"

#include "audio/Sound.h"
#include "fx/ParticleGroup.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "util/Random.h"
#include "world/GameWorld.h"
#include "world/Hull.h"

ZUB_IMPLEMENT_CLASS(BlastableObject, A99Object, object_ids::BlastableObject)

namespace {

// Destroys the object's hull (over the network when it is registered) and
// forgets it.
void dropHull(A99Object* o) {
    Hull* h = o->getHull();
    o->pHull.set(nullptr);
    if (h) h->destroy();
}

}  // namespace

BlastableObject::BlastableObject() = default;

BlastableObject::~BlastableObject() = default;

ZubBase* BlastableObject::namedOwnerList() const {
    if (Level* level = Level::current(); level && level->explodableList) return level->explodableList;
    return A99Object::namedOwnerList();
}

void BlastableObject::launchFrom(const V3& centre) {
    if (bLaunched) return;
    bLaunched = true;
    dropHull(this);
    const V3 away = (position - centre).normalized();
    launchVelocity = away * (LAUNCH_SPEED + LAUNCH_SPEED_SPAN * randomFraction());
    // Three draws in this order: the speed, the spin's sign, its size.
    const float sign = (randomNext() & 1u) ? 1.0f : -1.0f;
    spinSpeed = (kTwoPi + kTwoPi * randomFraction()) * sign;
}

void BlastableObject::tick(double time, double dt) {
    A99Object::tick(time, dt);
    if (isEditorMode() || !bLaunched) return;
    const float fdt = static_cast<float>(dt);
    // A straight flight: nothing pulls it down.
    position += launchVelocity * fdt;
    rotation.z += spinSpeed * fdt;
    onTransformChanged();
    // Measured against the view here rather than read from the last
    // drawing: an object that is not drawn (no skin, or no frame drawn yet)
    // would otherwise count as out of view and vanish as it is thrown.
    if (!updateInView()) bToBeDestroyed = 1;
}
