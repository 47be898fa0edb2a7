#include "object/RPC.h"

#include "object/Packet.h"
#include "object/Property.h"
#include "object/Replication.h"
#include "object/SerialPlan.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"

ZUB_IMPLEMENT_NAMED_CLASS(RPC, void, u"RPC")
ZUB_IMPLEMENT_CLASS(RPCGotoState, RPC, 0x7b13321b)
ZUB_IMPLEMENT_CLASS(RPCSetState, RPC, 0x21ae2a05)
ZUB_IMPLEMENT_CLASS(RPCAddChild, RPC, classIdOfName(u"RPCAddChild"))
ZUB_IMPLEMENT_CLASS(RPCRemoveChild, RPC, classIdOfName(u"RPCRemoveChild"))
ZUB_IMPLEMENT_CLASS(RPCPostReplicate, RPC, classIdOfName(u"RPCPostReplicate"))
ZUB_IMPLEMENT_CLASS(RPCPostReplicateGlobal, RPC, classIdOfName(u"RPCPostReplicateGlobal"))
ZUB_IMPLEMENT_CLASS(RPCNetDelete, RPC, 0x4472ef3a)
ZUB_IMPLEMENT_CLASS(RPCSetRandomSeed, RPC, 0xcfad751b)

void RPC::serialize(Packet& p) {
    p.doPointer2(target);
    SerialPlan::serializeArguments(this, p);
}

bool RPC::executeRemotely() {
    Replication* role = Replication::current();
    if (!role) return false;
    if (!clientCallable && !role->isServer() && onServer && !role->bExecutingOnServer) {
        ErrorManager::errorAt(
            formatString(u"Can't call '%s::%s' client-side.", target ? target->getClass()->getName() : WString(u"null"),
                         getClass()->getName()),
            "RPC::executeRemotely", __FILE__, __LINE__);
    }
    if (role->isServer() && onClients && !role->bExecutingOnClients) return true;
    if (clientCallable && !role->isServer() && onServer && !role->bExecutingOnServer) return true;
    return false;
}

void RPC::executeLocally() {
    Replication* role = Replication::current();
    if (!role) {
        execute();
        return;
    }
    if (role->isServer() ? !onServer : !onClients) return;
    savedExecutingOnServer = role->bExecutingOnServer;
    savedExecutingOnClients = role->bExecutingOnClients;
    role->bExecutingOnServer = onServer;
    role->bExecutingOnClients = onClients;
    execute();
    // The call may have ended the role's turn (a restart); restore only the
    // role that is still current.
    if (Replication::current() == role) {
        role->bExecutingOnServer = savedExecutingOnServer;
        role->bExecutingOnClients = savedExecutingOnClients;
    }
}

void RPC::call() {
    if (executeRemotely()) Replication::current()->sendRPC(this);
    executeLocally();
}

// ---------------------------------------------------------------------------

void RPCGotoState::addPropertiesTo(Property* c) {
    c->add(new PropertyInt(u"", PROP_ARGUMENT, &newState));
    c->add(new PropertyDouble(u"", PROP_ARGUMENT, &delay));
}

void RPCGotoState::execute() {
    if (!target || target->stateGoto == newState) return;
    if (delay <= 0.0) {
        target->gotoState(newState, 0.0);
        return;
    }
    Replication* role = Replication::current();
    const bool isClient = role && !role->isServer();
    if (!isClient) target->gotoState(newState, delay);
}

void RPCSetState::addPropertiesTo(Property* c) { c->add(new PropertyInt(u"", PROP_ARGUMENT, &newState)); }

void RPCSetState::execute() {
    if (!target) return;
    target->settleTimers();
    target->state = newState;
    target->timeInState = 0.0;
}

void RPCAddChild::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", PROP_ARGUMENT, &child, &ZubBase::classRecord));
}

void RPCAddChild::execute() {
    if (!target || !child) return;
    Replication* role = Replication::current();
    if (role && (child == role->root || child->isAncestorOf(role->root))) {
        // The root stays where the role ticks, draws and deletes it.
        Logger::get().log(u"%s(): %s", "RPCAddChild::execute", u"refused: the root cannot move");
        return;
    }
    if (child == target || child->isAncestorOf(target)) {
        Logger::get().log(u"%s(): %s", "RPCAddChild::execute", u"refused: the child would contain its parent");
        return;
    }
    int depth = 0;
    for (const ZubBase* o = target; o->parent && depth < Replication::MAX_TREE_DEPTH; o = o->parent) ++depth;
    if (depth >= Replication::MAX_TREE_DEPTH) {
        Logger::get().log(u"%s(): %s", "RPCAddChild::execute", u"refused: the tree would nest too deep");
        return;
    }
    // A subtree's own depth is measured after the packet that moved it.
    if (child->firstChild) ++Replication::subtreesMoved;
    Replication::objectMoving(child);
    target->addChild(child);
}

void RPCRemoveChild::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", PROP_ARGUMENT, &child, &ZubBase::classRecord));
}

void RPCRemoveChild::execute() {
    if (!target || !child) return;
    if (child->parent == target) Replication::objectMoving(child);
    target->removeChild(child);
}

void RPCPostReplicate::execute() {
    if (target) target->netPostReplicate();
}

void RPCPostReplicateGlobal::execute() {
    if (target) target->netPostReplicateGlobal();
}

void RPCNetDelete::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", PROP_ARGUMENT, &object, &ZubBase::classRecord));
}

void RPCNetDelete::execute() {
    if (!object) return;
    Replication* role = Replication::current();
    if (role && (object == role->root || object->isAncestorOf(role->root))) {
        // The root holds the whole game; it is never deleted by a call.
        Logger::get().log(u"%s(): %s", "RPCNetDelete::execute", u"refused to delete the root object");
        return;
    }
    if (role) {
        // Unregistered, unlinked and hidden at once; freed when the role's
        // turn is over, since the object may be the one being ticked.
        role->deleteRegistered(object);
        return;
    }
    if (object->parent) object->parent->removeChild(object);
    deleteObject(object);
}

void RPCSetRandomSeed::addPropertiesTo(Property* c) { addPropertyDWORD(c, &seed); }

void RPCSetRandomSeed::execute() {
    if (Replication* role = Replication::current()) role->random.seed(seed);
}
