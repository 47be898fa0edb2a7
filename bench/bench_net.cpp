// Network replication costs, measured in one run:
//
// - The full state a server writes for a connecting peer, for 500 and 5000
//   registered objects (typical game objects: a position, a few numbers, a
//   flag, a timer, a name and a reference): time per write as a share of the
//   0.05 s network period, and the ratio to a memcpy of the same bytes.
// - Datagrams per second between a server and a client over real UDP
//   sockets on 127.0.0.1 with the reliability layer on: each round the server
//   sends a state of remote calls (one sequenced datagram with a checksum),
//   the client receives, reassembles and runs it and answers with its own
//   state (the acknowledgement); the server takes the acknowledgement. The
//   baseline is a plain ping-pong of datagrams of the same sizes between two
//   sockets, measured in the same run.
// - What a connect request from a forged address costs the server, against a
//   plain send of its answer.
#include <benchmark/benchmark.h>
#include "MemcpyBaseline.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "net/NetConnection.h"
#include "net/NetRole.h"
#include "net/Node.h"
#include "net/Server.h"
#include "net/ZubNetwork.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/RPC.h"
#include "object/RuntimeClass.h"
#include "object/ZubBase.h"
#include "platform/UdpSocket.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/Settings.h"
#include "util/Format.h"

namespace {

constexpr double kPeriod = 0.05;

class GameThing : public ZubBase {
    ZUB_DECLARE_CLASS(GameThing)
public:
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyFloat(u"x", 0, &x));
        c->add(new PropertyFloat(u"y", 0, &y));
        c->add(new PropertyFloat(u"angle", 0, &angle));
        c->add(new PropertyInt(u"hp", 0, &hp));
        c->add(new PropertyInt(u"kind", 0, &kind));
        c->add(new PropertyBool(u"bActive", 0, &bActive));
        c->add(new PropertyDouble(u"timer", 0, &timer));
        c->add(new PropertyUString(u"name", 0, &name, 32));
        c->add(new PropertyPointer(u"target", 0, &target, &ZubBase::classRecord));
    }
    float x = 0, y = 0, angle = 0;
    int32_t hp = 0, kind = 0;
    bool bActive = false;
    double timer = 0;
    WString name;
    ZubBase* target = nullptr;
};

// A remote call that does nothing: the client only decodes and runs it.
class NoOpRPC : public RPC {
    ZUB_DECLARE_CLASS(NoOpRPC)
public:
    NoOpRPC() : RPC(RPC_CLIENTS_ONLY) {}
    void addPropertiesTo(Property* c) override {
        c->add(new PropertyInt(u"", PROP_ARGUMENT, &a));
        c->add(new PropertyFloat(u"", PROP_ARGUMENT, &b));
    }
    int32_t a = 0;
    float b = 0;
};

ZUB_IMPLEMENT_CLASS(GameThing, ZubBase, 0x7e57be11u)
ZUB_IMPLEMENT_CLASS(NoOpRPC, RPC, 0x7e57be12u)

class BenchServer : public Server {
public:
    BenchServer() : Server(2, 4, u"Tumbrodemo", 1.25, u"Host") {}
    ZubBase* createRootObject() override { return new RootObject; }
};

void setUp() {
    static bool done = false;
    if (done) return;
    done = true;
    ErrorManager::bTestMode = true;
    RuntimeClassManager::getInstance().buildClassArray();
}

// ---------------------------------------------------------------------------
// Full state

void BM_FullStatePerStep(benchmark::State& state) {
    setUp();
    const int objects = static_cast<int>(state.range(0));
    BenchServer* server = new BenchServer;
    server->setConnection(new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 0)), true);
    server->start(nullptr);
    std::vector<GameThing*> things;
    for (int i = 0; i < objects; ++i) {
        auto* t = new GameThing;
        server->registerObject(t, 0);
        server->root->addChild(t);
        t->x = static_cast<float>(i % 2000) * 1.5f;
        t->y = static_cast<float>(i % 700) * -0.75f;
        t->angle = static_cast<float>(i % 628) / 100.0f;
        t->hp = i % 100;
        t->kind = i % 17;
        t->bActive = i % 3 != 0;
        t->timer = i * 0.01;
        t->name = formatString(u"thing %d", i);
        things.push_back(t);
    }
    for (int i = 0; i < objects; ++i) things[i]->target = things[(i * 7 + 1) % objects];
    server->outgoing->reset();

    int bytes = 0;
    size_t packets = 0;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (auto _ : state) {
        std::vector<std::unique_ptr<Packet>> out;
        bytes = server->writeFullStatePackets(out, Packet::FLAG_NETWORK);
        packets = out.size();
        benchmark::DoNotOptimize(out.front()->data());
    }
    const double loopNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    const double perWriteNs = loopNs / static_cast<double>(state.iterations());
    const double baseline = memcpyNanoseconds(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.counters["objects"] = objects + 1;
    state.counters["bytes"] = bytes;
    state.counters["packets"] = static_cast<double>(packets);
    state.counters["period_share_pct"] = 100.0 * perWriteNs * 1e-9 / kPeriod;
    state.counters["memcpy_ns"] = baseline;
    state.counters["x_memcpy"] = perWriteNs / baseline;
    delete server;
}
BENCHMARK(BM_FullStatePerStep)->Arg(500)->Arg(5000)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------
// Datagrams over loopback

struct LoopbackPair {
    Settings settings;
    std::unique_ptr<ZubNetwork> network;
    BenchServer* server = nullptr;
    NetRole* client = nullptr;
    bool ok = false;

    LoopbackPair() {
        setUp();
        settings.setEmulateLocalhost(false);
        network = std::make_unique<ZubNetwork>(&settings);
        server = new BenchServer;
        server->setConnection(new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 0)), true);
        server->start(nullptr);
        client = new NetRole(2, false, u"Tumbrodemo", 1.25, u"Bench");
        client->setConnection(new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 0)), true);
        client->sendConnectRequest(server->connection->address);
        for (int i = 0; i < 20000 && !(client->nodeCount() == 1 && client->root); ++i) {
            server->service();
            server->flushOutgoing();
            client->service();
            client->flushOutgoing();
        }
        ok = client->nodeCount() == 1 && server->nodeCount() == 1;
    }
    ~LoopbackPair() {
        delete client;
        delete server;
    }
};

void BM_LoopbackDatagramsReliable(benchmark::State& state) {
    LoopbackPair pair;
    if (!pair.ok) {
        state.SkipWithError("no connection over 127.0.0.1");
        return;
    }
    BenchServer& server = *pair.server;
    NetRole& client = *pair.client;
    Node* toClient = static_cast<Node*>(server.nodes.firstChild);
    Node* toServer = static_cast<Node*>(client.nodes.firstChild);

    // One state of calls: about 300 bytes, one datagram.
    Packet calls(Packet::FLAG_NETWORK, 4096);
    THEROLE = &server;
    server.outgoing->reset();
    for (int i = 0; i < 40; ++i) {
        NoOpRPC r;
        r.target = server.root;
        r.a = i * 1000;
        r.b = 0.25f * static_cast<float>(i);
        server.sendRPC(&r);
    }
    server.outgoing->append(calls);
    server.outgoing->reset();
    THEROLE = nullptr;
    const int stateBytes = calls.length();

    const int32_t deliveredBefore = toServer->sequenceIn;
    bool stalled = false;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (auto _ : state) {
        server.sendState(&calls, toClient);
        const int32_t sent = static_cast<int32_t>(toClient->sequenceOut);
        for (long spin = 0; toServer->sequenceIn < sent; ++spin) {
            if (spin > 50000000L) {
                stalled = true;
                break;
            }
            client.service();
        }
        client.flushOutgoing();
        for (long spin = 0; toClient->ackIn < sent; ++spin) {
            if (spin > 50000000L) {
                stalled = true;
                break;
            }
            server.service();
        }
        if (stalled) {
            state.SkipWithError("a datagram went missing on loopback");
            break;
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (stalled) return;
    const double datagrams = 2.0 * static_cast<double>(state.iterations());
    state.SetItemsProcessed(static_cast<int64_t>(datagrams));
    state.counters["datagrams_per_s"] = datagrams / seconds;
    state.counters["state_bytes"] = stateBytes;
    state.counters["states_delivered"] = toServer->sequenceIn - deliveredBefore;

    // Baseline: the same exchange as plain datagrams between two sockets.
    platform::UdpSocket a, b;
    a.open(NetAddress::LOOPBACK, 0, 262144);
    b.open(NetAddress::LOOPBACK, 0, 262144);
    uint32_t ipA = 0, ipB = 0;
    uint16_t portA = 0, portB = 0;
    a.localAddress(ipA, portA);
    b.localAddress(ipB, portB);
    std::vector<uint8_t> big(static_cast<size_t>(stateBytes + 16), 0x33), small(16, 0x44), buffer(65536);
    const long rounds = static_cast<long>(state.iterations());
    const auto t0 = Clock::now();
    for (long i = 0; i < rounds; ++i) {
        int error = 0, length = 0;
        uint32_t ip = 0;
        uint16_t port = 0;
        bool truncated = false;
        a.sendTo(big.data(), static_cast<int>(big.size()), ipB, portB, error);
        while (b.receiveFrom(buffer.data(), static_cast<int>(buffer.size()), length, ip, port, error, truncated) !=
               platform::UdpSocket::Receive::Datagram) {}
        b.sendTo(small.data(), static_cast<int>(small.size()), ipA, portA, error);
        while (a.receiveFrom(buffer.data(), static_cast<int>(buffer.size()), length, ip, port, error, truncated) !=
               platform::UdpSocket::Receive::Datagram) {}
    }
    const double baselineSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const double baselineRate = 2.0 * static_cast<double>(rounds) / baselineSeconds;
    state.counters["raw_datagrams_per_s"] = baselineRate;
    state.counters["x_raw"] = (datagrams / seconds) / baselineRate;
}
BENCHMARK(BM_LoopbackDatagramsReliable)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// ---------------------------------------------------------------------------
// Forged connect requests

// What a connect request from a forged address costs the server over real
// UDP: reading it, the node id drawn from its address, and the accept sent
// back (to 32 sockets on other loopback addresses that never answer). The
// baseline is a plain send of a datagram of the accept's size to the same
// addresses; flood_share_pct is the share of the server's time a flood of
// 1000 requests a second takes.
void BM_ForgedConnectRequest(benchmark::State& state) {
    setUp();
    Settings settings;
    settings.setEmulateLocalhost(false);
    ZubNetwork network(&settings);
    BenchServer* server = new BenchServer;
    server->setConnection(new NetConnection(NetAddress::of(NetAddress::LOOPBACK, 0)), true);
    server->start(nullptr);
    std::vector<std::unique_ptr<platform::UdpSocket>> sinks;
    std::vector<NetAddress> forged;
    for (uint32_t ip = NetAddress::LOOPBACK + 1; ip <= NetAddress::LOOPBACK + 32; ++ip) {
        sinks.push_back(std::make_unique<platform::UdpSocket>());
        uint16_t port = 0;
        uint32_t bound = 0;
        if (!sinks.back()->open(ip, 0, 262144).ok || !sinks.back()->localAddress(bound, port)) {
            state.SkipWithError("cannot bind on the loopback addresses");
            delete server;
            return;
        }
        forged.push_back(NetAddress::of(ip, port));
    }
    // The request, as the connection hands it out.
    Packet request(Packet::FLAG_NETWORK, 256);
    request.setFromPeer();
    uint32_t word = NetHost::SPECIAL, command = NetHost::CMD_CONNECT;
    WString product = u"Tumbrodemo", name = u"Mallory";
    double version = 1.25;
    request.doDWORD(word);
    request.doDWORD(command);
    request.doUString(product, -1);
    request.doDouble(version);
    request.doUString(name, -1);
    const std::vector<uint8_t> bytes(request.data(), request.data() + request.length());
    Packet in(Packet::FLAG_NETWORK, 256);
    std::vector<uint8_t> buffer(2048);
    int acceptBytes = 0;
    auto drain = [&] {
        int length = 0, error = 0;
        uint32_t ip = 0;
        uint16_t port = 0;
        bool cut = false;
        for (auto& s : sinks)
            while (s->receiveFrom(buffer.data(), static_cast<int>(buffer.size()), length, ip, port, error, cut) ==
                   platform::UdpSocket::Receive::Datagram)
                acceptBytes = length;
    };

    using Clock = std::chrono::steady_clock;
    size_t k = 0;
    const auto start = Clock::now();
    for (auto _ : state) {
        std::memcpy(in.receiveBuffer(), bytes.data(), bytes.size());
        in.received(static_cast<int>(bytes.size()));
        in.address = forged[k++ % forged.size()];
        server->dispatchPacket(&in);
        if (k % 4096 == 0) {
            state.PauseTiming();
            drain();
            server->service();  // the per-step log budget
            state.ResumeTiming();
        }
    }
    const double loopNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    const double perRequestNs = loopNs / static_cast<double>(state.iterations());
    drain();
    if (server->nodeCount() != 0) state.SkipWithError("a forged request made a node");

    // Baseline: plain sends of the accept's size to the same addresses.
    platform::UdpSocket raw;
    raw.open(NetAddress::LOOPBACK, 0, 262144);
    const std::vector<uint8_t> accept(static_cast<size_t>(acceptBytes > 0 ? acceptBytes : 32), 0x21);
    const long rounds = static_cast<long>(state.iterations());
    const auto t0 = Clock::now();
    for (long i = 0; i < rounds; ++i) {
        int error = 0;
        const NetAddress& to = forged[static_cast<size_t>(i) % forged.size()];
        raw.sendTo(accept.data(), static_cast<int>(accept.size()), to.ip, to.port, error);
        if (i % 4096 == 4095) drain();
    }
    const double rawNs =
        std::chrono::duration<double, std::nano>(Clock::now() - t0).count() / static_cast<double>(rounds);
    drain();
    state.counters["request_ns"] = perRequestNs;
    state.counters["accept_bytes"] = acceptBytes;
    state.counters["raw_send_ns"] = rawNs;
    state.counters["x_raw_send"] = perRequestNs / rawNs;
    state.counters["flood_share_pct"] = 100.0 * perRequestNs * 1e-9 * 1000.0;
    delete server;
}
BENCHMARK(BM_ForgedConnectRequest)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
