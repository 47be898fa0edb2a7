// The emulated loopback connection, and a server and a client over a faulty
// emulated link (loss, duplication, reordering, corruption) that still
// deliver every state in order.
#include <gtest/gtest.h>

#include <random>

#include "net_host_support.h"

using namespace nettest;

TEST(NetEmulated, PortsCountUpAndEachTakesOnlyItsOwn) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    const size_t mark = logMark();
    NetConnection first(NetAddress::of(NetAddress::LOOPBACK, 23006));
    NetConnection second(NetAddress::of(NetAddress::LOOPBACK, 23006));
    EXPECT_TRUE(first.bEmulated);
    EXPECT_EQ(first.address.toString(), u"127.0.0.1:1");
    EXPECT_EQ(second.address.toString(), u"127.0.0.1:2");
    EXPECT_EQ(logLinesSince(mark, u"NetConnection::NetConnection(): Creating emulated localhost connection: 127.0.0.1:1."),
              1);
    Packet p(Packet::FLAG_NETWORK, 8);
    uint32_t w = 0xCAFE;
    p.doDWORD(w);
    first.sendRaw(p, second.address);
    EXPECT_EQ(first.receive(), nullptr);
    Packet* got = second.receive();
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->address, first.address);
    uint32_t r = 0;
    got->doDWORD(r);
    EXPECT_EQ(r, 0xCAFEu);
    EXPECT_EQ(second.receive(), nullptr);
}

TEST(NetEmulated, UnpolledDatagramsExpireAfterOneSecond) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    NetConnection a(NetAddress::of(NetAddress::LOOPBACK, 0));
    Packet p(Packet::FLAG_NETWORK, 8);
    uint32_t w = 1;
    p.doDWORD(w);
    a.sendRaw(p, NetAddress::of(NetAddress::LOOPBACK, 9));
    clock.advance(0.9);
    EXPECT_EQ(a.receive(), nullptr);
    EXPECT_EQ(network.emulatedQueueLength(), 1);
    clock.advance(0.2);
    EXPECT_EQ(a.receive(), nullptr);
    EXPECT_EQ(network.emulatedQueueLength(), 0);
}

TEST(NetEmulated, DestroyingAConnectionFlushesExactlyItsOwn) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    NetConnection a(NetAddress::of(NetAddress::LOOPBACK, 0));
    auto* b = new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 0));
    NetConnection c(NetAddress::of(NetAddress::LOOPBACK, 0));
    Packet p(Packet::FLAG_NETWORK, 8);
    uint32_t w = 1;
    p.doDWORD(w);
    for (int i = 0; i < 3; ++i) a.sendRaw(p, b->address);
    for (int i = 0; i < 2; ++i) a.sendRaw(p, c.address);
    const size_t mark = logMark();
    deleteObject(b);
    EXPECT_EQ(network.emulatedQueueLength(), 2);
    EXPECT_EQ(logLinesSince(mark, u"ZubNetwork::flushEmulatedPackets(): Flushed packets for 127.0.0.1:2, queue "
                                  u"length is now 2."),
              1);
}

TEST(NetEmulated, DatagramLargerThanTheBufferIsDropped) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    const NetAddress from = NetAddress::of(NetAddress::LOOPBACK, 1), to = NetAddress::of(NetAddress::LOOPBACK, 2);
    uint8_t big[100] = {}, small[4] = {1, 2, 3, 4};
    network.queueEmulatedPacket(big, sizeof big, from, to);
    network.queueEmulatedPacket(small, sizeof small, from, to);
    uint8_t buffer[16];
    int count = 0;
    NetAddress sender;
    ASSERT_TRUE(network.receiveEmulatedPacket(sender, buffer, sizeof buffer, count, to));
    EXPECT_EQ(count, 4);
    EXPECT_EQ(buffer[3], 4);
    EXPECT_EQ(network.emulatedQueueLength(), 0);
}

// ---------------------------------------------------------------------------
// A faulty link

TEST(NetFaultyLink, EveryStateArrivesInOrderDespiteLossDuplicationAndReordering) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    ProbeReset reset;
    ClientCallRPC::runs.clear();
    RoleList roles;
    TestServer* server = roles.add(new TestServer);
    attachLoopback(*server);
    server->start(nullptr);
    TestClient* client = roles.add(new TestClient);
    attachLoopback(*client);
    client->sendConnectRequest(server->connection->address);
    ASSERT_TRUE(pumpUntil({server, client}, [&] { return client->root != nullptr; }));

    std::mt19937 rng(12345);
    int drops = 0, duplicates = 0, reorders = 0, corrupts = 0;
    network.linkFilter = [&](const NetAddress&, const NetAddress&, int) {
        const unsigned r = rng() % 100;
        if (r < 15) return ++drops, ZubNetwork::LinkFate::Drop;
        if (r < 25) return ++duplicates, ZubNetwork::LinkFate::Duplicate;
        if (r < 35) return ++reorders, ZubNetwork::LinkFate::Reorder;
        if (r < 40) return ++corrupts, ZubNetwork::LinkFate::Corrupt;
        return ZubNetwork::LinkFate::Deliver;
    };

    constexpr int kStates = 300;
    auto round = [&] {
        clock.advance(0.05);
        step(*server);
        step(*client);
    };
    for (int i = 0; i < kStates; ++i) {
        THEROLE = server;
        ProbeRPC toClients(false, true, false);  // runs on the clients only
        toClients.argument = i;
        toClients.call();
        THEROLE = client;
        ClientCallRPC toServer;
        toServer.value = i;
        toServer.call();
        THEROLE = nullptr;
        round();
    }
    for (int i = 0; i < 3000 && (static_cast<int>(ProbeRPC::runs.size()) < kStates ||
                                 static_cast<int>(ClientCallRPC::runs.size()) < kStates);
         ++i)
        round();
    network.linkFilter = nullptr;

    ASSERT_EQ(ProbeRPC::runs.size(), static_cast<size_t>(kStates));
    for (int i = 0; i < kStates; ++i) ASSERT_EQ(ProbeRPC::runs[static_cast<size_t>(i)].argument, i);
    ASSERT_EQ(ClientCallRPC::runs.size(), static_cast<size_t>(kStates));
    for (int i = 0; i < kStates; ++i) ASSERT_EQ(ClientCallRPC::runs[static_cast<size_t>(i)], i);
    EXPECT_GT(drops, 0);
    EXPECT_GT(duplicates, 0);
    EXPECT_GT(reorders, 0);
    EXPECT_GT(corrupts, 0);

    NetStatistics s;
    s.add(server->connection->statisticsTotal);
    s.add(*static_cast<NetStatistics*>(server->connection->statisticsHistory.lastChild));
    NetStatistics c;
    c.add(client->connection->statisticsTotal);
    c.add(*static_cast<NetStatistics*>(client->connection->statisticsHistory.lastChild));
    EXPECT_GT(s.resendRequests + c.resendRequests, 0u);
    EXPECT_GT(s.resends + c.resends, 0u);
    EXPECT_GT(s.outOfOrder + c.outOfOrder, 0u);
    // Both still know each other, and the ping was measured from the round trips.
    ASSERT_EQ(server->nodeCount(), 1);
    ASSERT_EQ(client->nodeCount(), 1);
    const double ping = static_cast<Node*>(server->nodes.firstChild)->ping;
    EXPECT_NE(ping, 0.25);
    EXPECT_GT(ping, 0.0);
    EXPECT_LT(ping, 0.25);
}
