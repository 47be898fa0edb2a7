// What a server copes with, measured once per run (each case runs one
// iteration; the figures are the counters):
//
// - A first state of several megabytes sent to a client over real UDP
//   sockets on 127.0.0.1: seconds until the client holds every object, and
//   megabytes per second. "delivered" is 0 when the client never got it all.
//   The second argument 0 pumps both hosts as fast as they go; 1 runs them
//   as the game does, frames of 1/60 s with a network step every 0.05 s.
// - Four peers flooding a server with sequenced datagrams spread over the
//   whole sequence window, one case with data entries of 60 KB and one with
//   entries of a chunk: the server's resident memory before and after, in
//   megabytes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "net/NetConnection.h"
#include "net/NetRole.h"
#include "net/Node.h"
#include "net/Server.h"
#include "net/ZubNetwork.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/RuntimeClass.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/Settings.h"

namespace {

using benchsupport::memoryMB;

class LoadThing : public ZubBase {
    ZUB_DECLARE_CLASS(LoadThing)
public:
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyInt(u"count", 0, &count));
        c->add(new PropertyUString(u"text", 0, &text));
    }
    int32_t count = 0;
    WString text;
};

ZUB_IMPLEMENT_CLASS(LoadThing, ZubBase, 0x7e57f301u)

class LoadServer : public Server {
public:
    LoadServer() : Server(2, 4, u"Tumbrodemo", 1.25, u"Host") {}
    ZubBase* createRootObject() override { return new RootObject; }
};

void setUp() {
    static bool done = false;
    if (done) return;
    done = true;
    ErrorManager::bTestMode = true;
    Logger::get().setEcho(false);
    RuntimeClassManager::getInstance().buildClassArray();
}

void BM_FirstStateOverUdp(benchmark::State& state) {
    setUp();
    const int objects = static_cast<int>(state.range(0)) * 1000;  // about 1 KB each
    const bool gamePace = state.range(1) != 0;
    Settings settings;
    settings.setEmulateLocalhost(false);
    ZubNetwork network(&settings);
    for (auto _ : state) {
        state.PauseTiming();
        auto* server = new LoadServer;
        server->setConnection(new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 0)), true);
        server->start(nullptr);
        THEROLE = server;
        for (int i = 0; i < objects; ++i) {
            auto* t = new LoadThing;
            server->registerObject(t, 0);
            server->root->addChild(t);
            t->count = i;
            t->text = WString(1000, static_cast<char16_t>(u'a' + i % 26));
        }
        const int32_t last = server->nextObjectUID - 1;
        THEROLE = nullptr;
        auto* client = new NetRole(2, false, u"Tumbrodemo", 1.25, u"Anna");
        client->setConnection(new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 0)), true);
        state.ResumeTiming();

        const auto start = std::chrono::steady_clock::now();
        client->sendConnectRequest(server->connection->address);
        bool delivered = false;
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(120)) {
            for (NetRole* r : {static_cast<NetRole*>(server), client}) {
                if (gamePace) {
                    r->tick(0.0, 1.0 / 60.0);
                } else {
                    r->service();
                    r->flushOutgoing();
                }
            }
            auto* t = static_cast<LoadThing*>(client->findObjectOrNull(last));
            if (t && t->count == objects - 1) {
                delivered = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(gamePace ? 16667 : 200));
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        state.PauseTiming();
        std::vector<std::unique_ptr<Packet>> packets;
        const int bytes = server->writeFullStatePackets(packets, Packet::FLAG_NETWORK);
        state.counters["state_MB"] = bytes / 1e6;
        state.counters["seconds"] = seconds;
        state.counters["MB_per_s"] = delivered ? bytes / 1e6 / seconds : 0.0;
        state.counters["delivered"] = delivered ? 1 : 0;
        for (NetRole* r : {static_cast<NetRole*>(client), static_cast<NetRole*>(server)}) {
            std::vector<ZubBase*> loose;
            for (const auto& e : r->objectMap)
                if (!e.second->parent) loose.push_back(e.second);
            THEROLE = nullptr;
            delete r;
            for (ZubBase* o : loose) deleteObject(o);
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstStateOverUdp)
    ->Args({4, 0})
    ->Args({16, 0})
    ->Args({64, 0})
    ->Args({4, 1})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// A sequenced datagram from a peer: sequence, no acknowledgement, one data
// entry of `length` bytes.
std::unique_ptr<Packet> floodDatagram(uint32_t peer, int32_t sequence, int length, const NetAddress& from) {
    auto p = std::make_unique<Packet>(Packet::FLAG_NETWORK, length + 32);
    p->doDWORD(peer);
    p->doUInt(sequence);
    bool more = false, kind = true;
    p->doBool(more);
    int32_t ack = 0;
    p->doUInt(ack);
    p->doBool(kind);
    p->doUInt(length);
    std::vector<uint8_t> data(static_cast<size_t>(length), 0x5A);
    uint32_t crc = 0;
    {
        Packet c(0, length);
        c.writeBytes(data.data(), length);
        crc = c.crc32(0, length);
    }
    p->doDWORD(crc);
    p->writeBytes(data.data(), length);
    p->rewindToRead();
    p->setFromPeer();
    p->address = from;
    return p;
}

void BM_FloodedServerMemory(benchmark::State& state) {
    setUp();
    const int entry = static_cast<int>(state.range(0));
    ZubNetwork network(nullptr);
    for (auto _ : state) {
        auto* server = new LoadServer;
        server->setConnection(new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 0)), true);
        server->start(nullptr);
        const double before = memoryMB("VmRSS");
        uint32_t ids[4];
        NetAddress addresses[4];
        for (int k = 0; k < 4; ++k) {
            Packet from(Packet::FLAG_NETWORK, 4);
            addresses[k] = from.address = NetAddress::of(0x7F000002u + static_cast<uint32_t>(k), 40000);
            Node* n = server->addNode(u"flood", &from);
            ids[k] = n->id;
        }
        // Sequence 1 never comes: everything else waits for it.
        for (int32_t s = 2; s <= Node::SEQUENCE_WINDOW; ++s)
            for (int k = 0; k < 4; ++k) {
                auto p = floodDatagram(ids[k], s, entry, addresses[k]);
                server->dispatchPacket(p.get());
            }
        int held = 0;
        for (ZubBase* o = server->nodes.firstChild; o; o = o->nextSibling)
            held += static_cast<Node*>(o)->outOfOrderCount();
        state.counters["rss_before_MB"] = before;
        state.counters["rss_after_MB"] = memoryMB("VmRSS");
        state.counters["datagrams_held"] = held;
        THEROLE = nullptr;
        delete server;
    }
}
BENCHMARK(BM_FloodedServerMemory)->Arg(60000)->Arg(512)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
