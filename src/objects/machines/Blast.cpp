#include "objects/machines/Blast.h"

#include "audio/Sound.h"
#include "fx/ParticleGroup.h"
#include "object/Property.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "object/ResourceManager.h"
#include "util/Random.h"
#include "world/GameWorld.h"
#include "world/Hull.h"

ZUB_IMPLEMENT_CLASS(BlastableObject, A99Object, object_ids::BlastableObject)
ZUB_IMPLEMENT_CLASS(Explosion, A99Object, object_ids::Explosion)

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

template <class T>
T* resource(const char16_t* name) {
    ResourceManager* rm = ResourceManager::active();
    if (!rm) ZUB_ERROR(u"Could not find resource '%s'.", name);
    return rm->findAs<T>(name);
}

// Destroys the object's hull (over the network when it is registered) and
// forgets it.
void dropHull(A99Object* o) {
    Hull* h = o->getHull();
    o->pHull.set(nullptr);
    if (h) h->destroy();
}

}  // namespace

// ---------------------------------------------------------------------------
// BlastableObject

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

// ---------------------------------------------------------------------------
// Explosion

Explosion::Explosion() = default;

Explosion::~Explosion() = default;

void Explosion::activate() {
    bToBeDestroyed = 1;
    dropHull(this);
    Level* level = Level::current();
    if (!level) return;
    const float reachSq = explosionRadius * explosionRadius;
    for (BlastableObject* o : childrenOf<BlastableObject>(level->explodableList)) {
        if (o->bToBeDestroyed) continue;
        if (V3::distanceSquared(position, o->position) < reachSq) o->launchFrom(position);
    }
    if (ZubBase* effects = level->fgEffectsList) {
        if (level->getConfiguration().detailLevel >= 1)
            effects->addChild(
                new SmokeParticles(15, position, 50.0f, 150.0f, 0.0f, kTwoPi, 3.0f, 4.0f, kWhite, 0.33, 0.5));
        effects->addChild(new SparkShower(position, 150.0f, 300.0f, 0.0f, kTwoPi, 2.0f, 0.0f, 0.5));
        effects->addChild(new ExplosionParticles(position, 10.0f, 100.0f, 0.0f, kTwoPi, 3.0f, 4.0f, kWhite, 0.4, 0.6));
    }
    playSound(resource<Sound>(u"explosionSound"), false);
    level->shakeCamera(SHAKE_STRENGTH, SHAKE_TIME);
}

void Explosion::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyFloat(u"explosionRadius", 0, &explosionRadius));
}
