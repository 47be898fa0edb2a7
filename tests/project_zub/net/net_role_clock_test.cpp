// The role's frame: its clock and network steps, the tree ticked every
// frame, the current role during a tick, deletions while objects are being
// ticked, the server scope, and the statistics overlay's lines.
#include <gtest/gtest.h>

#include "net_test_support.h"

using namespace nettest;

namespace {

// Counts its ticks and remembers the times it was given.
class TickProbe : public ZubBase {
    ZUB_DECLARE_CLASS(TickProbe)
public:
    void tick(double time, double dt) override {
        ++ticks;
        lastTime = time;
        lastDt = dt;
        roleDuringTick = THEROLE;
        if (bDestroySelf) destroy();  // through the role: the object lives on until the tick is over
        if (victim) {
            victim->destroy();
            victim = nullptr;
        }
        if (bDestroySelf) {
            // Still safe to touch: freed only at the end of the role's tick.
            ticks += 100;
            bHidden = bHidden ? 1 : 0;
        }
        ZubBase::tick(time, dt);
    }
    ~TickProbe() override {
        if (deletedFlag) *deletedFlag = true;
    }
    int ticks = 0;
    double lastTime = 0.0;
    double lastDt = 0.0;
    NetRole* roleDuringTick = nullptr;
    bool bDestroySelf = false;
    ZubBase* victim = nullptr;
    bool* deletedFlag = nullptr;
};

ZUB_IMPLEMENT_CLASS(TickProbe, ZubBase, 0x7e57c006u)

}  // namespace

TEST(NetRoleClock, OneStepPerFrameHoweverLate) {
    RoleGuard role;
    const double period = role->period;
    EXPECT_DOUBLE_EQ(period, 0.05);
    EXPECT_TRUE(role->advanceClock(3.5 * period));  // the first frame steps
    EXPECT_EQ(role->stepCount, 1);
    EXPECT_NEAR(role->nextStepTime, 4.0 * period, 1e-12);
    EXPECT_FALSE(role->advanceClock(0.2 * period));
    EXPECT_EQ(role->stepCount, 1);
    // 3.5 periods late: one step, not three.
    EXPECT_TRUE(role->advanceClock(3.5 * period));
    EXPECT_EQ(role->stepCount, 2);
    EXPECT_GT(role->nextStepTime, role->netTime);
    EXPECT_LE(role->nextStepTime, role->netTime + period + 1e-12);
    // More than 100 periods late: one step, and the next one a period on.
    EXPECT_TRUE(role->advanceClock(150.0 * period));
    EXPECT_EQ(role->stepCount, 3);
    EXPECT_DOUBLE_EQ(role->nextStepTime, role->netTime + period);
}

TEST(NetRoleClock, TreeIsTickedEveryFrameOnTheRolesClock) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    RoleList roles;
    TestServer* s = roles.add(new TestServer);
    attachLoopback(*s);
    s->start(nullptr);
    auto* probe = new TickProbe;
    s->registerObject(probe, 0);
    s->root->addChild(probe);
    int steps = 0;
    for (int i = 0; i < 10; ++i) {
        s->tick(123.0, 0.021);  // the role takes its own time
        if (s->bStepped) ++steps;
        EXPECT_EQ(probe->roleDuringTick, s);
        EXPECT_EQ(THEROLE, nullptr);
        EXPECT_DOUBLE_EQ(probe->lastDt, 0.021);
        EXPECT_DOUBLE_EQ(probe->lastTime, s->netTime);
    }
    EXPECT_EQ(probe->ticks, 10);
    EXPECT_EQ(steps, 5);  // at 0.021, 0.063, 0.105, 0.168 and 0.21 of role time
    EXPECT_EQ(s->stepCount, steps);
    EXPECT_NEAR(s->netTime, 0.21, 1e-12);
}

TEST(NetRoleClock, ObjectDestroyingItselfInItsTickIsFreedAfterTheTick) {
    ManualClock clock;
    ZubNetwork network(nullptr);
    RoleList roles;
    TestServer* s = roles.add(new TestServer);
    attachLoopback(*s);
    s->start(nullptr);
    auto* self = new TickProbe;
    auto* killer = new TickProbe;
    auto* victim = new TickProbe;
    bool selfDeleted = false, victimDeleted = false;
    self->deletedFlag = &selfDeleted;
    victim->deletedFlag = &victimDeleted;
    for (TickProbe* p : {self, killer, victim}) {
        s->registerObject(p, 0);
        s->root->addChild(p);
    }
    const int32_t selfUid = self->objectUID, victimUid = victim->objectUID;
    self->bDestroySelf = true;
    killer->victim = victim;  // the next sibling, which the tick is about to reach
    s->tick(0.0, 0.01);
    EXPECT_TRUE(selfDeleted);
    EXPECT_TRUE(victimDeleted);
    EXPECT_EQ(s->findObjectOrNull(selfUid), nullptr);
    EXPECT_EQ(s->findObjectOrNull(victimUid), nullptr);
    EXPECT_EQ(s->root->countChildren(), 1);
    EXPECT_EQ(killer->ticks, 1);
    // Outside a tick the deletion is immediate.
    bool killerDeleted = false;
    killer->deletedFlag = &killerDeleted;
    s->deleteRegistered(killer);
    EXPECT_TRUE(killerDeleted);
}

TEST(NetRoleClock, ServerScope) {
    ProbeReset reset;
    {
        RoleGuard client(false);
        bool isClient = false;
        ServerScope scope(&isClient);
        EXPECT_TRUE(isClient);
        EXPECT_TRUE(scope.isClient());
    }
    {
        THEROLE = nullptr;
        ServerScope scope;
        EXPECT_FALSE(scope.isClient());
    }
    RoleGuard server;
    server->outgoing->reset();
    int spawnsInScope = -1;
    bool flagInScope = true, flagAfter = false;
    ProbeRPC::onExecute = [&](ProbeRPC&) {
        {
            ServerScope scope;
            EXPECT_FALSE(scope.isClient());
            flagInScope = THEROLE->bExecutingOnClients;
            const int before = server->commandCounts[NetRole::SPAWNOBJ];
            auto* o = new ZubBase;
            THEROLE->registerObject(o, 0);
            spawnsInScope = server->commandCounts[NetRole::SPAWNOBJ] - before;
            deleteObject(o);
        }
        flagAfter = THEROLE->bExecutingOnClients;
    };
    ProbeRPC call(true, true, false);
    call.call();
    EXPECT_FALSE(flagInScope);
    EXPECT_TRUE(flagAfter);
    EXPECT_EQ(spawnsInScope, 1);
    EXPECT_FALSE(server->bExecutingOnClients);
}
