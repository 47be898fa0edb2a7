#pragma once
// Remote procedure calls: small objects that name a target object, carry the
// arguments of one operation and say on which peers it runs. The caller runs
// it here and, where the peers should run it too, queues it for them.
#include <cstdint>

#include "object/RuntimeClass.h"

class Packet;
class Property;
class ZubBase;

// Where a call runs, and whether a client may send it to the server.
struct RPCScope {
    bool onServer;
    bool onClients;
    bool clientCallable;
};
// The server's calls that every peer runs (the usual kind).
inline constexpr RPCScope RPC_EVERYWHERE{true, true, false};
// The server's calls that only the clients run.
inline constexpr RPCScope RPC_CLIENTS_ONLY{false, true, false};
// A client's request that the server runs.
inline constexpr RPCScope RPC_CLIENT_TO_SERVER{true, false, true};
// A client's call that the server runs and passes on to every client.
inline constexpr RPCScope RPC_CLIENT_TO_EVERYWHERE{true, true, true};

class RPC : public ClassObject {
    ZUB_DECLARE_CLASS(RPC)
public:
    RPC() = default;
    explicit RPC(RPCScope scope)
        : onServer(scope.onServer), onClients(scope.onClients), clientCallable(scope.clientCallable) {}
    ~RPC() override = default;

    // The target through doPointer2, then the arguments the class declares.
    virtual void serialize(Packet& p);
    // Declares the arguments as unnamed properties, in their wire order.
    virtual void addPropertiesTo(Property* container) { (void)container; }
    virtual void execute() {}
    // Why the arguments are ones `execute` cannot work with (it asserts
    // against them), as a sentence; empty when they are fine. A call read
    // from a packet is run only without one; the tools that make calls from
    // typed values ask it first.
    virtual WString argumentFault() const { return {}; }

    // Whether this peer must send the call to its peers.
    bool executeRemotely();
    // Runs the call here when its flags say it runs on this side.
    void executeLocally();
    // The calling sequence: send when required, then run here.
    void call();

    bool onServer = false;
    bool onClients = false;
    bool clientCallable = false;
    ZubBase* target = nullptr;
    bool savedExecutingOnServer = false;
    bool savedExecutingOnClients = false;
};

// Enters a state at once or after a delay (the delayed form only where this
// side is not a client).
class RPCGotoState : public RPC {
    ZUB_DECLARE_CLASS(RPCGotoState)
public:
    RPCGotoState() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    int32_t newState = 0;
    double delay = 0.0;
};

// Sets the target's state and restarts its time in state.
class RPCSetState : public RPC {
    ZUB_DECLARE_CLASS(RPCSetState)
public:
    RPCSetState() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    int32_t newState = 0;
};

class RPCAddChild : public RPC {
    ZUB_DECLARE_CLASS(RPCAddChild)
public:
    RPCAddChild() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    ZubBase* child = nullptr;
};

class RPCRemoveChild : public RPC {
    ZUB_DECLARE_CLASS(RPCRemoveChild)
public:
    RPCRemoveChild() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    ZubBase* child = nullptr;
};

class RPCPostReplicate : public RPC {
    ZUB_DECLARE_CLASS(RPCPostReplicate)
public:
    RPCPostReplicate() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};

class RPCPostReplicateGlobal : public RPC {
    ZUB_DECLARE_CLASS(RPCPostReplicateGlobal)
public:
    RPCPostReplicateGlobal() : RPC(RPC_EVERYWHERE) {}
    void execute() override;
};

// Deletes a registered object on every peer. The target is the role's root.
class RPCNetDelete : public RPC {
    ZUB_DECLARE_CLASS(RPCNetDelete)
public:
    RPCNetDelete() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    ZubBase* object = nullptr;
};

// Seeds the role's Mersenne Twister.
class RPCSetRandomSeed : public RPC {
    ZUB_DECLARE_CLASS(RPCSetRandomSeed)
public:
    RPCSetRandomSeed() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    uint32_t seed = 0;
};
