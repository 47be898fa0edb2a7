// Sequenced datagrams between two hosts over the emulated loopback: the
// chunks of a state byte for byte, reassembly, resend requests, the ping,
// corrupt chunks, and what a hostile peer can and cannot make a host do.
#include <gtest/gtest.h>

#include "net_test_support.h"

using namespace nettest;

namespace {

// A host that records every whole packet it is handed.
class RecordingHost : public NetHost {
public:
    explicit RecordingHost(uint32_t uid) : NetHost(2, true, u"Tumbrodemo", 1.25, u"") {
        hostUID = uid;
        maxNodes = 4;
    }
    bool processPacket(Packet& p) override {
        received.push_back(contentOf(p));
        return true;
    }
    std::vector<Bytes> received;
};

uint32_t referenceCrc(const uint8_t* p, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    return ~c;
}

void putLE(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Bytes stateOf(int n, int seed = 7) {
    Bytes b;
    for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(i * seed + 3));
    return b;
}

std::unique_ptr<Packet> packetOf(const Bytes& b) {
    auto p = std::make_unique<Packet>(Packet::FLAG_NETWORK, static_cast<int>(b.size()) + 1);
    if (!b.empty()) p->writeBytes(b.data(), static_cast<int>(b.size()));
    return p;
}

// A sequenced datagram as a peer writes it, entry by entry.
struct Datagram {
    Datagram(uint32_t uid, int32_t sequence, bool more, int32_t ack) : p(Packet::FLAG_NETWORK, 4096) {
        p.setFromPeer();
        p.doDWORD(uid);
        p.doUInt(sequence);
        p.doBool(more);
        p.doUInt(ack);
    }
    Datagram& resend(int32_t sequence) {
        bool kind = false;
        p.doBool(kind);
        p.doUInt(sequence);
        return *this;
    }
    Datagram& data(const Bytes& b, int32_t claimedLength = -1, bool goodCrc = true) {
        bool kind = true;
        p.doBool(kind);
        int32_t n = claimedLength < 0 ? static_cast<int32_t>(b.size()) : claimedLength;
        p.doUInt(n);
        uint32_t crc = referenceCrc(b.data(), b.size()) ^ (goodCrc ? 0u : 1u);
        p.doDWORD(crc);
        if (!b.empty()) p.writeBytes(b.data(), static_cast<int>(b.size()));
        return *this;
    }
    Packet p;
};

class NetSequenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        a = new RecordingHost(0x11111111u);
        b = new RecordingHost(0x22222222u);
        attachLoopback(*a);  // port 1
        attachLoopback(*b);  // port 2
        Packet from(Packet::FLAG_NETWORK, 4);
        from.address = b->connection->address;
        toB = a->addNode(u"B", &from);
        toB->id = b->hostUID;
        from.address = a->connection->address;
        toA = b->addNode(u"A", &from);
        toA->id = a->hostUID;
    }
    void TearDown() override {
        network.linkFilter = nullptr;
        delete a;
        delete b;
    }

    std::vector<Bytes> takeFor(NetHost& h) {
        std::vector<Bytes> out;
        for (;;) {
            uint8_t buffer[8192];
            int count = 0;
            NetAddress from;
            if (!network.receiveEmulatedPacket(from, buffer, sizeof buffer, count, h.connection->address)) break;
            out.emplace_back(buffer, buffer + count);
        }
        return out;
    }
    void deliver(NetHost& to, const Bytes& d, const NetAddress& from) {
        auto p = datagramFrom(d, from);
        to.dispatchPacket(p.get());
        to.processInbox();
    }
    void fromB(const Datagram& d) { deliver(*a, contentOf(d.p), b->connection->address); }

    ManualClock clock;
    ZubNetwork network{nullptr};
    RecordingHost* a = nullptr;
    RecordingHost* b = nullptr;
    Node* toB = nullptr;  // A's record of B
    Node* toA = nullptr;  // B's record of A
};

}  // namespace

// ---------------------------------------------------------------------------
// Chunks

TEST_F(NetSequenceTest, AThousandByteStateIsTwoDatagramsByteForByte) {
    const Bytes state = stateOf(1000);
    auto p = packetOf(state);
    a->sendState(p.get(), toB);
    const std::vector<Bytes> sent = takeFor(*b);
    ASSERT_EQ(sent.size(), 2u);

    Bytes first;
    putLE(first, 0x11111111u);
    first.insert(first.end(), {0x01, 0x03, 0x00, 0xF5, 0x03});  // sequence 1, more + data, ack 0, length 501
    putLE(first, referenceCrc(state.data(), 501));
    first.insert(first.end(), state.begin(), state.begin() + 501);
    EXPECT_EQ(hex(sent[0]), hex(first));

    Bytes second;
    putLE(second, 0x11111111u);
    second.insert(second.end(), {0x02, 0x02, 0x00, 0xF3, 0x03});  // sequence 2, data, ack 0, length 499
    putLE(second, referenceCrc(state.data() + 501, 499));
    second.insert(second.end(), state.begin() + 501, state.end());
    EXPECT_EQ(hex(sent[1]), hex(second));

    // The receiver's role gets one packet of 1000 bytes, only after both.
    deliver(*b, sent[0], a->connection->address);
    EXPECT_TRUE(b->received.empty());
    EXPECT_EQ(toA->deliveredCount(), 1);
    deliver(*b, sent[1], a->connection->address);
    ASSERT_EQ(b->received.size(), 1u);
    EXPECT_EQ(b->received[0], state);
    EXPECT_EQ(toA->sequenceIn, 2);
    EXPECT_EQ(toA->deliveredCount(), 0);
    EXPECT_EQ(toB->unacknowledgedCount(), 2);
}

TEST_F(NetSequenceTest, ChunkingAtTheEdges) {
    struct Case {
        int size;
        std::vector<int> chunks;
    };
    for (const Case& c :
         {Case{0, {0}}, Case{1, {1}}, Case{511, {511}}, Case{512, {257, 255}}, Case{1537, {385, 385, 385, 382}}}) {
        const Bytes state = stateOf(c.size, 3);
        auto p = packetOf(state);
        a->sendState(p.get(), toB);
        const std::vector<Bytes> sent = takeFor(*b);
        std::vector<int> lengths;
        for (const Bytes& d : sent) {
            auto r = readerOf(d, Packet::FLAG_NETWORK, true);
            uint32_t uid = 0;
            int32_t seq = 0, ack = 0, len = 0;
            bool more = false, kind = false;
            uint32_t crc = 0;
            r->doDWORD(uid);
            r->doUInt(seq);
            r->doBool(more);
            r->doUInt(ack);
            r->doBool(kind);
            r->doUInt(len);
            r->doDWORD(crc);
            ASSERT_TRUE(kind);
            EXPECT_EQ(r->remaining(), len);
            EXPECT_EQ(crc, len ? referenceCrc(d.data() + r->position(), static_cast<size_t>(len)) : 0u);
            lengths.push_back(len);
            EXPECT_EQ(more, lengths.size() < sent.size());
            deliver(*b, d, a->connection->address);
        }
        EXPECT_EQ(lengths, c.chunks) << c.size;
        ASSERT_FALSE(b->received.empty());
        EXPECT_EQ(b->received.back(), state) << c.size;
    }
}

// ---------------------------------------------------------------------------
// Loss, resends, ping

TEST_F(NetSequenceTest, LostDatagramIsAskedForAndTheRunDeliveredTogether) {
    int sentCount = 0;
    network.linkFilter = [&](const NetAddress&, const NetAddress& to, int) {
        if (to == b->connection->address && ++sentCount == 7) return ZubNetwork::LinkFate::Drop;
        return ZubNetwork::LinkFate::Deliver;
    };
    for (int i = 1; i <= 9; ++i) {
        auto p = packetOf(bytes({i}));
        a->sendState(p.get(), toB);
    }
    b->service();
    ASSERT_EQ(b->received.size(), 6u);
    EXPECT_EQ(toA->sequenceIn, 6);
    EXPECT_EQ(toA->outOfOrderCount(), 2);                     // 8 and 9 wait
    EXPECT_EQ(b->connection->currentStats().outOfOrder, 0u);  // both went to the end of the queue

    // B's next state asks for 7.
    Packet empty(Packet::FLAG_NETWORK, 4);
    b->sendState(&empty, toA);
    const std::vector<Bytes> back = takeFor(*a);
    ASSERT_EQ(back.size(), 1u);
    Bytes expect;
    putLE(expect, 0x22222222u);
    expect.insert(expect.end(), {0x01, 0x04, 0x06, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(hex(back[0]), hex(expect));

    clock.advance(0.3);  // past 1.1 x ping
    deliver(*a, back[0], b->connection->address);
    EXPECT_EQ(a->connection->currentStats().resendRequests, 1u);
    EXPECT_EQ(a->connection->currentStats().resends, 1u);
    EXPECT_EQ(toB->unacknowledgedCount(), 3);  // 1-6 acknowledged
    EXPECT_NEAR(toB->ping, 0.1 * 0.3 + 0.9 * 0.25, 1e-9);

    b->service();
    ASSERT_EQ(b->received.size(), 9u);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(b->received[static_cast<size_t>(i)], bytes({i + 1}));
    EXPECT_EQ(toA->sequenceIn, 9);
    EXPECT_EQ(toA->outOfOrderCount(), 0);
}

TEST_F(NetSequenceTest, GapsAreAskedForInTurn) {
    toA->sequenceIn = 4;
    for (int32_t s : {8, 10, 7}) {
        auto* p = new Packet(Packet::FLAG_NETWORK, 0);
        p->sequence = s;
        toA->insertSorted(p);
    }
    EXPECT_EQ(b->connection->currentStats().outOfOrder, 1u);  // 7 went in before 8
    std::vector<int32_t> asked;
    for (int i = 0; i < 7; ++i) asked.push_back(toA->nextMissingSequence());
    EXPECT_EQ(asked, (std::vector<int32_t>{5, 6, 9, 5, 6, 9, 5}));
}

TEST_F(NetSequenceTest, CorruptChunkIsLoggedAndNeverDelivered) {
    network.linkFilter = [&](const NetAddress&, const NetAddress&, int) { return ZubNetwork::LinkFate::Corrupt; };
    auto p = packetOf(bytes({1, 2, 3}));
    a->sendState(p.get(), toB);
    const size_t mark = logMark();
    b->service();
    EXPECT_TRUE(b->received.empty());
    EXPECT_EQ(toA->sequenceIn, 0);
    EXPECT_EQ(logLinesSince(mark,
                            u"NetHost::serviceInPacketNormal(): WARNING: received corrupt packet contents "
                            u"(from=127.0.0.1:1, sequence=1)"),
              1);
    // The next one arrives whole and asks for the damaged one.
    network.linkFilter = nullptr;
    a->sendState(p.get(), toB);
    b->service();
    EXPECT_TRUE(b->received.empty());
    EXPECT_EQ(toA->nextMissingSequence(), 1);
}

TEST_F(NetSequenceTest, AcknowledgementMovesThePingTowardTheQuickestReturn) {
    for (int i = 0; i < 3; ++i) {
        auto p = packetOf(bytes({i}));
        a->sendState(p.get(), toB);
        clock.advance(0.1);
    }
    b->service();
    ASSERT_EQ(toA->sequenceIn, 3);
    Packet empty(Packet::FLAG_NETWORK, 4);
    b->sendState(&empty, toA);
    a->service();
    EXPECT_EQ(toB->unacknowledgedCount(), 0);
    EXPECT_NEAR(toB->ping, 0.1 * 0.1 + 0.9 * 0.25, 1e-9);
    EXPECT_EQ(toB->ackIn, 3);
}

TEST_F(NetSequenceTest, ResendRequestTooSoonIsCountedNotServed) {
    auto p = packetOf(bytes({42}));
    a->sendState(p.get(), toB);
    takeFor(*b);
    clock.advance(0.1);
    fromB(Datagram(b->hostUID, 1, false, 0).resend(1).data({}));
    EXPECT_EQ(a->connection->currentStats().resendRequests, 1u);
    EXPECT_EQ(a->connection->currentStats().resends, 0u);
    EXPECT_TRUE(takeFor(*b).empty());
    clock.advance(0.2);  // 0.3 s after sending: more than 1.1 x 0.25
    fromB(Datagram(b->hostUID, 2, false, 0).resend(1).data({}));
    EXPECT_EQ(a->connection->currentStats().resendRequests, 2u);
    EXPECT_EQ(a->connection->currentStats().resends, 1u);
    EXPECT_EQ(takeFor(*b).size(), 1u);
    // A request for something never sent is counted and ignored.
    fromB(Datagram(b->hostUID, 3, false, 0).resend(999).data({}));
    EXPECT_EQ(a->connection->currentStats().resends, 1u);
}

TEST_F(NetSequenceTest, DuplicatesOldDatagramsAndSecondDataEntriesAreIgnored) {
    fromB(Datagram(b->hostUID, 1, false, 0).data({5}).data({6}));
    fromB(Datagram(b->hostUID, 1, false, 0).data({7}));
    fromB(Datagram(b->hostUID, 0, false, 0).data({8}));
    ASSERT_EQ(a->received.size(), 1u);
    EXPECT_EQ(a->received[0], bytes({5}));
    EXPECT_EQ(toB->sequenceIn, 1);
    EXPECT_EQ(toB->faults, 0);
    EXPECT_EQ(a->droppedDatagrams, 0);
}

TEST_F(NetSequenceTest, FarAheadDatagramsAreIgnoredNotCountedAsFaults) {
    // What a peer sends after our receive buffer overflowed: no fault.
    for (int i = 0; i < 2 * Node::MAX_FAULTS; ++i) fromB(Datagram(b->hostUID, (1 << 30) + i, false, 0).data({1}));
    a->service();
    EXPECT_EQ(a->nodeCount(), 1);
    EXPECT_EQ(toB->faults, 0);
    EXPECT_EQ(toB->outOfOrderCount(), 0);
    EXPECT_EQ(toB->nextMissingSequence(), 0);
    // The edge of the window is still accepted and asked for gap by gap.
    fromB(Datagram(b->hostUID, Node::SEQUENCE_WINDOW, false, 0).data({1}));
    fromB(Datagram(b->hostUID, Node::SEQUENCE_WINDOW - 1, false, 0).data({1}));
    EXPECT_EQ(toB->outOfOrderCount(), 2);
    EXPECT_EQ(toB->nextMissingSequence(), 1);
    EXPECT_EQ(toB->nextMissingSequence(), 2);
}

TEST_F(NetSequenceTest, MalformedEntriesCountAsFaultsAndEndTheDatagram) {
    Datagram twoRequests(b->hostUID, 1, false, 0);
    twoRequests.resend(1).resend(2).data({9});
    fromB(twoRequests);
    Datagram truncated(b->hostUID, 1, false, 0);
    truncated.data({1, 2, 3}, 10);  // claims ten bytes
    fromB(truncated);
    Datagram tooLong(b->hostUID, 1, false, 0);  // longer than any chunk
    tooLong.data(Bytes(NetHost::CHUNK_SIZE + 1, 7));
    fromB(tooLong);
    Bytes cut = contentOf(Datagram(b->hostUID, 1, false, 0).p);
    cut.pop_back();
    deliver(*a, cut, b->connection->address);
    EXPECT_TRUE(a->received.empty());
    EXPECT_EQ(toB->outOfOrderCount(), 0);
    EXPECT_EQ(toB->faults, 4);
}

TEST_F(NetSequenceTest, FaultsDropThePeerOnlyWhenTheyComeOftenEnough) {
    int32_t seq = 1;
    auto malformed = [&] {
        Datagram d(b->hostUID, seq, false, 0);
        d.resend(1).resend(2);
        fromB(d);
    };
    for (int i = 0; i < Node::MAX_FAULTS - 1; ++i) malformed();
    // A long good spell later, as many again are forgiven.
    clock.advance(Node::FAULT_DECAY * Node::MAX_FAULTS);
    fromB(Datagram(b->hostUID, seq++, false, 0).data({1}));
    for (int i = 0; i < Node::MAX_FAULTS - 1; ++i) malformed();
    a->service();
    EXPECT_EQ(a->nodeCount(), 1);
    malformed();
    malformed();
    a->service();
    EXPECT_EQ(a->nodeCount(), 0);
    // It was told so.
    const std::vector<Bytes> told = takeFor(*b);
    ASSERT_FALSE(told.empty());
    auto r = readerOf(told.back(), Packet::FLAG_NETWORK, true);
    uint32_t word = 0, command = 0;
    r->doDWORD(word);
    r->doDWORD(command);
    EXPECT_EQ(word, NetHost::SPECIAL);
    EXPECT_EQ(command, static_cast<uint32_t>(NetHost::CMD_DISCONNECT));
}

TEST_F(NetSequenceTest, EarlyDatagramsAreHeldWithinABudget) {
    // Every sequence of the window but the first, each a full chunk.
    for (int32_t s = 2; s <= Node::SEQUENCE_WINDOW; ++s)
        fromB(Datagram(b->hostUID, s, false, 0).data(Bytes(NetHost::CHUNK_SIZE, static_cast<uint8_t>(s))));
    EXPECT_LE(toB->earlyBytes(), Node::MAX_EARLY_BYTES);
    EXPECT_LT(toB->outOfOrderCount(), Node::SEQUENCE_WINDOW / 2);
    EXPECT_EQ(toB->faults, 0);
    // The first arrives: it and the run held behind it are delivered.
    const int held = toB->outOfOrderCount();
    fromB(Datagram(b->hostUID, 1, false, 0).data({9}));
    EXPECT_EQ(static_cast<int>(a->received.size()), 1 + held);
    EXPECT_EQ(toB->earlyBytes(), 0);
}

TEST_F(NetSequenceTest, EndlessChunksOfOneStateDropThePeer) {
    // Full chunks hit the byte cap; empty ones the chunk cap.
    for (const int length : {NetHost::CHUNK_SIZE, 0}) {
        RecordingHost* h = length ? a : b;
        Node* n = length ? toB : toA;
        const uint32_t uid = length ? b->hostUID : a->hostUID;
        const NetAddress from = length ? b->connection->address : a->connection->address;
        const Bytes chunk(static_cast<size_t>(length), 0x55);
        for (int32_t seq = 1; seq <= Node::MAX_STATE_CHUNKS + 2 && h->nodeCount() == 1; ++seq) {
            Datagram d(uid, seq, true, 0);
            d.data(chunk);
            deliver(*h, contentOf(d.p), from);
            ASSERT_LE(h->nodeCount() ? n->deliveredBytes() : 0, Node::MAX_STATE_BYTES);
            h->service();
        }
        EXPECT_EQ(h->nodeCount(), 0) << length;
        EXPECT_TRUE(h->received.empty());
    }
}

TEST_F(NetSequenceTest, AClientTakesLongerStatesFromItsServerButNotEndlessOnes) {
    // b is a client of a: a state of the server may hold an object body
    // larger than a packet, up to the cap for states from a server.
    b->bServer = false;
    const Bytes chunk(static_cast<size_t>(NetHost::CHUNK_SIZE), 0x55);
    int32_t seq = 1;
    for (; seq <= Node::MAX_STATE_CHUNKS + 2; ++seq) {
        Datagram d(a->hostUID, seq, true, 0);
        d.data(chunk);
        deliver(*b, contentOf(d.p), a->connection->address);
    }
    b->service();
    ASSERT_EQ(b->nodeCount(), 1);
    EXPECT_GT(toA->deliveredBytes(), Node::MAX_STATE_BYTES);
    for (; seq <= Node::MAX_STATE_BYTES_FROM_SERVER / NetHost::CHUNK_SIZE + 2 && b->nodeCount() == 1; ++seq) {
        Datagram d(a->hostUID, seq, true, 0);
        d.data(chunk);
        deliver(*b, contentOf(d.p), a->connection->address);
        if (b->nodeCount()) {
            ASSERT_LE(toA->deliveredBytes(), Node::MAX_STATE_BYTES_FROM_SERVER);
        }
        if (seq % 512 == 0) b->service();
    }
    b->service();
    EXPECT_EQ(b->nodeCount(), 0);
    EXPECT_TRUE(b->received.empty());
}

TEST_F(NetSequenceTest, LargeStateIsPacedByAcknowledgements) {
    const Bytes state = stateOf(300 * 500);
    auto p = packetOf(state);
    a->sendState(p.get(), toB);
    Packet empty(Packet::FLAG_NETWORK, 4);
    for (int round = 0; round < 20 && b->received.empty(); ++round) {
        EXPECT_LE(toB->unacknowledgedCount(), Node::IN_FLIGHT + 1);
        b->service();
        b->sendState(&empty, toA);  // the acknowledgement
        a->service();
    }
    ASSERT_EQ(b->received.size(), 1u);
    EXPECT_EQ(b->received[0], state);
    EXPECT_TRUE(toB->pending.empty());
    EXPECT_EQ(a->nodeCount(), 1);
}

TEST_F(NetSequenceTest, AWholeWindowLostIsAskedForAgain) {
    // Nothing of the first window arrives: only what is sent beyond it lets
    // the peer see what it misses.
    int dropped = 0;
    network.linkFilter = [&](const NetAddress&, const NetAddress& to, int) {
        if (to == b->connection->address && dropped < Node::IN_FLIGHT) {
            ++dropped;
            return ZubNetwork::LinkFate::Drop;
        }
        return ZubNetwork::LinkFate::Deliver;
    };
    const Bytes state = stateOf(200 * 500);
    a->sendState(packetOf(state).get(), toB);
    Packet empty(Packet::FLAG_NETWORK, 4);
    for (int round = 0; round < 400 && b->received.empty() && b->nodeCount() == 1; ++round) {
        clock.advance(0.03);
        a->service();
        b->service();
        b->sendState(&empty, toA);
    }
    ASSERT_EQ(b->received.size(), 1u);
    EXPECT_EQ(b->received[0], state);
    EXPECT_EQ(b->nodeCount(), 1);
}

TEST_F(NetSequenceTest, SequencesEndAtTheLargestIntWithoutOverflow) {
    toB->sequenceOut = INT32_MAX - 1;
    toA->sequenceIn = INT32_MAX - 1;
    auto p = packetOf(bytes({1}));
    a->sendState(p.get(), toB);  // the last sequence there is
    b->service();
    ASSERT_EQ(b->received.size(), 1u);
    EXPECT_EQ(toA->sequenceIn, INT32_MAX);
    // Nothing can follow: the link ends instead of restarting at sequences
    // the peer takes for old ones.
    a->sendState(p.get(), toB);
    a->service();
    EXPECT_EQ(a->nodeCount(), 0);
}

TEST_F(NetSequenceTest, OnlyADatagramInsideTheWindowMovesThePeersPort) {
    const NetAddress spoof = NetAddress::of(b->connection->address.ip, 999);
    deliver(*a, contentOf(Datagram(b->hostUID, 1 << 20, false, 0).data({1}).p), spoof);
    EXPECT_EQ(toB->address.port, b->connection->address.port);
    deliver(*a, contentOf(Datagram(b->hostUID, 0, false, 0).data({1}).p), spoof);
    EXPECT_EQ(toB->address.port, b->connection->address.port);
    // A datagram that passes the checks moves it (the peer's port changed).
    deliver(*a, contentOf(Datagram(b->hostUID, 1, false, 0).data({1}).p), spoof);
    EXPECT_EQ(toB->address.port, 999);
    // Another host's address never matches the node.
    deliver(*a, contentOf(Datagram(b->hostUID, 2, false, 0).data({1}).p), NetAddress::of(0x7F000002u, 999));
    EXPECT_EQ(toB->sequenceIn, 1);
}
