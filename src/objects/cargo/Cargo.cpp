#include "objects/cargo/Cargo.h"

#include "objects/ObjectClassIds.h"
#include "objects/pig/Pig.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_CLASS(Cargo, PhysObject, object_ids::Cargo)

Cargo::Cargo() { collisionSensitivity = 0.75f; }
Cargo::~Cargo() = default;

void Cargo::tick(double time, double dt) { PhysObject::tick(time, dt); }
void Cargo::netPostReplicate() { PhysObject::netPostReplicate(); }
void Cargo::onEdited() { PhysObject::onEdited(); }

bool Cargo::queryHeroPrompt(V3 position, int* priority, float* distance) {
    return PhysObject::queryHeroPrompt(position, priority, distance);
}

Pig* Cargo::getCarrier() const { return carriedBy.as<Pig>(); }

void Cargo::setCarriedBy(Pig* carrier) {
    carriedBy.set(carrier);
    bEverCarried = 1;
}

void Cargo::getCarriedParams(V3* outPosition, V3* outDrawn, float* outAngle) const {
    ZUB_ASSERT(carriedBy != NULL);
    *outPosition = physPoint.position;
    *outDrawn = position;
    *outAngle = rotation.z;
}
