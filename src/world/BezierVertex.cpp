#include "world/BezierVertex.h"

#include "object/Property.h"
#include "world/WorldClassIds.h"

ZUB_IMPLEMENT_CLASS(BezierVertex, ZubBase, world_ids::BezierVertex)

BezierVertex::~BezierVertex() = default;

void BezierVertex::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    addPropertyV3(c, u"vertex", 0, &vertex);
    addPropertyV3(c, u"tangent", 0, &tangent);
}
