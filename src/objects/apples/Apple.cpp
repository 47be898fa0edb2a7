#include "objects/apples/Apple.h"

#include "object/Property.h"
#include "objects/ObjectClassIds.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_CLASS(Apple, PhysObject, object_ids::Apple)

Apple::Apple() { collisionSensitivity = 0.75f; }
Apple::~Apple() = default;

void Apple::tick(double time, double dt) { PhysObject::tick(time, dt); }
void Apple::netPostReplicate() { PhysObject::netPostReplicate(); }
void Apple::onEdited() { PhysObject::onEdited(); }

void Apple::addPropertiesTo(PropertyContainer* c) {
    PhysObject::addPropertiesTo(c);
    c->add(new PropertyBool(u"bSuperApple", 0, &bSuperApple));
}

void Apple::spoil(int type) {
    if (type < SPOIL_BITTEN || type > SPOIL_OTHER) ZUB_ERROR(u"Unhandled spoil type.");
    bSpoiled = 1;
    if (type == SPOIL_EATEN) bEaten = 1;
}

void Apple::collect() { bToBeDestroyed = 1; }
void Apple::putIntoSlot(BasketSlot* slot) { pSlot = slot; }
void Apple::removeFromSlot() { pSlot = nullptr; }

bool Apple::isFree() const { return !pSlot && !bSpoiled; }

void Apple::push(A99Object*, const V3&) { bHanging = 0; }
