#include "objects/pig/Pig.h"

#include "objects/ObjectClassIds.h"
#include "objects/cargo/Cargo.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_CLASS(Pig, PigBody, object_ids::Pig)

Pig::Pig() = default;
Pig::~Pig() = default;

void Pig::tick(double time, double dt) { PigBody::tick(time, dt); }
void Pig::netPostReplicate() { PigBody::netPostReplicate(); }
void Pig::onStateChange() {}
void Pig::onEdited() { PigBody::onEdited(); }

bool Pig::queryHeroPrompt(V3 point, int* priority, float* distance) {
    return PigBody::queryHeroPrompt(point, priority, distance);
}

void Pig::renderObject() { PigBody::renderObject(); }
bool Pig::onEvent(ZubEvent& ev) { return PigBody::onEvent(ev); }

void Pig::lockControls(double seconds) { lockTime = lockTime > seconds ? lockTime : seconds; }

bool Pig::carry() { return false; }

void Pig::dropCargo() {
    ZUB_ASSERT(pCarried != NULL);
    pCarried.set(nullptr);
}

bool Pig::isVulnerable() const { return state == PLAYING && flashTime <= 0.0 && lockTime <= 0.0; }

void Pig::collectNearbyApples() {}
void Pig::eatSweets() {}
void Pig::checkDangerArea() {}
void Pig::checkOutOfArea() {}

Pig::Movement Pig::movement() const { return {3000.0f, 2500.0f, 384.0f, 768.0f, -2048.0f}; }
