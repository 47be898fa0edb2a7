#pragma once
// A host's record of one remote peer. It carries both directions of the
// sequenced exchange: what the peer sent that is not yet deliverable (early
// datagrams, chunks of unfinished states) and what was sent to it and not
// yet acknowledged.
//
// Everything a peer can make grow is bounded: sequences are accepted only
// within a window ahead of the last one delivered, a state being put
// together is capped in size, and a peer that leaves too much unacknowledged
// or keeps sending malformed datagrams is asked to be dropped.
#include <cstdint>

#include "net/NetAddress.h"
#include "object/ZubBase.h"
#include "util/WString.h"

class NetHost;
class Packet;

class Node : public ZubBase {
public:
    static constexpr int32_t SEQUENCE_WINDOW = 1024;   // sequences accepted ahead of sequenceIn
    static constexpr int MAX_STATE_BYTES = 0x40000;    // one state put together from chunks
    static constexpr int MAX_UNACKNOWLEDGED = 4096;    // datagrams kept for resending
    static constexpr int MAX_FAULTS = 8;               // malformed datagrams before the peer is dropped

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

    // A malformed datagram or packet from this peer; enough of them drop it.
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
    bool bDropRequested = false;
    WString dropReason;

    int outOfOrderCount() const { return outOfOrderQueued; }
    int deliveredCount() const { return deliveredQueued; }
    int unacknowledgedCount() const { return sentQueued; }
    int deliveredBytes() const { return deliveredLength; }

private:
    friend class NetHost;
    int outOfOrderQueued = 0;
    int deliveredQueued = 0;
    int deliveredLength = 0;
    int sentQueued = 0;
};
