#include "net/NetHost.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>

#include "net/NetConnection.h"
#include "net/NetStatistics.h"
#include "net/Node.h"
#include "net/ZubNetwork.h"
#include "sys/Console.h"
#include "sys/Logger.h"
#include "util/Md5.h"
#include "util/Random.h"

namespace {

const char* const kSpecialFunction = "NetHost::serviceInPacketSpecial";

WString englishText(int id) {
    switch (id) {
        case NetHost::ERRORSERVERISFULL:
            return u"Server is full.";
        case NetHost::ERRORINCOMPATIBLEGAME:
            return u"Incompatible game.";
        case NetHost::ERRORMINVERSIONCLIENT:
            return u"You need at least version %s of the game (you have %.2lf).";
        case NetHost::ERRORMINVERSIONSERVER:
            return u"Server must be at least version %s of the game (it's %.2lf).";
        default:
            return WString();
    }
}

// The lowest version a peer may have, as text and as a number.
const char16_t* const kMinimumVersionText = u"0.00";
constexpr double kMinimumVersion = 0.0;

}  // namespace

std::function<WString(int id)> NetHost::textSource;

WString NetHost::text(int id) {
    if (textSource) {
        WString t = textSource(id);
        if (!t.empty()) return t;
    }
    return englishText(id);
}

uint32_t NetHost::drawUID() {
    for (;;) {
        const uint32_t low = randomNext();
        const uint32_t high = randomNext();
        const uint32_t id = (high << 16) | (low & 0xFFFFu);
        if (id != SPECIAL) return id;
    }
}

NetHost::NetHost(int m, bool server, std::u16string_view product, double v, std::u16string_view player)
    : mode(m),
      maxNodes(server ? 0 : 1),  // a client is full once it has its server
      bServer(server),
      datagram(Packet::FLAG_NETWORK, 64),
      productName(product),
      version(v),
      playerName(player) {
    Logger::get().log(u"%s(): Creating %s host...", "NetHost::NetHost", server ? "SERVER" : "CLIENT");
    if (server) {
        // The key of the node ids comes from outside the program's own
        // generator, whose sequence the game relies on.
        std::random_device device;
        for (uint8_t& b : idKey) b = static_cast<uint8_t>(device());
        pendingNames.resize(PENDING_NAMES);
        goneIds.resize(GONE_IDS);
    }
}

NetHost::~NetHost() {
    disconnectAll();
    while (inbox.firstChild) deleteObject(inbox.firstChild);
    if (bOwnsConnection) deleteObject(connection);
    connection = nullptr;
}

void NetHost::setConnection(NetConnection* c, bool owns) {
    if (connection && bOwnsConnection && connection != c) deleteObject(connection);
    connection = c;
    bOwnsConnection = owns;
}

// ---------------------------------------------------------------------------
// Logging

void NetHost::logDrop(std::u16string_view what, const NetAddress& from) {
    ++droppedDatagrams;
    if (peerLog.allow(ZubNetwork::now()))
        Logger::get().log(u"%s(): dropped a datagram from %s: %s", "NetHost::dispatchPacket", from.toString(), what);
}

void NetHost::logPeerLine(std::u16string_view line) {
    if (peerLog.allow(ZubNetwork::now())) Logger::get().logLine(line);
}

void NetHost::consoleLine(std::u16string_view message) {
    if (!peerLog.allow(ZubNetwork::now())) return;
    Console::printActive(u"%s %s |   %s", bServer ? u"S      " : u"     C ", kSpecialFunction, message);
}

// ---------------------------------------------------------------------------
// The network step

void NetHost::service() {
    receiveDatagrams();
    processInbox();

    const double t = ZubNetwork::now();
    for (ObjectIterator it(&nodes, ObjectIterator::INCLUDE_DISABLED); it; it.advance()) {
        Node* n = static_cast<Node*>(it.get());
        if (t > n->lastDeliveryTime + nodeTimeout) {
            Logger::get().log(u"%s(): %s timed out", "NetHost::service", n->address.toString());
            noteGone(n);
            onDisconnect(n);
            destroyInboxPacketsOf(n);
            deleteObject(n);
        }
    }
    for (Node* n : childrenOf<Node>(nodes)) sendPending(n, true);
    dropRequestedNodes();
    peerLog.roll(t);
}

void NetHost::receiveDatagrams() {
    dropRequestedNodes();
    if (!connection) return;
    int received = 0;
    for (; received < MAX_DATAGRAMS_PER_SERVICE; ++received) {
        Packet* p = connection->receive();
        if (!p) break;
        dispatchPacket(p);
        dropRequestedNodes();
    }
    if (received == 0) return;
    for (Node* n : childrenOf<Node>(nodes)) sendPending(n);
    dropRequestedNodes();
}

void NetHost::processInbox() {
    while (inbox.firstChild) {
        Packet* p = static_cast<Packet*>(inbox.firstChild);
        inbox.removeChild(p);
        Node* from = p->sender;
        const bool ok = processPacket(*p);
        if (!ok && from && hasNode(from)) from->addFault(u"a packet that does not decode");
        deleteObject(p);
        dropRequestedNodes();
    }
}

void NetHost::dispatchPacket(Packet* p) {
    if (!p || p->remaining() < 4) return;
    uint32_t word = 0;
    p->doDWORD(word);
    if (word == SPECIAL) serviceInPacketSpecial(*p);
    else serviceInPacketNormal(*p, word);
}

void NetHost::sendToAllNodes(Packet* p) {
    for (Node* n : childrenOf<Node>(nodes)) sendState(p, n);
}

// ---------------------------------------------------------------------------
// Nodes

Node* NetHost::addNode(std::u16string_view name, Packet* from) {
    // What was pending goes only to the peers that existed before.
    flushOutgoing();
    Node* node = new Node(this);
    nodes.addChild(node);
    if (from) node->address = from->address;
    const WString base = name.empty() ? WString(u"Anonymous") : WString(name);
    WString chosen;
    for (int k = 0; k < 16; ++k) {
        chosen = k == 0 ? base : formatString(u"%s-%d", base, k);
        bool taken = false;
        for (const Node* n : childrenOf<Node>(nodes))
            if (n != node && n->name == chosen) taken = true;
        if (!taken) break;
    }
    node->name = chosen;
    return node;
}

void NetHost::destroyInboxPacketsOf(Node* node) {
    for (Packet* p : childrenOf<Packet>(inbox))
        if (p->sender == node) deleteObject(p);
}

bool NetHost::hasNode(const Node* node) const {
    for (const Node* n : childrenOf<Node>(nodes))
        if (n == node) return true;
    return false;
}

void NetHost::disconnectNode(Node* node, bool notify) {
    if (!node || !hasNode(node)) return;
    noteGone(node);
    if (notify) sendDisconnect(node);
    onDisconnect(node);
    destroyInboxPacketsOf(node);
    if (hasNode(node)) deleteObject(node);
}

void NetHost::disconnectAll() {
    while (nodes.firstChild) {
        Node* node = static_cast<Node*>(nodes.firstChild);
        sendDisconnect(node);
        onDisconnect(node);
        destroyInboxPacketsOf(node);
        if (hasNode(node)) deleteObject(node);
    }
}

void NetHost::dropRequestedNodes() {
    for (ZubBase* o = nodes.firstChild; o;) {
        ZubBase* next = o->nextSibling;
        Node* n = static_cast<Node*>(o);
        if (n->bDropRequested) {
            Logger::get().log(u"%s(): disconnecting %s (%s): %s", "NetHost::dropRequestedNodes", n->address.toString(),
                              escapeForLog(n->name), n->dropReason);
            disconnectNode(n, true);
            next = nodes.firstChild;  // the list may have changed under the hooks
        }
        o = next;
    }
}

Node* NetHost::findNodeById(uint32_t id, const NetAddress* address) const {
    for (Node* n : childrenOf<Node>(nodes)) {
        if (n->id == id && (!address || n->address.sameHost(*address))) return n;
    }
    return nullptr;
}

Node* NetHost::findNodeByAddress(const NetAddress& address) const {
    for (Node* n : childrenOf<Node>(nodes)) {
        if (n->address == address) return n;
    }
    return nullptr;
}

bool NetHost::isFull() const {
    if (mode == 4) return maxNodes <= 1;
    return nodeCount() >= maxNodes;
}

// ---------------------------------------------------------------------------
// Node ids given out in accepts

uint32_t NetHost::issuedId(const NetAddress& a, int64_t period) const {
    uint8_t message[16 + 4 + 2 + 8];
    std::memcpy(message, idKey, 16);
    for (int i = 0; i < 4; ++i) message[16 + i] = static_cast<uint8_t>(a.ip >> (8 * i));
    message[20] = static_cast<uint8_t>(a.port);
    message[21] = static_cast<uint8_t>(a.port >> 8);
    for (int i = 0; i < 8; ++i) message[22 + i] = static_cast<uint8_t>(static_cast<uint64_t>(period) >> (8 * i));
    uint8_t digest[16];
    md5Digest(message, sizeof message, digest);
    uint32_t id = digest[0] | (digest[1] << 8) | (digest[2] << 16) | (static_cast<uint32_t>(digest[3]) << 24);
    return id == SPECIAL ? id ^ 1u : id;
}

namespace {
int64_t currentIdPeriod() { return static_cast<int64_t>(std::floor(ZubNetwork::now() / NetHost::ID_PERIOD)); }
}  // namespace

bool NetHost::wasIssued(uint32_t id, const NetAddress& a) const {
    if (!bServer) return false;
    const int64_t period = currentIdPeriod();
    return id == issuedId(a, period) || id == issuedId(a, period - 1);
}

void NetHost::noteGone(const Node* node) {
    if (!bServer || goneIds.empty()) return;
    GoneId& g = goneIds[static_cast<size_t>(nextGoneId)];
    nextGoneId = (nextGoneId + 1) % GONE_IDS;
    g.id = node->id;
    g.address = node->address;
    g.bUsed = true;
}

bool NetHost::isGone(uint32_t id, const NetAddress& a) const {
    for (const GoneId& g : goneIds)
        if (g.bUsed && g.id == id && g.address == a) return true;
    return false;
}

void NetHost::rememberName(const NetAddress& a, std::u16string_view name) {
    if (pendingNames.empty()) return;
    // A peer that asks again keeps its entry; a new one takes the oldest.
    for (PendingName& e : pendingNames) {
        if (e.bUsed && e.address == a) {
            e.name = WString(name);
            return;
        }
    }
    PendingName& e = pendingNames[static_cast<size_t>(nextPendingName)];
    nextPendingName = (nextPendingName + 1) % PENDING_NAMES;
    e.address = a;
    e.name = WString(name);
    e.bUsed = true;
}

WString NetHost::takeName(const NetAddress& a) {
    for (PendingName& e : pendingNames) {
        if (e.bUsed && e.address == a) {
            e.bUsed = false;
            return std::move(e.name);
        }
    }
    return WString();  // pushed out by newer requests: the node is "Anonymous"
}

bool NetHost::takesRefusalFrom(const NetAddress& a) const {
    if (findNodeByAddress(a)) return true;
    // A client hears from the server it asked; a server from a peer whose
    // request it answered with an accept (which that peer may refuse).
    if (!bServer) return bHaveConnectTarget && connectTarget == a;
    for (const PendingName& e : pendingNames)
        if (e.bUsed && e.address == a) return true;
    return false;
}

Node* NetHost::admit(Packet& p, uint32_t id) {
    const NetAddress from = p.address;
    if (!wasIssued(id, from) || isGone(id, from)) return nullptr;
    if (isFull()) {
        // The places filled up after the accept went out: the peer is told
        // why, and drops the node it made for us.
        consoleLine(formatString(u"Sending FULL to %s", from.toString()));
        sendRefusal(from, text(ERRORSERVERISFULL));
        sendDisconnect(from);
        return nullptr;
    }
    Node* node = addNode(takeName(from), &p);
    node->id = id;
    onConnect(node);
    return hasNode(node) ? node : nullptr;
}

// ---------------------------------------------------------------------------
// Handshake

bool NetHost::productMatches(std::u16string_view product) const {
    if (product.find(u"Tumbro") == std::u16string_view::npos) return false;
    const bool demo = product.find(u"demo") != std::u16string_view::npos;
    const bool ownDemo = productName.find(u"demo") != WString::npos;
    return demo == ownDemo;
}

bool NetHost::versionAccepted(double v) { return !(kMinimumVersion > v + 0.001); }

namespace {

// A special datagram under construction.
struct Special {
    explicit Special(uint32_t command) : p(Packet::FLAG_NETWORK, 2048) {
        p.setFromPeer();  // never fatal: a text that does not fit is left out
        uint32_t word = NetHost::SPECIAL;
        p.doDWORD(word);
        p.doDWORD(command);
    }
    Packet p;
};

}  // namespace

void NetHost::sendAccept(const NetAddress& to, uint32_t nodeId) {
    if (!connection) return;
    Special s(CMD_ACCEPT);
    s.p.doUString(productName, PRODUCT_LENGTH);
    s.p.doDouble(version);
    uint32_t uid = hostUID;
    s.p.doDWORD(uid);
    uint32_t id = nodeId;
    s.p.doDWORD(id);
    if (!s.p.failed()) connection->sendRaw(s.p, to);
}

void NetHost::sendRefusal(const NetAddress& to, std::u16string_view message) {
    if (!connection) return;
    Special s(CMD_REFUSE);
    WString m(message);
    s.p.doUString(m, -1);
    if (!s.p.failed()) connection->sendRaw(s.p, to);
}

void NetHost::sendDisconnect(Node* node) {
    if (node) sendDisconnect(node->address);
}

void NetHost::sendDisconnect(const NetAddress& to) {
    if (!connection) return;
    Special s(CMD_DISCONNECT);
    uint32_t uid = hostUID;
    s.p.doDWORD(uid);
    connection->sendRaw(s.p, to);
}

void NetHost::sendConnectRequest(const NetAddress& server) {
    if (!connection) return;
    bHaveConnectTarget = true;
    connectTarget = server;
    Special s(CMD_CONNECT);
    s.p.doUString(productName, PRODUCT_LENGTH);
    s.p.doDouble(version);
    // A longer name would be refused by the server: it goes cut.
    WString name = playerName;
    name.resize(Packet::sendableUnits(name, NAME_LENGTH));
    s.p.doUString(name, NAME_LENGTH);
    if (!s.p.failed()) connection->sendRaw(s.p, server);
}

void NetHost::serviceInPacketSpecial(Packet& p) {
    if (p.remaining() < 4) return;
    uint32_t command = 0;
    p.doDWORD(command);
    if (command > CMD_DISCONNECT) return;
    const NetAddress from = p.address;
    const WString who = from.toString();

    switch (command) {
        case CMD_CONNECT: {
            if (!bServer) return;
            consoleLine(formatString(u"New Connect attempt from %s", who));
            if (findNodeByAddress(from)) {
                consoleLine(formatString(u"%s already exists", who));
                return;
            }
            if (isFull()) {
                consoleLine(formatString(u"Sending FULL to %s", who));
                sendRefusal(from, text(ERRORSERVERISFULL));
                return;
            }
            WString product;
            p.doUString(product, PRODUCT_LENGTH);
            if (p.failed()) {
                logDrop(formatString(u"connect request: %s", p.errorText()), from);
                return;
            }
            if (!productMatches(product)) {
                sendRefusal(from, text(ERRORINCOMPATIBLEGAME));
                return;
            }
            double peerVersion = 0.0;
            p.doDouble(peerVersion);
            if (p.failed()) {
                logDrop(formatString(u"connect request: %s", p.errorText()), from);
                return;
            }
            if (!versionAccepted(peerVersion)) {
                sendRefusal(from, formatString(text(ERRORMINVERSIONCLIENT), kMinimumVersionText, peerVersion));
                return;
            }
            WString name;
            p.doUString(name, NAME_LENGTH);
            if (p.failed()) {
                logDrop(formatString(u"connect request: %s", p.errorText()), from);
                return;
            }
            // The sender's address may be forged: the request leaves only
            // the name behind. The node comes with the peer's first answer
            // (admit), under the id this accept gives it.
            consoleLine(u"Accepting connection...");
            rememberName(from, name);
            for (GoneId& g : goneIds)
                if (g.bUsed && g.address == from) g.bUsed = false;  // asked anew: it may come back
            sendAccept(from, issuedId(from, currentIdPeriod()));
            consoleLine(u"Done.");
            return;
        }
        case CMD_ACCEPT: {
            if (bServer) return;
            consoleLine(formatString(u"Connection acccepted by %s", who));
            if (isFull()) return;
            if (findNodeByAddress(from)) {
                logPeerLine(formatString(u"%s(): %s already exists", kSpecialFunction, who));
                return;
            }
            if (bHaveConnectTarget && !(connectTarget == from)) {
                logDrop(u"an accept from a host this client did not ask", from);
                return;
            }
            WString product;
            p.doUString(product, PRODUCT_LENGTH);
            if (p.failed()) {
                logDrop(formatString(u"accept: %s", p.errorText()), from);
                return;
            }
            if (!productMatches(product)) {
                sendRefusal(from, text(ERRORINCOMPATIBLEGAME));
                return;
            }
            double serverVersion = 0.0;
            p.doDouble(serverVersion);
            if (p.failed()) {
                logDrop(formatString(u"accept: %s", p.errorText()), from);
                return;
            }
            if (!versionAccepted(serverVersion)) {
                onMessage(formatString(text(ERRORMINVERSIONSERVER), kMinimumVersionText, serverVersion));
                return;
            }
            uint32_t serverUID = 0, ownId = 0;
            p.doDWORD(serverUID);
            p.doDWORD(ownId);
            if (p.failed() || ownId == SPECIAL) {
                logDrop(u"accept: bad identifiers", from);
                return;
            }
            Node* node = addNode(u"ServerPlayer", &p);
            node->id = serverUID;
            hostUID = ownId;
            onConnect(node);
            return;
        }
        case CMD_REFUSE: {
            // Only the host at the other end of a handshake may turn this
            // one away; a refusal from anybody else is a forgery.
            if (!takesRefusalFrom(from)) {
                logDrop(u"a refusal from a host this one is not dealing with", from);
                return;
            }
            WString message;
            p.doUString(message, -1);
            if (p.failed()) {
                logDrop(formatString(u"refusal: %s", p.errorText()), from);
                return;
            }
            // However long the text, the log gets what a refusal says, on
            // its one line.
            logPeerLine(formatString(u"%s(): refused by %s: %s", kSpecialFunction, who,
                                     escapeForLog(std::u16string_view(message).substr(0, 256))));
            onMessage(message);
            return;
        }
        case CMD_DISCONNECT: {
            logPeerLine(formatString(u"%s(): %s: New DISCONNECT notify from %s", kSpecialFunction,
                                     bServer ? "SERVER" : "CLIENT", who));
            if (p.remaining() < 4) return;
            uint32_t uid = 0;
            p.doDWORD(uid);
            if (Node* node = findNodeById(uid, &from)) disconnectNode(node, false);
            return;
        }
        default:
            return;
    }
}

// ---------------------------------------------------------------------------
// Sequenced datagrams

void NetHost::sendState(Packet* p, Node* node) {
    if (!p || !node) return;
    const int size = p->length();
    auto copy = std::make_unique<Packet>(p->flags, size);
    copy->writeBytes(p->data(), size);
    queueState(node, std::move(copy), false);
}

void NetHost::queueState(Node* node, std::unique_ptr<Packet> p, bool firstState) {
    if (!node || !p) return;
    node->pendingBytes += p->length();
    if (firstState) node->pendingFirstStateBytes += p->length();
    Node::Outgoing o;
    o.packet = std::move(p);
    o.bFirstState = firstState;
    node->pending.push_back(std::move(o));
    // However large the first state, a peer that acknowledges nothing may
    // not make the states after it pile up.
    if (node->pendingBytes - node->pendingFirstStateBytes > Node::MAX_PENDING_BYTES) {
        node->requestDrop(u"it does not acknowledge what it receives");
        return;
    }
    sendPending(node);
}

void NetHost::sendPending(Node* node, bool probe) {
    if (!connection) return;
    int window = Node::IN_FLIGHT;
    if (probe && node->sentQueued >= window) window = std::min(node->sentQueued + 1, Node::MAX_UNACKNOWLEDGED);
    while (!node->pending.empty() && !node->bDropRequested && node->sentQueued < window) {
        Node::Outgoing& o = node->pending.front();
        Packet* p = o.packet.get();
        const int size = p->length();
        const int chunk = chunkLength(size);
        sendStateChunk(p, node, o.offset, chunk);
        if (node->bDropRequested) break;
        o.offset += chunk;
        if (o.offset >= size) {
            node->pendingBytes -= size;
            if (o.bFirstState) node->pendingFirstStateBytes -= size;
            node->pending.pop_front();
        }
    }
}

void NetHost::sendStateChunk(Packet* p, Node* node, int offset, int length) {
    if (!connection || !p || !node) return;
    const int size = p->length();
    bool more = true;
    if (offset + length >= size) {
        more = false;
        length = size - offset;
    }
    if (length < 0) length = 0;

    // Sequences are carried as non-negative ints: the link ends rather than
    // wrap to numbers the peer takes for old ones.
    if (node->sequenceOut >= static_cast<uint32_t>(INT32_MAX)) {
        node->requestDrop(u"its sequence numbers are used up");
        return;
    }
    Packet& d = datagram;
    d.reset();
    uint32_t uid = hostUID;
    d.doDWORD(uid);
    ++node->sequenceOut;
    int32_t sequence = static_cast<int32_t>(node->sequenceOut);
    d.doUInt(sequence);
    sequenceScratch = static_cast<uint32_t>(sequence);
    bMoreScratch = more;
    d.doBool(more);
    int32_t ack = node->sequenceIn;
    d.doUInt(ack);
    if (offset == 0) {
        int32_t missing = node->nextMissingSequence();
        if (missing > 0) {
            bool kind = false;
            d.doBool(kind);
            d.doUInt(missing);
        }
    }
    bool kind = true;
    d.doBool(kind);
    int32_t n = length;
    d.doUInt(n);
    uint32_t crc = p->crc32(offset, length);
    d.doDWORD(crc);
    d.sequence = sequence;
    d.bMore = more;
    d.sender = node;
    d.address = node->address;

    std::unique_ptr<Packet> out = d.concat(*p, offset, length);
    connection->sendRaw(*out, node->address);
    node->sentList.addChild(out.release());
    ++node->sentQueued;
}

void NetHost::serviceInPacketNormal(Packet& p, uint32_t senderUID) {
    Node* node = findNodeById(senderUID, &p.address);
    if (!node && bServer) node = admit(p, senderUID);
    if (!node) return;
    p.sender = node;
    int32_t sequence = 0;
    bool more = false;
    p.doUInt(sequence);
    p.doBool(more);
    if (p.failed()) {
        node->addFault(p.errorText());
        logDrop(p.errorText(), p.address);
        return;
    }
    p.sequence = sequence;
    p.bMore = more;
    if (sequence <= node->sequenceIn) return;  // old or duplicate
    // Far ahead: what a peer sends after our socket buffer overflowed. It
    // is asked for again in turn.
    if (sequence > int64_t{node->sequenceIn} + Node::SEQUENCE_WINDOW) return;
    // Only a datagram that passed the checks may move the peer's port.
    node->address.port = p.address.port;

    int32_t ack = 0;
    p.doUInt(ack);
    if (p.failed()) {
        node->addFault(p.errorText());
        logDrop(p.errorText(), p.address);
        return;
    }
    node->ackIn = ack;
    node->processAck();

    bool sawResend = false;
    while (!p.atEnd() && !p.failed()) {
        bool isData = false;
        p.doBool(isData);
        if (p.failed()) break;
        if (!isData) {
            if (sawResend) {
                node->addFault(u"two resend requests");
                logDrop(u"two resend requests in one datagram", p.address);
                break;
            }
            sawResend = true;
            if (connection) ++connection->currentStats().resendRequests;
            int32_t wanted = 0;
            p.doUInt(wanted);
            if (p.failed()) break;
            Packet* sent = node->findSent(wanted);
            if (sent && connection && ZubNetwork::now() > sent->time + 1.1 * node->ping) {
                connection->sendRaw(*sent, node->address);
                ++connection->currentStats().resends;
            }
            continue;
        }
        int32_t length = 0;
        uint32_t crc = 0;
        p.doUInt(length);
        p.doDWORD(crc);
        if (p.failed() || length > p.remaining() || length > CHUNK_SIZE) {
            node->addFault(u"truncated or over-long data entry");
            logDrop(u"truncated or over-long data entry", p.address);
            break;
        }
        std::unique_ptr<Packet> chunk = p.extract(length);
        chunk->setFromPeer();
        if (chunk->crc32(0, -1) != crc) {
            logPeerLine(formatString(u"%s(): WARNING: received corrupt packet contents (from=%s, sequence=%d)",
                                     "NetHost::serviceInPacketNormal", p.address.toString(), sequence));
            break;
        }
        node->newIncoming(chunk.release());
        // Each datagram carries one data entry; anything after it is ignored.
        break;
    }
    if (p.failed()) {
        node->addFault(p.errorText());
        logDrop(p.errorText(), p.address);
    }
}
