#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "net/NetRole.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/ResourceManager.h"
#include "object/SerialPlan.h"
#include "sys/ErrorManager.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const Packet& p) { return Bytes(p.data(), p.data() + p.length()); }

std::unique_ptr<Packet> readerOf(const Bytes& b, uint32_t flags) {
    auto r = std::make_unique<Packet>(flags, static_cast<int>(b.size()));
    r->writeBytes(b.data(), static_cast<int>(b.size()));
    r->rewindToRead();
    r->setFromPeer();
    return r;
}

struct Deleter {
    void operator()(ZubBase* o) const { deleteObject(o); }
};
using Owned = std::unique_ptr<ZubBase, Deleter>;

class SerialPlans : public ::testing::Test {
protected:
    void SetUp() override {
        ErrorManager::bTestMode = true;
        RuntimeClassManager::getInstance().buildClassArray();
        role = std::make_unique<NetRole>();
    }

    // Gives every editable leaf under the group a value other than its
    // default, through the editor's text forms; pointers name `target`, or a
    // resource of their class.
    void change(Property* group, ZubBase* target) {
        for (ZubBase* z = group->firstChild; z; z = z->nextSibling) {
            auto* q = static_cast<Property*>(z);
            if (q->flags & PROP_READONLY || dynamic_cast<PropertyRPCBase*>(q)) continue;
            if (q->firstChild) change(q, target);
            else if (auto* b = dynamic_cast<PropertyBool*>(q)) b->set(!b->get());
            else if (auto* e = dynamic_cast<PropertyEnumBase*>(q)) e->fromString(e->count > 1 ? u"1" : u"0");
            else if (auto* r = dynamic_cast<PropertyPointer*>(q))
                r->setObject((q->flags & PROP_RESOURCE) ? resourceOf(r->required) : target);
            else if (dynamic_cast<PropertyReferenceBase*>(q)) q->setObject(target);
            else if (dynamic_cast<PropertyUString*>(q)) q->fromString(u"Gr\u00fcn 7");
            else if (dynamic_cast<PropertyDWORD*>(q)) q->fromString(u"c0ffee42");
            else if (dynamic_cast<PropertyFloat*>(q) || dynamic_cast<PropertyDouble*>(q)) q->fromString(u"-2.75");
            else q->fromString((q->flags & PROP_UNSIGNED) ? u"300" : u"3");
        }
    }

    ZubBase* resourceOf(const RuntimeClass* c) {
        if (!c || !c->createFn) return nullptr;
        auto* r = static_cast<ZubBase*>(c->create());
        made.emplace_back(r);
        resources.addResource(formatString(u"sweep:%d", static_cast<int>(made.size())), r);
        return r;
    }

    std::unique_ptr<NetRole> role;
    ResourceManager resources;
    std::vector<Owned> made;
};

int32_t sharedCounter = 0;

class BoundOutside : public ZubBase {
    ZUB_DECLARE_CLASS(BoundOutside)
public:
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyInt(u"own", 0, &own));
        c->add(new PropertyInt(u"shared", 0, &sharedCounter));
    }
    int32_t own = 0;
};
ZUB_IMPLEMENT_CLASS(BoundOutside, ZubBase, 0x5a3c0101)

// Writes the body of o with its plan and with its property tree in every kind
// of packet: the bytes must agree, reading them through the plan must give
// an object that writes them again, and a truncated body must leave both
// readers in the same state.
void comparePaths(ZubBase* o, const std::function<Owned()>& fresh) {
    const SerialPlan* plan = SerialPlan::of(o);
    ASSERT_NE(plan, nullptr);
    for (uint32_t flags = 0; flags < 8; ++flags) {
        Packet byTree(flags), byPlan(flags);
        SerialPlan::serializeByTree(o, byTree);
        plan->run(o, byPlan);
        const Bytes bytes = bytesOf(byTree);
        ASSERT_EQ(bytesOf(byPlan), bytes) << "flags " << flags;
        ObjectPacket copyByTree(flags), copyByPlan(flags);  // objects written inline, by number
        SerialPlan::serializeByTree(o, copyByTree);
        plan->run(o, copyByPlan);
        ASSERT_EQ(bytesOf(copyByPlan), bytesOf(copyByTree)) << "flags " << flags;

        Owned copy = fresh();
        auto r = readerOf(bytes, flags);
        plan->run(copy.get(), *r);
        EXPECT_FALSE(r->failed()) << wideToNarrow(r->errorText());
        EXPECT_TRUE(r->atEnd());
        Packet again(flags);
        SerialPlan::serializeByTree(copy.get(), again);
        EXPECT_EQ(bytesOf(again), bytes) << "flags " << flags;
        if (flags != Packet::FLAG_NETWORK) continue;
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            Owned a = fresh(), b = fresh();
            const Bytes part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
            auto ra = readerOf(part, flags), rb = readerOf(part, flags);
            plan->run(a.get(), *ra);
            SerialPlan::serializeByTree(b.get(), *rb);
            ASSERT_EQ(ra->failed(), rb->failed()) << cut;
            ASSERT_EQ(ra->position(), rb->position()) << cut;
            Packet wa(flags), wb(flags);
            SerialPlan::serializeByTree(a.get(), wa);
            SerialPlan::serializeByTree(b.get(), wb);
            ASSERT_EQ(bytesOf(wa), bytesOf(wb)) << cut;
        }
    }
}

TEST_F(SerialPlans, EveryClassWritesAndReadsWhatItsPropertyTreeDoes) {
    int planned = 0;
    for (const RuntimeClass* c : RuntimeClassManager::getInstance().classArray) {
        if (!c->createFn || !c->isDerivedFrom(&ZubBase::classRecord)) continue;
        SCOPED_TRACE(c->getTypeName());
        auto make = [c] { return Owned(static_cast<ZubBase*>(c->create())); };
        Owned o = make();
        role->registerObject(o.get(), 0);
        if (!SerialPlan::of(o.get())) {
            // Only classes that declare varying properties keep their trees
            // (and the class below bound to a global).
            bool vary = c == &BoundOutside::classRecord;
            for (const RuntimeClass* r = c; r; r = r->parent) vary |= r->bPropertiesVary;
            EXPECT_TRUE(vary);
            role->unregisterObject(o.get());
            continue;
        }
        ++planned;
        comparePaths(o.get(), make);
        std::unique_ptr<PropertyContainer> props(o->createPropertyContainer());
        change(props.get(), o.get());
        comparePaths(o.get(), make);
        role->unregisterObject(o.get());
    }
    EXPECT_GT(planned, 20);
}

// A type without a class record of its own: its size is unknown.
class Unrecorded : public ZubBasePointer {
public:
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBasePointer::addPropertiesTo(c);
        c->add(new PropertyInt(u"extra", 0, &extra));
    }
    int32_t extra = 0;
};

TEST_F(SerialPlans, ObjectsAPlanCannotDescribeKeepTheirPropertyTrees) {
    BoundOutside a, b;
    Unrecorded u, v;
    RootObject root;
    EXPECT_EQ(SerialPlan::of(&a), nullptr);
    EXPECT_NE(BoundOutside::classRecord.plan.load()->fallbackReason().find(u"outside"), WString::npos);
    EXPECT_EQ(SerialPlan::of(&u), nullptr);
    EXPECT_EQ(SerialPlan::of(&root), nullptr);  // its counter is the current role's

    a.own = 5;
    sharedCounter = 9;
    u.extra = 7;
    Packet p(Packet::FLAG_NETWORK);
    a.netSerialize(p);
    u.netSerialize(p);
    sharedCounter = 0;
    auto r = readerOf(bytesOf(p), Packet::FLAG_NETWORK);
    b.netSerialize(*r);
    v.netSerialize(*r);
    EXPECT_FALSE(r->failed());
    EXPECT_EQ(b.own, 5);
    EXPECT_EQ(sharedCounter, 9);
    EXPECT_EQ(v.extra, 7);
}

// The packet's inline fast paths against its checked paths: a value written
// with room to spare and into a packet of exactly its size, and read back
// from its bytes with and without room to spare, and from one byte less.
template <class T, class Op>
void pathsAgree(T value, Op op) {
    Packet roomy(0);
    T w = value;
    op(roomy, w);
    const Bytes bytes = bytesOf(roomy);
    Packet tight(0, static_cast<int>(bytes.size()));
    T x = value;
    op(tight, x);
    ASSERT_EQ(bytesOf(tight), bytes);
    Bytes padded = bytes;
    padded.resize(bytes.size() + 8);
    auto fast = readerOf(padded, 0), slow = readerOf(bytes, 0);
    T a{}, b{};
    op(*fast, a);
    op(*slow, b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(fast->position(), slow->position());
    EXPECT_FALSE(slow->failed());
    auto cut = readerOf(Bytes(bytes.begin(), bytes.end() - 1), 0);
    T c{};
    op(*cut, c);
    EXPECT_TRUE(cut->failed());
}

TEST(PacketValues, FastAndCheckedPathsAgree) {
    ErrorManager::bTestMode = true;
    std::mt19937 rng(7);
    std::vector<int32_t> ints = {0, 1, -1, 63, 64, -64, 8191, 8192, INT32_MAX, INT32_MIN, -INT32_MAX};
    for (int k = 0; k < 200; ++k) ints.push_back(static_cast<int32_t>(rng()) >> (rng() % 31));
    for (int32_t i : ints) {
        pathsAgree(i, [](Packet& p, int32_t& v) { p.doInt(v); });
        pathsAgree(i & INT32_MAX, [](Packet& p, int32_t& v) { p.doUInt(v); });
        pathsAgree(static_cast<uint32_t>(i), [](Packet& p, uint32_t& v) { p.doUInt(v); });
        pathsAgree(static_cast<uint32_t>(i), [](Packet& p, uint32_t& v) { p.doDWORD(v); });
        const float f = static_cast<float>(i) / static_cast<float>(1 + rng() % 5000);
        pathsAgree(f, [](Packet& p, float& v) { p.doFloat16(v); });
        pathsAgree(static_cast<double>(f), [](Packet& p, double& v) { p.doDouble(v); });
    }
    for (float f : {0.0f, -0.0f, 1e-9f, -1e9f, 65504.0f, NAN, INFINITY, 3.1e-5f}) {
        pathsAgree(f, [](Packet& p, float& v) { p.doFloat16(v); });
        pathsAgree(static_cast<double>(f), [](Packet& p, double& v) { p.doDouble(v); });
    }
    for (const WString& s : {WString(u"plain"), WString(u"Gr\u00fcn"), WString(127, u'x'), WString(128, u'y')})
        pathsAgree(s, [](Packet& p, WString& v) { p.doUString(v); });

    // Numbers at the edge of their encodings, read with and without room to
    // spare: the same verdict either way.
    struct Case {
        Bytes bytes;
        int kind;  // 0 doInt, 1 doUInt(int32_t), 2 doUInt(uint32_t)
        bool ok;
        int64_t value;
    };
    const Case cases[] = {
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, 2, true, 0xFFFFFFFF}, {{0x80, 0x80, 0x80, 0x80, 0x10}, 2, false, 0},
        {{0x80, 0x80, 0x80, 0x80, 0x80, 0x00}, 2, false, 0},   {{0xFF, 0xFF, 0xFF, 0xFF, 0x07}, 1, true, INT32_MAX},
        {{0x80, 0x80, 0x80, 0x80, 0x08}, 1, false, 0},         {{0xBF, 0xFF, 0xFF, 0xFF, 0x0F}, 0, true, INT32_MAX},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, 0, true, -INT32_MAX}, {{0xBF, 0x80, 0x80, 0x80, 0x10}, 0, false, 0},
        {{0xBF, 0x80, 0x80, 0x80, 0x80, 0x01}, 0, false, 0},
    };
    for (const Case& c : cases) {
        Bytes padded = c.bytes;
        padded.resize(c.bytes.size() + 8);
        for (const Bytes& b : {c.bytes, padded}) {
            auto r = readerOf(b, 0);
            int32_t i = 0;
            uint32_t u = 0;
            if (c.kind == 0) r->doInt(i);
            else if (c.kind == 1) r->doUInt(i);
            else r->doUInt(u);
            EXPECT_EQ(!r->failed(), c.ok) << c.kind << " " << b.size();
            EXPECT_EQ(c.kind == 2 ? static_cast<int64_t>(u) : i, c.value);
            if (c.ok) {
                EXPECT_EQ(r->position(), static_cast<int>(c.bytes.size()));
            }
        }
    }
}

}  // namespace
