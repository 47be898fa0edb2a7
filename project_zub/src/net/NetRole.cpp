#include "net/NetRole.h"

#include <algorithm>
#include <vector>

#include "input/ZubInput.h"
#include "net/CurrentRole.h"
#include "net/EngineFrame.h"
#include "net/NetConnection.h"
#include "net/Node.h"
#include "net/ZubNetwork.h"
#include "object/Property.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "util/KeyCodes.h"

NetRole* THEROLE = nullptr;

std::function<void(ZubBase* font, float x, float y, float z, std::u16string_view text)> NetRole::statsTextDrawer;

namespace {
// Every role alive, so that deleted objects leave every registry.
NetRole* liveRoles = nullptr;

const char16_t* const kCommandNames[4] = {u"SPAWNOBJ", u"SPAWNNAMED", u"COPYOBJ", u"RPC"};

// Engine classes no packet creates, by registered name.
const char16_t* const kNeverSpawned[] = {u"ContextManager", u"Texture",  u"Skin",      u"Sound",    u"SoundStream",
                                         u"FileData",       u"FontQuad", u"TextBlock", u"TextLine", u"TextRun"};

std::vector<const RuntimeClass*>& refusedClasses() {
    static std::vector<const RuntimeClass*> refused;
    static bool named = false;
    if (!named) {
        named = true;
        for (const char16_t* name : kNeverSpawned)
            if (const RuntimeClass* c = RuntimeClassManager::getInstance().findByName(name)) refused.push_back(c);
    }
    return refused;
}

RenderCounters countersSince(const RenderCounters& before) {
    RenderCounters d;
    d.renderablesVisible = renderCounters.renderablesVisible - before.renderablesVisible;
    d.renderablesTotal = renderCounters.renderablesTotal - before.renderablesTotal;
    d.verticesTotal = renderCounters.verticesTotal - before.verticesTotal;
    d.vbufferWrites = renderCounters.vbufferWrites - before.vbufferWrites;
    d.updateVisuals = renderCounters.updateVisuals - before.updateVisuals;
    d.matrixInversions = renderCounters.matrixInversions - before.matrixInversions;
    d.collisionChecks = renderCounters.collisionChecks - before.collisionChecks;
    return d;
}

}  // namespace

ZUB_IMPLEMENT_CLASS(RootObject, ZubBase, 0x04790976)
// Its counter property is bound to the current role's.
ZUB_PROPERTIES_VARY(RootObject)

NetRole::NetRole(int m, bool server, std::u16string_view product, double v, std::u16string_view player, double p)
    : NetHost(m, server, product, v, player),
      outgoing(std::make_unique<Packet>(Packet::FLAG_NETWORK)),
      period(p),
      rpcCountsCurrent(RPCCOUNT, 0),
      rpcCountsPrevious(RPCCOUNT, 0),
      nextRole(liveRoles) {
    RuntimeClassManager& classes = RuntimeClassManager::getInstance();
    if (!classes.bBuilt) classes.buildClassArray();
    ZUB_ASSERT(RuntimeClassManager::getInstance().classArray.size() < RPCCOUNT);
    liveRoles = this;
    nextObjectUID = static_cast<int32_t>((randomNext() & 0xFF) + 2);
    THEROLE = this;
    // Objects, packets and calls reach the current role, and tell the roles
    // of deleted and moved objects, through the replication's hooks.
    Replication::install({[]() -> Replication* { return THEROLE; }, &NetRole::forgetDeleted, &NetRole::noteMove});
}

NetRole::~NetRole() {
    // Nothing may reach this role while it is taken apart: objects deleted
    // below must not send calls into it.
    if (THEROLE == this) THEROLE = nullptr;
    freeDeferred();
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

namespace {

bool spawnableByWalk(const RuntimeClass* c) {
    if (!c || !c->createFn || !c->isDerivedFrom(&ZubBase::classRecord)) return false;
    for (const RuntimeClass* r : refusedClasses())
        if (c->isDerivedFrom(r)) return false;
    return true;
}

// The answers for the classes of the class array by index, with the class
// each is for (the array may be built again), so that a level's thousands of
// spawns walk the class records once per class. Forgotten when a class is
// refused.
struct SpawnableAnswer {
    const RuntimeClass* cls = nullptr;
    bool spawnable = false;
};
std::vector<SpawnableAnswer>& spawnableAnswers() {
    static std::vector<SpawnableAnswer> answers;
    return answers;
}

}  // namespace

bool NetRole::isSpawnable(const RuntimeClass* c) {
    if (!c || c->index < 0) return spawnableByWalk(c);
    std::vector<SpawnableAnswer>& answers = spawnableAnswers();
    const auto i = static_cast<size_t>(c->index);
    if (i >= answers.size()) answers.resize(std::max(i + 1, RuntimeClassManager::getInstance().classArray.size()));
    SpawnableAnswer& a = answers[i];
    if (a.cls != c) a = {c, spawnableByWalk(c)};
    return a.spawnable;
}

void NetRole::refuseSpawning(const RuntimeClass* c) {
    std::vector<const RuntimeClass*>& refused = refusedClasses();
    if (c && std::find(refused.begin(), refused.end(), c) == refused.end()) refused.push_back(c);
    spawnableAnswers().clear();
}

bool NetRole::takeNextUID(int32_t& uid) {
    // Numbers taken by objects spawned under a given UID are skipped; the
    // counter never wraps.
    while (nextObjectUID >= 2 && nextObjectUID < INT32_MAX && objectMap.count(nextObjectUID)) ++nextObjectUID;
    if (nextObjectUID < 2 || nextObjectUID >= INT32_MAX) return false;
    uid = nextObjectUID++;
    return true;
}

void NetRole::countCommand(int code) {
    ++commandCounts[code];
    if (commandsHeldDepth > 0) ++commandsHeld[code];
    else if (connection) ++connection->currentStats().commands[code];
}

NetRole::HeldCommandCounts::~HeldCommandCounts() {
    if (--role.commandsHeldDepth > 0) return;
    int* held = role.commandsHeld;
    if (held[0] + held[1] + held[2] + held[3] == 0) return;
    if (role.connection) {
        NetStatistics& stats = role.connection->currentStats();
        for (int c = 0; c < 4; ++c) stats.commands[c] += static_cast<uint32_t>(held[c]);
    }
    std::fill(held, held + 4, 0);
}

template <class Write>
bool NetRole::appendCommand(const char* what, Write&& write) {
    Packet& p = *outgoing;
    const Packet::ErrorMode mode = p.getErrorMode();
    for (int attempt = 0;; ++attempt) {
        const Packet::Mark m = p.mark();
        p.setErrorMode(Packet::ErrorMode::Report);
        write(p);
        const bool ok = !p.failed();
        const WString reason = ok ? WString() : p.errorText();
        if (!ok) {
            p.restore(m);
            p.clearError();
        }
        p.setErrorMode(mode);
        if (ok) return true;
        // Leaving a command out would put the peers out of step (a spawn
        // left out numbers every later one differently): send what is
        // there and try again in an empty packet.
        if (attempt == 0 && m.cursor > 0) {
            flushOutgoing();
            continue;
        }
        Logger::get().log(u"%s(): %s not sent: %s", "NetRole::appendCommand", what, reason);
        return false;
    }
}

void NetRole::registerObject(ZubBase* o, int32_t uid) {
    ZUB_ASSERT(!o->isValidUID());
    if (uid < 1) {
        int32_t next = 0;
        if (!takeNextUID(next)) ZUB_ERROR(u"No object UID is left (next %d).", nextObjectUID);
        o->objectUID = next;
    } else {
        // Two objects under one UID would leave one of them unreachable.
        ZUB_ASSERT(uid == 1 || objectMap.count(uid) == 0);
        o->objectUID = uid;
    }
    objectMap.emplace(o->objectUID, o);
    if (journal) journal->made.emplace_back(o->objectUID, o);
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
        })) {
        countCommand(CMD_RPC);
        if (c->index >= 0 && c->index < RPCCOUNT) ++rpcCountsCurrent[c->index];
    }
}

void NetRole::queueSpawn(ZubBase* o) {
    // The usual case, a class of the class array and room for the longest
    // such command (a byte for the code, five for the index), cannot fail.
    const RuntimeClass* cls = o->getClass();
    Packet& out = *outgoing;
    if (out.bWriting && cls->index >= 0 && !(out.flags & Packet::FLAG_RAW_CLASSES) && out.hasRoom(6)) {
        uint8_t code = SPAWNOBJ;
        out.doBits(code, 2);
        out.doClassID(cls);
        countCommand(SPAWNOBJ);
        return;
    }
    if (appendCommand("SPAWNOBJ", [&](Packet& p) {
            uint8_t code = SPAWNOBJ;
            p.doBits(code, 2);
            const RuntimeClass* c = o->getClass();
            p.doClassID(c);
        }))
        countCommand(SPAWNOBJ);
}

void NetRole::netDeleteObject(ZubBase* o) {
    RPCNetDelete rpc;
    rpc.target = root;
    rpc.object = o;
    rpc.call();
}

void NetRole::deleteRegistered(ZubBase* o) {
    if (!o) return;
    if (o->isValidUID()) unregisterObject(o);
    if (o->parent) o->parent->removeChild(o);
    if (busy > 0) {
        // The object may be the one being ticked or drawn: it goes when the
        // role's turn is over.
        o->bHidden = 1;
        auto ref = std::make_unique<ZubBaseReference>();
        ref->set(o);
        deferred.push_back(std::move(ref));
        return;
    }
    deleteObject(o);
}

void NetRole::freeDeferred() {
    while (!deferred.empty()) {
        std::vector<std::unique_ptr<ZubBaseReference>> batch;
        batch.swap(deferred);
        for (auto& ref : batch) {
            ZubBase* o = ref->get();
            ref->set(nullptr);
            if (o) deleteObject(o);
        }
    }
}

bool NetRole::processPacket(Packet& p) {
    CurrentRole current(this);
    HeldCommandCounts counts(*this);
    bool ok = true;
    const unsigned moved = subtreesMoved;
    // What the calls of a client did on a server has gone to the other peers
    // already: only other packets are taken back.
    PacketJournal undo;
    undo.nextObjectUID = nextObjectUID;
    PacketJournal* outer = journal;
    const bool undoable = !(bServer && p.sender != nullptr);
    if (undoable) journal = &undo;
    while (!p.atEnd() && !p.failed()) {
        uint8_t code = 0;
        p.doBits(code, 2);
        if (p.failed() || !processCommand(p, code)) {
            ok = false;
            break;
        }
    }
    // Bodies check the depth of the parent they fill; a whole subtree hung
    // somewhere can only be measured once the packet is done.
    if (subtreesMoved != moved && !collectTooDeep().empty()) {
        ok = false;
        p.fail(formatString(u"object tree deeper than %d", MAX_TREE_DEPTH), "depth <= MAX_TREE_DEPTH",
               "NetRole::processPacket");
    }
    journal = outer;
    if (p.failed()) {
        // A peer may send bad packets as often as it likes: those lines
        // share the allowance of the lines about datagrams.
        const WString line = formatString(u"%s(): %s", "NetRole::processPacket", p.errorText());
        if (p.sender) logPeerLine(line);
        else Logger::get().logLine(line);
        ok = false;
    }
    if (!ok) {
        if (undoable) undoPacket(undo);
        // Whatever the packet did that could not be taken back may not
        // leave a tree nesting too deep.
        if (subtreesMoved != moved) limitTreeDepth();
    }
    return ok;
}

void NetRole::noteMove(ZubBase* child) {
    NetRole* r = THEROLE;
    if (!r || !r->journal || !child || !child->parent) return;
    auto m = std::make_unique<PacketJournal::Move>();
    m->child.set(child);
    m->parent.set(child->parent);
    m->next.set(child->nextSibling);
    r->journal->moves.push_back(std::move(m));
}

namespace {

// Clears the pointer properties below `c` that point at one of `gone`, in
// embedded objects too.
void clearPointersIn(Property* c, const std::unordered_set<ZubBase*>& gone, int nesting) {
    for (ZubBase* o = c->firstChild; o; o = o->nextSibling) {
        if (auto* ptr = zub_cast<PropertyPointer>(o)) {
            if (!(ptr->flags & PROP_RESOURCE) && gone.count(ptr->get())) ptr->setObject(nullptr);
        } else if (auto* sub = zub_cast<PropertySubObject>(o)) {
            if (sub->object && nesting < Packet::MAX_DEPTH) {
                PropertyContainer* inner = sub->object->createPropertyContainer();
                clearPointersIn(inner, gone, nesting + 1);
                deleteObject(inner);
            }
        }
        if (o->firstChild) clearPointersIn(static_cast<Property*>(o), gone, nesting);
    }
}

}  // namespace

void NetRole::clearPointersTo(const std::unordered_set<ZubBase*>& gone) {
    // References (ZubBaseReference) clear themselves when their target goes;
    // plain pointers do not.
    for (const auto& e : objectMap) {
        PropertyContainer* c = e.second->createPropertyContainer();
        clearPointersIn(c, gone, 0);
        deleteObject(c);
    }
}

void NetRole::undoPacket(PacketJournal& j) {
    // The objects it made that are still registered as made.
    std::unordered_set<ZubBase*> made;
    std::vector<ZubBase*> order;
    for (const auto& [uid, o] : j.made)
        if (findObjectOrNull(uid) == o && made.insert(o).second) order.push_back(o);
    // Whether an object that was there before may point at one of them.
    bool touched = j.bCalled;
    for (const auto& [uid, o] : j.bodies)
        if (findObjectOrNull(uid) == o && !made.count(o)) touched = true;

    // Out of the registry and the tree; the objects that were there before
    // come off them.
    for (ZubBase* o : order) {
        unregisterObject(o);
        if (o->parent) o->parent->removeChild(o);
    }
    // Registered children (those made here were unregistered just above)
    // come off their parents, so that deleting one object never deletes
    // another that is deleted on its own or was there before.
    for (ZubBase* o : order)
        for (ZubBase* c : childrenOf(o))
            if (c->isValidUID() || made.count(c)) o->removeChild(c);
    // The objects that were there before go back where they hung, the last
    // move first.
    for (auto it = j.moves.rbegin(); it != j.moves.rend(); ++it) {
        ZubBase* c = (*it)->child.get();
        ZubBase* p = (*it)->parent.get();
        if (!c || !p || made.count(c) || made.count(p) || c == p || c->isAncestorOf(p)) continue;
        if (c->parent) c->parent->removeChild(c);
        ZubBase* next = (*it)->next.get();
        if (next && next != c && next->parent == p) p->insertChildBefore(c, next);
        else p->addChild(c);
    }
    if (touched && !made.empty()) clearPointersTo(made);
    // Loose now: no deep deletion. An object may still own another one it
    // made (an editor proxy) and delete it itself, so each goes through a
    // reference that its deletion clears.
    std::vector<std::unique_ptr<ZubBaseReference>> refs;
    refs.reserve(order.size());
    for (ZubBase* o : order) {
        refs.push_back(std::make_unique<ZubBaseReference>());
        refs.back()->set(o);
    }
    for (const auto& ref : refs)
        if (ZubBase* o = ref->get()) deleteRegistered(o);
    nextObjectUID = j.nextObjectUID;
    if (!order.empty())
        Logger::get().log(u"%s(): %d objects of the packet taken back", "NetRole::processPacket",
                          static_cast<int>(order.size()));
}

namespace {

// Makes every object below `top` (already out of its parent) a loose object
// without children, bottom-up, so that no deletion or walk recurses deeply.
void flattenSubtree(ZubBase* top) {
    ZubBase* o = top;
    while (o) {
        if (o->firstChild) {
            o = o->firstChild;
            continue;
        }
        ZubBase* up = o->parent;
        if (up) up->removeChild(o);
        o = o == top ? nullptr : up;
    }
}

// Appends to `out` the objects at depth MAX_TREE_DEPTH + 1 under `top`
// (its children are at depth `first`), walking without recursion.
void collectTooDeepBelow(ZubBase* top, int first, std::vector<ZubBase*>& out) {
    ZubBase* o = top->firstChild;
    int depth = first;
    while (o) {
        if (depth > NetRole::MAX_TREE_DEPTH) out.push_back(o);
        else if (o->firstChild) {
            o = o->firstChild;
            ++depth;
            continue;
        }
        while (o != top && !o->nextSibling) {
            o = o->parent;
            --depth;
        }
        if (o == top) break;
        o = o->nextSibling;
    }
}

}  // namespace

std::vector<ZubBase*> NetRole::collectTooDeep() {
    std::vector<ZubBase*> tooDeep;
    collectTooDeepBelow(this, 1, tooDeep);
    for (const auto& e : objectMap)
        if (!e.second->parent && e.second != root) collectTooDeepBelow(e.second, 1, tooDeep);
    return tooDeep;
}

bool NetRole::limitTreeDepth() {
    const std::vector<ZubBase*> tooDeep = collectTooDeep();
    for (ZubBase* o : tooDeep) {
        if (o->parent) o->parent->removeChild(o);
        flattenSubtree(o);
    }
    return tooDeep.empty();
}

bool NetRole::processCommand(Packet& p, int code) {
    // What a peer may ask of a server: client-callable calls, nothing else.
    const bool fromClient = bServer && p.sender != nullptr;
    if (fromClient && code != CMD_RPC) {
        p.fail(formatString(u"a client may not send %s", code >= 0 && code < 4 ? kCommandNames[code] : u"?"),
               "client command is RPC", "NetRole::processCommand");
        return false;
    }
    switch (code) {
        case SPAWNOBJ:
        case SPAWNNAMED: {
            const RuntimeClass* c = nullptr;
            p.doClassID(c);
            int32_t uid = 0;
            if (code == SPAWNNAMED) p.doUInt(uid);
            if (p.failed()) return false;
            if (!isSpawnable(c)) {
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
            ZubBase* o = findObjectOrNull(uid);
            if (!o && p.getErrorMode() == Packet::ErrorMode::Fatal) o = findObject(uid);
            if (!o) {
                p.fail(formatString(u"Could not find object ID %d", uid), "object != NULL", "NetRole::findObject");
                return false;
            }
            if (journal) journal->bodies.emplace_back(uid, o);
            o->netSerialize(p);
            if (p.failed()) return false;
            // Values the class would assert against in its set-up are a
            // fault of the packet (a level file's, or a peer's).
            if (const WString fault = o->valueFault(); !fault.empty()) {
                const char* type = o->getClass()->getTypeName();
                p.fail(formatString(u"object %d (%s): %s", uid, type ? narrowToWide(type) : o->getClass()->getName(),
                                    fault),
                       "the object's values are valid", "NetRole::processCommand");
                return false;
            }
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
            if (fromClient && !rpc->clientCallable) {
                p.fail(formatString(u"a client may not call %s", c->getName()), "rpc->clientCallable",
                       "NetRole::processCommand");
                return false;
            }
            rpc->serialize(p);
            if (p.failed()) return false;
            if (const WString fault = rpc->argumentFault(); !fault.empty()) {
                p.fail(formatString(u"call %s: %s", c->getName(), fault), "the call's arguments are valid",
                       "NetRole::processCommand");
                return false;
            }
            if (journal) journal->bCalled = true;
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
    CurrentRole current(this);  // the root's counter binds to the current role
    HeldCommandCounts counts(*this);
    Packet& out = p ? *p : *outgoing;
    // A copy: an object's serialisation may change the registry.
    const std::vector<int32_t> uids = objectMap.ascending();
    for (int32_t uid : uids) {
        ZubBase* o = findObjectOrNull(uid);
        if (!o) continue;
        uint8_t code = SPAWNNAMED;
        out.doBits(code, 2);
        const RuntimeClass* c = o->getClass();
        out.doClassID(c);
        out.doUInt(uid);
        countCommand(SPAWNNAMED);
    }
    for (int32_t uid : uids) {
        ZubBase* o = findObjectOrNull(uid);
        if (!o) continue;
        uint8_t code = COPYOBJ;
        out.doBits(code, 2);
        out.doUInt(uid);
        writeBody(out, o);
        countCommand(COPYOBJ);
    }
}

namespace {

// The object's name in messages: its class and UID.
WString objectName(const ZubBase* o) {
    const RuntimeClass* c = o->getClass();
    if (c->getTypeName()) return formatString(u"%s (UID %d)", c->getTypeName(), o->objectUID);
    return formatString(u"%s (UID %d)", c->getName(), o->objectUID);
}

// Cuts the texts below `c` that the packet cannot carry, in embedded
// objects too; `path` names the properties from the object down.
int cutTextsIn(Property* c, const Packet& p, const ZubBase* owner, const WString& path, int nesting) {
    int cut = 0;
    for (ZubBase* o = c->firstChild; o; o = o->nextSibling) {
        auto* prop = static_cast<Property*>(o);
        if (prop->isExcludedFrom(p)) continue;
        const WString name = path.empty() ? WString(prop->getName()) : path + u"." + WString(prop->getName());
        if (auto* text = zub_cast<PropertyUString>(prop)) {
            WString& field = *text->field;
            const size_t keep = Packet::sendableUnits(field, text->maxLength);
            if (keep < field.size()) {
                Logger::get().log(
                    u"%s(): ERROR: %s: property \"%s\" holds a text of %d characters (%d bytes) "
                    u"that no packet carries; it is cut to its first %d characters",
                    "NetRole::writeBody", objectName(owner), name, static_cast<int>(field.size()),
                    static_cast<int>(Packet::textBytes(field)), static_cast<int>(keep));
                field.resize(keep);
                ++cut;
            }
        } else if (auto* sub = zub_cast<PropertySubObject>(prop)) {
            if (sub->object && nesting < Packet::MAX_DEPTH) {
                PropertyContainer* inner = sub->object->createPropertyContainer();
                cut += cutTextsIn(inner, p, owner, name, nesting + 1);
                deleteObject(inner);
            }
        }
        if (o->firstChild) cut += cutTextsIn(prop, p, owner, name, nesting);
    }
    return cut;
}

// Cuts the object's texts that no packet of that kind carries; returns how many.
int cutUnsendableTexts(ZubBase* o, const Packet& p) {
    PropertyContainer* c = o->createPropertyContainer();
    const int cut = cutTextsIn(c, p, o, WString(), 0);
    deleteObject(c);
    return cut;
}

}  // namespace

bool NetRole::writeBody(Packet& p, ZubBase* o) {
    const Packet::Mark m = p.mark();
    const Packet::ErrorMode mode = p.getErrorMode();
    p.setErrorMode(Packet::ErrorMode::Report);
    o->netSerialize(p);
    if (p.failed() && !p.failedForRoom()) {
        // A value no packet carries: the object must not keep it.
        const WString reason = p.errorText();
        p.restore(m);
        p.clearError();
        if (cutUnsendableTexts(o, p) > 0) o->netSerialize(p);
        else p.fail(reason, "body is written", "NetRole::writeBody");
    }
    p.setErrorMode(mode);
    if (p.failed() && mode == Packet::ErrorMode::Fatal) {
        const WString reason = formatString(u"%s cannot be written: %s", objectName(o), p.errorText());
        p.clearError();
        p.fail(reason, "body is written", "NetRole::writeBody");
    }
    return !p.failed();
}

int NetRole::writeFullStatePackets(std::vector<std::unique_ptr<Packet>>& out, uint32_t flags, int capacity) {
    CurrentRole current(this);
    HeldCommandCounts counts(*this);
    const std::vector<int32_t> uids = objectMap.ascending();
    const int normal = capacity < 0 ? Packet::DEFAULT_CAPACITY : capacity;

    auto fresh = [&](int size) {
        out.push_back(std::make_unique<Packet>(flags, size));
        out.back()->setErrorMode(Packet::ErrorMode::Report);
        return out.back().get();
    };
    Packet* p = fresh(normal);
    // Writes one command whole: in a new packet when this one is full, in a
    // packet of its own, as large as it needs, when it is larger than one.
    auto command = [&](int code, int32_t uid, auto&& body) {
        for (;;) {
            const Packet::Mark m = p->mark();
            body(*p);
            if (!p->failed()) {
                countCommand(code);
                return;
            }
            const WString reason = p->errorText();
            const bool room = p->failedForRoom();
            p->restore(m);
            p->clearError();
            if (room && p->length() > 0) {
                p = fresh(normal);
                continue;
            }
            if (room && p->getCapacity() < Node::MAX_STATE_BYTES_FROM_SERVER) {
                const int64_t twice = std::max<int64_t>(Packet::BUFFERSIZE, int64_t{p->getCapacity()} * 2);
                const int larger = static_cast<int>(std::min<int64_t>(Node::MAX_STATE_BYTES_FROM_SERVER, twice));
                out.pop_back();  // empty
                p = fresh(larger);
                continue;
            }
            Logger::get().log(u"%s(): ERROR: %s of UID %d cannot be sent: %s", "NetRole::writeFullStatePackets",
                              kCommandNames[code], uid, reason);
            return;
        }
    };
    for (int32_t uid : uids) {
        ZubBase* o = findObjectOrNull(uid);
        if (!o) continue;
        command(SPAWNNAMED, uid, [&](Packet& q) {
            uint8_t code = SPAWNNAMED;
            q.doBits(code, 2);
            const RuntimeClass* c = o->getClass();
            q.doClassID(c);
            int32_t u = uid;
            q.doUInt(u);
        });
    }
    for (int32_t uid : uids) {
        ZubBase* o = findObjectOrNull(uid);
        if (!o) continue;
        command(COPYOBJ, uid, [&](Packet& q) {
            uint8_t code = COPYOBJ;
            q.doBits(code, 2);
            int32_t u = uid;
            q.doUInt(u);
            writeBody(q, o);
        });
    }
    if (out.back()->length() == 0 && out.size() > 1) out.pop_back();
    int total = 0;
    for (const auto& q : out) total += q->length();
    return total;
}

void NetRole::postReplicateAll() {
    const std::vector<int32_t> uids = objectMap.ascending();
    for (int32_t uid : uids) {
        if (ZubBase* o = findObjectOrNull(uid)) o->netPostReplicateGlobal();
    }
}

void NetRole::flushOutgoing() {
    sendToAllNodes(outgoing.get());
    outgoing->reset();
}

// ---------------------------------------------------------------------------
// The frame

double NetRole::frameInterval(double fallback) const {
    const EngineFrame* engine = EngineFrame::installed();
    if (!engine) return fallback;
    double dt = engine->frameInterval();
    if (!engine->debugKeysLocked()) {
        if (ZubInput* in = ZubInput::active()) {
            if (in->isKeyDown(input_codes::KEY_F11)) dt *= 5.0;
            else if (in->isKeyDown(input_codes::KEY_F10)) dt /= 10.0;
        }
    }
    return dt;
}

bool NetRole::advanceClock(double dt) {
    netTime += dt;
    bStepped = false;
    if (netTime >= nextStepTime) {
        ++stepCount;
        bStepped = true;
        if (period <= 0.0 || netTime > nextStepTime + 100.0 * period) {
            nextStepTime = netTime + (period > 0.0 ? period : 0.0);
        } else {
            while (nextStepTime <= netTime) nextStepTime += period;
        }
    }
    return bStepped;
}

void NetRole::tick(double time, double dt) {
    (void)time;
    THEROLE = this;
    const RenderCounters before = renderCounters;
    ++busy;
    lastFrameInterval = frameInterval(dt);
    advanceClock(lastFrameInterval);
    if (bStepped) service();
    else receiveDatagrams();
    ZubBase::tick(netTime, lastFrameInterval);
    if (bStepped) {
        sendToAllNodes(outgoing.get());
        outgoing->reset();
        rpcCountsPrevious.swap(rpcCountsCurrent);
        std::fill(rpcCountsCurrent.begin(), rpcCountsCurrent.end(), 0);
    }
    --busy;
    if (busy == 0) freeDeferred();
    THEROLE = nullptr;
    tickCounters = countersSince(before);
}

void NetRole::render() {
    THEROLE = this;
    const RenderCounters before = renderCounters;
    ++busy;
    ZubBase::render();
    --busy;
    if (busy == 0) freeDeferred();
    THEROLE = nullptr;
    renderCountersDelta = countersSince(before);
}

// ---------------------------------------------------------------------------
// Statistics overlay

std::vector<WString> NetRole::statsLines() const {
    std::vector<WString> l;
    const RenderCounters& t = tickCounters;
    const RenderCounters& r = renderCountersDelta;
    l.push_back(u"ZUB (tick/render)");
    l.push_back(formatString(u"renderablesVisible: %4d %4d", t.renderablesVisible, r.renderablesVisible));
    l.push_back(formatString(u"renderablesTotal: %4d %4d", t.renderablesTotal, r.renderablesTotal));
    l.push_back(formatString(u"verticesTotal: %4d %4d", t.verticesTotal, r.verticesTotal));
    l.push_back(formatString(u"vbufferWrites: %4d %4d", t.vbufferWrites, r.vbufferWrites));
    l.push_back(formatString(u"updateVisuals: %4d %4d", t.updateVisuals, r.updateVisuals));
    l.push_back(formatString(u"matrixInversions: %4d %4d", t.matrixInversions, r.matrixInversions));
    l.push_back(formatString(u"collisionChecks: %4d %4d", t.collisionChecks, r.collisionChecks));
    l.push_back(formatString(u"hostUID: %08x", hostUID));

    NetStatistics s;
    if (connection) {
        s.add(connection->statisticsTotal);
        if (connection->statisticsHistory.lastChild)
            s.add(*static_cast<const NetStatistics*>(connection->statisticsHistory.lastChild));
    }
    l.push_back(u"STATS (in/out)");
    l.push_back(formatString(u"packets: %8d %8d", s.packetsIn, s.packetsOut));
    l.push_back(formatString(u"bytes:   %8d %8d", s.bytesIn, s.bytesOut));
    l.push_back(formatString(u"packetsLost: %d", s.lost));
    l.push_back(formatString(u"resendRequests: %d", s.resendRequests));
    l.push_back(formatString(u"resends: %d", s.resends));
    l.push_back(formatString(u"outOfOrder: %d", s.outOfOrder));
    l.push_back(formatString(u"STATE: %d", state));
    l.push_back(formatString(bServer ? u"--- SERVER objectMap (%d) ---" : u"--- CLIENT objectMap (%d) ---",
                             static_cast<int>(objectMap.size())));
    l.push_back(u"--- PACKET CONTENTS ---");
    for (int c = 0; c < 4; ++c) l.push_back(formatString(u"%s: %d ", kCommandNames[c], commandCounts[c]));
    l.push_back(formatString(u"  -- inQsimulated %d", connection && connection->bEmulated
                                                          ? ZubNetwork::get().emulatedQueuedFor(connection->address)
                                                          : 0));
    l.push_back(formatString(u"--- %d NODES ---", nodes.countChildren()));
    for (const Node* n : childrenOf<Node>(nodes)) {
        int ready = 0;
        for (const Packet* q : childrenOf<Packet>(inbox))
            if (q->sender == n) ++ready;
        l.push_back(formatString(u"nodeUID: %08x (%s) ping: %.3lf", n->id, n->name, n->ping));
        l.push_back(formatString(u"  -- sequenceIn %d", n->sequenceIn));
        l.push_back(formatString(u"  -- outQunacked %d", n->unacknowledgedCount()));
        l.push_back(formatString(u"  -- inQarrived %d", n->outOfOrderCount()));
        l.push_back(formatString(u"  -- inQcontiguous %d", n->deliveredCount()));
        l.push_back(formatString(u"  -- inQready %d", ready));
    }
    l.push_back(u"OUTGOING RPCs");
    const RuntimeClassManager& classes = RuntimeClassManager::getInstance();
    for (size_t i = 0; i < rpcCountsPrevious.size() && i < classes.classArray.size(); ++i)
        if (rpcCountsPrevious[i] > 0)
            l.push_back(formatString(u"%d x %s", rpcCountsPrevious[i], classes.classArray[i]->getName()));
    return l;
}

bool NetRole::statsShown() {
    const EngineFrame* engine = EngineFrame::installed();
    return engine && (engine->debugBits() & DEBUG_NETWORK_STATISTICS);
}

void NetRole::drawStats(float x, float y, float z, ZubBase* font) {
    if (!statsShown()) return;
    const std::vector<WString> lines = statsLines();
    float lineY = y;
    if (statsTextDrawer) {
        for (const WString& line : lines) {
            statsTextDrawer(font, x, lineY, z, line);
            lineY -= STATS_LINE_HEIGHT;
        }
    } else {
        lineY -= STATS_LINE_HEIGHT * static_cast<float>(lines.size());
    }
    if (!connection) return;
    // Three graphs of the last seconds below the text, each under its caption.
    struct Graph {
        const char16_t* caption;
        int counter;
        uint32_t colour;
    };
    const Graph graphs[3] = {{u"bytes in", NetStatistics::BYTES_IN, 0xFF40FF40u},
                             {u"bytes out", NetStatistics::BYTES_OUT, 0xFFFF8040u},
                             {u"resends", NetStatistics::RESENDS, 0xFFFF4040u}};
    for (const Graph& g : graphs) {
        if (statsTextDrawer) statsTextDrawer(font, x, lineY, z, g.caption);
        lineY -= STATS_LINE_HEIGHT;
        const float top = lineY;
        const float bottom = lineY - 3.0f * STATS_LINE_HEIGHT;
        connection->renderStatistics(g.counter, x, top, x + 160.0f, bottom, g.colour);
        lineY = bottom - STATS_LINE_HEIGHT * 0.5f;
    }
}

// ---------------------------------------------------------------------------

void RootObject::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    int32_t* counter = THEROLE ? &THEROLE->nextObjectUID : &detachedCounter;
    c->add(new PropertyInt(u"THEROLE->nextObjectUID", PROP_UNSIGNED, counter));
}

void RootObject::netSerialize(Packet& p) {
    NetRole* role = THEROLE;
    const int32_t before = role ? role->nextObjectUID : 0;
    ZubBase::netSerialize(p);
    if (!role || p.bWriting || p.failed() || role->nextObjectUID >= 2) return;
    const int32_t read = role->nextObjectUID;
    role->nextObjectUID = before;
    p.fail(formatString(u"UID counter %d out of range", read), "nextObjectUID >= 2", "RootObject::netSerialize");
}

ServerScope::ServerScope(bool* isClientOut) : role(THEROLE), bClient(role && !role->bServer) {
    if (isClientOut) *isClientOut = bClient;
    if (role && !bClient) {
        saved = role->bExecutingOnClients;
        role->bExecutingOnClients = false;
    }
}

ServerScope::~ServerScope() {
    if (role && !bClient && THEROLE == role) role->bExecutingOnClients = saved;
}
