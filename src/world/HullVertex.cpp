#include "world/HullVertex.h"

#include "object/Property.h"
#include "world/HullPartHolder.h"
#include "world/WorldClassIds.h"

ZUB_IMPLEMENT_CLASS(HullVertex, ZubBase, world_ids::HullVertex)

HullVertex::~HullVertex() {
    if (HullPartHolder* h = HullPartHolder::of(this)) h->childGone();
}

void HullVertex::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    addPropertyV3(c, u"vertex", 0, &vertex);
}
