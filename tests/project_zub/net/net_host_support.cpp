#include "net_host_support.h"

#include <algorithm>

#include "object/Property.h"

namespace nettest {

ZUB_IMPLEMENT_CLASS(NetTestRoot, RootObject, kNetTestRootId)
ZUB_IMPLEMENT_CLASS(ClientCallRPC, RPC, kClientCallId)

std::vector<int32_t> ClientCallRPC::runs;

void ClientCallRPC::addPropertiesTo(Property* c) { c->add(new PropertyInt(u"", PROP_ARGUMENT, &value)); }

void ClientCallRPC::execute() { runs.push_back(value); }

namespace {
double* manualNow = nullptr;
}

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

void pump(std::initializer_list<NetRole*> roles, int rounds) {
    for (int i = 0; i < rounds; ++i)
        for (NetRole* r : roles) step(*r);
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

RoleList::~RoleList() {
    for (auto it = roles.rbegin(); it != roles.rend(); ++it) deleteRoleAndObjects(*it);
}

}  // namespace nettest
