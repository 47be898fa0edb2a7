#pragma once
// The network role: the registry of replicated objects by UID and the four
// commands that create, fill and call them. While a role works it is the
// engine's current role, THEROLE, through which every object finds the
// registry.
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "net/Packet.h"
#include "net/RPC.h"
#include "object/ZubBase.h"
#include "util/Random.h"

class NetRole;
extern NetRole* THEROLE;

class NetRole : public ZubBase {
public:
    enum Command : uint8_t { SPAWNOBJ = 0, SPAWNNAMED = 1, COPYOBJ = 2, CMD_RPC = 3 };

    NetRole();
    ~NetRole() override;

    // Registers o under uid, or under the next free UID when uid < 1.
    void registerObject(ZubBase* o, int32_t uid = 0);
    void unregisterObject(ZubBase* o);
    // The registered object; fatal "Could not find object ID %d" when none.
    ZubBase* findObject(int32_t uid);
    ZubBase* findObjectOrNull(int32_t uid) const;
    int objectCount() const { return static_cast<int>(objectMap.size()); }

    // Appends the call to the outgoing packet. A call that names an object
    // the peers cannot know (an unregistered one) is not sent.
    void sendRPC(RPC* rpc);
    void queueSpawn(ZubBase* o);
    // Deletes a registered object on every peer.
    void netDeleteObject(ZubBase* o);

    // Executes every command of the packet. Returns false when the packet was
    // malformed (only possible for packets that report instead of ending the
    // program); the commands before the fault have run.
    bool processPacket(Packet& p);
    bool processCommand(Packet& p, int code);
    // The whole registry as SPAWNNAMED commands in ascending UID order, then
    // COPYOBJ commands in the same order; into the outgoing packet when p is null.
    void writeFullState(Packet* p = nullptr);
    void postReplicateAll();

    // Removes a deleted object from every role's registry (and as a root).
    static void forgetDeleted(ZubBase* o);

    bool bServer = true;
    bool bExecutingOnServer = false;
    bool bExecutingOnClients = false;
    ZubBase* root = nullptr;
    MersenneTwister random;
    int32_t nextObjectUID = 2;
    int32_t outcome = 0;
    bool bEditing = false;
    bool bAllowNewObjectRegistations = true;
    std::unordered_map<int32_t, ZubBase*> objectMap;
    std::unique_ptr<Packet> outgoing;
    // Commands counted per code since the last reset.
    int commandCounts[4] = {};

private:
    // Appends one command to the outgoing packet; a command that cannot be
    // written whole (the packet is full, or it names an object the peers
    // cannot know) is left out and logged.
    template <class Write>
    bool appendCommand(const char* what, Write&& write);
    // The next free UID for an object spawned without one; false when none is left.
    bool takeNextUID(int32_t& uid);

    NetRole* nextRole = nullptr;
};

// The engine's base of the object registered under UID 1. It carries the
// role's UID counter in its state.
class RootObject : public ZubBase {
    ZUB_DECLARE_CLASS(RootObject)
public:
    void addPropertiesTo(PropertyContainer* c) override;
    virtual void start() {}
    virtual void onClientConnected(Node* node) { (void)node; }
    virtual void onClientDisconnected(Node* node) { (void)node; }

private:
    int32_t detachedCounter = 0;  // bound instead when no role is active
};
