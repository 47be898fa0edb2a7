#pragma once
// Shared helpers of the network tests: byte builders, a probe object class
// with one property of each common kind, a probe remote call that records
// its runs, and a guard that tears a role down together with every object
// registered with it.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "net/NetRole.h"
#include "net/Packet.h"
#include "net/RPC.h"
#include "object/Property.h"
#include "object/ZubBase.h"

namespace nettest {

using Bytes = std::vector<uint8_t>;

Bytes bytes(std::initializer_list<int> list);
// The bytes written so far (writing packet) or the whole content (reading packet).
Bytes contentOf(const Packet& p);
// A reading packet holding exactly these bytes.
std::unique_ptr<Packet> readerOf(const Bytes& b, uint32_t flags = 0, bool fromPeer = false);
// A reading packet holding the bytes written so far into `p`.
std::unique_ptr<Packet> readerOf(const Packet& p, bool fromPeer = false);
// "0C 05 09 0C" for failure messages.
std::string hex(const Bytes& b);

// A replicated object with the property kinds the engine serialises.
class NetProbe : public ZubBase {
    ZUB_DECLARE_CLASS(NetProbe)
public:
    NetProbe();
    ~NetProbe() override;
    void addPropertiesTo(PropertyContainer* c) override;
    void netPostReplicate() override { ++postReplicateCount; }
    void netPostReplicateGlobal() override { ++postReplicateGlobalCount; }

    int32_t count = 0;
    int32_t flagsWord = 0;  // travels unsigned
    float speed = 0.0f;
    float angle = 0.0f;
    bool bActive = false;
    double timer = 0.0;
    WString label;
    ZubBase* partner = nullptr;   // a replicated reference
    ZubBase* other = nullptr;     // a second replicated reference
    ZubBase* outside = nullptr;   // stays a raw address in in-process copies

    int postReplicateCount = 0;
    int postReplicateGlobalCount = 0;
    bool* deletedFlag = nullptr;  // set when the object is destroyed

    static int liveProbes;
};

// A remote call whose runs are recorded; its flags are set per instance.
class ProbeRPC : public RPC {
    ZUB_DECLARE_CLASS(ProbeRPC)
public:
    ProbeRPC() : RPC(true, true, false) {}
    ProbeRPC(bool server, bool clients, bool callable) : RPC(server, clients, callable) {}
    void addPropertiesTo(Property* c) override;
    void execute() override;

    int32_t argument = 0;

    // Every run, in order: the argument and the role flags while it ran.
    struct Run {
        int32_t argument;
        bool executingOnServer;
        bool executingOnClients;
    };
    static std::vector<Run> runs;
    // Called from execute (once per run) when set.
    static std::function<void(ProbeRPC&)> onExecute;
};

// Clears the probe call's record and hook at both ends of a scope.
struct ProbeReset {
    ProbeReset() { clear(); }
    ~ProbeReset() { clear(); }
    static void clear() {
        ProbeRPC::runs.clear();
        ProbeRPC::onExecute = nullptr;
    }
};

// The class ids of the probes.
constexpr uint32_t kProbeRpcId = 0x7e57a001u;
constexpr uint32_t kNetProbeId = 0x7e57b001u;

// Owns a role and deletes it at the end of the scope together with the
// registered objects that do not hang from its tree.
class RoleGuard {
public:
    explicit RoleGuard(bool server = true);
    ~RoleGuard();
    RoleGuard(const RoleGuard&) = delete;
    RoleGuard& operator=(const RoleGuard&) = delete;
    NetRole* operator->() const { return role; }
    NetRole& operator*() const { return *role; }
    NetRole* get() const { return role; }

private:
    NetRole* role;
};

// Deletes the role and every registered object outside its tree.
void deleteRoleAndObjects(NetRole* role);

// Reads one command code of a role packet.
int readCode(Packet& p);

}  // namespace nettest
