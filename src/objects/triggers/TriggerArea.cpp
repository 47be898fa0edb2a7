#include "objects/triggers/TriggerArea.h"

#include "objects/ObjectClassIds.h"
#include "object/Property.h"

ZUB_IMPLEMENT_CLASS(TriggerArea, A99Object, object_ids::TriggerArea)

TriggerArea::TriggerArea() = default;
TriggerArea::~TriggerArea() = default;

void TriggerArea::tick(double time, double dt) { A99Object::tick(time, dt); }

bool TriggerArea::onEvent(ZubEvent& ev) { return A99Object::onEvent(ev); }

void TriggerArea::renderObject() { A99Object::renderObject(); }

void TriggerArea::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyFloat(u"triggerRadius", 0, &triggerRadius));
}
