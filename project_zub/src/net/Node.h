#pragma once
// A host's record of one remote peer. It carries both directions of the
// sequenced exchange: what the peer sent that is not yet deliverable (early
// datagrams, chunks of unfinished states) and what was sent to it and not
// yet acknowledged.
//
// Everything a peer can make grow is bounded: sequences are accepted only
// within a window ahead of the last one delivered, early datagrams only up to
// a byte budget, a state being put together is capped in size, and a peer
// that leaves too much unacknowledged or keeps sending malformed datagrams is
// asked to be dropped.
//
// What goes out is paced: states wait in a queue and their chunks are sent
// while fewer than IN_FLIGHT datagrams are in flight, so a large state does
// not overrun the peer's receive buffer. When the whole window goes
// unacknowledged (all of it lost), one more datagram a step lets the peer see
// what it misses and ask for it.
#include <cstdint>
#include <deque>
#include <memory>

#include "object/Packet.h"
#include "object/ZubBase.h"
#include "sys/NetAddress.h"
#include "util/WString.h"

class NetHost;

class Node : public ZubBase {
public:
    static constexpr int32_t SEQUENCE_WINDOW = 1024;  // sequences accepted ahead of sequenceIn
    static constexpr int MAX_STATE_BYTES = 0x40000;   // one state put together from chunks
    static constexpr int MAX_STATE_CHUNKS = 513;      // chunks of such a state (512 bytes at most each)
    // The same for the states a client takes from its server: an object
    // body larger than a packet comes whole in a state of its own.
    static constexpr int MAX_STATE_BYTES_FROM_SERVER = 16 << 20;
    static constexpr int MAX_STATE_CHUNKS_FROM_SERVER = MAX_STATE_BYTES_FROM_SERVER / 256;
    static constexpr int MAX_EARLY_BYTES = 0x40000;         // early datagrams held, with their bookkeeping
    static constexpr int IN_FLIGHT = 128;                   // datagrams sent and not acknowledged, normally
    static constexpr int MAX_UNACKNOWLEDGED = 256;          // the same with one more per step when nothing comes back
    static constexpr int64_t MAX_PENDING_BYTES = 32 << 20;  // states waiting to go out after the first
    static constexpr int MAX_FAULTS = 8;                    // malformed datagrams before the peer is dropped
    static constexpr double FAULT_DECAY = 10.0;             // seconds after which one fault is forgiven

    explicit Node(NetHost* host);
    ~Node() override;

    // Accepts a data chunk whose checksum matched; its sequence is above
    // sequenceIn and inside the window.
    void newIncoming(Packet* p);
    void insertSorted(Packet* p);
    void deliverInOrder();
    // Joins every complete run of delivered chunks into one packet for the
    // host's inbox.
    void reassemble();
    // Forgets the sent datagrams that ackIn covers and updates the ping.
    void processAck();
    Packet* findSent(int32_t sequence) const;
    // The next sequence to ask the peer for (0 when none is missing).
    int32_t nextMissingSequence();

    // A malformed datagram or packet from this peer; enough of them in a
    // short time drop it.
    void addFault(std::u16string_view reason);
    // Asks the host to disconnect the peer at the next safe moment.
    void requestDrop(std::u16string_view reason);

    uint32_t id;
    NetAddress address;
    int32_t ackIn = 0;
    int32_t sequenceIn = 0;
    double ping = 0.25;
    double lastDeliveryTime = 0.0;
    WString name;
    ZubBase outOfOrder;
    ZubBase delivered;
    ZubBase sentList;
    uint32_t sequenceOut = 0;
    int32_t lastRequestedMissing = 0;

    NetHost* host;
    int faults = 0;
    double lastFaultTime = 0.0;
    bool bDropRequested = false;
    WString dropReason;

    // States waiting to be sent, oldest first; `offset` bytes of the front
    // one are out.
    struct Outgoing {
        std::unique_ptr<Packet> packet;
        int offset = 0;
        bool bFirstState = false;
    };
    std::deque<Outgoing> pending;
    int64_t pendingBytes = 0;
    int64_t pendingFirstStateBytes = 0;

    int outOfOrderCount() const { return outOfOrderQueued; }
    int deliveredCount() const { return deliveredQueued; }
    int unacknowledgedCount() const { return sentQueued; }
    int deliveredBytes() const { return deliveredLength; }
    int earlyBytes() const { return outOfOrderBytes; }
    // The longest state the peer may send: a server's states to its clients
    // may be longer than a client's.
    int maxStateBytes() const;
    int maxStateChunks() const;

private:
    friend class NetHost;
    // What an early datagram costs to hold: its bytes and its bookkeeping.
    static int holdingCost(const Packet* p);
    int outOfOrderQueued = 0;
    int outOfOrderBytes = 0;
    int deliveredQueued = 0;
    int deliveredLength = 0;
    int deliveredEnds = 0;  // delivered chunks that end a state
    int sentQueued = 0;
};
