#pragma once
// Shared helpers of the network tests: byte builders, a probe object with one
// property of each common kind, probe remote calls that record their runs, a
// clock the test moves by hand, test server and client roles that record what
// the handshake tells them, and guards that tear roles down together with
// every object registered with them.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "net/NetConnection.h"
#include "net/NetRole.h"
#include "net/Node.h"
#include "net/Server.h"
#include "net/ZubNetwork.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/RPC.h"
#include "sys/Logger.h"

namespace nettest {

using Bytes = std::vector<uint8_t>;

Bytes bytes(std::initializer_list<int> list);
// The bytes written so far (writing packet) or the whole content (reading packet).
Bytes contentOf(const Packet& p);
// A reading packet holding exactly these bytes (or those written into `p`).
std::unique_ptr<Packet> readerOf(const Bytes& b, uint32_t flags = 0, bool fromPeer = false);
std::unique_ptr<Packet> readerOf(const Packet& p, bool fromPeer = false);
// "0C 05 09 0C" for failure messages.
std::string hex(const Bytes& b);
// Reads one command code of a role packet.
int readCode(Packet& p);

// A replicated object with the property kinds the engine serialises.
class NetProbe : public ZubBase {
    ZUB_DECLARE_CLASS(NetProbe)
public:
    NetProbe() { ++liveProbes; }
    ~NetProbe() override;
    void addPropertiesTo(PropertyContainer* c) override;
    void netPostReplicate() override { ++postReplicateCount; }
    void netPostReplicateGlobal() override { ++postReplicateGlobalCount; }

    int32_t count = 0;
    int32_t flagsWord = 0;  // travels unsigned
    float speed = 0.0f;
    float angle = 0.0f;
    bool bActive = false;
    double timer = 0.0;
    WString label;
    ZubBase* partner = nullptr;  // replicated references
    ZubBase* other = nullptr;
    ZubBase* outside = nullptr;  // stays a raw address in in-process copies
    int postReplicateCount = 0;
    int postReplicateGlobalCount = 0;
    bool* deletedFlag = nullptr;  // set when the object is destroyed
    static int liveProbes;
};

// A remote call whose runs are recorded; its flags are set per instance.
class ProbeRPC : public RPC {
    ZUB_DECLARE_CLASS(ProbeRPC)
public:
    ProbeRPC() : RPC(RPC_EVERYWHERE) {}
    ProbeRPC(bool server, bool clients, bool callable) : RPC(RPCScope{server, clients, callable}) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    int32_t argument = 0;
    // Every run, in order: the argument and the role flags while it ran.
    struct Run {
        int32_t argument;
        bool executingOnServer;
        bool executingOnClients;
    };
    static std::vector<Run> runs;
    static std::function<void(ProbeRPC&)> onExecute;  // called from execute when set
};

// A call a client may make: runs on the server (and on clients when asked).
class ClientCallRPC : public RPC {
    ZUB_DECLARE_CLASS(ClientCallRPC)
public:
    ClientCallRPC() : RPC(RPC_CLIENT_TO_SERVER) {}
    void addPropertiesTo(Property* c) override;
    void execute() override { runs.push_back(value); }
    int32_t value = 0;
    static std::vector<int32_t> runs;
};

// Clears the probe calls' records and hook at both ends of a scope.
struct ProbeReset {
    ProbeReset() { clear(); }
    ~ProbeReset() { clear(); }
    static void clear() {
        ProbeRPC::runs.clear();
        ProbeRPC::onExecute = nullptr;
        ClientCallRPC::runs.clear();
    }
};

// The root the test server makes when it starts without a level; it counts
// the peers that come and go.
class NetTestRoot : public RootObject {
    ZUB_DECLARE_CLASS(NetTestRoot)
public:
    void start() override { ++starts; }
    void onClientConnected(Node*) override { ++clientsConnected; }
    void onClientDisconnected(Node*) override { ++clientsDisconnected; }
    int starts = 0;
    int clientsConnected = 0;
    int clientsDisconnected = 0;
};

class TestServer : public Server {
public:
    explicit TestServer(int limit = 4, std::u16string_view product = u"Tumbrodemo", double version = 1.25)
        : Server(2, limit, product, version, u"Host") {}
    ZubBase* createRootObject() override { return new NetTestRoot; }
    void onMessage(WString m) override { messages.push_back(m); }
    void onConnect(Node* n) override {
        ++connects;
        Server::onConnect(n);
    }
    void onDisconnect(Node* n) override {
        ++disconnects;
        Server::onDisconnect(n);
    }
    std::vector<WString> messages;
    int connects = 0;
    int disconnects = 0;
};

class TestClient : public NetRole {
public:
    explicit TestClient(std::u16string_view product = u"Tumbrodemo", double version = 1.25,
                        std::u16string_view name = u"Anna")
        : NetRole(2, false, product, version, name) {}
    void onMessage(WString m) override { messages.push_back(m); }
    void onConnect(Node*) override { ++connects; }
    void onDisconnect(Node*) override { ++disconnects; }
    std::vector<WString> messages;
    int connects = 0;
    int disconnects = 0;
};

// Network time under the test's control for the life of the object.
class ManualClock {
public:
    explicit ManualClock(double start = 100.0);
    ~ManualClock();
    void advance(double seconds) { now += seconds; }
    double now;
};

// One network step of a role without its object tree: receive and run what
// arrived, then send what is pending.
void step(NetRole& role);
// Steps the roles until the condition holds (or `rounds` run out).
bool pumpUntil(std::initializer_list<NetRole*> roles, const std::function<bool()>& done, int rounds = 200);
// Attaches a new owned connection on 127.0.0.1 (port 0: emulated or any).
NetConnection* attachLoopback(NetHost& host, uint16_t port = 0);

// Special datagram bytes: the special word, the command, then what `fill` writes.
Bytes special(uint32_t command, const std::function<void(Packet&)>& fill = nullptr);
Bytes connectRequest(std::u16string_view product, double version, std::u16string_view name);
// A received datagram as the connection would hand it out.
std::unique_ptr<Packet> datagramFrom(const Bytes& b, const NetAddress& from);

// Starts the log history afresh; then counts its lines that contain `text`.
size_t logMark();
int logLinesSince(size_t mark, const std::u16string& text);

// Deletes the role and every registered object outside its tree.
void deleteRoleAndObjects(NetRole* role);

// Owns a plain role (made current) and deletes it with its objects.
class RoleGuard {
public:
    explicit RoleGuard(bool server = true) : role(new NetRole) { role->bServer = server; }
    ~RoleGuard() { deleteRoleAndObjects(role); }
    RoleGuard(const RoleGuard&) = delete;
    RoleGuard& operator=(const RoleGuard&) = delete;
    NetRole* operator->() const { return role; }
    NetRole& operator*() const { return *role; }
    NetRole* get() const { return role; }

private:
    NetRole* role;
};

// Deletes roles with their objects, the last added first.
struct RoleList {
    ~RoleList() {
        for (auto it = roles.rbegin(); it != roles.rend(); ++it) deleteRoleAndObjects(*it);
    }
    template <class T>
    T* add(T* r) {
        roles.push_back(r);
        return r;
    }
    std::vector<NetRole*> roles;
};

// The class ids of the probes.
constexpr uint32_t kProbeRpcId = 0x7e57a001u;
constexpr uint32_t kNetProbeId = 0x7e57b001u;
constexpr uint32_t kNetTestRootId = 0x7e57c001u;
constexpr uint32_t kClientCallId = 0x7e57c002u;

}  // namespace nettest
