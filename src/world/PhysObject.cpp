#include "world/PhysObject.h"

#include "object/Property.h"
#include "world/Hull.h"
#include "world/HullSegment.h"
#include "world/WorldClassIds.h"

ZUB_IMPLEMENT_CLASS(PhysObject, A99Object, world_ids::PhysObject)

PhysObject::PhysObject() = default;

PhysObject::~PhysObject() = default;

void PhysObject::setGround(HullSegment* segment) {
    ground.set(segment);
    if (!segment) return;
    if (A99Object* o = segment->owner()) o->world2local(groundContact, physPoint.position);
}

HullSegment* PhysObject::getGround() const {
    HullSegment* s = ground.as<HullSegment>();
    return s && s->owner() ? s : nullptr;
}

A99Object* PhysObject::groundOwner() const {
    HullSegment* s = ground.as<HullSegment>();
    return s ? s->owner() : nullptr;
}

bool PhysObject::groundContactWorld(V3& out) const {
    A99Object* o = groundOwner();
    if (!o) return false;
    o->localToWorld(out, groundContact);
    return true;
}

void PhysObject::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertySubObject(u"physPoint", 0, &physPoint),
           "the moving point that carries it (position, velocity), kept by the game");
    addPropertyV3(c, u"physPointOffset", 0, &physPointOffset, "where its body stands relative to its moving point");
}
