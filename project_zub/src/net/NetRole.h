#pragma once
// The network role: the host that gives packets a meaning. It keeps the
// registry of replicated objects by UID, turns the creation, copying and
// calling of objects into four commands, writes the whole registered state
// for a new peer, and runs its object tree on its own clock with a fixed
// network period. While a role works it is the engine's current role,
// THEROLE, through which every object finds the registry.
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "gfx/RenderCounters.h"
#include "net/NetHost.h"
#include "object/Packet.h"
#include "object/RPC.h"
#include "object/Replication.h"
#include "object/UidMap.h"
#include "object/ZubBase.h"
#include "util/Random.h"

class NetRole;
extern NetRole* THEROLE;

class NetRole : public NetHost, public Replication {
public:
    enum Command : uint8_t { SPAWNOBJ = 0, SPAWNNAMED = 1, COPYOBJ = 2, CMD_RPC = 3 };
    static constexpr int RPCCOUNT = 1536;
    static constexpr double DEFAULT_PERIOD = 0.05;
    static constexpr uint32_t DEBUG_NETWORK_STATISTICS = 0x200;  // the engine's debug bit for drawStats
    // The depth limit of its trees and the count of moved subtrees are the
    // replication's (MAX_TREE_DEPTH, subtreesMoved).

    // The host's arguments and the network period; makes itself THEROLE.
    explicit NetRole(int mode = 2, bool server = true, std::u16string_view productName = u"", double version = 0.0,
                     std::u16string_view playerName = u"", double period = DEFAULT_PERIOD);
    ~NetRole() override;

    // Registers o under uid, or under the next free UID when uid < 1.
    void registerObject(ZubBase* o, int32_t uid = 0) override;
    void unregisterObject(ZubBase* o);
    // The registered object; fatal "Could not find object ID %d" when none.
    ZubBase* findObject(int32_t uid) override;
    int objectCount() const { return static_cast<int>(objectMap.size()); }

    // Appends the call to the outgoing packet. A call that names an object
    // the peers cannot know (an unregistered one) is not sent.
    void sendRPC(RPC* rpc) override;
    void queueSpawn(ZubBase* o);
    // Deletes a registered object on every peer.
    void netDeleteObject(ZubBase* o) override;
    // Takes an object out of the registry and the tree and frees it: at once,
    // or at the end of the role's tick or render while one runs (the object
    // may be the one being ticked). It is hidden until then.
    void deleteRegistered(ZubBase* o) override;
    bool isServer() const override { return bServer; }

    // Executes every command of the packet. Returns false when the packet was
    // malformed (only possible for packets that report instead of ending the
    // program). On a server, a packet from a peer may only call
    // client-callable remote procedures. A packet that made a tree deeper
    // than MAX_TREE_DEPTH is malformed too.
    //
    // A malformed packet leaves nothing behind: the objects registered while
    // it ran are taken out of the registry and the tree and freed, the
    // objects that were there before hang where they hung, property pointers
    // to the freed objects are cleared, and the UID counter is what it was.
    // (Values it wrote into existing objects stay.) The exception are the
    // calls a client made on the server before its fault: the server has
    // passed them on to the other peers already.
    bool processPacket(Packet& p) override;
    virtual bool processCommand(Packet& p, int code);
    // The whole registry as SPAWNNAMED commands in ascending UID order, then
    // COPYOBJ commands in the same order; into the outgoing packet when p is null.
    void writeFullState(Packet* p = nullptr);
    // The same commands spread over as many packets of the capacity as they
    // need (each command whole in one packet, in order). An object body
    // larger than a packet goes whole in a packet of its own, as large as it
    // needs up to Node::MAX_STATE_BYTES_FROM_SERVER. Returns the total number
    // of bytes.
    int writeFullStatePackets(std::vector<std::unique_ptr<Packet>>& out, uint32_t flags, int capacity = -1);
    // Writes an object's body. A text that no packet carries (as long as a
    // packet's text buffer, or longer than its property allows) is refused:
    // the object's own text is cut to the longest start that travels, and
    // the log names the object and the property. False when the body could
    // not be written all the same (a trusted packet then ends the program).
    bool writeBody(Packet& p, ZubBase* o);
    void postReplicateAll();

    // Sends the pending outgoing packet to every node and empties it.
    void flushOutgoing() override;

    // The frame: at most one network step (service the host, send the
    // outgoing packet), the socket drained on the other frames, and the
    // object tree on the role's clock every frame.
    // The frame interval is the engine's; without an engine, `dt`.
    void tick(double time, double dt) override;
    void render() override;
    // The network statistics overlay, one line of text each from the top;
    // nothing unless the engine's debug level has DEBUG_NETWORK_STATISTICS.
    void drawStats(float x, float y, float z, ZubBase* font);
    // Whether the engine's debug level asks for the overlay.
    static bool statsShown();
    std::vector<WString> statsLines() const;
    // How the overlay draws a line of text with the given font (installed by
    // the application, which knows the fonts; without it the overlay draws
    // its graphs alone).
    static std::function<void(ZubBase* font, float x, float y, float z, std::u16string_view text)> statsTextDrawer;
    static constexpr float STATS_LINE_HEIGHT = 12.0f;

    // Removes a deleted object from every role's registry (and as a root).
    static void forgetDeleted(ZubBase* o);
    // Called before an object that hangs somewhere is moved or taken out by
    // an object body or a call, so that a malformed packet can put it back.
    static void noteMove(ZubBase* child);

    // Whether a packet may create objects of the class: a replicated object
    // class with a create function, and none of the engine's own services or
    // resources (resources travel by name; the screen stack, files and text
    // layouts belong to the program, and their code relies on what hangs
    // from them).
    static bool isSpawnable(const RuntimeClass* c);
    // Adds a class (and the classes derived from it) to those no packet creates.
    static void refuseSpawning(const RuntimeClass* c);

    int32_t nextObjectUID = 2;
    int32_t outcome = 0;  // nonzero when play in the level has ended
    bool bEditing = false;
    bool& bEditMode = bEditing;
    bool bAllowNewObjectRegistations = true;
    std::unique_ptr<Packet> outgoing;
    // Commands counted per code since the role began.
    int commandCounts[4] = {};

    // The role's clock.
    double netTime = 0.0;
    double nextStepTime = 0.0;
    double period;
    int32_t stepCount = 0;
    bool bStepped = false;  // a network step ran in this frame
    double lastFrameInterval = 0.0;
    // Remote calls sent per class index, this step and the previous one.
    std::vector<int> rpcCountsCurrent;
    std::vector<int> rpcCountsPrevious;
    // The engine's drawing counters over the last tick and the last render.
    RenderCounters tickCounters;
    RenderCounters renderCountersDelta;

    // Advances the clock by one frame interval; true when a step is due.
    bool advanceClock(double dt);
    // The frame interval the role's tick uses.
    double frameInterval(double fallback) const;

private:
    // Appends one command to the outgoing packet. When the packet is full it
    // is sent and the command starts a new one; a command that cannot be
    // written whole even then (it names an object the peers cannot know, or
    // is larger than a packet) is left out and logged.
    template <class Write>
    bool appendCommand(const char* what, Write&& write);
    // The next free UID for an object spawned without one; false when none is left.
    bool takeNextUID(int32_t& uid);
    void countCommand(int code);
    // While a packet is executed or the whole state written, the commands
    // go to the connection's statistics together at the end, not each with
    // a look at the clock for its time slot.
    struct HeldCommandCounts {
        explicit HeldCommandCounts(NetRole& r) : role(r) { ++role.commandsHeldDepth; }
        ~HeldCommandCounts();
        HeldCommandCounts(const HeldCommandCounts&) = delete;
        HeldCommandCounts& operator=(const HeldCommandCounts&) = delete;
        NetRole& role;
    };
    int commandsHeld[4] = {};
    int commandsHeldDepth = 0;
    void freeDeferred();
    // The objects at depth MAX_TREE_DEPTH + 1 in the role's tree and in the
    // trees of loose registered objects.
    std::vector<ZubBase*> collectTooDeep();
    // Takes everything deeper than MAX_TREE_DEPTH out of those trees; false
    // when there was any.
    bool limitTreeDepth();

    // What a packet being executed did that can be taken back.
    struct PacketJournal {
        struct Move {
            ZubBaseReference child, parent, next;  // where the child hung
        };
        std::vector<std::pair<int32_t, ZubBase*>> made;    // registered while it ran
        std::vector<std::pair<int32_t, ZubBase*>> bodies;  // bodies it read
        std::vector<std::unique_ptr<Move>> moves;          // in the order they happened
        bool bCalled = false;                              // a call ran
        int32_t nextObjectUID = 0;
    };
    void undoPacket(PacketJournal& j);
    // Clears every property pointer of a registered object that points at one of these.
    void clearPointersTo(const std::unordered_set<ZubBase*>& gone);
    PacketJournal* journal = nullptr;

    NetRole* nextRole = nullptr;
    int busy = 0;  // inside tick or render
    std::vector<std::unique_ptr<ZubBaseReference>> deferred;
};

// The engine's base of the object registered under UID 1. It carries the
// role's UID counter in its state.
class RootObject : public ZubBase {
    ZUB_DECLARE_CLASS(RootObject)
public:
    void addPropertiesTo(PropertyContainer* c) override;
    // A body read with a UID counter below 2 is refused and the counter
    // kept: with it, the next object made here would find no UID.
    void netSerialize(Packet& p) override;
    virtual void start() {}
    virtual void onClientConnected(Node* node) { (void)node; }
    virtual void onClientDisconnected(Node* node) { (void)node; }

private:
    int32_t detachedCounter = 0;  // bound instead when no role is active
};

// Work that only the side owning the state does. On a client (a role exists
// and is not a server) the caller skips the work; elsewhere, what the scope's
// code registers and calls goes to the clients even inside a call that the
// clients run themselves.
class ServerScope {
public:
    explicit ServerScope(bool* isClientOut = nullptr);
    ~ServerScope();
    ServerScope(const ServerScope&) = delete;
    ServerScope& operator=(const ServerScope&) = delete;
    bool isClient() const { return bClient; }

private:
    NetRole* role;
    bool bClient;
    bool saved = false;
};
