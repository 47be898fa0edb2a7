// The host: node names, the node limit, time-outs, and the handshake of
// special datagrams between a server and a client in one process over the
// emulated loopback, including datagrams from hostile peers.
#include <gtest/gtest.h>

#include <filesystem>

#include "net_test_support.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/Console.h"

using namespace nettest;

namespace {

// The datagrams waiting for `to`, oldest first (taken out of the queue).
std::vector<Bytes> takeQueued(ZubNetwork& network, const NetAddress& to) {
    std::vector<Bytes> out;
    for (;;) {
        uint8_t buffer[4096];
        int count = 0;
        NetAddress from;
        if (!network.receiveEmulatedPacket(from, buffer, sizeof buffer, count, to)) break;
        out.emplace_back(buffer, buffer + count);
    }
    return out;
}

// The refusal text of a special datagram, or "" when it is something else.
WString refusalText(const Bytes& b) {
    auto p = readerOf(b, Packet::FLAG_NETWORK, true);
    uint32_t word = 0, command = 0;
    p->doDWORD(word);
    p->doDWORD(command);
    if (word != NetHost::SPECIAL || command != NetHost::CMD_REFUSE) return u"";
    WString text;
    p->doUString(text, -1);
    return text;
}

const WString kServerPrefix = u"S       NetHost::serviceInPacketSpecial |   ";
const WString kClientPrefix = u"     C  NetHost::serviceInPacketSpecial |   ";

bool consoleHas(const Console& c, const WString& line) {
    for (const WString& l : c.lines)
        if (l == line) return true;
    return false;
}

class NetHandshakeTest : public ::testing::Test {
protected:
    void SetUp() override { ProbeReset::clear(); }
    void TearDown() override { ProbeReset::clear(); }

    // A server on emulated port 1 (started with its own root) and a client on port 2.
    void makePair(TestServer* s, TestClient* c) {
        server = roles.add(s);
        attachLoopback(*server);
        server->start(nullptr);
        client = roles.add(c);
        attachLoopback(*client);
    }
    // Until both sides know each other (the server makes its node when the
    // client first answers the accept), or the client is told why not.
    bool connect() {
        client->sendConnectRequest(server->connection->address);
        return pumpUntil({server, client}, [&] {
            return (client->nodeCount() == 1 && server->findNodeByAddress(client->connection->address)) ||
                   !client->messages.empty();
        });
    }

    ManualClock clock;
    ZubNetwork network{nullptr};
    Console console;
    RoleList roles;
    TestServer* server = nullptr;
    TestClient* client = nullptr;
};

}  // namespace

// ---------------------------------------------------------------------------
// Nodes

TEST(NetHost, NodeNamesAreMadeUnique) {
    ManualClock clock;
    RoleList roles;
    TestServer* s = roles.add(new TestServer(100));
    Packet from(Packet::FLAG_NETWORK, 4);
    EXPECT_EQ(s->addNode(u"", &from)->name, u"Anonymous");
    EXPECT_EQ(s->addNode(u"", &from)->name, u"Anonymous-1");
    EXPECT_EQ(s->addNode(u"Anna", &from)->name, u"Anna");
    for (int i = 1; i <= 15; ++i) EXPECT_EQ(s->addNode(u"Anna", &from)->name, formatString(u"Anna-%d", i));
    // Every candidate is taken: the last one is used all the same.
    EXPECT_EQ(s->addNode(u"Anna", &from)->name, u"Anna-15");
}

TEST(NetHost, SilentPeerTimesOutWithoutNotice) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    RoleList roles;
    TestServer* s = roles.add(new TestServer);
    attachLoopback(*s);
    s->start(nullptr);
    auto* root = static_cast<NetTestRoot*>(s->root);
    const NetAddress peer = NetAddress::of(NetAddress::LOOPBACK, 900);
    Packet from(Packet::FLAG_NETWORK, 4);
    from.address = peer;
    Node* n = s->addNode(u"quiet", &from);
    // The peer keeps repeating an old datagram: nothing is delivered in order.
    Packet dup(Packet::FLAG_NETWORK, 64);
    uint32_t id = n->id;
    dup.doDWORD(id);
    int32_t seq = 0;  // not above sequenceIn
    bool more = false;
    int32_t ack = 0;
    dup.doUInt(seq);
    dup.doBool(more);
    dup.doUInt(ack);
    for (int i = 0; i < 10; ++i) {
        clock.advance(0.5);
        auto d = datagramFrom(contentOf(dup), peer);
        s->dispatchPacket(d.get());
        s->service();
    }
    EXPECT_EQ(s->nodeCount(), 1);
    takeQueued(network, peer);
    clock.advance(0.01);
    s->service();
    EXPECT_EQ(s->nodeCount(), 0);
    EXPECT_EQ(s->disconnects, 1);
    EXPECT_EQ(root->clientsDisconnected, 1);
    EXPECT_TRUE(takeQueued(network, peer).empty()) << "a timed-out peer is sent nothing";
}

// ---------------------------------------------------------------------------
// Handshake

TEST_F(NetHandshakeTest, ClientConnectsAndBothSidesKnowEachOther) {
    makePair(new TestServer, new TestClient(u"Tumbrodemo", 1.25, u"Anna"));
    ASSERT_TRUE(connect());
    ASSERT_EQ(server->nodeCount(), 1);
    ASSERT_EQ(client->nodeCount(), 1);
    Node* atServer = static_cast<Node*>(server->nodes.firstChild);
    Node* atClient = static_cast<Node*>(client->nodes.firstChild);
    EXPECT_EQ(atServer->name, u"Anna");
    EXPECT_EQ(atClient->name, u"ServerPlayer");
    EXPECT_EQ(atServer->address, client->connection->address);
    EXPECT_EQ(atClient->address, server->connection->address);
    EXPECT_EQ(client->hostUID, atServer->id);
    EXPECT_EQ(atClient->id, server->hostUID);
    EXPECT_EQ(server->connects, 1);
    EXPECT_EQ(client->connects, 1);
    EXPECT_EQ(static_cast<NetTestRoot*>(server->root)->clientsConnected, 1);
    EXPECT_TRUE(client->isFull());

    const WString s = server->connection->address.toString();
    const WString c = client->connection->address.toString();
    EXPECT_TRUE(consoleHas(console, kServerPrefix + u"New Connect attempt from " + c));
    EXPECT_TRUE(consoleHas(console, kServerPrefix + u"Accepting connection..."));
    EXPECT_TRUE(consoleHas(console, kServerPrefix + u"Done."));
    EXPECT_TRUE(consoleHas(console, kClientPrefix + u"Connection acccepted by " + s));

    // The client received the server's state: its own copy of the root.
    ASSERT_TRUE(pumpUntil({server, client}, [&] { return client->root != nullptr; }));
    EXPECT_EQ(client->root->getClass(), &NetTestRoot::classRecord);
    EXPECT_EQ(client->nextObjectUID, server->nextObjectUID);

    // A repeated request from the same address is answered with nothing.
    client->sendConnectRequest(server->connection->address);
    step(*server);
    EXPECT_EQ(server->nodeCount(), 1);
    EXPECT_TRUE(consoleHas(console, kServerPrefix + c + u" already exists"));
}

namespace {

// The node id of an accept, or 0 when the datagram is something else.
uint32_t acceptedId(const Bytes& b) {
    auto p = readerOf(b, Packet::FLAG_NETWORK, true);
    uint32_t word = 0, command = 0, serverUID = 0, id = 0;
    p->doDWORD(word);
    p->doDWORD(command);
    if (word != NetHost::SPECIAL || command != NetHost::CMD_ACCEPT) return 0;
    WString product;
    double version = 0.0;
    p->doUString(product, -1);
    p->doDouble(version);
    p->doDWORD(serverUID);
    p->doDWORD(id);
    return p->failed() ? 0 : id;
}

// A peer's first sequenced datagram under that host UID: an empty state.
Bytes firstAnswer(uint32_t uid) {
    Packet p(Packet::FLAG_NETWORK, 64);
    p.doDWORD(uid);
    int32_t sequence = 1, ack = 0, length = 0;
    bool more = false, data = true;
    uint32_t crc = 0;
    p.doUInt(sequence);
    p.doBool(more);
    p.doUInt(ack);
    p.doBool(data);
    p.doUInt(length);
    p.doDWORD(crc);
    return contentOf(p);
}

}  // namespace

TEST_F(NetHandshakeTest, TheNodeComesWithTheFirstAnswerToTheAccept) {
    makePair(new TestServer, new TestClient);
    const NetAddress peer = NetAddress::of(0x0A000001u, 4000);
    auto ask = [&](std::u16string_view name) {
        auto d = datagramFrom(connectRequest(u"Tumbrodemo", 1.25, name), peer);
        server->dispatchPacket(d.get());
        const std::vector<Bytes> answer = takeQueued(network, peer);
        return answer.size() == 1 ? acceptedId(answer[0]) : 0u;
    };
    auto answer = [&](uint32_t id, const NetAddress& from) {
        auto d = datagramFrom(firstAnswer(id), from);
        server->dispatchPacket(d.get());
    };
    const uint32_t id = ask(u"Dora");
    ASSERT_NE(id, 0u);
    // The request left no node and drew nothing but the accept.
    EXPECT_EQ(server->nodeCount(), 0);
    EXPECT_EQ(server->connects, 0);
    // Asking again gives the same id.
    EXPECT_EQ(ask(u"Dora"), id);
    // Another id, or the id from another address or port, makes nothing.
    answer(id ^ 0x10000u, peer);
    answer(id, NetAddress::of(0x0A000002u, 4000));
    answer(id, NetAddress::of(0x0A000001u, 4001));
    EXPECT_EQ(server->nodeCount(), 0);
    // The answer under the id makes the node, named as asked, and brings the state.
    answer(id, peer);
    ASSERT_EQ(server->nodeCount(), 1);
    Node* n = static_cast<Node*>(server->nodes.firstChild);
    EXPECT_EQ(n->id, id);
    EXPECT_EQ(n->name, u"Dora");
    EXPECT_EQ(n->address, peer);
    EXPECT_EQ(server->connects, 1);
    EXPECT_EQ(n->sequenceIn, 1);
    EXPECT_FALSE(takeQueued(network, peer).empty());
    // A node that went is not made again by datagrams under its old id...
    server->disconnectNode(n, false);
    answer(id, peer);
    EXPECT_EQ(server->nodeCount(), 0);
    // ...but is after a new request.
    EXPECT_EQ(ask(u"Dora"), id);
    answer(id, peer);
    EXPECT_EQ(server->nodeCount(), 1);
    server->disconnectNode(static_cast<Node*>(server->nodes.firstChild), false);
    // An id is good for one to two periods.
    const uint32_t fresh = ask(u"Dora");
    clock.advance(2.0 * NetHost::ID_PERIOD);
    answer(fresh, peer);
    EXPECT_EQ(server->nodeCount(), 0);
    // A name pushed out of the table by newer requests leaves the node anonymous.
    const uint32_t late = ask(u"Emil");
    for (int i = 0; i < NetHost::PENDING_NAMES; ++i) {
        auto d = datagramFrom(connectRequest(u"Tumbrodemo", 1.25, u"Mallory"), NetAddress::of(0x0B000000u + i, 1));
        server->dispatchPacket(d.get());
    }
    answer(late, peer);
    ASSERT_EQ(server->nodeCount(), 1);
    EXPECT_EQ(static_cast<Node*>(server->nodes.firstChild)->name, u"Anonymous");
}

TEST_F(NetHandshakeTest, APlayerNameLongerThanARequestCarriesGoesCut) {
    makePair(new TestServer, new TestClient(u"Tumbrodemo", 1.25, u"Bartholomew-Maximilian"));
    ASSERT_TRUE(connect());
    ASSERT_EQ(server->nodeCount(), 1);
    EXPECT_EQ(static_cast<Node*>(server->nodes.firstChild)->name, u"Bartholomew-Maxi");
}

TEST_F(NetHandshakeTest, FullServerRefusesNewAddressesOnly) {
    makePair(new TestServer(4), new TestClient);
    Packet from(Packet::FLAG_NETWORK, 4);
    for (uint16_t port = 100; port < 104; ++port) {
        from.address = NetAddress::of(NetAddress::LOOPBACK, port);
        server->addNode(u"p", &from);
    }
    ASSERT_TRUE(connect());
    ASSERT_EQ(client->messages.size(), 1u);
    EXPECT_EQ(client->messages[0], u"Server is full.");
    EXPECT_EQ(client->nodeCount(), 0);
    EXPECT_TRUE(consoleHas(console, kServerPrefix + u"Sending FULL to " + client->connection->address.toString()));
    // From the address of an existing node: no answer at all.
    const NetAddress existing = NetAddress::of(NetAddress::LOOPBACK, 101);
    takeQueued(network, existing);  // the states the server sent that node
    auto d = datagramFrom(connectRequest(u"Tumbrodemo", 1.25, u"again"), existing);
    server->dispatchPacket(d.get());
    EXPECT_TRUE(takeQueued(network, existing).empty());
    EXPECT_EQ(server->nodeCount(), 4);
    // From a new address: the refusal goes back to it.
    const NetAddress stranger = NetAddress::of(NetAddress::LOOPBACK, 200);
    auto e = datagramFrom(connectRequest(u"Tumbrodemo", 1.25, u"late"), stranger);
    server->dispatchPacket(e.get());
    const std::vector<Bytes> answer = takeQueued(network, stranger);
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_EQ(refusalText(answer[0]), u"Server is full.");
}

TEST_F(NetHandshakeTest, ClientRefusesAnIncompatibleServer) {
    makePair(new TestServer, new TestClient);
    client->sendConnectRequest(server->connection->address);
    // By the time the accept arrives the client is another game: it refuses
    // the server in turn.
    client->productName = u"Tumbro";
    pumpUntil(
        {server, client}, [] { return false; }, 3);
    EXPECT_EQ(client->nodeCount(), 0);
    ASSERT_EQ(server->messages.size(), 1u);
    EXPECT_EQ(server->messages[0], u"Incompatible game.");
}

TEST_F(NetHandshakeTest, DisconnectEndingAtTheCommandWordRemovesNoNode) {
    makePair(new TestServer, new TestClient);
    ASSERT_TRUE(connect());
    auto d = datagramFrom(special(NetHost::CMD_DISCONNECT), client->connection->address);
    server->dispatchPacket(d.get());
    EXPECT_EQ(server->nodeCount(), 1);
    // With the wrong host UID, or from another address, nothing either.
    Node* n = static_cast<Node*>(server->nodes.firstChild);
    auto wrong = datagramFrom(special(NetHost::CMD_DISCONNECT,
                                      [&](Packet& p) {
                                          uint32_t id = n->id + 1;
                                          p.doDWORD(id);
                                      }),
                              client->connection->address);
    server->dispatchPacket(wrong.get());
    auto elsewhere = datagramFrom(special(NetHost::CMD_DISCONNECT,
                                          [&](Packet& p) {
                                              uint32_t id = n->id;
                                              p.doDWORD(id);
                                          }),
                                  NetAddress::of(0x7F000002u, client->connection->address.port));
    server->dispatchPacket(elsewhere.get());
    EXPECT_EQ(server->nodeCount(), 1);
}

TEST_F(NetHandshakeTest, ShortUnknownAndUnmatchedDatagramsAreIgnoredSilently) {
    makePair(new TestServer, new TestClient);
    const NetAddress peer = NetAddress::of(NetAddress::LOOPBACK, 77);
    const size_t mark = logMark();
    for (const Bytes& b : {bytes({0xFB, 0xFC, 0xFD}), bytes({}), special(4),
                           bytes({0x01, 0x02, 0x03, 0x04, 0x01, 0x01, 0x00}),  // no such node
                           bytes({0xFB, 0xFC, 0xFD, 0xFE, 0x00, 0x00})}) {     // command word cut short
        auto d = datagramFrom(b, peer);
        server->dispatchPacket(d.get());
    }
    EXPECT_EQ(Logger::get().history().size(), mark);
    EXPECT_EQ(server->nodeCount(), 0);
    EXPECT_EQ(server->droppedDatagrams, 0);
    EXPECT_TRUE(takeQueued(network, peer).empty());
}

// ---------------------------------------------------------------------------
// Hostile handshakes: dropped and logged, never fatal

TEST_F(NetHandshakeTest, MalformedFieldsAreIgnored) {
    makePair(new TestServer, new TestClient);
    const NetAddress peer = NetAddress::of(NetAddress::LOOPBACK, 56);
    std::vector<Bytes> hostile = {
        connectRequest(u"Tumbrodemo" + WString(30, u'x'), 1.25, u"Eve"),  // product over 32
        connectRequest(u"Tumbrodemo", 1.25, WString(17, u'n')),           // name over 16
        special(NetHost::CMD_CONNECT,
                [](Packet& p) {
                    uint32_t n = 2000;  // a byte count beyond any text
                    p.doUInt(n);
                }),
        special(NetHost::CMD_CONNECT,
                [](Packet& p) {
                    WString t = u"Tumbrodemo";
                    p.doUString(t, -1);  // the version is missing
                }),
        special(NetHost::CMD_CONNECT,
                [](Packet& p) {
                    WString t = u"Tumbrodemo";
                    double v = 1.25;
                    p.doUString(t, -1);
                    p.doDouble(v);
                    uint32_t n = 9;  // the name's count runs past the end
                    p.doUInt(n);
                }),
        special(NetHost::CMD_REFUSE,
                [](Packet& p) {
                    uint32_t n = 1500;
                    p.doUInt(n);
                }),
        special(NetHost::CMD_ACCEPT),
    };
    for (const Bytes& b : hostile) {
        auto d = datagramFrom(b, peer);
        server->dispatchPacket(d.get());
        auto e = datagramFrom(b, peer);
        client->dispatchPacket(e.get());
    }
    EXPECT_EQ(server->nodeCount(), 0);
    EXPECT_EQ(client->nodeCount(), 0);
    EXPECT_TRUE(client->messages.empty());
    EXPECT_TRUE(takeQueued(network, peer).empty());
    EXPECT_GE(server->droppedDatagrams, 5);
    // The server keeps serving.
    ASSERT_TRUE(connect());
    EXPECT_EQ(server->nodeCount(), 1);
}

TEST_F(NetHandshakeTest, RefusalTextIsNeverAFormat) {
    makePair(new TestServer, new TestClient);
    client->sendConnectRequest(server->connection->address);  // refused by the server it asked
    const size_t mark = logMark();
    auto d = datagramFrom(special(NetHost::CMD_REFUSE,
                                  [](Packet& p) {
                                      WString t = u"%s%s%n%d";
                                      p.doUString(t, -1);
                                  }),
                          server->connection->address);
    client->dispatchPacket(d.get());
    ASSERT_EQ(client->messages.size(), 1u);
    EXPECT_EQ(client->messages[0], u"%s%s%n%d");
    EXPECT_EQ(logLinesSince(mark, u"%s%s%n%d"), 1);
}

TEST_F(NetHandshakeTest, ClientTakesAnAcceptOnlyFromTheServerItAsked) {
    makePair(new TestServer, new TestClient);
    client->sendConnectRequest(server->connection->address);
    auto accept = [](uint32_t newId) {
        return special(NetHost::CMD_ACCEPT, [=](Packet& p) {
            WString t = u"Tumbrodemo";
            double v = 1.25;
            uint32_t a = 1, b = newId;
            p.doUString(t, -1);
            p.doDouble(v);
            p.doDWORD(a);
            p.doDWORD(b);
        });
    };
    // A forged accept from elsewhere comes first; then one that would give
    // the client the special word as its UID.
    auto forged = datagramFrom(accept(2), NetAddress::of(NetAddress::LOOPBACK, 4444));
    client->dispatchPacket(forged.get());
    auto specialId = datagramFrom(accept(NetHost::SPECIAL), server->connection->address);
    client->dispatchPacket(specialId.get());
    EXPECT_EQ(client->nodeCount(), 0);
    ASSERT_TRUE(pumpUntil({server, client}, [&] { return client->nodeCount() == 1; }));
}

TEST_F(NetHandshakeTest, ADatagramFloodIsServedAFewHundredAtATime) {
    makePair(new TestServer, new TestClient);
    ASSERT_TRUE(connect());
    server->service();
    // Two thousand junk datagrams from one address.
    NetConnection junk(NetAddress::of(NetAddress::LOOPBACK, 0));
    Packet p(Packet::FLAG_NETWORK, 16);
    uint32_t w = 0x12345678;
    p.doDWORD(w);
    for (int i = 0; i < 2000; ++i) junk.sendRaw(p, server->connection->address);
    server->service();
    EXPECT_EQ(network.emulatedQueuedFor(server->connection->address), 2000 - NetHost::MAX_DATAGRAMS_PER_SERVICE);
    for (int i = 0; i < 4; ++i) server->service();
    EXPECT_EQ(network.emulatedQueuedFor(server->connection->address), 0);
    EXPECT_EQ(server->nodeCount(), 1);
}

// Ten minutes of hostile datagrams at both ends of a link, in network time:
// junk, refusals with long texts, disconnect notices, connect requests good
// and bad, accepts from the server's address. The log of the run (a real
// file) gets a few lines about them in each ten seconds and a count of the
// rest, not a line per datagram.
TEST_F(NetHandshakeTest, TenMinutesOfHostileDatagramsAddLittleToTheLog) {
    makePair(new TestServer, new TestClient);
    ASSERT_TRUE(connect());
    filestest::TempFolder folder;
    const std::string path = folder / "Tumbrodemo.log";
    ASSERT_TRUE(Logger::get().startSession(path));

    const NetAddress serverAddress = server->connection->address, clientAddress = client->connection->address;
    const Bytes junk = bytes({0x78, 0x56, 0x34, 0x12, 0x01, 0x02});
    const Bytes refusal = special(NetHost::CMD_REFUSE, [](Packet& p) {
        WString text(1000, u'r');
        p.doUString(text, -1);
    });
    const Bytes notice = special(NetHost::CMD_DISCONNECT, [](Packet& p) {
        uint32_t id = 77;
        p.doDWORD(id);
    });
    const Bytes badConnect = special(NetHost::CMD_CONNECT, [](Packet& p) {
        uint32_t n = 2000;
        p.doUInt(n);
    });
    const Bytes goodConnect = connectRequest(u"Tumbrodemo", 1.25, u"Eve");
    const Bytes accept = special(NetHost::CMD_ACCEPT, [](Packet& p) {
        WString t = u"Tumbrodemo";
        double v = 1.25;
        uint32_t a = 1, b = 2;
        p.doUString(t, -1);
        p.doDouble(v);
        p.doDWORD(a);
        p.doDWORD(b);
    });
    auto send = [&](const Bytes& b, const NetAddress& from, const NetAddress& to) {
        network.queueEmulatedPacket(b.data(), static_cast<int>(b.size()), from, to);
    };
    constexpr int kFrames = 60000;  // ten minutes of 0.01 s
    int datagrams = 0;
    for (int frame = 0; frame < kFrames; ++frame) {
        const NetAddress forger = NetAddress::of(NetAddress::LOOPBACK + 100 + static_cast<uint32_t>(frame % 64), 40000);
        for (const Bytes* b : {&junk, &refusal, &notice, &badConnect, &goodConnect}) send(*b, forger, serverAddress);
        for (const Bytes* b : {&refusal, &notice}) send(*b, forger, clientAddress);
        send(accept, serverAddress, clientAddress);
        datagrams += 8;
        clock.advance(0.01);
        server->service();
        client->service();
    }
    Logger::get().closeFile();
    const std::string log = filestest::readBytes(path);
    // Before, every refusal was logged in full and each network step logged
    // sixteen lines: hundreds of megabytes an hour.
    EXPECT_LT(log.size(), 512u * 1024u) << datagrams << " datagrams";
    size_t counts = 0;
    for (size_t at = log.find("more lines about datagrams left out"); at != std::string::npos;
         at = log.find("more lines about datagrams left out", at + 1))
        ++counts;
    EXPECT_GE(counts, 2u * 55u);  // each host, about once in ten seconds
    EXPECT_LE(counts, 2u * 61u);
    std::printf("%d hostile datagrams in 10 minutes: %zu bytes of log\n", datagrams, log.size());
}
