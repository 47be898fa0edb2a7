// The emulated loopback connection, and a server and a client over a faulty
// emulated link (loss, duplication, reordering, corruption) that still
// deliver every state in order.
#include <gtest/gtest.h>

#include <random>

#include "net_test_support.h"

using namespace nettest;

TEST(NetEmulated, PortsCountUpEachTakesItsOwnAndUnpolledDatagramsGo) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    const size_t mark = logMark();
    NetConnection first(NetAddress::of(NetAddress::LOOPBACK, 23006));
    auto* second = new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 23006));
    EXPECT_TRUE(first.bEmulated);
    EXPECT_EQ(second->address.toString(), u"127.0.0.1:2");
    EXPECT_EQ(
        logLinesSince(mark, u"NetConnection::NetConnection(): Creating emulated localhost connection: 127.0.0.1:1."),
        1);
    Packet p(Packet::FLAG_NETWORK, 8);
    uint32_t w = 0xCAFE;
    p.doDWORD(w);
    first.sendRaw(p, second->address);
    EXPECT_EQ(first.receive(), nullptr);
    Packet* got = second->receive();
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->address, first.address);
    got->doDWORD(w);
    EXPECT_EQ(w, 0xCAFEu);
    EXPECT_EQ(second->receive(), nullptr);
    // Nobody polls port 9: gone at the first poll more than a second later.
    first.sendRaw(p, NetAddress::of(NetAddress::LOOPBACK, 9));
    clock.advance(0.9);
    EXPECT_EQ(first.receive(), nullptr);
    EXPECT_EQ(network.emulatedQueueLength(), 1);
    clock.advance(0.2);
    EXPECT_EQ(first.receive(), nullptr);
    EXPECT_EQ(network.emulatedQueueLength(), 0);
    // A connection that goes takes exactly its own datagrams with it.
    for (int i = 0; i < 3; ++i) first.sendRaw(p, second->address);
    for (int i = 0; i < 2; ++i) second->sendRaw(p, first.address);
    deleteObject(second);
    EXPECT_EQ(network.emulatedQueueLength(), 2);
    EXPECT_EQ(logLinesSince(mark,
                            u"ZubNetwork::flushEmulatedPackets(): Flushed packets for 127.0.0.1:2, queue "
                            u"length is now 2."),
              1);
    // A datagram larger than the receiver's buffer is dropped.
    uint8_t big[100] = {}, small[4] = {1, 2, 3, 4}, buffer[16];
    const NetAddress to = NetAddress::of(NetAddress::LOOPBACK, 7);
    network.queueEmulatedPacket(big, sizeof big, first.address, to);
    network.queueEmulatedPacket(small, sizeof small, first.address, to);
    int count = 0;
    NetAddress sender;
    ASSERT_TRUE(network.receiveEmulatedPacket(sender, buffer, sizeof buffer, count, to));
    EXPECT_EQ(count, 4);
    EXPECT_FALSE(network.receiveEmulatedPacket(sender, buffer, sizeof buffer, count, to));
}

TEST(NetEmulated, ASlowLinkHoldsEachDatagramForItsDelay) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    const NetAddress far = NetAddress::of(0x0A000001u, 5), near = NetAddress::of(0x0A000002u, 5);
    const NetAddress to = NetAddress::of(NetAddress::LOOPBACK, 7);
    network.linkDelay = [&](const NetAddress& from, const NetAddress&) { return from == far ? 0.05 : 0.0; };
    const uint8_t a = 1, b = 2;
    network.queueEmulatedPacket(&a, 1, far, to);
    clock.advance(0.01);
    network.queueEmulatedPacket(&b, 1, near, to);
    uint8_t buffer[4];
    int count = 0;
    NetAddress from;
    // The near datagram overtakes the far one, which arrives 50 ms after it left.
    ASSERT_TRUE(network.receiveEmulatedPacket(from, buffer, sizeof buffer, count, to));
    EXPECT_EQ(from, near);
    EXPECT_FALSE(network.receiveEmulatedPacket(from, buffer, sizeof buffer, count, to));
    clock.advance(0.04);
    ASSERT_TRUE(network.receiveEmulatedPacket(from, buffer, sizeof buffer, count, to));
    EXPECT_EQ(from, far);
    // The expiry counts from the arrival.
    network.queueEmulatedPacket(&a, 1, far, to);
    clock.advance(1.04);
    EXPECT_TRUE(network.receiveEmulatedPacket(from, buffer, sizeof buffer, count, to));
    network.linkDelay = nullptr;
}

// ---------------------------------------------------------------------------
// A faulty link

TEST(NetFaultyLink, EveryStateArrivesInOrderDespiteLossDuplicationAndReordering) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    ProbeReset reset;
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
