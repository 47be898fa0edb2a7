#pragma once
// Helpers of the transport tests: a clock the test moves by hand, a server
// and a client role that record what the handshake tells them, raw datagram
// builders, and a pump that runs the network steps of several hosts.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/NetConnection.h"
#include "net/NetHost.h"
#include "net/NetRole.h"
#include "net/Node.h"
#include "net/Server.h"
#include "net/ZubNetwork.h"
#include "net_test_support.h"
#include "sys/Logger.h"

namespace nettest {

// Network time under the test's control for the life of the object.
class ManualClock {
public:
    explicit ManualClock(double start = 100.0);
    ~ManualClock();
    void advance(double seconds) { now += seconds; }
    double now;
};

// The root the test server makes when it starts without a level; it counts
// the peers that come and go.
class NetTestRoot : public RootObject {
    ZUB_DECLARE_CLASS(NetTestRoot)
public:
    void start() override { ++starts; }
    void onClientConnected(Node* node) override {
        (void)node;
        ++clientsConnected;
    }
    void onClientDisconnected(Node* node) override {
        (void)node;
        ++clientsDisconnected;
    }
    int starts = 0;
    int clientsConnected = 0;
    int clientsDisconnected = 0;
};

// A call a client may make: runs on the server (and on clients when asked).
class ClientCallRPC : public RPC {
    ZUB_DECLARE_CLASS(ClientCallRPC)
public:
    ClientCallRPC() : RPC(true, false, true) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;
    int32_t value = 0;
    static std::vector<int32_t> runs;  // the values, in order
};

constexpr uint32_t kNetTestRootId = 0x7e57c001u;
constexpr uint32_t kClientCallId = 0x7e57c002u;

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
    void onConnect(Node* n) override {
        (void)n;
        ++connects;
    }
    void onDisconnect(Node* n) override {
        (void)n;
        ++disconnects;
    }
    std::vector<WString> messages;
    int connects = 0;
    int disconnects = 0;
};

// One network step of a role without its object tree: receive and run
// what arrived, then send what is pending.
void step(NetRole& role);
// Steps every role in turn, `rounds` times.
void pump(std::initializer_list<NetRole*> roles, int rounds = 1);
// Steps the roles until the condition holds (or `rounds` run out); true
// when it holds.
bool pumpUntil(std::initializer_list<NetRole*> roles, const std::function<bool()>& done, int rounds = 200);

// Attaches a new owned connection on 127.0.0.1 (port 0: emulated or any).
NetConnection* attachLoopback(NetHost& host, uint16_t port = 0);

// Special datagram bytes: the special word, the command, then what `fill` writes.
Bytes special(uint32_t command, const std::function<void(Packet&)>& fill = nullptr);
Bytes connectRequest(std::u16string_view product, double version, std::u16string_view name);

// A received datagram as the connection would hand it out.
std::unique_ptr<Packet> datagramFrom(const Bytes& b, const NetAddress& from);

// Log lines since the mark that contain `text`.
int logLinesSince(size_t mark, const std::u16string& text);
size_t logMark();

// Deletes roles with their objects (see deleteRoleAndObjects).
struct RoleList {
    ~RoleList();
    template <class T>
    T* add(T* r) {
        roles.push_back(r);
        return r;
    }
    std::vector<NetRole*> roles;
};

}  // namespace nettest
