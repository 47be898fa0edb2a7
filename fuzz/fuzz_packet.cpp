// Feeds arbitrary bytes to the packet reader as a peer's packet.
//
// Input layout: byte 0 selects the mode, the rest is the mode's input.
//   bit 0 clear: a role stream (flags 1, or 5 when bit 1 is set) replayed by
//                a fresh role (a client when bit 2 is set, else a server),
//                then every registered object's global post-replication.
//   bit 0 set, bit 3 clear: a program of value operations. Byte 1 is the
//                operation count n (at most 64), the next n bytes are the
//                operations, the remaining bytes are the packet (flags from
//                bits 1-2: 0, 1, 4 or 5). Whatever reads cleanly is written
//                again and must read back to the same values.
//   bit 0 set, bit 3 set: an in-process object copy (flags 6) read back; raw
//                addresses read from it are stored, never followed.
// Each run must end without a crash or a sanitizer report, and every object
// it made must be accounted for: the role's tree is deleted with the role,
// and objects left without a parent are freed afterwards.
//
// Seeds: with ZUB_FUZZ_PACKET_SEEDS=<folder> the program writes its seed
// files into that folder and exits.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "FuzzSupport.h"
#include "gfx/Context.h"
#include "net/NetRole.h"
#include "object/Packet.h"
#include "object/Property.h"
#include "object/PropertyArray.h"
#include "object/RPC.h"
#include "object/ResourceManager.h"
#include "object/RuntimeClass.h"
#include "object/ZubBase.h"
#include "util/Math.h"

namespace {

// An object with one property of every kind the engine reads from packets.
class FuzzProbe : public ZubBase {
    ZUB_DECLARE_CLASS(FuzzProbe)
public:
    FuzzProbe() : ref(this) {
        sub = new ZubBase;  // an unregistered child written inline
        addChild(sub);
    }
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyInt(u"count", 0, &count));
        c->add(new PropertyInt(u"mask", PROP_UNSIGNED, &mask));
        c->add(new PropertyFloat(u"speed", 0, &speed));
        c->add(new PropertyBool(u"bOn", 0, &bOn));
        c->add(new PropertyDouble(u"timer", 0, &timer));
        c->add(new PropertyUString(u"name", 0, &name, 32));
        c->add(new PropertyPointer(u"any", 0, &any, &ZubBase::classRecord));
        c->add(new PropertyPointer(u"peer", 0, &peer, &FuzzProbe::classRecord));
        c->add(new PropertyPointer(u"raw", PROP_RAW_POINTER, &raw, &ZubBase::classRecord));
        c->add(new PropertyPointer(u"skin", PROP_RESOURCE, &skin, nullptr));
        c->add(new PropertyReference(u"ref", 0, &ref, &ZubBase::classRecord));
        c->add(new PropertyEnum(u"mode", 0, &mode, 4));
        c->add(new PropertyDWORD(u"colour", 0, &colour));
        addPropertyV3(c, u"pos", 0, &pos);
        c->add(new PropertyInt(u"segments", 0, &segments));
        c->add(new PropertyArray<float>(u"heights", 0, &heights, &segments));
        c->add(new PropertyArray<V3>(u"points", 0, &points, &segments));
        c->add(new PropertySubObject(u"sub", 0, sub));
        c->add(new PropertyInt(u"local", PROP_NOT_NETWORK, &local));
    }

    int32_t count = 0;
    int32_t mask = 0;
    float speed = 0.0f;
    bool bOn = false;
    double timer = 0.0;
    WString name;
    ZubBase* any = nullptr;
    FuzzProbe* peer = nullptr;
    ZubBase* raw = nullptr;
    ZubBase* skin = nullptr;
    ZubBaseReference ref;
    int32_t mode = 0;
    uint32_t colour = 0;
    V3 pos;
    int32_t segments = 0;
    std::vector<float> heights;
    std::vector<V3> points;
    ZubBase* sub = nullptr;
    int32_t local = 0;
};

ZUB_IMPLEMENT_CLASS(FuzzProbe, ZubBase, 0x7e57f001u)

// Two named resources for resource pointers.
ResourceManager* resources = nullptr;
ZubBase* skins[2] = {};

// Objects alive before a run. After it, the objects the run made and left
// without a parent are freed: those that were registered (they carry a UID of
// 0 or more even after their role is gone) and the copies an object packet
// handed out. Objects that others own outside the tree (a context's camera)
// are left to their owners.
void freeWhatTheRunLeft(const std::unordered_set<ZubBase*>& before, const std::unordered_set<ZubBase*>& handedOut) {
    std::vector<ZubBase*> tops;
    ZubBase::forEachLive([&](ZubBase* o) {
        if (!o->parent && !before.count(o) && (o->objectUID >= 0 || handedOut.count(o))) tops.push_back(o);
    });
    // Deleting one top never frees another: tops have no parent.
    for (ZubBase* o : tops) deleteObject(o);
}

std::unordered_set<ZubBase*> liveObjects() {
    std::unordered_set<ZubBase*> s;
    ZubBase::forEachLive([&](ZubBase* o) { s.insert(o); });
    return s;
}

std::unique_ptr<Packet> peerPacket(uint32_t flags, const uint8_t* data, size_t size) {
    auto p = std::make_unique<Packet>(flags, static_cast<int>(size));
    if (size) p->writeBytes(data, static_cast<int>(size));
    p->rewindToRead();
    p->setFromPeer();
    return p;
}

// ---------------------------------------------------------------------------
// Mode: role stream

void runRoleStream(uint8_t mode, const uint8_t* data, size_t size) {
    const uint32_t flags = (mode & 2) ? 5u : 1u;
    auto p = peerPacket(flags, data, size);
    NetRole* role = new NetRole;  // the current role from here on
    role->bServer = (mode & 4) == 0;
    // As a server starts a level: replay, then finish every object.
    if (role->processPacket(*p)) role->postReplicateAll();
    if (p->position() > p->length()) std::abort();
    delete role;
}

// ---------------------------------------------------------------------------
// Mode: value operations

enum Op : uint8_t {
    OP_INT,
    OP_UINT,
    OP_UINT32,
    OP_FLOAT16,
    OP_DOUBLE,
    OP_DWORD,
    OP_BIT,
    OP_BITS,
    OP_BOOL,
    OP_STRING,
    OP_CLASS,
    OP_POINTER,
    OP_RESOURCE,
    OP_EXTRACT,
    OP_CRC,
    OP_COUNT
};

struct Value {
    uint8_t op = 0;
    uint8_t arg = 0;
    int32_t i = 0;
    uint32_t u = 0;
    float f = 0.0f;
    double d = 0.0;
    uint8_t byte = 0;
    bool b = false;
    WString s;
    const RuntimeClass* cls = nullptr;
    ZubBase* object = nullptr;
    std::vector<uint8_t> raw;  // the bytes an extract took
};

// One operation on the packet. `v` is read into or written from.
void doOp(Packet& p, Value& v) {
    switch (v.op) {
        case OP_INT:
            p.doInt(v.i);
            break;
        case OP_UINT:
            p.doUInt(v.i);
            break;
        case OP_UINT32:
            p.doUInt(v.u);
            break;
        case OP_FLOAT16:
            p.doFloat16(v.f);
            break;
        case OP_DOUBLE:
            p.doDouble(v.d);
            break;
        case OP_DWORD:
            p.doDWORD(v.u);
            break;
        case OP_BIT:
            p.doBit(v.byte, v.arg & 7);
            break;
        case OP_BITS:
            p.doBits(v.byte, v.arg & 15);
            break;
        case OP_BOOL:
            p.doBool(v.b);
            break;
        case OP_STRING:
            p.doUString(v.s, (v.arg & 8) ? -1 : (v.arg & 7) * 5);
            break;
        case OP_CLASS:
            p.doClassID(v.cls);
            break;
        case OP_POINTER:
            p.doPointer2(v.object);
            break;
        case OP_RESOURCE:
            p.doResourcePointer2(v.object);
            break;
        case OP_EXTRACT:
            // Writing only: the bytes the reader took out of the stream.
            if (p.bWriting && !v.raw.empty()) p.writeBytes(v.raw.data(), static_cast<int>(v.raw.size()));
            break;
        default:
            break;
    }
}

bool sameValue(const Value& a, const Value& b) {
    switch (a.op) {
        case OP_INT:
        case OP_UINT:
            return a.i == b.i;
        case OP_UINT32:
        case OP_DWORD:
            return a.u == b.u;
        case OP_FLOAT16:
            return std::memcmp(&a.f, &b.f, sizeof a.f) == 0;
        case OP_DOUBLE:
            return std::memcmp(&a.d, &b.d, sizeof a.d) == 0;
        case OP_BIT:
        case OP_BITS:
            return a.byte == b.byte;
        case OP_BOOL:
            return a.b == b.b;
        case OP_STRING:
            return a.s == b.s;
        case OP_CLASS:
            return a.cls == b.cls;
        case OP_POINTER:
        case OP_RESOURCE:
            return a.object == b.object;
        case OP_EXTRACT:
            return a.raw == b.raw;
        default:
            return true;
    }
}

// Reads the values of the program from a reading packet.
std::vector<Value> readProgram(Packet& p, const std::vector<uint8_t>& program) {
    std::vector<Value> values;
    for (uint8_t code : program) {
        Value v;
        v.op = code % OP_COUNT;
        v.arg = static_cast<uint8_t>(code / OP_COUNT);
        const int before = p.position();
        const bool wasFailed = p.failed();
        if (v.op == OP_EXTRACT) {
            auto e = p.extract(v.arg);
            if (e->length() > v.arg || e->bWriting) std::abort();
            v.raw.assign(e->data(), e->data() + e->length());
            // The extracted bytes read on their own.
            e->setFromPeer();
            int32_t x = 0;
            while (!e->atEnd() && !e->failed()) e->doInt(x);
        } else if (v.op == OP_CRC) {
            (void)p.crc32(p.position(), v.arg);
            (void)p.crc32(0, -1);
        } else {
            doOp(p, v);
        }
        // A failed packet never moves and never passes its end.
        if (wasFailed && p.position() != before) std::abort();
        if (p.position() > p.length()) std::abort();
        values.push_back(v);
    }
    return values;
}

void runOperations(uint8_t mode, const uint8_t* data, size_t size) {
    static const uint32_t kFlags[4] = {0u, 1u, 4u, 5u};
    const uint32_t flags = kFlags[(mode >> 1) & 3];
    if (size < 1) return;
    const size_t n = data[0] % 65;
    if (size < 1 + n) return;
    const std::vector<uint8_t> program(data + 1, data + 1 + n);
    data += 1 + n;
    size -= 1 + n;

    // Objects for references: UIDs 1 to 4.
    NetRole* role = new NetRole;
    for (int32_t uid = 1; uid <= 4; ++uid) role->registerObject(new FuzzProbe, uid);

    auto p = peerPacket(flags, data, size);
    std::vector<Value> first = readProgram(*p, program);
    if (!p->failed()) {
        // Writing what was read and reading it again is stable after one pass.
        Packet w1(flags, static_cast<int>(size) * 4 + 64);
        w1.setFromPeer();
        for (Value& v : first) doOp(w1, v);
        if (!w1.failed()) {
            auto r1 = peerPacket(flags, w1.data(), static_cast<size_t>(w1.length()));
            std::vector<Value> second = readProgram(*r1, program);
            if (r1->failed()) std::abort();
            Packet w2(flags, static_cast<int>(size) * 4 + 64);
            w2.setFromPeer();
            for (Value& v : second) doOp(w2, v);
            if (w2.failed() || w2.length() != w1.length() ||
                std::memcmp(w1.data(), w2.data(), static_cast<size_t>(w1.length())) != 0)
                std::abort();
            auto r2 = peerPacket(flags, w2.data(), static_cast<size_t>(w2.length()));
            std::vector<Value> third = readProgram(*r2, program);
            for (size_t i = 0; i < third.size(); ++i)
                if (!sameValue(second[i], third[i])) std::abort();
        }
    }
    delete role;
}

// ---------------------------------------------------------------------------
// Mode: object copy

void runObjectCopy(const uint8_t* data, size_t size, std::unordered_set<ZubBase*>& handedOut) {
    NetRole* role = new NetRole;
    for (int32_t uid = 1; uid <= 2; ++uid) role->registerObject(new FuzzProbe, uid);
    ObjectPacket op(Packet::FLAG_RAW_POINTERS | Packet::FLAG_RAW_CLASSES, static_cast<int>(size));
    if (size) op.writeBytes(data, static_cast<int>(size));
    op.rewindToRead();
    op.setFromPeer();
    while (!op.atEnd() && !op.failed()) {
        ZubBase* made = nullptr;
        if (!op.doObject(made)) break;
        handedOut.insert(made);
    }
    delete role;
}

// ---------------------------------------------------------------------------
// Seeds

// A seed: the mode byte, then the packet's bytes.
void writeFile(const std::string& path, uint8_t mode, const uint8_t* data, int n) {
    std::vector<uint8_t> seed{mode};
    seed.insert(seed.end(), data, data + n);
    fuzz::writeSeed(path, seed);
}

void writeSeeds(const std::string& dir) {
    // A small level: the root, three probes, a list entry and a context,
    // followed by two engine calls.
    for (uint32_t flags : {5u, 1u}) {
        NetRole* role = new NetRole;
        role->nextObjectUID = 40;
        RootObject* root = new RootObject;
        role->registerObject(root, 1);
        FuzzProbe* a = new FuzzProbe;
        FuzzProbe* b = new FuzzProbe;
        FuzzProbe* c = new FuzzProbe;
        ZubBasePointer* entry = new ZubBasePointer;
        Context* context = new Context;
        role->registerObject(a, 0);
        role->registerObject(b, 0);
        role->registerObject(c, 300);
        role->registerObject(entry, 0);
        role->registerObject(context, 0);
        root->addChild(context);
        context->addChild(a);
        context->addChild(b);
        a->addChild(c);
        root->addChild(entry);
        entry->pObject.set(c);
        a->count = -70000;
        a->mask = 0x12345;
        a->speed = 2.5f;
        a->bOn = true;
        a->timer = 0.75;
        a->name = u"Tumbrodemo \u20AC";
        a->any = root;
        a->peer = b;
        a->raw = c;
        a->skin = skins[1];
        a->ref.set(c);
        a->mode = 3;
        a->colour = 0xFF80C020u;
        a->pos = V3(1.0f, -2.0f, 300.0f);
        a->segments = 3;
        a->heights = {0.5f, 1.0f, 1.5f};
        a->points = {V3(1, 2, 3), V3(4, 5, 6), V3(7, 8, 9)};
        a->sub->gotoState(2, 0.0);
        b->peer = a;
        b->gotoState(4, 1.5);
        c->segments = 1;
        c->heights = {9.0f};
        c->points = {V3(0, 0, 0)};

        Packet level(flags);
        THEROLE = role;
        role->writeFullState(&level);
        // Engine calls at the end: seed the generator, change a state.
        RPCSetRandomSeed seed;
        seed.target = root;
        seed.seed = 12345;
        RPCGotoState go;
        go.target = b;
        go.newState = 7;
        go.delay = 0.5;
        for (RPC* call : {static_cast<RPC*>(&seed), static_cast<RPC*>(&go)}) {
            uint8_t code = NetRole::CMD_RPC;
            level.doBits(code, 2);
            const RuntimeClass* cls = call->getClass();
            level.doClassID(cls);
            call->serialize(level);
        }
        if (flags == 1) {
            // A peer's later traffic: a list entry is deleted, then an object
            // is filled again.
            RPCNetDelete del;
            del.target = root;
            del.object = entry;
            uint8_t code = NetRole::CMD_RPC;
            level.doBits(code, 2);
            const RuntimeClass* cls = del.getClass();
            level.doClassID(cls);
            del.serialize(level);
            code = NetRole::COPYOBJ;
            level.doBits(code, 2);
            int32_t uid = c->objectUID;
            level.doUInt(uid);
            c->netSerialize(level);
        }
        writeFile(dir + (flags == 5 ? "/level-flags5.bin" : "/state-flags1.bin"), flags == 5 ? 0x02 : 0x00,
                  level.data(), level.length());
        delete role;
    }

    // A value program: every operation once, then the bytes it reads.
    {
        NetRole* role = new NetRole;
        for (int32_t uid = 1; uid <= 4; ++uid) role->registerObject(new FuzzProbe, uid);
        std::vector<uint8_t> program;
        std::vector<Value> values;
        auto add = [&](Op op, uint8_t arg) {
            Value v;
            v.op = op;
            v.arg = arg;
            program.push_back(static_cast<uint8_t>(op + OP_COUNT * arg));
            values.push_back(v);
            return &values.back();
        };
        add(OP_INT, 0)->i = -5000;
        add(OP_BOOL, 0)->b = true;
        add(OP_UINT, 0)->i = 300;
        add(OP_UINT32, 0)->u = 0x7FFFFFFFu;
        add(OP_FLOAT16, 0)->f = 0.1f;
        add(OP_BITS, 3)->byte = 5;
        add(OP_DOUBLE, 0)->d = 1.5;
        add(OP_DWORD, 0)->u = 0xFEFDFCFBu;
        add(OP_BIT, 6)->byte = 0x40;
        add(OP_STRING, 8)->s = u"Tumbrodemo";
        add(OP_STRING, 2)->s = u"short";
        add(OP_CLASS, 0)->cls = &RPCNetDelete::classRecord;
        add(OP_POINTER, 0)->object = role->findObject(3);
        add(OP_RESOURCE, 0)->object = skins[0];
        add(OP_INT, 0)->i = 7;
        Packet w(4, 256);  // flags 4: mode bits 1-2 = 2
        for (Value& v : values) doOp(w, v);
        std::vector<uint8_t> bytes;
        bytes.push_back(static_cast<uint8_t>(program.size()));
        bytes.insert(bytes.end(), program.begin(), program.end());
        bytes.insert(bytes.end(), w.data(), w.data() + w.length());
        writeFile(dir + "/values.bin", 0x01 | (2 << 1), bytes.data(), static_cast<int>(bytes.size()));
        delete role;
    }
    std::exit(0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startEngine();
    resources = new ResourceManager;
    skins[0] = new ZubBase;
    skins[1] = new ZubBase;
    resources->addResource(u"sheet:0", skins[0]);
    resources->addResource(u"sheet:1", skins[1]);
    if (const char* dir = std::getenv("ZUB_FUZZ_PACKET_SEEDS")) writeSeeds(dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 20)) return 0;
    const std::unordered_set<ZubBase*> before = liveObjects();
    std::unordered_set<ZubBase*> handedOut;
    const uint8_t mode = data[0];
    if (!(mode & 1)) runRoleStream(mode, data + 1, size - 1);
    else if (mode & 8) runObjectCopy(data + 1, size - 1, handedOut);
    else runOperations(mode, data + 1, size - 1);
    if (THEROLE) std::abort();  // a role outlived its run
    freeWhatTheRunLeft(before, handedOut);
    // Anything still alive was lost by the engine.
    if (ZubBase::liveCount() != static_cast<int>(before.size())) std::abort();
    return 0;
}
