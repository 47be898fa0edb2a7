// Feeds arbitrary datagrams to a host's receive path, and arbitrary level
// packets to a server's replay.
//
// Input layout: byte 0 selects the mode, the rest is the mode's input.
//   bit 0 clear: a stream of datagrams to a host with one known peer (node
//                id 0x01020304 at 127.0.0.1:40000). The host is a server
//                (bit 1 clear; its peers may only call client-callable
//                procedures) or a client (bit 1 set; its peer is its server).
//                Each datagram is a record: one byte of sender (bits 0-1: the
//                known peer, another port of its host, another host, the
//                peer again), two bytes of length (little-endian), the bytes.
//                Between datagrams the network time moves on by 10 ms; every
//                fourth datagram the host sends its pending state, so that
//                acknowledgements and resends take place; every sixteenth it
//                runs a whole network step (time-outs included).
//   bit 0 set:   a level packet (flags 5, or 1 when bit 1 is set) that a fresh
//                server replays as a peer's packet, then ticks a few frames.
// Each run must end without a crash or a sanitizer report; whatever a peer
// can make a host keep stays within its bounds (checked after every
// datagram), and every object the run made is freed by the end.
//
// Seeds: with ZUB_FUZZ_DATAGRAM_SEEDS=<folder> the program writes its seed
// files into that folder and exits.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "FuzzSupport.h"
#include "net/NetConnection.h"
#include "net/NetHost.h"
#include "net/NetRole.h"
#include "net/Node.h"
#include "net/Server.h"
#include "net/ZubNetwork.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/RPC.h"
#include "object/RuntimeClass.h"
#include "object/ZubBase.h"
#include "sys/Logger.h"

namespace {

constexpr uint32_t kPeerId = 0x01020304u;
constexpr uint16_t kPeerPort = 40000;

// An object with a few replicated values.
class FuzzThing : public ZubBase {
    ZUB_DECLARE_CLASS(FuzzThing)
public:
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyInt(u"value", 0, &value));
        c->add(new PropertyUString(u"name", 0, &name, 16));
        c->add(new PropertyPointer(u"link", 0, &link, &FuzzThing::classRecord));
    }
    int32_t value = 0;
    WString name;
    FuzzThing* link = nullptr;
};

// A call a client may make, and one it may not.
class FuzzCallable : public RPC {
    ZUB_DECLARE_CLASS(FuzzCallable)
public:
    FuzzCallable() : RPC(RPC_CLIENT_TO_EVERYWHERE) {}
    void addPropertiesTo(Property* c) override { c->add(new PropertyInt(u"", PROP_ARGUMENT, &value)); }
    void execute() override {
        if (target && target->getClass() == &FuzzThing::classRecord) static_cast<FuzzThing*>(target)->value = value;
    }
    int32_t value = 0;
};

ZUB_IMPLEMENT_CLASS(FuzzThing, ZubBase, 0x7e57f101u)
ZUB_IMPLEMENT_CLASS(FuzzCallable, RPC, 0x7e57f102u)

class FuzzServer : public Server {
public:
    FuzzServer() : Server(2, 4, u"Tumbrodemo", 1.25, u"Host") {}
    ZubBase* createRootObject() override { return new RootObject; }
};

double fakeNow = 1000.0;

// Objects alive before a run; afterwards what the run left without a parent
// (registered objects outside the tree) is freed.
std::unordered_set<ZubBase*> liveObjects() {
    std::unordered_set<ZubBase*> s;
    ZubBase::forEachLive([&](ZubBase* o) { s.insert(o); });
    return s;
}

void freeWhatTheRunLeft(const std::unordered_set<ZubBase*>& before) {
    std::vector<ZubBase*> tops;
    ZubBase::forEachLive([&](ZubBase* o) {
        if (!o->parent && !before.count(o) && o->objectUID >= 0) tops.push_back(o);
    });
    for (ZubBase* o : tops) deleteObject(o);
}

// A role with a root, two things and one known peer.
NetRole* makeHost(bool client) {
    NetRole* role;
    if (client) {
        role = new NetRole(2, false, u"Tumbrodemo", 1.25, u"Anna");
    } else {
        auto* s = new FuzzServer;
        role = s;
    }
    role->setConnection(new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 0)), true);
    THEROLE = role;
    auto* root = new RootObject;
    role->registerObject(root, 1);
    for (int i = 0; i < 2; ++i) {
        auto* t = new FuzzThing;
        role->registerObject(t, 10 + i);
        root->addChild(t);
    }
    Packet from(Packet::FLAG_NETWORK, 4);
    from.address = NetAddress::of(NetAddress::LOOPBACK, kPeerPort);
    Node* n = role->addNode(client ? u"ServerPlayer" : u"Peer", &from);
    n->id = kPeerId;
    role->outgoing->reset();
    return role;
}

void checkBounds(NetRole* role) {
    for (ZubBase* o = role->nodes.firstChild; o; o = o->nextSibling) {
        const Node* n = static_cast<const Node*>(o);
        if (n->outOfOrderCount() > Node::SEQUENCE_WINDOW) std::abort();
        if (n->deliveredBytes() > n->maxStateBytes() + 0x10000) std::abort();
        if (n->unacknowledgedCount() > Node::MAX_UNACKNOWLEDGED) std::abort();
    }
    if (role->nodeCount() > 4) std::abort();
    if (role->inbox.countChildren() > 64) std::abort();
    if (ZubNetwork::get().emulatedQueueLength() > ZubNetwork::EMULATED_QUEUE_LIMIT) std::abort();
}

void runDatagrams(uint8_t mode, const uint8_t* data, size_t size) {
    const bool client = (mode & 2) != 0;
    NetRole* role = makeHost(client);
    const NetAddress senders[4] = {
        NetAddress::of(NetAddress::LOOPBACK, kPeerPort), NetAddress::of(NetAddress::LOOPBACK, kPeerPort + 1),
        NetAddress::of(0x7F000002u, kPeerPort), NetAddress::of(NetAddress::LOOPBACK, kPeerPort)};
    int count = 0;
    while (size >= 3) {
        const NetAddress from = senders[data[0] & 3];
        size_t n = static_cast<size_t>(data[1] | (data[2] << 8));
        data += 3;
        size -= 3;
        if (n > size) n = size;
        auto p = std::make_unique<Packet>(Packet::FLAG_NETWORK, static_cast<int>(n));
        if (n) p->writeBytes(data, static_cast<int>(n));
        p->rewindToRead();
        p->setFromPeer();
        p->address = from;
        data += n;
        size -= n;

        fakeNow += 0.01;
        THEROLE = role;
        role->dispatchPacket(p.get());
        role->processInbox();
        if (p->position() > p->length()) std::abort();
        ++count;
        if (count % 4 == 0) role->flushOutgoing();
        if (count % 16 == 0) role->service();
        checkBounds(role);
        // What the host answered goes nowhere.
        uint8_t sink[2048];
        int got = 0;
        NetAddress who;
        for (const NetAddress& to : senders)
            while (ZubNetwork::get().receiveEmulatedPacket(who, sink, sizeof sink, got, to)) {}
    }
    role->service();
    THEROLE = nullptr;
    delete role;
}

void runLevel(uint8_t mode, const uint8_t* data, size_t size) {
    const uint32_t flags = (mode & 2) ? 1u : 5u;
    auto p = std::make_unique<Packet>(flags, static_cast<int>(size));
    if (size) p->writeBytes(data, static_cast<int>(size));
    p->rewindToRead();
    p->setFromPeer();
    auto* server = new FuzzServer;
    server->setConnection(new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 0)), true);
    if (server->start(p.get(), u"fuzz.lev")) {
        for (int i = 0; i < 3; ++i) server->tick(0.0, 0.02);
    }
    if (p->position() > p->length()) std::abort();
    THEROLE = nullptr;
    delete server;
}

// ---------------------------------------------------------------------------
// Seeds

void addRecord(std::vector<uint8_t>& out, uint8_t sender, const Packet& p) {
    out.push_back(sender);
    out.push_back(static_cast<uint8_t>(p.length() & 0xFF));
    out.push_back(static_cast<uint8_t>(p.length() >> 8));
    out.insert(out.end(), p.data(), p.data() + p.length());
}

// A sequenced datagram of the known peer carrying one chunk.
void sequenced(Packet& d, int32_t seq, bool more, int32_t ack, int32_t resend, const Packet* chunk) {
    uint32_t id = kPeerId;
    d.doDWORD(id);
    d.doUInt(seq);
    d.doBool(more);
    d.doUInt(ack);
    if (resend > 0) {
        bool kind = false;
        d.doBool(kind);
        d.doUInt(resend);
    }
    bool kind = true;
    d.doBool(kind);
    int32_t n = chunk ? chunk->length() : 0;
    d.doUInt(n);
    uint32_t crc = chunk ? chunk->crc32(0, n) : 0;
    d.doDWORD(crc);
    if (n) d.writeBytes(chunk->data(), n);
}

void writeSeeds(const std::string& dir) {
    NetRole* scratch = makeHost(false);
    // Mode 0: a connect request from a new peer, a call of the known peer in
    // two chunks, a resend request, a repeat, a disconnect.
    {
        std::vector<uint8_t> s{0x00};
        Packet connect(Packet::FLAG_NETWORK, 256);
        uint32_t w = NetHost::SPECIAL, cmd = NetHost::CMD_CONNECT;
        connect.doDWORD(w);
        connect.doDWORD(cmd);
        WString product = u"Tumbrodemo", name = u"Eve";
        double version = 1.25;
        connect.doUString(product, 32);
        connect.doDouble(version);
        connect.doUString(name, 16);
        addRecord(s, 2, connect);

        Packet call(Packet::FLAG_NETWORK, 256);
        FuzzCallable rpc;
        rpc.target = scratch->findObject(10);
        rpc.value = 1234;
        uint8_t code = NetRole::CMD_RPC;
        call.doBits(code, 2);
        const RuntimeClass* cls = rpc.getClass();
        call.doClassID(cls);
        rpc.serialize(call);
        const int half = call.length() / 2;
        Packet a(Packet::FLAG_NETWORK, half), b(Packet::FLAG_NETWORK, call.length() - half);
        a.writeBytes(call.data(), half);
        b.writeBytes(call.data() + half, call.length() - half);
        Packet d1(Packet::FLAG_NETWORK, 512), d2(Packet::FLAG_NETWORK, 512), d3(Packet::FLAG_NETWORK, 512);
        sequenced(d1, 1, true, 0, 0, &a);
        sequenced(d2, 2, false, 0, 0, &b);
        sequenced(d3, 4, false, 1, 1, nullptr);
        addRecord(s, 0, d2);
        addRecord(s, 0, d1);
        addRecord(s, 0, d3);
        addRecord(s, 3, d1);

        Packet bye(Packet::FLAG_NETWORK, 16);
        cmd = NetHost::CMD_DISCONNECT;
        bye.doDWORD(w);
        bye.doDWORD(cmd);
        uint32_t id = kPeerId;
        bye.doDWORD(id);
        addRecord(s, 0, bye);
        fuzz::writeSeed(dir + "/server-datagrams.bin", s);
    }
    // Mode 2: the client side, receiving spawns, copies and calls.
    {
        std::vector<uint8_t> s{0x02};
        Packet state(Packet::FLAG_NETWORK, 1024);
        uint8_t code = NetRole::SPAWNOBJ;
        state.doBits(code, 2);
        const RuntimeClass* cls = &FuzzThing::classRecord;
        state.doClassID(cls);
        code = NetRole::COPYOBJ;
        state.doBits(code, 2);
        int32_t uid = 11;
        state.doUInt(uid);
        THEROLE = scratch;
        scratch->findObject(11)->netSerialize(state);
        Packet d(Packet::FLAG_NETWORK, 2048);
        sequenced(d, 1, false, 0, 0, &state);
        addRecord(s, 0, d);
        Packet accept(Packet::FLAG_NETWORK, 256);
        uint32_t w = NetHost::SPECIAL, cmd = NetHost::CMD_REFUSE;
        accept.doDWORD(w);
        accept.doDWORD(cmd);
        WString text = u"Server is full.";
        accept.doUString(text, -1);
        addRecord(s, 0, accept);
        fuzz::writeSeed(dir + "/client-datagrams.bin", s);
    }
    // Mode 1: a level written as a full state.
    {
        THEROLE = scratch;
        static_cast<FuzzThing*>(scratch->findObject(10))->link = static_cast<FuzzThing*>(scratch->findObject(11));
        static_cast<FuzzThing*>(scratch->findObject(11))->name = u"thing";
        Packet level(5, 4096);
        scratch->writeFullState(&level);
        std::vector<uint8_t> s{0x01};
        s.insert(s.end(), level.data(), level.data() + level.length());
        fuzz::writeSeed(dir + "/level.bin", s);
    }
    THEROLE = nullptr;
    delete scratch;
    std::exit(0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    ZubNetwork::clockOverride = [] { return fakeNow; };
    (void)ZubNetwork::get();  // the process-wide service lives from here on
    if (const char* dir = std::getenv("ZUB_FUZZ_DATAGRAM_SEEDS")) writeSeeds(dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 20)) return 0;
    Logger::get().clearHistory();
    const std::unordered_set<ZubBase*> before = liveObjects();
    const uint8_t mode = data[0];
    if (!(mode & 1)) runDatagrams(mode, data + 1, size - 1);
    else runLevel(mode, data + 1, size - 1);
    if (THEROLE) std::abort();
    freeWhatTheRunLeft(before);
    if (ZubNetwork::get().emulatedQueueLength() != 0) {
        // Datagrams left for addresses nobody polls expire; clear them now.
        fakeNow += 2.0;
        uint8_t sink[16];
        int got = 0;
        NetAddress who;
        ZubNetwork::get().receiveEmulatedPacket(who, sink, sizeof sink, got, NetAddress::of(0, 0));
    }
    if (ZubBase::liveCount() != static_cast<int>(before.size())) std::abort();
    return 0;
}
