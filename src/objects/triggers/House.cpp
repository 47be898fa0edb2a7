#include "objects/triggers/House.h"

#include "objects/ObjectClassIds.h"
#include "object/Property.h"

ZUB_IMPLEMENT_CLASS(House, TriggerArea, object_ids::House)
ZUB_IMPLEMENT_CLASS(HousePart, A99Object, object_ids::HousePart)
ZUB_IMPLEMENT_CLASS(RPCHouseConstruct, RPC, object_ids::RPCHouseConstruct)
ZUB_IMPLEMENT_CLASS(RPCHousePartConstruct, RPC, object_ids::RPCHousePartConstruct)

House::House() {
    triggerRadius = 30.0f;
    material = MAT_WOOD;
}
House::~House() = default;

void House::tick(double time, double dt) { TriggerArea::tick(time, dt); }
void House::renderObject() { TriggerArea::renderObject(); }
void House::netPostReplicate() { TriggerArea::netPostReplicate(); }

void House::addPropertiesTo(PropertyContainer* c) {
    TriggerArea::addPropertiesTo(c);
    c->add(new PropertyRPC<RPCHouseConstruct>(u"construct", 0, this));
}

void House::construct() {
    RPCHouseConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void House::local_construct() { EditorObject::local_construct(); }

void House::applyDoorState(bool closed) { bDoorClosed = closed; }

HousePart::HousePart() { material = MAT_WOOD; }
HousePart::~HousePart() = default;

void HousePart::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    c->add(new PropertyRPC<RPCHousePartConstruct>(u"construct", 0, this));
}

void HousePart::construct() {
    RPCHousePartConstruct rpc;
    rpc.target = this;
    rpc.call();
}

void HousePart::local_construct() { EditorObject::local_construct(); }

void RPCHouseConstruct::execute() {
    if (House* h = zub_cast<House>(target)) h->local_construct();
}

void RPCHousePartConstruct::execute() {
    if (HousePart* h = zub_cast<HousePart>(target)) h->local_construct();
}
