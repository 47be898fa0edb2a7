// A server and a client in one process over real UDP sockets on 127.0.0.1:
// the handshake and its refusals, objects and their properties reaching the
// client, remote calls both ways, the disconnect, a state of megabytes,
// forged connect requests, refusals from strangers and refusals whose text
// would add lines to the log, and a socket drained between network steps.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "net_test_support.h"
#include "platform/UdpSocket.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/Console.h"
#include "sys/Settings.h"

using namespace nettest;

namespace {

// Sets a probe's count on every side.
class SetCountRPC : public RPC {
    ZUB_DECLARE_CLASS(SetCountRPC)
public:
    SetCountRPC() : RPC(RPC_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override { c->add(new PropertyInt(u"", PROP_ARGUMENT, &value)); }
    void execute() override {
        if (target && target->getClass() == &NetProbe::classRecord) static_cast<NetProbe*>(target)->count = value;
    }
    int32_t value = 0;
};

ZUB_IMPLEMENT_CLASS(SetCountRPC, RPC, 0x7e57c007u)

// Steps the roles (with real time passing) until the condition holds.
bool pumpReal(std::initializer_list<NetRole*> roles, const std::function<bool()>& done, double seconds = 5.0) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        for (NetRole* r : roles) step(*r);
        usleep(500);
    }
    return done();
}

class NetLoopbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings.setEmulateLocalhost(false);
        network = std::make_unique<ZubNetwork>(&settings);
    }

    TestServer* startServer(int limit = 4, std::u16string_view product = u"Tumbrodemo", double version = 1.25) {
        TestServer* s = roles.add(new TestServer(limit, product, version));
        NetConnection* c = attachLoopback(*s);
        EXPECT_TRUE(c->isValid());
        EXPECT_FALSE(c->bEmulated);
        s->start(nullptr);
        return s;
    }
    TestClient* newClient(std::u16string_view product = u"Tumbrodemo", double version = 1.25,
                          std::u16string_view name = u"Anna") {
        TestClient* c = roles.add(new TestClient(product, version, name));
        EXPECT_TRUE(attachLoopback(*c)->isValid());
        return c;
    }

    ProbeReset reset;
    Settings settings;
    std::unique_ptr<ZubNetwork> network;
    Console console;
    RoleList roles;
};

}  // namespace

TEST_F(NetLoopbackTest, HandshakeObjectsCallsAndDisconnect) {
    TestServer* server = startServer();
    // Objects that exist when the client comes.
    THEROLE = server;
    auto* early = new NetProbe;
    server->registerObject(early, 0);
    server->root->addChild(early);
    early->count = 31;
    early->label = u"before";
    early->speed = 2.5f;
    early->partner = server->root;

    TestClient* client = newClient();
    client->sendConnectRequest(server->connection->address);
    ASSERT_TRUE(pumpReal({server, client}, [&] { return client->findObjectOrNull(early->objectUID) != nullptr; }));
    EXPECT_EQ(server->nodeCount(), 1);
    EXPECT_EQ(client->nodeCount(), 1);
    EXPECT_EQ(static_cast<Node*>(server->nodes.firstChild)->name, u"Anna");
    auto* earlyCopy = static_cast<NetProbe*>(client->findObject(early->objectUID));
    EXPECT_EQ(earlyCopy->count, 31);
    EXPECT_EQ(earlyCopy->label, u"before");
    EXPECT_EQ(earlyCopy->speed, 2.5f);
    EXPECT_EQ(earlyCopy->partner, client->root);
    EXPECT_EQ(earlyCopy->parent, client->root);

    // An object spawned during play: the same UID on both sides, then a
    // replicated parenting and a replicated property change.
    THEROLE = server;
    auto* late = new NetProbe;
    server->registerObject(late, 0);
    server->root->netAddChild(late);
    SetCountRPC set;
    set.target = late;
    set.value = 77;
    set.call();
    THEROLE = nullptr;
    ASSERT_TRUE(pumpReal({server, client}, [&] {
        auto* c = static_cast<NetProbe*>(client->findObjectOrNull(late->objectUID));
        return c && c->count == 77;
    }));
    auto* lateCopy = client->findObject(late->objectUID);
    EXPECT_EQ(lateCopy->getClass(), &NetProbe::classRecord);
    EXPECT_EQ(lateCopy->parent, client->root);
    EXPECT_EQ(late->count, 77);

    // A call from the client to the server.
    THEROLE = client;
    ClientCallRPC up;
    up.value = 5;
    up.call();
    THEROLE = nullptr;
    ASSERT_TRUE(pumpReal({server, client}, [&] { return !ClientCallRPC::runs.empty(); }));
    EXPECT_EQ(ClientCallRPC::runs, std::vector<int32_t>{5});

    // The client goes away; the server hears of it.
    auto* root = static_cast<NetTestRoot*>(server->root);
    roles.roles.pop_back();
    deleteRoleAndObjects(client);
    ASSERT_TRUE(pumpReal({server}, [&] { return server->nodeCount() == 0; }));
    EXPECT_EQ(root->clientsDisconnected, 1);
    EXPECT_EQ(server->disconnects, 1);
}

TEST_F(NetLoopbackTest, ServerRefusesWithEachReason) {
    TestServer* server = startServer(1);
    TestServer* old = startServer(4, u"Tumbrodemo", -0.5);
    // Whether the client got in (the server is full after the first one),
    // and what it was told.
    auto ask = [&](TestServer* s, std::u16string_view product, double version) {
        TestClient* c = newClient(product, version);
        c->sendConnectRequest(s->connection->address);
        pumpReal({s, c}, [&] {
            return (c->nodeCount() == 1 && s->findNodeByAddress(c->connection->address)) || !c->messages.empty();
        });
        return std::make_pair(c->nodeCount(), c->messages.empty() ? WString() : c->messages[0]);
    };
    EXPECT_EQ(ask(server, u"Tumbrodemo", 0.0), std::make_pair(1, WString()));  // 0.0 is not below the minimum
    EXPECT_EQ(ask(server, u"Tumbrodemo", 1.25), std::make_pair(0, WString(u"Server is full.")));
    server->maxNodes = 4;
    EXPECT_EQ(ask(server, u"Tumbro", 1.25), std::make_pair(0, WString(u"Incompatible game.")));
    EXPECT_EQ(ask(server, u"Other demo", 1.25), std::make_pair(0, WString(u"Incompatible game.")));
    EXPECT_EQ(ask(server, u"Tumbrodemo", -0.5),
              std::make_pair(0, WString(u"You need at least version 0.00 of the game (you have -0.50).")));
    EXPECT_EQ(ask(old, u"Tumbrodemo", 1.25),
              std::make_pair(0, WString(u"Server must be at least version 0.00 of the game (it's -0.50).")));
    EXPECT_EQ(server->nodeCount(), 1);
}

TEST_F(NetLoopbackTest, StateOfSeveralMegabytesReachesTheClient) {
    TestServer* server = startServer();
    THEROLE = server;
    std::vector<NetProbe*> probes;
    for (int i = 0; i < 4000; ++i) {
        auto* p = new NetProbe;
        server->registerObject(p, 0);
        server->root->addChild(p);
        p->count = i;
        p->label = WString(1000, static_cast<char16_t>(u'a' + i % 26));
        probes.push_back(p);
    }
    THEROLE = nullptr;
    TestClient* client = newClient();
    client->sendConnectRequest(server->connection->address);
    const int32_t last = probes.back()->objectUID;
    ASSERT_TRUE(pumpReal(
        {server, client},
        [&] {
            auto* c = static_cast<NetProbe*>(client->findObjectOrNull(last));
            return c && c->count == 3999;
        },
        60.0));
    EXPECT_EQ(server->nodeCount(), 1);
    for (NetProbe* p : probes) {
        auto* c = static_cast<NetProbe*>(client->findObjectOrNull(p->objectUID));
        ASSERT_NE(c, nullptr);
        ASSERT_EQ(c->count, p->count);
        ASSERT_EQ(c->label, p->label);
    }
}

TEST_F(NetLoopbackTest, ForgedConnectRequestsKeepNobodyOutAndDrawOnlyAccepts) {
    TestServer* server = startServer(2);
    THEROLE = server;
    for (int i = 0; i < 200; ++i) {
        auto* p = new NetProbe;
        server->registerObject(p, 0);
        server->root->addChild(p);
        p->label = WString(1000, u'x');
    }
    THEROLE = nullptr;
    // Senders on 32 other loopback addresses that never answer, as forged
    // addresses would not, asking a thousand times a second between them.
    std::vector<std::unique_ptr<platform::UdpSocket>> forgers;
    for (uint32_t ip = NetAddress::LOOPBACK + 1; ip <= NetAddress::LOOPBACK + 32; ++ip) {
        forgers.push_back(std::make_unique<platform::UdpSocket>());
        ASSERT_TRUE(forgers.back()->open(ip, 0, 262144).ok);
    }
    const Bytes request = connectRequest(u"Tumbrodemo", 1.25, u"Mallory");
    const NetAddress to = server->connection->address;
    const auto start = std::chrono::steady_clock::now();
    size_t sent = 0, drawn = 0, largest = 0;
    auto flood = [&] {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        int error = 0;
        for (; sent < static_cast<size_t>(elapsed * 1000.0); ++sent) {
            auto& f = forgers[sent % forgers.size()];
            f->sendTo(request.data(), static_cast<int>(request.size()), to.ip, to.port, error);
        }
        uint8_t buffer[2048];
        int length = 0, code = 0;
        uint32_t ip = 0;
        uint16_t port = 0;
        bool cut = false;
        for (auto& f : forgers)
            while (f->receiveFrom(buffer, sizeof buffer, length, ip, port, code, cut) ==
                   platform::UdpSocket::Receive::Datagram) {
                ++drawn;
                largest = std::max(largest, static_cast<size_t>(length));
            }
    };
    // The flood has filled whatever it could before the player comes; the
    // player asks once a second while unanswered.
    pumpReal(
        {server},
        [&] {
            flood();
            return false;
        },
        0.5);
    TestClient* client = newClient();
    const auto asked = std::chrono::steady_clock::now();
    auto nextAsk = asked;
    auto floodAndAsk = [&] {
        flood();
        if (client->nodeCount() == 0 && client->messages.empty() && std::chrono::steady_clock::now() >= nextAsk) {
            client->sendConnectRequest(to);
            nextAsk = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        }
    };
    ASSERT_TRUE(pumpReal(
        {server, client},
        [&] {
            floodAndAsk();
            return client->objectCount() == server->objectCount();
        },
        10.0))
        << (client->messages.empty() ? "" : wideToNarrow(client->messages[0]));
    std::printf("connect time over UDP on 127.0.0.1 while 32 forged addresses send 1000 requests/s: %.3f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count());
    THEROLE = client;
    ClientCallRPC up;
    up.value = 3;
    up.call();
    THEROLE = nullptr;
    ASSERT_TRUE(pumpReal({server, client}, [&] {
        floodAndAsk();
        return !ClientCallRPC::runs.empty();
    }));
    EXPECT_EQ(server->nodeCount(), 1);
    EXPECT_GT(sent, 500u);
    // Each request drew an accept at most, never a datagram of the state.
    EXPECT_GT(drawn, 0u);
    EXPECT_LE(drawn, sent);
    EXPECT_LE(largest, 64u);
}

TEST_F(NetLoopbackTest, FramesBetweenStepsDrainTheSocket) {
    TestServer* server = startServer();
    server->tick(0.0, 0.0);  // the first frame is a network step
    ASSERT_TRUE(server->bStepped);
    NetConnection raw(NetAddress::of(NetAddress::LOOPBACK, 0));
    Packet junk(Packet::FLAG_NETWORK, 8);
    uint32_t stranger = 0x5A5A5A5Au;  // the host UID of nobody: ignored
    junk.doDWORD(stranger);
    const int sent = 300;
    for (int i = 0; i < sent; ++i) raw.sendRaw(junk, server->connection->address);
    usleep(20000);
    server->tick(0.0, 0.001);
    ASSERT_FALSE(server->bStepped);
    NetStatistics s;
    s.add(server->connection->statisticsTotal);
    s.add(*static_cast<NetStatistics*>(server->connection->statisticsHistory.lastChild));
    EXPECT_EQ(static_cast<int>(s.packetsIn), sent);
}

// A refusal counts only from the host at the other end of the handshake: the
// server a client asked, a client whose request the server answered. Anybody
// else's, from another port or another address, is dropped unread. What a
// refusal says goes into the log (a real file) on one line, its line breaks
// escaped, whatever it holds.
TEST_F(NetLoopbackTest, ARefusalCountsOnlyFromTheHostAskedAndTakesOneLineOfTheLog) {
    filestest::TempFolder folder;
    const std::string logPath = folder / "Tumbrodemo.log";
    ASSERT_TRUE(Logger::get().startSession(logPath));

    TestServer* server = startServer();
    TestClient* client = newClient();
    client->sendConnectRequest(server->connection->address);
    const Bytes forged = special(NetHost::CMD_REFUSE, [](Packet& p) {
        WString text = u"Server is full.\r\nNetHost::NetHost(): Creating SERVER host...\nUser: forged";
        p.doUString(text, -1);
    });
    NetConnection otherPort(NetAddress::of(NetAddress::LOOPBACK, 0));
    ASSERT_FALSE(otherPort.bEmulated);
    platform::UdpSocket otherAddress;
    ASSERT_TRUE(otherAddress.open(NetAddress::LOOPBACK + 1, 0, 262144).ok);
    for (const NetAddress& to : {client->connection->address, server->connection->address}) {
        otherPort.sendRaw(*readerOf(forged), to);
        int error = 0;
        ASSERT_TRUE(otherAddress.sendTo(forged.data(), static_cast<int>(forged.size()), to.ip, to.port, error));
    }
    ASSERT_TRUE(pumpReal({server, client}, [&] { return client->nodeCount() == 1 && server->nodeCount() == 1; }));
    EXPECT_TRUE(client->messages.empty());
    EXPECT_TRUE(server->messages.empty());
    EXPECT_GE(client->droppedDatagrams, 2);
    EXPECT_GE(server->droppedDatagrams, 2);

    // A server that turns its client away with a text of several lines.
    TestServer* rude = startServer();
    TestClient* turnedAway = newClient();
    turnedAway->sendConnectRequest(rude->connection->address);
    rude->sendRefusal(turnedAway->connection->address, u"Go away.\r\nUser: admin\n\x1b[2J\\n");
    ASSERT_TRUE(pumpReal({turnedAway}, [&] { return !turnedAway->messages.empty(); }));
    EXPECT_EQ(turnedAway->messages[0], u"Go away.\r\nUser: admin\n\x1b[2J\\n");
    Logger::get().closeFile();

    const std::string log = filestest::readBytes(logPath);
    EXPECT_EQ(log.find("forged"), std::string::npos) << log;
    std::vector<std::string> refusals;
    for (size_t start = 0; start < log.size();) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n\x1b"), std::string::npos) << line;
        if (line.find("Go away.") != std::string::npos) refusals.push_back(line);
        start = end + 2;
    }
    ASSERT_EQ(refusals.size(), 1u) << log;
    EXPECT_NE(refusals[0].find("): refused by 127.0.0.1:"), std::string::npos) << refusals[0];
    EXPECT_NE(refusals[0].find(": Go away.\\r\\nUser: admin\\n\\x1b[2J\\\\n"), std::string::npos) << refusals[0];
}
