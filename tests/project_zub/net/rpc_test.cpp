// Remote calls: where a call runs and when it is sent, the role's executing
// flags around nested calls, object deletion through the role, and the
// engine calls read from packets.
#include <gtest/gtest.h>

#include <random>

#include "net_test_support.h"

using namespace nettest;

namespace {

struct SentCall {
    const RuntimeClass* cls = nullptr;
    int32_t target = -1;
};

// The RPC commands in a role's outgoing packet (every other command fails the test).
std::vector<SentCall> sentCalls(NetRole& role, std::vector<int32_t>* probeArguments = nullptr) {
    std::vector<SentCall> calls;
    auto r = readerOf(*role.outgoing);
    while (!r->atEnd() && !r->failed()) {
        const int code = readCode(*r);
        EXPECT_EQ(code, NetRole::CMD_RPC);
        if (code != NetRole::CMD_RPC) break;
        SentCall c;
        r->doClassID(c.cls);
        r->doUInt(c.target);
        if (c.cls == &ProbeRPC::classRecord) {
            int32_t arg = 0;
            r->doInt(arg);
            if (probeArguments) probeArguments->push_back(arg);
        } else if (c.cls == &RPCNetDelete::classRecord) {
            int32_t object = 0;
            r->doUInt(object);
            if (probeArguments) probeArguments->push_back(object);
        }
        calls.push_back(c);
    }
    EXPECT_FALSE(r->failed());
    return calls;
}

class NetRpcTest : public ::testing::Test {
protected:
    void SetUp() override { ProbeReset::clear(); }
    void TearDown() override { ProbeReset::clear(); }
};
using NetRpcDeathTest = NetRpcTest;

}  // namespace

TEST_F(NetRpcTest, ServerRunsAndSendsByTheCallsFlags) {
    struct Case {
        bool onServer, onClients;
        bool runs, sent;
    };
    for (const Case& c :
         {Case{true, true, true, true}, Case{false, true, false, true}, Case{true, false, true, false}}) {
        ProbeReset::clear();
        RoleGuard role;
        role->outgoing->reset();
        ProbeRPC call(c.onServer, c.onClients, false);
        call.argument = 7;
        call.call();
        ASSERT_EQ(ProbeRPC::runs.size(), c.runs ? 1u : 0u);
        if (c.runs) {
            EXPECT_TRUE(ProbeRPC::runs[0].executingOnServer);
            EXPECT_EQ(ProbeRPC::runs[0].executingOnClients, c.onClients);
        }
        EXPECT_FALSE(role->bExecutingOnServer);
        EXPECT_FALSE(role->bExecutingOnClients);
        std::vector<int32_t> args;
        const auto calls = sentCalls(*role, &args);
        ASSERT_EQ(calls.size(), c.sent ? 1u : 0u);
        if (c.sent) {
            EXPECT_EQ(calls[0].cls, &ProbeRPC::classRecord);
            EXPECT_EQ(calls[0].target, 0);
            EXPECT_EQ(args, std::vector<int32_t>{7});
        }
    }
    // Without a role every call simply runs.
    ProbeReset::clear();
    ProbeRPC alone(false, true, false);
    EXPECT_FALSE(alone.executeRemotely());
    alone.call();
    EXPECT_EQ(ProbeRPC::runs.size(), 1u);
}

TEST_F(NetRpcTest, CallMadeInsideAClientCallRunsButIsNotSent) {
    RoleGuard role;
    role->outgoing->reset();
    bool flagsInsideAfterNested[2] = {false, false};
    ProbeRPC::onExecute = [&](ProbeRPC& self) {
        if (self.argument != 1) return;
        ProbeRPC inner(true, true, false);
        inner.argument = 2;
        EXPECT_FALSE(inner.executeRemotely());
        inner.call();
        // The nested call restored the outer call's flags.
        flagsInsideAfterNested[0] = THEROLE->bExecutingOnServer;
        flagsInsideAfterNested[1] = THEROLE->bExecutingOnClients;
    };
    role->bExecutingOnServer = false;
    ProbeRPC outer(true, true, false);
    outer.argument = 1;
    outer.call();
    ASSERT_EQ(ProbeRPC::runs.size(), 2u);
    EXPECT_EQ(ProbeRPC::runs[0].argument, 1);
    EXPECT_EQ(ProbeRPC::runs[1].argument, 2);
    EXPECT_TRUE(flagsInsideAfterNested[0]);
    EXPECT_TRUE(flagsInsideAfterNested[1]);
    EXPECT_FALSE(role->bExecutingOnServer);
    EXPECT_FALSE(role->bExecutingOnClients);
    std::vector<int32_t> args;
    EXPECT_EQ(sentCalls(*role, &args).size(), 1u);
    EXPECT_EQ(args, std::vector<int32_t>{1});
}

TEST_F(NetRpcTest, ClientSendsOnlyClientCallableServerCalls) {
    RoleGuard role(false);
    role->outgoing->reset();
    ProbeRPC sentOnly(true, false, true);
    sentOnly.argument = 1;
    sentOnly.call();
    EXPECT_TRUE(ProbeRPC::runs.empty());
    ProbeRPC sentAndRun(true, true, true);
    sentAndRun.argument = 2;
    sentAndRun.call();
    ASSERT_EQ(ProbeRPC::runs.size(), 1u);
    EXPECT_EQ(ProbeRPC::runs[0].argument, 2);
    ProbeRPC clientsOnly(false, true, false);
    clientsOnly.argument = 3;
    clientsOnly.call();  // runs here, sent nowhere
    ASSERT_EQ(ProbeRPC::runs.size(), 2u);
    std::vector<int32_t> args;
    EXPECT_EQ(sentCalls(*role, &args).size(), 2u);
    EXPECT_EQ(args, (std::vector<int32_t>{1, 2}));
}

TEST_F(NetRpcTest, ClientServerCallAllowedInsideAnExecutingServerCall) {
    // A call for both sides arrives from the server; while it runs on this
    // client, it makes a server-only call of its own, which is neither fatal,
    // nor sent, nor run here.
    RoleGuard role(false);
    role->outgoing->reset();
    ProbeRPC::onExecute = [](ProbeRPC& self) {
        if (self.argument != 1) return;
        ProbeRPC inner(true, false, false);
        inner.argument = 2;
        inner.call();
    };
    Packet p(1, 32);
    uint8_t code = NetRole::CMD_RPC;
    p.doBits(code, 2);
    const RuntimeClass* c = &ProbeRPC::classRecord;
    p.doClassID(c);
    int32_t target = 0, arg = 1;
    p.doUInt(target);
    p.doInt(arg);
    auto r = readerOf(p, true);
    ASSERT_TRUE(role->processPacket(*r));
    ASSERT_EQ(ProbeRPC::runs.size(), 1u);
    EXPECT_EQ(ProbeRPC::runs[0].argument, 1);
    EXPECT_TRUE(ProbeRPC::runs[0].executingOnServer);
    EXPECT_EQ(role->outgoing->length(), 0);
    EXPECT_FALSE(role->bExecutingOnServer);
    EXPECT_FALSE(role->bExecutingOnClients);
}

TEST_F(NetRpcDeathTest, ClientServerCallIsFatalOutsideAServerCall) {
    EXPECT_EXIT(
        {
            RoleGuard role(false);
            ZubBase target;
            ProbeRPC call(true, true, false);
            call.target = &target;
            call.call();
        },
        ::testing::ExitedWithCode(255), "Can't call 'ZubBase::_7e57a001' client-side\\.");
    EXPECT_EXIT(
        {
            RoleGuard role(false);
            role->bExecutingOnClients = true;  // a client call does not allow it
            ProbeRPC call(true, false, false);
            call.call();
        },
        ::testing::ExitedWithCode(255), "Can't call '.*::_7e57a001' client-side\\.");
    EXPECT_EXIT(
        {
            RoleGuard role(false);
            role->registerObject(new RootObject, 1);
            NetProbe* o = new NetProbe;
            role->registerObject(o, 20);
            o->destroy();  // a client deletes nothing the server owns
        },
        ::testing::ExitedWithCode(255), "Can't call '_04790976::_4472ef3a' client-side\\.");
}

TEST_F(NetRpcTest, CallsAimedAtUnregisteredObjectsAreNotSent) {
    RoleGuard role;
    role->outgoing->reset();
    ZubBase local;
    ProbeRPC call(true, true, false);
    call.target = &local;
    call.call();
    EXPECT_EQ(ProbeRPC::runs.size(), 1u);
    EXPECT_EQ(role->outgoing->length(), 0);
    EXPECT_FALSE(role->outgoing->failed());
    // The packet stays usable.
    ProbeRPC next(true, true, false);
    next.call();
    EXPECT_EQ(sentCalls(*role).size(), 1u);
}

// ---------------------------------------------------------------------------
// Destroying objects

TEST_F(NetRpcTest, DestroyingGoesThroughTheRoleOnlyForRegisteredObjects) {
    RoleGuard role;
    RootObject* root = new RootObject;
    role->registerObject(root, 1);
    role->outgoing->reset();
    NetProbe* local = new NetProbe;
    NetProbe* o = new NetProbe;
    role->registerObject(o, 20);
    role->outgoing->reset();
    bool localDeleted = false, deleted = false;
    local->deletedFlag = &localDeleted;
    o->deletedFlag = &deleted;
    root->addChild(local);
    root->addChild(o);
    local->destroy();
    EXPECT_TRUE(localDeleted);
    EXPECT_EQ(role->outgoing->length(), 0);
    o->destroy();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(role->findObjectOrNull(20), nullptr);
    EXPECT_EQ(root->firstChild, nullptr);
    std::vector<int32_t> objects;
    const auto calls = sentCalls(*role, &objects);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].cls, &RPCNetDelete::classRecord);
    EXPECT_EQ(calls[0].target, 1);
    EXPECT_EQ(objects, std::vector<int32_t>{20});
}

TEST_F(NetRpcTest, NetDeleteFromAPacketRemovesTheObject) {
    RoleGuard role;
    RootObject* root = new RootObject;
    role->registerObject(root, 1);
    NetProbe* o = new NetProbe;
    role->registerObject(o, 33);
    root->addChild(o);
    bool deleted = false;
    o->deletedFlag = &deleted;
    for (uint32_t flags : {1u, 5u}) {
        Packet p(flags, 32);
        uint8_t code = NetRole::CMD_RPC;
        p.doBits(code, 2);
        const RuntimeClass* c = &RPCNetDelete::classRecord;
        p.doClassID(c);
        int32_t target = 1, object = flags == 1 ? 33 : 1;
        p.doUInt(target);
        p.doUInt(object);
        auto r = readerOf(p, true);
        EXPECT_TRUE(role->processPacket(*r));
    }
    EXPECT_TRUE(deleted);
    EXPECT_EQ(role->findObjectOrNull(33), nullptr);
    // The root is refused.
    EXPECT_EQ(role->findObjectOrNull(1), root);
    EXPECT_EQ(role->root, root);
}

// ---------------------------------------------------------------------------
// The role's generator

TEST_F(NetRpcTest, SetRandomSeedFromAPacketSeedsTheRolesTwister) {
    for (uint32_t flags : {1u, 5u}) {
        for (uint32_t seed : {5489u, 0u, 0xDEADBEEFu}) {
            RoleGuard role;
            Packet p(flags, 32);
            uint8_t code = NetRole::CMD_RPC;
            p.doBits(code, 2);
            const RuntimeClass* c = &RPCSetRandomSeed::classRecord;
            p.doClassID(c);
            int32_t target = 0;
            p.doUInt(target);
            uint32_t s = seed;
            p.doDWORD(s);
            auto r = readerOf(p, true);
            ASSERT_TRUE(role->processPacket(*r));
            std::mt19937 reference(seed);
            for (int i = 0; i < 2000; ++i) ASSERT_EQ(role->random.next(), reference()) << seed << " draw " << i;
        }
    }
}
