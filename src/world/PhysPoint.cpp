#include "world/PhysPoint.h"

#include "object/Property.h"
#include "world/WorldClassIds.h"

ZUB_IMPLEMENT_CLASS(PhysPoint, ZubBase, world_ids::PhysPoint)

void PhysPoint::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    addPropertyV3(c, u"position", 0, &position);
    addPropertyV3(c, u"oldPosition", 0, &oldPosition);
}
