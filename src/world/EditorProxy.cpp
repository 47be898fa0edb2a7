#include "world/EditorProxy.h"

#include "object/Property.h"
#include "world/EditorObject.h"
#include "world/WorldClassIds.h"

ZUB_IMPLEMENT_CLASS(EditorProxy, ZubBase, world_ids::EditorProxy)
ZUB_IMPLEMENT_CLASS(RPCSetProxyOwner, RPC, world_ids::RPCSetProxyOwner)

EditorProxy::~EditorProxy() = default;

EditorProxy* EditorProxy::create() { return new EditorProxy(); }

void EditorProxy::setOwner(EditorObject* owner) {
    RPCSetProxyOwner rpc;
    rpc.target = this;
    rpc.owner = owner;
    rpc.call();
}

void EditorProxy::local_setOwner(EditorObject* owner) { pOwner.set(owner); }

void EditorProxy::render() {
    if (EditorObject* o = getOwner()) o->renderObject();
}

void EditorProxy::readAheadForDraw(int step) const {
    if (step == 0) {
        __builtin_prefetch(&pOwner);
    } else if (const EditorObject* o = getOwner()) {
        __builtin_prefetch(o);
        o->prefetchDrawFields();
    }
}

ZubBase* EditorProxy::findObjectUnderMouse(int& skip) {
    EditorObject* o = getOwner();
    return o ? o->findObjectUnderMouse(skip) : nullptr;
}

void EditorProxy::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    c->add(new PropertyReference(u"pOwner", 0, &pOwner, &EditorObject::classRecord));
}

void RPCSetProxyOwner::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", 0, &owner, &EditorObject::classRecord));
}

void RPCSetProxyOwner::execute() {
    if (EditorProxy* p = zub_cast<EditorProxy>(target)) p->local_setOwner(owner);
}
