#include "objects/machines/Explosion.h"

#include "audio/Sound.h"
#include "fx/ParticleGroup.h"
#include "object/Property.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/machines/BlastableObject.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "util/Random.h"
#include "world/GameWorld.h"
#include "world/Hull.h"

ZUB_IMPLEMENT_CLASS(Explosion, A99Object, object_ids::Explosion)

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;

// Destroys the object's hull (over the network when it is registered) and
// forgets it.
void dropHull(A99Object* o) {
    Hull* h = o->getHull();
    o->pHull.set(nullptr);
    if (h) h->destroy();
}

}  // namespace

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
    playSound(findResource<Sound>(u"explosionSound"), false);
    level->shakeCamera(SHAKE_STRENGTH, SHAKE_TIME);
}

void Explosion::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyFloat(u"explosionRadius", 0, &explosionRadius),
           "blastable objects within this distance are thrown when it goes off");
}
