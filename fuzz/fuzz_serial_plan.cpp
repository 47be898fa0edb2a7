// Reads arbitrary bytes as an object body twice, through the class's
// serialisation plan and through its property tree, and requires the same
// outcome: the same error (or none), the same bytes read, and objects that
// write the same bytes again.
//
// Input layout: byte 0 holds the packet flags (bits 0-2), the rest is the
// body. Each read runs against its own role, filled alike, so that what the
// first read does to registered objects (a child taken over) cannot change
// the second.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "net/NetRole.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/PropertyArray.h"
#include "object/RPC.h"
#include "object/ResourceManager.h"
#include "object/SerialPlan.h"

namespace {

// A field of every kind a plan knows, all inside the object.
class PlanProbe : public ZubBase {
    ZUB_DECLARE_CLASS(PlanProbe)
public:
    PlanProbe() : ref(this) {}
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyInt(u"count", 0, &count));
        c->add(new PropertyInt(u"mask", PROP_UNSIGNED, &mask));
        c->add(new PropertySecureInt(u"score", 0, &score));
        c->add(new PropertyBool(u"bOn", 0, &bOn));
        c->add(new PropertyBool(u"bByte", 0, &bByte));
        addPropertyV3(c, u"pos", 0, &pos);
        c->add(new PropertyDouble(u"timer", PROP_NOT_COPY, &timer));
        c->add(new PropertyUString(u"name", 0, &name, 16));
        c->add(new PropertyDWORD(u"colour", 0, &colour));
        c->add(new PropertyEnum(u"mode", 0, &mode, 4));
        c->add(new PropertyPointer(u"any", 0, &any, &ZubBase::classRecord));
        c->add(new PropertyPointer(u"peer", 0, &peer, &PlanProbe::classRecord));
        c->add(new PropertyPointer(u"raw", PROP_RAW_POINTER, &raw, &ZubBase::classRecord));
        c->add(new PropertyPointer(u"skin", PROP_RESOURCE, &skin, nullptr));
        c->add(new PropertyReference(u"ref", 0, &ref, &PlanProbe::classRecord));
        c->add(new PropertyInt(u"segments", 0, &segments));
        c->add(new PropertyArray<float>(u"heights", 0, &heights, &segments));
        c->add(new PropertyArray<V3>(u"points", PROP_NOT_NETWORK, &points, &segments));
        c->add(new PropertySubObject(u"sub", 0, &sub));
        c->add(new PropertyRPC<RPCSetState>(u"act", 0, this));
        c->add(new PropertyFloat(u"last", 0, &last));
    }
    int32_t count = 0, mask = 0, score = 0;
    bool bOn = false;
    uint8_t bByte = 0;
    V3 pos;
    double timer = 0.0;
    WString name;
    uint32_t colour = 0;
    int32_t mode = 0;
    ZubBase* any = nullptr;
    PlanProbe* peer = nullptr;
    ZubBase* raw = nullptr;
    ZubBase* skin = nullptr;
    ZubBaseReference ref;
    int32_t segments = 0;
    std::vector<float> heights;
    std::vector<V3> points;
    ZubBase sub;
    float last = 0.0f;
};
ZUB_IMPLEMENT_CLASS(PlanProbe, ZubBase, 0x7e57f002u)

ResourceManager* resources = nullptr;

// A role with objects under UIDs 2-5 for the body to name; the objects are
// watched through references, which clear when an object is deleted.
struct World {
    World() {
        role = new NetRole;
        for (int32_t uid = 2; uid <= 5; ++uid) {
            ZubBase* o = uid % 2 ? new PlanProbe : new ZubBase;
            role->registerObject(o, uid);
            watched.push_back(std::make_unique<ZubBaseReference>());
            watched.back()->set(o);
        }
    }
    ~World() {
        deleteObject(probe);
        // Objects a body took in as children went with the probe; of the
        // others, delete the tops (their subtrees go with them) until none is left.
        for (bool left = true; left;) {
            left = false;
            for (auto& w : watched)
                if (ZubBase* o = w->get(); o && !o->parent) {
                    w->set(nullptr);
                    deleteObject(o);
                    left = true;
                }
        }
        delete role;
    }
    NetRole* role;
    std::vector<std::unique_ptr<ZubBaseReference>> watched;
    PlanProbe* probe = new PlanProbe;
};

std::vector<uint8_t> written(ZubBase* o, uint32_t flags) {
    Packet p(flags);
    p.setErrorMode(Packet::ErrorMode::Report);
    SerialPlan::serializeByTree(o, p);
    return std::vector<uint8_t>(p.data(), p.data() + p.length());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    resources = new ResourceManager;
    resources->addResource(u"sheet:0", new ZubBase);
    resources->addResource(u"sheet:1", new ZubBase);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 4096) return 0;
    const uint32_t flags = data[0] & 7;
    auto reader = [&] {
        auto p = std::make_unique<Packet>(flags, static_cast<int>(size - 1));
        p->writeBytes(data + 1, static_cast<int>(size - 1));
        p->rewindToRead();
        p->setFromPeer();
        return p;
    };
    const int before = ZubBase::liveCount();
    {
        World byPlan, byTree;
        const SerialPlan* plan = SerialPlan::of(byPlan.probe);
        if (!plan) std::abort();
        auto a = reader(), b = reader();
        THEROLE = byPlan.role;
        plan->run(byPlan.probe, *a);
        THEROLE = byTree.role;
        SerialPlan::serializeByTree(byTree.probe, *b);
        if (a->failed() != b->failed() || a->position() != b->position() || a->errorText() != b->errorText())
            std::abort();
        THEROLE = byPlan.role;
        const std::vector<uint8_t> againPlan = written(byPlan.probe, flags);
        THEROLE = byTree.role;
        if (againPlan != written(byTree.probe, flags)) std::abort();
    }
    THEROLE = nullptr;
    if (ZubBase::liveCount() != before) std::abort();  // nothing lost
    return 0;
}
