#pragma once
// What objects, their packets and their remote calls ask of the replication
// that runs them: the registry of replicated objects by UID, the side this
// program plays (server or client) and the side a call is running for, the
// root of the replicated tree, and where calls for the peers go.
//
// The network role (net/NetRole.h) is the replication; while a role works it
// is the current one. The object layer has no role of its own: the network
// layer installs how the current one is found and what must hear of deleted
// and moved objects (Hooks); before that there is no current replication.
#include <cstdint>

#include "object/UidMap.h"
#include "util/Random.h"

class RPC;
class ZubBase;

class Replication {
public:
    // How deep a tree of replicated objects may nest (ticking, drawing and
    // deleting recurse once per level). A level's terrain chain is a few
    // hundred deep.
    static constexpr int MAX_TREE_DEPTH = 2048;
    // Counts object bodies and calls that hung an object with children of
    // its own somewhere: after a packet that did, the depth is measured.
    static inline unsigned subtreesMoved = 0;

    // What the network layer installs.
    struct Hooks {
        Replication* (*current)() = nullptr;             // the current replication, or null
        void (*objectDeleted)(ZubBase* o) = nullptr;     // a registered object is being deleted
        void (*objectMoving)(ZubBase* child) = nullptr;  // an object that hangs somewhere moves
    };
    static void install(const Hooks& h) { hooks = h; }

    // The current replication, or null when none works.
    static Replication* current() { return hooks.current ? hooks.current() : nullptr; }
    // A registered object is being deleted: every replication forgets it.
    static void objectDeleted(ZubBase* o) {
        if (hooks.objectDeleted) hooks.objectDeleted(o);
    }
    // Called before an object that hangs somewhere is moved or taken out by
    // an object body or a call, so that a malformed packet can put it back.
    static void objectMoving(ZubBase* child) {
        if (hooks.objectMoving) hooks.objectMoving(child);
    }

    // Registers o under uid, or under the next free UID when uid < 1.
    virtual void registerObject(ZubBase* o, int32_t uid = 0) = 0;
    // The registered object; fatal "Could not find object ID %d" when none.
    virtual ZubBase* findObject(int32_t uid) = 0;
    ZubBase* findObjectOrNull(int32_t uid) const { return objectMap.get(uid); }
    // Appends the call to what goes to the peers.
    virtual void sendRPC(RPC* rpc) = 0;
    // Deletes a registered object on every peer.
    virtual void netDeleteObject(ZubBase* o) = 0;
    // Takes a registered object out of the registry and the tree and frees it
    // (at once, or when the replication's walk over its tree is over).
    virtual void deleteRegistered(ZubBase* o) = 0;
    // Whether this program is the server (the side that owns the state).
    virtual bool isServer() const = 0;

    bool bExecutingOnServer = false;
    bool bExecutingOnClients = false;
    ZubBase* root = nullptr;
    MersenneTwister random;
    UidMap objectMap;

protected:
    Replication() = default;
    ~Replication() = default;
    Replication(const Replication&) = delete;
    Replication& operator=(const Replication&) = delete;

private:
    static Hooks hooks;
};

inline Replication::Hooks Replication::hooks{};
