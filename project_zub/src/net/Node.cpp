#include "net/Node.h"

#include <algorithm>
#include <cstring>

#include "net/NetConnection.h"
#include "net/NetHost.h"
#include "net/ZubNetwork.h"
#include "object/Packet.h"
#include "sys/Logger.h"

namespace {
Packet* asPacket(ZubBase* o) { return static_cast<Packet*>(o); }
}  // namespace

Node::Node(NetHost* h) : id(NetHost::drawUID()), lastDeliveryTime(ZubNetwork::now()), host(h) {
    address.family = 2;
    address.ip = 0;
    address.port = 0;
}

Node::~Node() = default;

int Node::holdingCost(const Packet* p) { return p->length() + static_cast<int>(sizeof(Packet)); }

void Node::addFault(std::u16string_view reason) {
    // One fault is forgiven for every FAULT_DECAY seconds without one: a
    // peer on a poor link is not dropped for what it did long ago.
    const double t = ZubNetwork::now();
    if (faults > 0 && t > lastFaultTime) {
        const double forgiven = (t - lastFaultTime) / FAULT_DECAY;
        faults = forgiven >= faults ? 0 : faults - static_cast<int>(forgiven);
    }
    lastFaultTime = t;
    ++faults;
    if (faults >= MAX_FAULTS) requestDrop(formatString(u"%d malformed datagrams, the last: %s", faults, reason));
}

void Node::requestDrop(std::u16string_view reason) {
    if (bDropRequested) return;
    bDropRequested = true;
    dropReason = WString(reason);
}

void Node::newIncoming(Packet* p) {
    if (p->sequence <= sequenceIn || p->sequence > int64_t{sequenceIn} + SEQUENCE_WINDOW) {
        deleteObject(p);
        return;
    }
    insertSorted(p);
    deliverInOrder();
    reassemble();
}

void Node::insertSorted(Packet* p) {
    // From the newest: most datagrams arrive in order.
    ZubBase* after = outOfOrder.lastChild;
    while (after && asPacket(after)->sequence > p->sequence) after = after->prevSibling;
    if (after && asPacket(after)->sequence == p->sequence) {
        deleteObject(p);  // already waiting
        return;
    }
    // Early datagrams are held within a budget; what does not fit is asked
    // for again later. The next one in order always fits: it is delivered
    // at once.
    const int cost = holdingCost(p);
    if (p->sequence != int64_t{sequenceIn} + 1 && outOfOrderBytes + cost > MAX_EARLY_BYTES) {
        deleteObject(p);
        return;
    }
    const bool atEnd = after == outOfOrder.lastChild;
    if (after) outOfOrder.insertChildAfter(p, after);
    else if (outOfOrder.firstChild) outOfOrder.insertChildBefore(p, outOfOrder.firstChild);
    else outOfOrder.addChild(p);
    ++outOfOrderQueued;
    outOfOrderBytes += cost;
    if (!atEnd && host && host->connection) ++host->connection->currentStats().outOfOrder;
}

void Node::deliverInOrder() {
    while (outOfOrder.firstChild && asPacket(outOfOrder.firstChild)->sequence == int64_t{sequenceIn} + 1) {
        Packet* p = asPacket(outOfOrder.firstChild);
        outOfOrder.removeChild(p);
        --outOfOrderQueued;
        outOfOrderBytes -= holdingCost(p);
        delivered.addChild(p);
        ++deliveredQueued;
        deliveredLength += p->length();
        if (!p->bMore) ++deliveredEnds;
        ++sequenceIn;
        lastDeliveryTime = ZubNetwork::now();
    }
}

void Node::reassemble() {
    // Only a run that ends a state is walked: a long state that is still
    // coming in costs nothing per chunk.
    while (delivered.firstChild && deliveredEnds > 0) {
        // The run up to and including the first chunk that ends a state.
        int count = 0;
        int total = 0;
        ZubBase* last = nullptr;
        for (ZubBase* o = delivered.firstChild; o; o = o->nextSibling) {
            ++count;
            total += asPacket(o)->length();
            if (!asPacket(o)->bMore) {
                last = o;
                break;
            }
        }
        if (!last) break;  // the state is not complete yet
        --deliveredEnds;
        Packet* first = asPacket(delivered.firstChild);
        if (count == 1) {
            delivered.removeChild(first);
            --deliveredQueued;
            deliveredLength -= first->length();
            if (host) host->inbox.addChild(first);
            else deleteObject(first);
            continue;
        }
        auto* joined = new Packet(first->flags, total);
        first->copyMeta(*joined);
        joined->bWriting = true;
        for (int i = 0; i < count; ++i) {
            Packet* c = asPacket(delivered.firstChild);
            joined->writeBytes(c->data(), c->length());
            deliveredLength -= c->length();
            --deliveredQueued;
            deleteObject(c);
        }
        joined->rewindToRead();
        joined->setFromPeer();
        if (host) host->inbox.addChild(joined);
        else deleteObject(joined);
    }
    if (deliveredLength > maxStateBytes() || deliveredQueued > maxStateChunks()) {
        // No peer that keeps to the protocol sends a state this long.
        while (delivered.firstChild) deleteObject(delivered.firstChild);
        deliveredQueued = 0;
        deliveredLength = 0;
        deliveredEnds = 0;
        requestDrop(formatString(u"a state longer than %d bytes or %d chunks", maxStateBytes(), maxStateChunks()));
    }
}

int Node::maxStateBytes() const { return host && !host->bServer ? MAX_STATE_BYTES_FROM_SERVER : MAX_STATE_BYTES; }

int Node::maxStateChunks() const { return host && !host->bServer ? MAX_STATE_CHUNKS_FROM_SERVER : MAX_STATE_CHUNKS; }

void Node::processAck() {
    const double t = ZubNetwork::now();
    double smallest = -1.0;
    while (sentList.firstChild && asPacket(sentList.firstChild)->sequence <= ackIn) {
        Packet* p = asPacket(sentList.firstChild);
        const double sample = t - p->time;
        if (smallest < 0.0 || sample < smallest) smallest = sample;
        deleteObject(p);
        --sentQueued;
    }
    if (smallest >= 0.0) ping = 0.1 * smallest + 0.9 * ping;
}

Packet* Node::findSent(int32_t sequence) const {
    for (Packet* p : childrenOf<Packet>(sentList))
        if (p->sequence == sequence) return p;
    return nullptr;
}

int32_t Node::nextMissingSequence() {
    if (!outOfOrder.firstChild) return 0;
    int32_t firstGap = 0;
    int64_t expected = int64_t{sequenceIn} + 1;  // sequences go up to the largest int
    for (const Packet* p : childrenOf<Packet>(outOfOrder)) {
        const int32_t s = p->sequence;
        for (; expected < s; ++expected) {
            const int32_t gap = static_cast<int32_t>(expected);
            if (!firstGap) firstGap = gap;
            if (gap > lastRequestedMissing) {
                lastRequestedMissing = gap;
                return gap;
            }
        }
        expected = int64_t{s} + 1;
    }
    if (!firstGap) return 0;
    lastRequestedMissing = firstGap;
    return firstGap;
}
