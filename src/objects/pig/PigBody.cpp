#include "objects/pig/PigBody.h"

#include "objects/ObjectClassIds.h"
#include "object/Property.h"

ZUB_IMPLEMENT_CLASS(PigBody, PhysObject, object_ids::PigBody)
ZUB_IMPLEMENT_CLASS(RPCSetPigletCount, RPC, object_ids::RPCSetPigletCount)

PigBody::PigBody() = default;
PigBody::~PigBody() = default;

void PigBody::addPropertiesTo(PropertyContainer* c) {
    PhysObject::addPropertiesTo(c);
    c->add(new PropertyEnum(u"type", 0, &type, TYPE_COUNT));
}

void PigBody::onTransformChanged() { PhysObject::onTransformChanged(); }
void PigBody::renderObject() { PhysObject::renderObject(); }

void PigBody::setPigletCount(int n) {
    RPCSetPigletCount rpc;
    rpc.target = this;
    rpc.type = n;
    rpc.call();
}

void PigBody::local_setPigletCount(int n) {
    EditorObject::local_construct();
    type = n;
}

void PigBody::updateParts(double, double) {}
void PigBody::slurpPose() {}
void PigBody::faintPose() { bFainted = true; }
void PigBody::wakePose() { bFainted = false; }

void RPCSetPigletCount::addPropertiesTo(Property* c) { c->add(new PropertyInt(u"", PROP_ARGUMENT, &type)); }

void RPCSetPigletCount::execute() {
    if (PigBody* b = zub_cast<PigBody>(target)) b->local_setPigletCount(type);
}
