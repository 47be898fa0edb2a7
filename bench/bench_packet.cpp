// Packet encoding and decoding of a whole object tree against memcpy and
// against Protocol Buffers.
//
// The tree: a root and 2000 registered objects under it, each with ten
// properties of its own (ints, an unsigned int, floats, a bool, a double, a
// string and a pointer to its next sibling) besides the four state values
// every object carries. Encoding writes the role's full state into a network
// packet; decoding reads COPYOBJ commands back into the same objects. Both
// report the time per property value and the ratio to a memcpy of the same
// number of bytes, measured in the same run. With Protocol Buffers present,
// BM_ProtobufFullState fills messages of the same tree
// (packet_baseline.proto), serialises, parses and applies them back to the
// objects; its ns_per_value compares with encode + decode together.
#include <benchmark/benchmark.h>
#include "MemcpyBaseline.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "net/NetRole.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/RuntimeClass.h"
#include "object/ZubBase.h"
#include "sys/ErrorManager.h"
#include "util/Format.h"

#ifdef ZUB_BASELINE_PROTOBUF
#include "packet_baseline.pb.h"
#endif

namespace {

constexpr int kObjects = 2000;

class BenchObject : public ZubBase {
    ZUB_DECLARE_CLASS(BenchObject)
public:
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyInt(u"hp", 0, &hp));
        c->add(new PropertyInt(u"score", 0, &score));
        c->add(new PropertyInt(u"mask", PROP_UNSIGNED, &mask));
        c->add(new PropertyFloat(u"x", 0, &x));
        c->add(new PropertyFloat(u"y", 0, &y));
        c->add(new PropertyFloat(u"angle", 0, &angle));
        c->add(new PropertyBool(u"bAlive", 0, &bAlive));
        c->add(new PropertyDouble(u"timer", 0, &timer));
        c->add(new PropertyUString(u"name", 0, &name, 64));
        c->add(new PropertyPointer(u"sibling", 0, &sibling, &ZubBase::classRecord));
    }

    int32_t hp = 0;
    int32_t score = 0;
    int32_t mask = 0;
    float x = 0.0f;
    float y = 0.0f;
    float angle = 0.0f;
    bool bAlive = false;
    double timer = 0.0;
    WString name;
    ZubBase* sibling = nullptr;
};

ZUB_IMPLEMENT_CLASS(BenchObject, ZubBase, 0x7e57be01u)

// Property values one object writes into a network packet.
int valuesPerObject(ZubBase* o, const Packet& network) {
    PropertyContainer* c = o->createPropertyContainer();
    int n = 0;
    struct Walk {
        static void leaves(const Property* p, const Packet& pk, int& count) {
            for (ZubBase* z = p->firstChild; z; z = z->nextSibling) {
                const Property* q = static_cast<const Property*>(z);
                if (q->isExcludedFrom(pk)) continue;
                if (q->firstChild) leaves(q, pk, count);
                else ++count;
            }
        }
    };
    Walk::leaves(c, network, n);
    deleteObject(c);
    return n;
}

struct Tree {
    NetRole* role = nullptr;
    RootObject* root = nullptr;
    std::vector<BenchObject*> objects;
    int values = 0;  // property values in one full state

    Tree() {
        ErrorManager::bTestMode = true;
        RuntimeClassManager::getInstance().buildClassArray();
        role = new NetRole;
        root = new RootObject;
        role->registerObject(root, 1);
        for (int i = 0; i < kObjects; ++i) {
            BenchObject* o = new BenchObject;
            role->registerObject(o, 0);
            root->addChild(o);
            o->hp = i % 100;
            o->score = i * 1237;
            o->mask = 0x40000 + i;
            o->x = static_cast<float>(i) * 0.5f;
            o->y = -static_cast<float>(i % 300) * 1.25f;
            o->angle = static_cast<float>(i % 628) / 100.0f;
            o->bAlive = (i % 3) != 0;
            o->timer = i * 0.01;
            o->name = formatString(u"object %d", i);
            o->gotoState(i % 5, 0.0);
            objects.push_back(o);
        }
        for (int i = 0; i < kObjects; ++i) objects[i]->sibling = objects[(i + 1) % kObjects];
        role->outgoing->reset();
        Packet network(Packet::FLAG_NETWORK, 16);
        values = valuesPerObject(root, network) + kObjects * valuesPerObject(objects[0], network);
    }
    ~Tree() { delete role; }
};

Tree& tree() {
    static Tree t;
    THEROLE = t.role;
    return t;
}

void reportCounters(benchmark::State& state, int bytes, int values, double loopNs) {
    const double perIteration = loopNs / static_cast<double>(state.iterations());
    const double baseline = memcpyNanoseconds(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.counters["bytes"] = benchmark::Counter(bytes);
    state.counters["values"] = benchmark::Counter(values);
    state.counters["values_per_s"] = benchmark::Counter(values, benchmark::Counter::kIsIterationInvariantRate);
    // Wall time of the whole loop per value, averaged over the iterations.
    state.counters["ns_per_value"] = benchmark::Counter(loopNs / values, benchmark::Counter::kAvgIterations);
    // The same from the CPU time, which a busy machine disturbs less: seconds
    // per value (printed with a prefix, e.g. "3.4ns").
    state.counters["cpu_per_value"] =
        benchmark::Counter(values, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["memcpy_ns"] = benchmark::Counter(baseline);
    state.counters["x_memcpy"] = benchmark::Counter(perIteration / baseline);
}

void BM_EncodeFullState(benchmark::State& state) {
    Tree& t = tree();
    Packet p(Packet::FLAG_NETWORK);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (auto _ : state) {
        p.reset();
        t.role->writeFullState(&p);
        benchmark::DoNotOptimize(p.data());
    }
    const double loopNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    if (p.failed()) state.SkipWithError("encoding failed");
    reportCounters(state, p.length(), t.values, loopNs);
}
BENCHMARK(BM_EncodeFullState)->Unit(benchmark::kMicrosecond);

// COPYOBJ commands of every object, as a reading packet.
std::unique_ptr<Packet> copyCommands(Tree& t) {
    Packet w(Packet::FLAG_NETWORK);
    std::vector<ZubBase*> all;
    all.push_back(t.root);
    all.insert(all.end(), t.objects.begin(), t.objects.end());
    for (ZubBase* o : all) {
        uint8_t code = NetRole::COPYOBJ;
        w.doBits(code, 2);
        int32_t uid = o->objectUID;
        w.doUInt(uid);
        o->netSerialize(w);
    }
    auto r = std::make_unique<Packet>(Packet::FLAG_NETWORK, w.length());
    r->writeBytes(w.data(), w.length());
    r->rewindToRead();
    return r;
}

void BM_DecodeCopyObj(benchmark::State& state) {
    Tree& t = tree();
    std::unique_ptr<Packet> p = copyCommands(t);
    const Packet::Mark start = p->mark();
    bool ok = true;
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    for (auto _ : state) {
        p->restore(start);
        ok &= t.role->processPacket(*p);
    }
    const double loopNs = std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
    if (!ok || !p->atEnd()) state.SkipWithError("decoding failed");
    if (t.objects[7]->score != 7 * 1237 || t.objects[7]->sibling != t.objects[8]) state.SkipWithError("wrong values");
    reportCounters(state, p->length(), t.values, loopNs);
}
BENCHMARK(BM_DecodeCopyObj)->Unit(benchmark::kMicrosecond);

#ifdef ZUB_BASELINE_PROTOBUF
// Text conversions as a careful user of the library would write them: ASCII
// straight through, everything else by the engine's converters.
void toUtf8(const WString& w, std::string& out) {
    out.resize(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        if (w[i] >= 0x80) {
            out = wideToNarrow(w);
            return;
        }
        out[i] = static_cast<char>(w[i]);
    }
}

void toUtf16(const std::string& s, WString& out) {
    out.resize(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80 || c == 0) {
            out = narrowToWide(s);
            return;
        }
        out[i] = c;
    }
}

void fillProto(Tree& t, zub_bench::BenchState& m) {
    zub_bench::BenchRoot* r = m.mutable_root();
    r->set_state(t.root->state);
    r->set_time_in_state(static_cast<float>(t.root->timeInState));
    r->set_state_left(static_cast<float>(t.root->stateLeft));
    r->set_state_goto(t.root->stateGoto);
    r->set_next_object_uid(static_cast<uint32_t>(t.role->nextObjectUID));
    r->clear_children();
    for (ZubBase* c = t.root->firstChild; c; c = c->nextSibling)
        if (c->objectUID > 0) r->add_children(static_cast<uint32_t>(c->objectUID));
    // Reused messages keep their elements and strings, as in a real sender.
    auto* objects = m.mutable_objects();
    while (objects->size() > static_cast<int>(t.objects.size())) objects->RemoveLast();
    for (size_t i = 0; i < t.objects.size(); ++i) {
        const BenchObject* o = t.objects[i];
        zub_bench::BenchObject* e =
            static_cast<int>(i) < objects->size() ? objects->Mutable(static_cast<int>(i)) : objects->Add();
        e->set_uid(static_cast<uint32_t>(o->objectUID));
        e->set_state(o->state);
        e->set_time_in_state(static_cast<float>(o->timeInState));
        e->set_state_left(static_cast<float>(o->stateLeft));
        e->set_state_goto(o->stateGoto);
        e->set_hp(o->hp);
        e->set_score(o->score);
        e->set_mask(static_cast<uint32_t>(o->mask));
        e->set_x(o->x);
        e->set_y(o->y);
        e->set_angle(o->angle);
        e->set_alive(o->bAlive);
        e->set_timer(static_cast<float>(o->timer));
        toUtf8(o->name, *e->mutable_name());
        e->set_sibling(o->sibling ? static_cast<uint32_t>(o->sibling->objectUID) : 0u);
    }
}

double finite(float f) { return std::isfinite(f) ? f : 0.0; }

bool applyProto(Tree& t, const zub_bench::BenchState& m) {
    NetRole* role = t.role;
    const zub_bench::BenchRoot& r = m.root();
    t.root->state = r.state();
    t.root->timeInState = finite(r.time_in_state());
    t.root->stateLeft = finite(r.state_left());
    t.root->stateGoto = r.state_goto();
    role->nextObjectUID = static_cast<int32_t>(r.next_object_uid());
    for (uint32_t uid : r.children()) {
        ZubBase* c = role->findObjectOrNull(static_cast<int32_t>(uid));
        if (!c) return false;
        if (c->parent != t.root) t.root->addChild(c);
    }
    for (const zub_bench::BenchObject& e : m.objects()) {
        ZubBase* z = role->findObjectOrNull(static_cast<int32_t>(e.uid()));
        if (!z || z->getClass() != &BenchObject::classRecord) return false;
        BenchObject* o = static_cast<BenchObject*>(z);
        o->state = e.state();
        o->timeInState = finite(e.time_in_state());
        o->stateLeft = finite(e.state_left());
        o->stateGoto = e.state_goto();
        o->hp = e.hp();
        o->score = e.score();
        o->mask = static_cast<int32_t>(e.mask());
        o->x = e.x();
        o->y = e.y();
        o->angle = e.angle();
        o->bAlive = e.alive();
        o->timer = finite(e.timer());
        toUtf16(e.name(), o->name);
        ZubBase* s = e.sibling() ? role->findObjectOrNull(static_cast<int32_t>(e.sibling())) : nullptr;
        if (e.sibling() && !s) return false;
        o->sibling = s;
    }
    return true;
}

void BM_ProtobufFullState(benchmark::State& state) {
    Tree& t = tree();
    zub_bench::BenchState out, in;
    std::vector<uint8_t> bytes(Packet::DEFAULT_CAPACITY * 4);
    int size = 0;
    bool ok = true;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (auto _ : state) {
        fillProto(t, out);
        size = static_cast<int>(out.ByteSizeLong());
        ok &= size <= static_cast<int>(bytes.size()) && out.SerializeToArray(bytes.data(), size);
        ok &= in.ParseFromArray(bytes.data(), size);
        ok &= applyProto(t, in);
    }
    const double loopNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    if (!ok) state.SkipWithError("protobuf round trip failed");
    if (t.objects[7]->score != 7 * 1237 || t.objects[7]->sibling != t.objects[8]) state.SkipWithError("wrong values");
    reportCounters(state, size, t.values, loopNs);
}
BENCHMARK(BM_ProtobufFullState)->Unit(benchmark::kMicrosecond);
#endif

void BM_MemcpyFullStateBytes(benchmark::State& state) {
    Tree& t = tree();
    Packet p(Packet::FLAG_NETWORK);
    t.role->writeFullState(&p);
    const size_t n = static_cast<size_t>(p.length());
    std::vector<uint8_t> src(p.data(), p.data() + n), dst(n);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), n);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    const double loopNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(n));
    state.counters["bytes"] = benchmark::Counter(static_cast<double>(n));
    state.counters["ns_per_value"] = benchmark::Counter(loopNs / t.values, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_MemcpyFullStateBytes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
