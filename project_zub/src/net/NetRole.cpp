#include "net/NetRole.h"

#include <algorithm>
#include <vector>

#include "object/Property.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"

NetRole* THEROLE = nullptr;

namespace {
// Every role alive, so that deleted objects leave every registry.
NetRole* liveRoles = nullptr;
}  // namespace

ZUB_IMPLEMENT_CLASS(RootObject, ZubBase, 0x04790976)

NetRole::NetRole() : outgoing(std::make_unique<Packet>(Packet::FLAG_NETWORK)), nextRole(liveRoles) {
    liveRoles = this;
    nextObjectUID = static_cast<int32_t>((randomNext() & 0xFF) + 2);
    THEROLE = this;
}

NetRole::~NetRole() {
    // Nothing may reach this role while it is taken apart: objects deleted
    // below must not send calls into it.
    if (THEROLE == this) THEROLE = nullptr;
    while (firstChild) {
        ZubBase* c = firstChild;
        removeChild(c);
        deleteObject(c);
    }
    objectMap.clear();
    root = nullptr;
    for (NetRole** r = &liveRoles; *r; r = &(*r)->nextRole)
        if (*r == this) {
            *r = nextRole;
            break;
        }
}

void NetRole::forgetDeleted(ZubBase* o) {
    for (NetRole* r = liveRoles; r; r = r->nextRole) {
        auto it = r->objectMap.find(o->objectUID);
        if (it != r->objectMap.end() && it->second == o) r->objectMap.erase(it);
        if (r->root == o) r->root = nullptr;
    }
}

bool NetRole::takeNextUID(int32_t& uid) {
    // Numbers taken by objects spawned under a given UID are skipped; the
    // counter never wraps.
    while (nextObjectUID >= 2 && nextObjectUID < INT32_MAX && objectMap.count(nextObjectUID)) ++nextObjectUID;
    if (nextObjectUID < 2 || nextObjectUID >= INT32_MAX) return false;
    uid = nextObjectUID++;
    return true;
}

template <class Write>
bool NetRole::appendCommand(const char* what, Write&& write) {
    Packet& p = *outgoing;
    const Packet::Mark m = p.mark();
    const Packet::ErrorMode mode = p.getErrorMode();
    p.setErrorMode(Packet::ErrorMode::Report);
    write(p);
    const bool ok = !p.failed();
    if (!ok) {
        Logger::get().log(u"%s(): %s not sent: %s", "NetRole::appendCommand", what, p.errorText());
        p.restore(m);
        p.clearError();
    }
    p.setErrorMode(mode);
    return ok;
}

void NetRole::registerObject(ZubBase* o, int32_t uid) {
    ZUB_ASSERT(!o->isValidUID());
    if (uid < 1) {
        int32_t next = 0;
        if (!takeNextUID(next)) ZUB_ERROR(u"No object UID is left (next %d).", nextObjectUID);
        o->objectUID = next;
    } else {
        o->objectUID = uid;
    }
    objectMap.emplace(o->objectUID, o);
    if (bServer && !bExecutingOnClients) queueSpawn(o);
    if (uid == 1) {
        ZUB_ASSERT(root == NULL);
        root = o;
        addChild(o);
    }
}

void NetRole::unregisterObject(ZubBase* o) {
    if (!o) return;
    ZUB_ASSERT(o->isValidUID());
    auto it = objectMap.find(o->objectUID);
    if (it != objectMap.end() && it->second == o) objectMap.erase(it);
    if (o == root) root = nullptr;
    o->objectUID = -1;
}

ZubBase* NetRole::findObjectOrNull(int32_t uid) const {
    auto it = objectMap.find(uid);
    return it == objectMap.end() ? nullptr : it->second;
}

ZubBase* NetRole::findObject(int32_t uid) {
    ZubBase* o = findObjectOrNull(uid);
    if (!o) ZUB_ERROR(u"Could not find object ID %d", uid);
    return o;
}

void NetRole::sendRPC(RPC* rpc) {
    const RuntimeClass* c = rpc->getClass();
    const std::string name = wideToNarrow(c->getName());
    if (appendCommand(name.c_str(), [&](Packet& p) {
            uint8_t code = CMD_RPC;
            p.doBits(code, 2);
            const RuntimeClass* cls = c;
            p.doClassID(cls);
            rpc->serialize(p);
        }))
        ++commandCounts[CMD_RPC];
}

void NetRole::queueSpawn(ZubBase* o) {
    if (appendCommand("SPAWNOBJ", [&](Packet& p) {
            uint8_t code = SPAWNOBJ;
            p.doBits(code, 2);
            const RuntimeClass* c = o->getClass();
            p.doClassID(c);
        }))
        ++commandCounts[SPAWNOBJ];
}

void NetRole::netDeleteObject(ZubBase* o) {
    RPCNetDelete rpc;
    rpc.target = root;
    rpc.object = o;
    rpc.call();
}

bool NetRole::processPacket(Packet& p) {
    NetRole* saved = THEROLE;
    THEROLE = this;
    bool ok = true;
    while (!p.atEnd() && !p.failed()) {
        uint8_t code = 0;
        p.doBits(code, 2);
        if (p.failed() || !processCommand(p, code)) {
            ok = false;
            break;
        }
    }
    if (p.failed()) {
        Logger::get().log(u"%s(): %s", "NetRole::processPacket", p.errorText());
        ok = false;
    }
    THEROLE = saved;
    return ok;
}

bool NetRole::processCommand(Packet& p, int code) {
    switch (code) {
        case SPAWNOBJ:
        case SPAWNNAMED: {
            const RuntimeClass* c = nullptr;
            p.doClassID(c);
            int32_t uid = 0;
            if (code == SPAWNNAMED) p.doUInt(uid);
            if (p.failed()) return false;
            if (!c->isDerivedFrom(&ZubBase::classRecord) || !c->createFn) {
                p.fail(formatString(u"class %s cannot be spawned", c->getName()), "spawnable class",
                       "NetRole::processCommand");
                return false;
            }
            if (code == SPAWNNAMED && (uid < 1 || findObjectOrNull(uid) || (uid == 1 && root))) {
                p.fail(formatString(u"UID %d is not free", uid), "uid is free", "NetRole::processCommand");
                return false;
            }
            if (code == SPAWNOBJ) {
                int32_t probe = nextObjectUID;
                while (probe >= 2 && probe < INT32_MAX && findObjectOrNull(probe)) ++probe;
                if (probe < 2 || probe >= INT32_MAX) {
                    p.fail(formatString(u"no free UID after %d", nextObjectUID), "nextObjectUID is free",
                           "NetRole::processCommand");
                    return false;
                }
            }
            registerObject(static_cast<ZubBase*>(c->create()), code == SPAWNNAMED ? uid : 0);
            return true;
        }
        case COPYOBJ: {
            int32_t uid = 0;
            p.doUInt(uid);
            if (p.failed()) return false;
            ZubBase* o = p.getErrorMode() == Packet::ErrorMode::Fatal ? findObject(uid) : findObjectOrNull(uid);
            if (!o) {
                p.fail(formatString(u"Could not find object ID %d", uid), "object != NULL", "NetRole::findObject");
                return false;
            }
            o->netSerialize(p);
            if (p.failed()) return false;
            o->netPostReplicate();
            return true;
        }
        case CMD_RPC: {
            const RuntimeClass* c = nullptr;
            p.doClassID(c);
            if (p.failed()) return false;
            if (!c->isDerivedFrom(&RPC::classRecord) || !c->createFn) {
                p.fail(formatString(u"class %s is not a remote call", c->getName()), "remote call class",
                       "NetRole::processCommand");
                return false;
            }
            std::unique_ptr<RPC> rpc(static_cast<RPC*>(c->create()));
            rpc->serialize(p);
            if (p.failed()) return false;
            rpc->executeLocally();
            return true;
        }
        default:
            if (p.getErrorMode() == Packet::ErrorMode::Fatal) ZUB_ERROR(u"Unknown packet command: %d", code);
            p.fail(formatString(u"Unknown packet command: %d", code), "code < 4", "NetRole::processCommand");
            return false;
    }
}

void NetRole::writeFullState(Packet* p) {
    Packet& out = p ? *p : *outgoing;
    std::vector<int32_t> uids;
    uids.reserve(objectMap.size());
    for (const auto& e : objectMap) uids.push_back(e.first);
    std::sort(uids.begin(), uids.end());
    for (int32_t uid : uids) {
        uint8_t code = SPAWNNAMED;
        out.doBits(code, 2);
        const RuntimeClass* c = objectMap[uid]->getClass();
        out.doClassID(c);
        out.doUInt(uid);
        ++commandCounts[SPAWNNAMED];
    }
    for (int32_t uid : uids) {
        uint8_t code = COPYOBJ;
        out.doBits(code, 2);
        out.doUInt(uid);
        objectMap[uid]->netSerialize(out);
        ++commandCounts[COPYOBJ];
    }
}

void NetRole::postReplicateAll() {
    std::vector<int32_t> uids;
    uids.reserve(objectMap.size());
    for (const auto& e : objectMap) uids.push_back(e.first);
    std::sort(uids.begin(), uids.end());
    for (int32_t uid : uids) {
        if (ZubBase* o = findObjectOrNull(uid)) o->netPostReplicateGlobal();
    }
}

void RootObject::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    int32_t* counter = THEROLE ? &THEROLE->nextObjectUID : &detachedCounter;
    c->add(new PropertyInt(u"THEROLE->nextObjectUID", PROP_UNSIGNED, counter));
}
