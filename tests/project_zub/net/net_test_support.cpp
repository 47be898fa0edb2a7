#include "net_test_support.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "sys/ErrorManager.h"

namespace nettest {

ZUB_IMPLEMENT_CLASS(NetProbe, ZubBase, kNetProbeId)
ZUB_IMPLEMENT_CLASS(ProbeRPC, RPC, kProbeRpcId)
ZUB_IMPLEMENT_CLASS(NetTestRoot, RootObject, kNetTestRootId)
ZUB_IMPLEMENT_CLASS(ClientCallRPC, RPC, kClientCallId)

int NetProbe::liveProbes = 0;
std::vector<ProbeRPC::Run> ProbeRPC::runs;
std::function<void(ProbeRPC&)> ProbeRPC::onExecute;
std::vector<int32_t> ClientCallRPC::runs;

namespace {

class NetEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ErrorManager::bTestMode = true;
        RuntimeClassManager::getInstance().buildClassArray();
    }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new NetEnvironment);

double* manualNow = nullptr;

}  // namespace

Bytes bytes(std::initializer_list<int> list) {
    Bytes b;
    for (int v : list) b.push_back(static_cast<uint8_t>(v));
    return b;
}

Bytes contentOf(const Packet& p) { return Bytes(p.data(), p.data() + p.length()); }

std::unique_ptr<Packet> readerOf(const Bytes& b, uint32_t flags, bool fromPeer) {
    auto p = std::make_unique<Packet>(flags, static_cast<int>(b.size()));
    if (!b.empty()) p->writeBytes(b.data(), static_cast<int>(b.size()));
    p->rewindToRead();
    if (fromPeer) p->setFromPeer();
    return p;
}

std::unique_ptr<Packet> readerOf(const Packet& p, bool fromPeer) { return readerOf(contentOf(p), p.flags, fromPeer); }

std::string hex(const Bytes& b) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < b.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", b[i]);
        if (i) s += ' ';
        s += buf;
    }
    return s;
}

int readCode(Packet& p) {
    uint8_t code = 0;
    p.doBits(code, 2);
    return code;
}

// ---------------------------------------------------------------------------

NetProbe::~NetProbe() {
    --liveProbes;
    if (deletedFlag) *deletedFlag = true;
}

void NetProbe::addPropertiesTo(PropertyContainer* c) {
    ZubBase::addPropertiesTo(c);
    c->add(new PropertyInt(u"count", 0, &count));
    c->add(new PropertyInt(u"flagsWord", PROP_UNSIGNED, &flagsWord));
    c->add(new PropertyFloat(u"speed", 0, &speed));
    c->add(new PropertyFloat(u"angle", 0, &angle));
    c->add(new PropertyBool(u"bActive", 0, &bActive));
    c->add(new PropertyDouble(u"timer", 0, &timer));
    c->add(new PropertyUString(u"label", 0, &label));
    c->add(new PropertyPointer(u"partner", 0, &partner, &ZubBase::classRecord));
    c->add(new PropertyPointer(u"other", 0, &other, &ZubBase::classRecord));
    c->add(new PropertyPointer(u"outside", PROP_RAW_POINTER, &outside, &ZubBase::classRecord));
}

void ProbeRPC::addPropertiesTo(Property* c) { c->add(new PropertyInt(u"", PROP_ARGUMENT, &argument)); }

void ProbeRPC::execute() {
    NetRole* role = THEROLE;
    runs.push_back({argument, role ? role->bExecutingOnServer : false, role ? role->bExecutingOnClients : false});
    if (onExecute) onExecute(*this);
}

void ClientCallRPC::addPropertiesTo(Property* c) { c->add(new PropertyInt(u"", PROP_ARGUMENT, &value)); }

// ---------------------------------------------------------------------------

ManualClock::ManualClock(double start) : now(start) {
    manualNow = &now;
    ZubNetwork::clockOverride = [] { return *manualNow; };
}

ManualClock::~ManualClock() {
    ZubNetwork::clockOverride = nullptr;
    manualNow = nullptr;
}

void step(NetRole& role) {
    role.service();
    role.flushOutgoing();
}

bool pumpUntil(std::initializer_list<NetRole*> roles, const std::function<bool()>& done, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        if (done()) return true;
        for (NetRole* r : roles) step(*r);
    }
    return done();
}

NetConnection* attachLoopback(NetHost& host, uint16_t port) {
    auto* c = new NetConnection(NetAddress::of(NetAddress::LOOPBACK, port));
    host.setConnection(c, true);
    return c;
}

Bytes special(uint32_t command, const std::function<void(Packet&)>& fill) {
    Packet p(Packet::FLAG_NETWORK, 4096);
    p.setFromPeer();
    uint32_t word = NetHost::SPECIAL;
    p.doDWORD(word);
    p.doDWORD(command);
    if (fill) fill(p);
    return contentOf(p);
}

Bytes connectRequest(std::u16string_view product, double version, std::u16string_view name) {
    return special(NetHost::CMD_CONNECT, [&](Packet& p) {
        WString a(product), b(name);
        double v = version;
        p.doUString(a, -1);
        p.doDouble(v);
        p.doUString(b, -1);
    });
}

std::unique_ptr<Packet> datagramFrom(const Bytes& b, const NetAddress& from) {
    auto p = readerOf(b, Packet::FLAG_NETWORK, true);
    p->address = from;
    return p;
}

size_t logMark() {
    // The history drops its oldest lines when full: start it afresh.
    Logger::get().clearHistory();
    return 0;
}

int logLinesSince(size_t mark, const std::u16string& text) {
    const auto& h = Logger::get().history();
    int n = 0;
    for (size_t i = std::min(mark, h.size()); i < h.size(); ++i)
        if (h[i].find(text) != std::u16string::npos) ++n;
    return n;
}

void deleteRoleAndObjects(NetRole* role) {
    // Registered objects outside the role's tree are nobody's children: find
    // the top of each such subtree and free it after the role.
    std::unordered_set<ZubBase*> tops;
    for (const auto& entry : role->objectMap) {
        ZubBase* top = entry.second;
        while (top->parent) top = top->parent;
        if (top != role) tops.insert(top);
    }
    delete role;
    for (ZubBase* o : tops) deleteObject(o);
}

}  // namespace nettest
