// The role's registry, its four commands, the full-state writer and the
// replay of full states, and how a role treats malformed packets from peers.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "net_test_support.h"
#include "util/WString.h"

using namespace nettest;

namespace {

// Command writers for hand-made packets.
void putCode(Packet& p, int code) {
    uint8_t c = static_cast<uint8_t>(code);
    p.doBits(c, 2);
}
void putClass(Packet& p, const RuntimeClass* c) { p.doClassID(c); }
void putUInt(Packet& p, int32_t v) { p.doUInt(v); }

void spawnNamed(Packet& p, const RuntimeClass* c, int32_t uid) {
    putCode(p, NetRole::SPAWNNAMED);
    putClass(p, c);
    putUInt(p, uid);
}

// The body of a plain ZubBase (StateBase group, the root's UID counter when
// given, check word in packets with flag 4, then children ended by 0).
void body(Packet& p, std::initializer_list<int32_t> children, int32_t state = 0, int32_t counter = -1) {
    int32_t s = state, g = state;
    double t = 0.0, l = 0.0;
    p.doInt(s);
    p.doDouble(t);
    p.doDouble(l);
    p.doInt(g);
    if (counter >= 0) p.doUInt(counter);
    if (p.flags & Packet::FLAG_RAW_CLASSES) {
        uint32_t check = 0xFEFDFCFBu;
        p.doDWORD(check);
    }
    for (int32_t c : children) putUInt(p, c);
    putUInt(p, 0);
}
void plainBody(Packet& p, std::initializer_list<int32_t> children, int32_t state = 0) { body(p, children, state); }
void rootBody(Packet& p, int32_t counter, std::initializer_list<int32_t> children) { body(p, children, 0, counter); }

void copyObj(Packet& p, int32_t uid) {
    putCode(p, NetRole::COPYOBJ);
    putUInt(p, uid);
}

// Live probes that carry a UID under which the registry holds another object.
std::vector<ZubBase*> strayProbes(const NetRole& role) {
    std::vector<ZubBase*> v;
    ZubBase::forEachLive([&](ZubBase* o) {
        if (o->getClass() == &NetProbe::classRecord && o->objectUID > 0 && !o->parent &&
            role.findObjectOrNull(o->objectUID) != o)
            v.push_back(o);
    });
    return v;
}

}  // namespace

// ---------------------------------------------------------------------------
// Registry

TEST(NetRoleRegistry, RegisterUnregisterAndFind) {
    RoleGuard role;
    EXPECT_EQ(THEROLE, role.get());
    EXPECT_GE(role->nextObjectUID, 2);
    EXPECT_LE(role->nextObjectUID, 257);
    role->nextObjectUID = 50;
    NetProbe* a = new NetProbe;
    NetProbe* b = new NetProbe;
    NetProbe* c = new NetProbe;
    role->registerObject(a, 0);
    role->registerObject(b, -3);
    role->registerObject(c, 7);
    EXPECT_EQ(a->objectUID, 50);
    EXPECT_EQ(b->objectUID, 51);
    EXPECT_EQ(c->objectUID, 7);
    EXPECT_EQ(role->nextObjectUID, 52);
    EXPECT_EQ(role->findObject(51), b);
    EXPECT_EQ(role->root, nullptr);
    role->unregisterObject(a);
    EXPECT_EQ(a->objectUID, -1);
    EXPECT_EQ(role->findObjectOrNull(50), nullptr);
    EXPECT_EQ(role->objectCount(), 2);
    deleteObject(a);
    // UID 1 is the root, under the role.
    RootObject* root = new RootObject;
    role->registerObject(root, 1);
    EXPECT_EQ(role->root, root);
    EXPECT_EQ(root->parent, role.get());
    role->unregisterObject(root);
    EXPECT_EQ(role->root, nullptr);
    role->removeChild(root);
    deleteObject(root);
}

TEST(NetRoleRegistryDeathTest, UnknownUidSecondRootAndSecondRegistrationAreFatal) {
    EXPECT_EXIT(
        {
            RoleGuard role;
            role->findObject(42);
        },
        ::testing::ExitedWithCode(255), "Could not find object ID 42");
    EXPECT_EXIT(
        {
            RoleGuard role;
            role->registerObject(new RootObject, 1);
            role->registerObject(new RootObject, 1);
        },
        ::testing::ExitedWithCode(255), "root == NULL");
    EXPECT_EXIT(
        {
            RoleGuard role;
            NetProbe* o = new NetProbe;
            role->registerObject(o, 9);
            role->registerObject(o, 10);
        },
        ::testing::ExitedWithCode(255), "!o->isValidUID\\(\\)");
    EXPECT_EXIT(
        {
            RoleGuard role;
            role->registerObject(new ZubBase, 12);
            role->registerObject(new ZubBase, 12);
        },
        ::testing::ExitedWithCode(255), "uid == 1 \\|\\| objectMap.count\\(uid\\) == 0");
}

TEST(NetRoleRegistry, ServerQueuesSpawnsExceptForObjectsEveryClientMakes) {
    RoleGuard role;
    ProbeReset reset;
    role->outgoing->reset();
    role->registerObject(new NetProbe, 0);
    const int index = NetProbe::classRecord.index;
    ASSERT_LT(index, 128);
    EXPECT_EQ(contentOf(*role->outgoing), bytes({0x00, index}));
    // Made inside a call the clients run too: each client makes it itself.
    role->outgoing->reset();
    ProbeRPC::onExecute = [&](ProbeRPC&) { THEROLE->registerObject(new NetProbe, 0); };
    ProbeRPC both(true, true, false);
    both.call();
    auto r = readerOf(*role->outgoing);
    EXPECT_EQ(readCode(*r), NetRole::CMD_RPC);
    const RuntimeClass* c = nullptr;
    r->doClassID(c);
    int32_t target = -1, arg = -1;
    r->doUInt(target);
    r->doInt(arg);
    EXPECT_EQ(c, &ProbeRPC::classRecord);
    EXPECT_TRUE(r->atEnd()) << hex(contentOf(*role->outgoing));
    // Made inside a call only the server runs: the clients learn of it by a spawn.
    role->outgoing->reset();
    ProbeRPC serverOnly(true, false, false);
    serverOnly.call();
    EXPECT_EQ(contentOf(*role->outgoing), bytes({0x00, index}));
    // A client never queues spawns.
    role->outgoing->reset();
    role->bServer = false;
    role->registerObject(new NetProbe, 0);
    EXPECT_EQ(role->outgoing->length(), 0);
}

// ---------------------------------------------------------------------------
// Full state

TEST(NetRoleFullState, SpawnsAllInUidOrderThenCopiesAll) {
    RoleGuard role;
    NetProbe* root = new NetProbe;
    NetProbe* big = new NetProbe;
    NetProbe* seven = new NetProbe;
    role->registerObject(root, 1);
    role->registerObject(big, 300);
    role->registerObject(seven, 7);
    big->count = 300;
    seven->count = 7;
    root->count = 1;

    for (uint32_t flags : {5u, 1u}) {
        Packet p(flags);
        role->writeFullState(&p);
        auto r = readerOf(p);
        for (int32_t expected : {1, 7, 300}) {
            ASSERT_EQ(readCode(*r), NetRole::SPAWNNAMED);
            const RuntimeClass* c = nullptr;
            r->doClassID(c);
            EXPECT_EQ(c, &NetProbe::classRecord);
            int32_t uid = 0;
            r->doUInt(uid);
            EXPECT_EQ(uid, expected);
        }
        for (int32_t expected : {1, 7, 300}) {
            ASSERT_EQ(readCode(*r), NetRole::COPYOBJ);
            int32_t uid = 0;
            r->doUInt(uid);
            EXPECT_EQ(uid, expected);
            NetProbe scratch;
            scratch.netSerialize(*r);
            EXPECT_EQ(scratch.count, expected);
        }
        EXPECT_TRUE(r->atEnd());
        EXPECT_FALSE(r->failed());
    }
}

TEST(NetRoleFullState, CheckWordMismatchFailsFromAPeer) {
    RoleGuard writer;
    NetProbe* root = new NetProbe;
    writer->registerObject(root, 1);
    Packet state(5);
    writer->writeFullState(&state);
    Bytes b = contentOf(state);
    // The check word sits right before the children's end marker.
    ASSERT_GE(b.size(), 5u);
    ASSERT_EQ(b[b.size() - 2], 0xFE);
    b[b.size() - 2] ^= 0x01;
    auto level = readerOf(b, 5, true);
    RoleGuard reader;
    EXPECT_FALSE(reader->processPacket(*level));
    EXPECT_TRUE(level->failed());
}

TEST(NetRoleFullState, ReplayedCounterNumbersTheNextSpawn) {
    Packet p(5);
    spawnNamed(p, &RootObject::classRecord, 1);
    copyObj(p, 1);
    rootBody(p, 777, {});
    putCode(p, NetRole::SPAWNOBJ);
    putClass(p, &NetProbe::classRecord);
    auto r = readerOf(p);
    RoleGuard role;
    ASSERT_TRUE(role->processPacket(*r));
    ZubBase* spawned = role->findObjectOrNull(777);
    ASSERT_NE(spawned, nullptr);
    EXPECT_EQ(spawned->getClass(), &NetProbe::classRecord);
    EXPECT_EQ(role->nextObjectUID, 778);
}

// A peer's root body with a UID counter below the first free number is
// refused and the counter kept: the next object made here still gets one.
TEST(NetRoleHostile, ARootBodyWithoutAFreeUidCounterIsRefused) {
    for (int32_t counter : {0, 1}) {
        RoleGuard role;
        RootObject* root = new RootObject;
        role->registerObject(root, 1);
        const int32_t before = role->nextObjectUID;
        Packet p(5, 256);
        copyObj(p, 1);
        rootBody(p, counter, {});
        auto r = readerOf(p, true);
        EXPECT_FALSE(role->processPacket(*r)) << counter;
        EXPECT_NE(r->errorText().find(u"UID counter"), WString::npos) << counter;
        EXPECT_EQ(role->nextObjectUID, before) << counter;
        ZubBase* made = new ZubBase;
        role->registerObject(made, 0);
        EXPECT_EQ(made->objectUID, before) << counter;
    }
}

// ---------------------------------------------------------------------------
// Processing packets

TEST(NetRoleProcess, LeftoverBitsDoNotRunCommands) {
    // One spawn: its code uses two bits of the bit byte, six remain unused.
    Packet p(1, 16);
    spawnNamed(p, &NetProbe::classRecord, 20);
    auto r = readerOf(p);
    RoleGuard role;
    EXPECT_TRUE(role->processPacket(*r));
    EXPECT_EQ(role->objectCount(), 1);
    ASSERT_NE(role->findObjectOrNull(20), nullptr);
}

TEST(NetRoleProcess, FourCommandsShareOneBitByte) {
    Packet p(1, 64);
    spawnNamed(p, &NetProbe::classRecord, 30);
    spawnNamed(p, &ZubBase::classRecord, 31);
    copyObj(p, 31);
    plainBody(p, {30}, 4);
    putCode(p, NetRole::SPAWNOBJ);
    putClass(p, &ZubBase::classRecord);
    // Codes 1, 1, 2, 0 in the first byte.
    EXPECT_EQ(p.data()[0], 0x25);
    auto r = readerOf(p);
    RoleGuard role;
    role->nextObjectUID = 40;
    ASSERT_TRUE(role->processPacket(*r));
    EXPECT_EQ(role->objectCount(), 3);
    ZubBase* holder = role->findObject(31);
    EXPECT_EQ(holder->state, 4);
    EXPECT_EQ(role->findObject(30)->parent, holder);
    EXPECT_NE(role->findObjectOrNull(40), nullptr);
}

TEST(NetRoleProcess, PeerPacketsThatBreakTheRulesAreRejected) {
    RoleGuard role;
    role->registerObject(new ZubBase, 7);
    RootObject* root = new RootObject;
    role->registerObject(root, 1);

    struct Case {
        const char* what;
        std::function<void(Packet&)> build;
    };
    const Case cases[] = {
        {"SPAWNNAMED of UID 0", [](Packet& p) { spawnNamed(p, &NetProbe::classRecord, 0); }},
        {"SPAWNNAMED of a taken UID", [](Packet& p) { spawnNamed(p, &NetProbe::classRecord, 7); }},
        {"second root", [](Packet& p) { spawnNamed(p, &RootObject::classRecord, 1); }},
        {"COPYOBJ of an unknown UID",
         [](Packet& p) {
             copyObj(p, 99);
             plainBody(p, {});
         }},
        {"RPC of an object class",
         [](Packet& p) {
             putCode(p, NetRole::CMD_RPC);
             putClass(p, &NetProbe::classRecord);
             putUInt(p, 0);
         }},
        {"SPAWNOBJ of a call class",
         [](Packet& p) {
             putCode(p, NetRole::SPAWNOBJ);
             putClass(p, &ProbeRPC::classRecord);
         }},
        {"SPAWNNAMED of a call class", [](Packet& p) { spawnNamed(p, &RPCNetDelete::classRecord, 60); }},
        {"SPAWNNAMED of an abstract class", [](Packet& p) { spawnNamed(p, &PropertyInt::classRecord, 61); }},
        {"RPC of the abstract property class",
         [](Packet& p) {
             putCode(p, NetRole::CMD_RPC);
             putClass(p, &Property::classRecord);
         }},
        {"RPC aimed at an unknown UID",
         [](Packet& p) {
             putCode(p, NetRole::CMD_RPC);
             putClass(p, &ProbeRPC::classRecord);
             putUInt(p, 55);
             int32_t arg = 1;
             p.doInt(arg);
         }},
        {"COPYOBJ naming itself as its child",
         [](Packet& p) {
             copyObj(p, 7);
             plainBody(p, {7});
         }},
        {"COPYOBJ naming the root as a child",
         [](Packet& p) {
             copyObj(p, 7);
             plainBody(p, {1});
         }},
        {"truncated COPYOBJ",
         [](Packet& p) {
             copyObj(p, 7);
             int32_t s = 1;
             p.doInt(s);
         }},
    };
    ProbeReset reset;
    for (uint32_t flags : {1u, 5u}) {
        for (const Case& c : cases) {
            Packet p(flags, 256);
            c.build(p);
            auto r = readerOf(p, true);
            const int live = ZubBase::liveCount();
            const int probes = NetProbe::liveProbes;
            EXPECT_FALSE(role->processPacket(*r)) << c.what;
            EXPECT_TRUE(r->failed()) << c.what;
            EXPECT_EQ(role->objectCount(), 2) << c.what;
            EXPECT_EQ(NetProbe::liveProbes, probes) << c.what;
            EXPECT_EQ(ZubBase::liveCount(), live) << c.what;
            EXPECT_EQ(role->root, root);
            EXPECT_EQ(THEROLE, role.get());
        }
    }
    EXPECT_TRUE(ProbeRPC::runs.empty());
}

TEST(NetRoleProcess, ARefusedPacketTakesBackTheObjectsItMade) {
    Packet p(1, 32);
    spawnNamed(p, &NetProbe::classRecord, 12);
    putCode(p, NetRole::SPAWNOBJ);
    putClass(p, &NetProbe::classRecord);
    copyObj(p, 400);
    auto r = readerOf(p, true);
    RoleGuard role;
    const int probes = NetProbe::liveProbes;
    const int32_t counter = role->nextObjectUID;
    EXPECT_FALSE(role->processPacket(*r));
    EXPECT_EQ(role->findObjectOrNull(12), nullptr);
    EXPECT_EQ(role->objectCount(), 0);
    EXPECT_EQ(NetProbe::liveProbes, probes);
    EXPECT_EQ(role->nextObjectUID, counter);
}

TEST(NetRoleProcessDeathTest, TrustedPacketFaultsAreFatal) {
    EXPECT_EXIT(
        {
            Packet p(5, 32);
            copyObj(p, 99);
            auto r = readerOf(p);
            RoleGuard role;
            role->processPacket(*r);
        },
        ::testing::ExitedWithCode(255), "Could not find object ID 99");
    EXPECT_EXIT(
        {
            Packet p(5, 32);
            spawnNamed(p, &NetProbe::classRecord, 4);
            spawnNamed(p, &NetProbe::classRecord, 4);
            auto r = readerOf(p);
            RoleGuard role;
            role->processPacket(*r);
        },
        ::testing::ExitedWithCode(255), "Assertion failed");
}

// ---------------------------------------------------------------------------
// Registry consistency against crafted packets

TEST(NetRoleHostile, DeletedObjectsAreNotReachedAgain) {
    // A call deletes object 5 and with it its registered child 6; a COPYOBJ
    // of the child follows. Then a list entry whose object is deleted, and
    // the full state written for a new peer.
    Packet p(1, 128);
    spawnNamed(p, &ZubBase::classRecord, 5);
    spawnNamed(p, &ZubBase::classRecord, 6);
    spawnNamed(p, &ZubBasePointer::classRecord, 7);
    spawnNamed(p, &ZubBase::classRecord, 8);
    copyObj(p, 5);
    plainBody(p, {6});
    copyObj(p, 7);
    int32_t s = 0;
    double t = 0.0;
    p.doInt(s);
    p.doDouble(t);
    p.doDouble(t);
    p.doInt(s);
    putUInt(p, 8);  // pObject
    putUInt(p, 0);  // no children
    for (int32_t victim : {5, 8}) {
        putCode(p, NetRole::CMD_RPC);
        putClass(p, &RPCNetDelete::classRecord);
        putUInt(p, 0);  // target: none
        putUInt(p, victim);
    }
    copyObj(p, 6);
    plainBody(p, {}, 3);
    auto r = readerOf(p, true);
    RoleGuard role;
    EXPECT_FALSE(role->processPacket(*r));  // object 6 is gone
    EXPECT_EQ(role->findObjectOrNull(5), nullptr);
    EXPECT_EQ(role->findObjectOrNull(6), nullptr);
    EXPECT_EQ(role->findObjectOrNull(8), nullptr);
    Packet state(1);
    state.setFromPeer();
    role->writeFullState(&state);
}

TEST(NetRoleHostile, UidCounterAtTheTopDoesNotOverflow) {
    // A root whose counter is 2^31 - 1, then spawns: refused rather than
    // stepping the counter past the largest int.
    Packet p(1, 64);
    spawnNamed(p, &RootObject::classRecord, 1);
    copyObj(p, 1);
    rootBody(p, INT32_MAX, {});
    for (int i = 0; i < 2; ++i) {
        putCode(p, NetRole::SPAWNOBJ);
        putClass(p, &ZubBase::classRecord);
    }
    auto r = readerOf(p, true);
    RoleGuard role;
    role->processPacket(*r);
    for (const auto& e : role->objectMap) EXPECT_EQ(e.second->objectUID, e.first);
    EXPECT_GT(role->nextObjectUID, 1);
}

TEST(NetRoleHostile, SpawnNeverTakesAUidThatIsInUse) {
    // A root whose counter names an existing object (and one naming the
    // root's own UID): a following spawn must be refused or numbered apart.
    for (int32_t counter : {1, 7}) {
        Packet p(1, 64);
        spawnNamed(p, &RootObject::classRecord, 1);
        spawnNamed(p, &NetProbe::classRecord, 7);
        copyObj(p, 1);
        rootBody(p, counter, {});
        putCode(p, NetRole::SPAWNOBJ);
        putClass(p, &NetProbe::classRecord);
        auto r = readerOf(p, true);
        RoleGuard role;
        role->processPacket(*r);
        const std::vector<ZubBase*> strays = strayProbes(*role);
        EXPECT_TRUE(strays.empty()) << "counter " << counter << ": a spawned object carries UID "
                                    << strays.front()->objectUID << " that the registry gives to another object";
        for (ZubBase* o : strays) deleteObject(o);
        EXPECT_EQ(role->root, role->findObjectOrNull(1));
    }
}

TEST(NetRoleHostile, CallsCannotMoveTheRootOutOfTheRole) {
    // A call that would hang the root under another object: the role must
    // keep its root (the tree it ticks, renders and deletes).
    Packet p(1, 32);
    spawnNamed(p, &RootObject::classRecord, 1);
    spawnNamed(p, &ZubBase::classRecord, 5);
    putCode(p, NetRole::CMD_RPC);
    putClass(p, &RPCAddChild::classRecord);
    putUInt(p, 5);  // target: the new parent
    putUInt(p, 1);  // child: the root
    auto r = readerOf(p, true);
    RoleGuard role;
    role->processPacket(*r);
    ASSERT_NE(role->root, nullptr);
    EXPECT_EQ(role->root->parent, role.get());
}

TEST(NetRoleHostile, PeerSpawnsCannotOverflowTheOutgoingPacket) {
    // A server queues one spawn for every object a packet creates: two full
    // packets of spawns in one step.
    RoleGuard role;
    for (int k = 0; k < 2; ++k) {
        Packet p(1);
        p.setFromPeer();
        while (p.remaining() >= 5) {
            putCode(p, NetRole::SPAWNOBJ);
            putClass(p, &ZubBase::classRecord);
        }
        auto r = readerOf(p, true);
        EXPECT_TRUE(role->processPacket(*r));
    }
}

namespace {

// A root (UID 1) with a chain of `n` plain objects below it, each the only
// child of the one before (UIDs 10, 11, ...). Bottom-up, each body hangs a
// whole chain under its object.
void chainPacket(Packet& p, int n, bool bottomUp) {
    spawnNamed(p, &RootObject::classRecord, 1);
    for (int i = 0; i < n; ++i) spawnNamed(p, &ZubBase::classRecord, 10 + i);
    if (!bottomUp) {
        copyObj(p, 1);
        rootBody(p, 2, {10});
    }
    for (int k = 0; k < n; ++k) {
        const int i = bottomUp ? n - 1 - k : k;
        copyObj(p, 10 + i);
        if (i + 1 < n) plainBody(p, {10 + i + 1});
        else plainBody(p, {});
    }
    if (bottomUp) {
        copyObj(p, 1);
        rootBody(p, 2, {10});
    }
}

// The depth of the deepest object below `top`, walked without recursion.
int deepest(ZubBase* top) {
    int best = 0, depth = 0;
    for (ZubBase* o = top->firstChild; o;) {
        ++depth;
        best = std::max(best, depth);
        if (o->firstChild) {
            o = o->firstChild;
            continue;
        }
        --depth;
        while (o != top && !o->nextSibling) {
            o = o->parent;
            --depth;
        }
        o = o == top ? nullptr : o->nextSibling;
    }
    return best;
}

}  // namespace

TEST(NetRoleHostile, TreeDeeperThanTheLimitIsRefusedAndNothingHangsTooDeep) {
    for (const bool bottomUp : {false, true}) {
        Packet p(1, 4 << 20);
        chainPacket(p, 60000, bottomUp);
        ASSERT_FALSE(p.failed());
        auto r = readerOf(p, true);
        RoleGuard role;
        EXPECT_FALSE(role->processPacket(*r)) << bottomUp;
        EXPECT_NE(r->errorText().find(u"deeper than"), WString::npos) << wideToNarrow(r->errorText());
        EXPECT_LE(deepest(role.get()), NetRole::MAX_TREE_DEPTH);
        role->tick(0.0, 0.05);  // would overflow the stack with the whole chain
    }
}

TEST(NetRoleHostile, ARefusedTooDeepPacketLeavesNothingBehind) {
    RoleGuard role(false);  // a client, as the server's states reach it
    // What the client has: a root with three probes (UIDs 5, 6, 7).
    {
        Packet p(1, 256);
        spawnNamed(p, &RootObject::classRecord, 1);
        for (int32_t uid : {5, 6, 7}) spawnNamed(p, &NetProbe::classRecord, uid);
        copyObj(p, 1);
        rootBody(p, 300, {5, 6, 7});
        auto r = readerOf(p, true);
        ASSERT_TRUE(role->processPacket(*r));
    }
    auto* a = static_cast<NetProbe*>(role->findObject(5));
    ZubBase* b = role->findObject(6);
    ZubBase* c = role->findObject(7);
    const int objects = role->objectCount();
    const int probes = NetProbe::liveProbes;
    const int32_t counter = role->nextObjectUID;

    // The packet: a chain of 60,000 new objects, and a body of probe 5 that
    // points it at the chain's head and takes probe 6 and the chain as its
    // children, so that the chain hangs from the root far too deep.
    constexpr int kChain = 60000;
    Packet p(1, 4 << 20);
    for (int i = 0; i < kChain; ++i) spawnNamed(p, &ZubBase::classRecord, 10 + i);
    {
        // Probe 5's body, written from a stand-in with children and a
        // partner that carry the UIDs.
        NetProbe model;
        ZubBase head, adopted;
        head.objectUID = 10;
        adopted.objectUID = 6;
        model.partner = &head;
        model.count = 77;
        model.addChild(&adopted);
        model.addChild(&head);
        model.addChild(new ZubBase);  // unregistered: not written
        copyObj(p, 5);
        model.netSerialize(p);
        model.removeChild(&adopted);
        model.removeChild(&head);
        head.objectUID = adopted.objectUID = -1;
    }
    for (int i = 0; i < kChain; ++i) {
        copyObj(p, 10 + i);
        if (i + 1 < kChain) plainBody(p, {10 + i + 1});
        else plainBody(p, {});
    }
    ASSERT_FALSE(p.failed());
    auto r = readerOf(p, true);
    const int live = ZubBase::liveCount();  // the two packets among them
    EXPECT_FALSE(role->processPacket(*r));
    EXPECT_NE(r->errorText().find(u"deeper than"), WString::npos) << wideToNarrow(r->errorText());

    // Nothing of the packet is left: not in the registry, not in the tree,
    // not as a pointer; what was there hangs where it hung.
    EXPECT_EQ(role->objectCount(), objects);
    EXPECT_EQ(ZubBase::liveCount(), live);
    EXPECT_EQ(NetProbe::liveProbes, probes);
    EXPECT_EQ(role->nextObjectUID, counter);
    EXPECT_EQ(role->findObjectOrNull(10), nullptr);
    EXPECT_EQ(role->findObjectOrNull(10 + kChain - 1), nullptr);
    EXPECT_EQ(a->partner, nullptr);
    EXPECT_EQ(a->firstChild, nullptr);
    EXPECT_EQ(b->parent, role->root);
    EXPECT_EQ(a->nextSibling, b);
    EXPECT_EQ(b->nextSibling, c);
    EXPECT_EQ(role->root->countChildren(), 3);
    EXPECT_EQ(deepest(role.get()), 2);
    role->tick(0.0, 0.05);

    // The same packet arriving in a network step of the role's frame: the
    // objects are freed when the frame is over.
    role->inbox.addChild(readerOf(p, true).release());
    const int liveWithPacket = live + 1;  // the inbox holds the new reader until the step
    EXPECT_EQ(ZubBase::liveCount(), liveWithPacket);
    role->tick(0.0, 0.05);
    ASSERT_TRUE(role->bStepped);
    EXPECT_EQ(role->inbox.firstChild, nullptr);
    EXPECT_EQ(role->objectCount(), objects);
    EXPECT_EQ(ZubBase::liveCount(), live);
    EXPECT_EQ(a->partner, nullptr);
    EXPECT_EQ(b->parent, role->root);
    EXPECT_EQ(role->nextObjectUID, counter);
}

TEST(NetRoleFullState, LevelNestingAsDeepAsTheLimitLoadsAndRuns) {
    // The root sits below the role: the chain fills the rest of the depth.
    Packet p(5, 1 << 20);
    chainPacket(p, NetRole::MAX_TREE_DEPTH - 1, false);
    auto r = readerOf(p);
    RoleGuard role;
    ASSERT_TRUE(role->processPacket(*r));
    EXPECT_EQ(deepest(role.get()), NetRole::MAX_TREE_DEPTH);
    role->tick(0.0, 0.05);
}

TEST(NetRoleHostile, ASmallSubtreeHungAtTheBottomIsMeasuredWhereItHangs) {
    // A root, a chain of `n` below it (top-down, each hung as a leaf), and a
    // subtree of three (5 > 6 > 7) made first and then hung below the
    // chain's last object: its deepest object stands at depth n + 4.
    auto packet = [](Packet& p, int n) {
        spawnNamed(p, &RootObject::classRecord, 1);
        for (int32_t uid : {5, 6, 7}) spawnNamed(p, &ZubBase::classRecord, uid);
        for (int i = 0; i < n; ++i) spawnNamed(p, &ZubBase::classRecord, 10 + i);
        copyObj(p, 5);
        plainBody(p, {6});
        copyObj(p, 6);
        plainBody(p, {7});
        copyObj(p, 7);
        plainBody(p, {});
        copyObj(p, 1);
        rootBody(p, 2, {10});
        for (int i = 0; i < n; ++i) {
            copyObj(p, 10 + i);
            if (i + 1 < n) plainBody(p, {10 + i + 1});
            else plainBody(p, {5});
        }
    };
    for (const int n : {NetRole::MAX_TREE_DEPTH - 4, NetRole::MAX_TREE_DEPTH - 3}) {
        const bool fits = n + 4 <= NetRole::MAX_TREE_DEPTH;
        Packet p(1, 1 << 20);
        packet(p, n);
        ASSERT_FALSE(p.failed());
        auto r = readerOf(p, true);
        RoleGuard role;
        EXPECT_EQ(role->processPacket(*r), fits) << n;
        if (fits) {
            EXPECT_EQ(deepest(role.get()), NetRole::MAX_TREE_DEPTH);
            EXPECT_EQ(role->findObject(7)->parent, role->findObject(6));
            role->tick(0.0, 0.05);
        } else {
            EXPECT_NE(r->errorText().find(u"deeper than"), WString::npos) << wideToNarrow(r->errorText());
            EXPECT_LE(deepest(role.get()), NetRole::MAX_TREE_DEPTH);
            EXPECT_EQ(role->objectCount(), 0);
        }
    }
}

TEST(NetRoleStatistics, APacketsCommandsReachTheConnectionTogether) {
    ZubNetwork network(nullptr);
    RoleGuard role;
    attachLoopback(*role);
    ASSERT_NE(role->connection, nullptr);
    static int clockReads = 0;
    clockReads = 0;
    ZubNetwork::clockOverride = [] {
        ++clockReads;
        return 5.0;
    };
    constexpr int kSpawns = 1000;
    Packet p(1, 1 << 16);
    for (int i = 0; i < kSpawns; ++i) spawnNamed(p, &ZubBase::classRecord, 10 + i);
    auto r = readerOf(p);
    const int before = role->commandCounts[NetRole::SPAWNOBJ];
    ASSERT_TRUE(role->processPacket(*r));
    const int reads = clockReads;
    ZubNetwork::clockOverride = nullptr;
    // Every spawn the server passes on is counted, in the role at once and
    // in the connection's statistics once the packet is done.
    EXPECT_EQ(role->commandCounts[NetRole::SPAWNOBJ] - before, kSpawns);
    // The total holds the closed buckets, which stay in the history too:
    // everything counted is the total and the open (newest) bucket, as the
    // role's statistics page adds them.
    auto spawnsCounted = [&role] {
        NetStatistics s;
        s.add(role->connection->statisticsTotal);
        if (const auto* open = static_cast<const NetStatistics*>(role->connection->statisticsHistory.lastChild))
            s.add(*open);
        return s.commands[NetRole::SPAWNOBJ];
    };
    EXPECT_EQ(spawnsCounted(), static_cast<uint32_t>(kSpawns));
    EXPECT_LT(reads, 10);
    // Outside a packet each command is counted as it goes (on the real
    // clock, which may close the bucket the packet was counted in).
    role->registerObject(new ZubBase, 0);
    EXPECT_EQ(spawnsCounted(), static_cast<uint32_t>(kSpawns + 1));
}

namespace {

class SpawnedUntilRefused : public ZubBase {
    ZUB_DECLARE_CLASS(SpawnedUntilRefused)
};
class SpawnedUntilRefusedChild : public SpawnedUntilRefused {
    ZUB_DECLARE_CLASS(SpawnedUntilRefusedChild)
};
ZUB_IMPLEMENT_NAMED_CLASS(SpawnedUntilRefused, ZubBase, u"SpawnedUntilRefused")
ZUB_IMPLEMENT_NAMED_CLASS(SpawnedUntilRefusedChild, SpawnedUntilRefused, u"SpawnedUntilRefusedChild")

}  // namespace

TEST(NetRoleRegistry, AClassRefusedLaterIsNoLongerSpawnedThoughItWasAskedAbout) {
    const RuntimeClass* child = &SpawnedUntilRefusedChild::classRecord;
    ASSERT_GE(child->index, 0);
    EXPECT_TRUE(NetRole::isSpawnable(child));
    EXPECT_TRUE(NetRole::isSpawnable(child));
    {
        Packet p(1, 64);
        spawnNamed(p, child, 10);
        auto r = readerOf(p, true);
        RoleGuard role;
        EXPECT_TRUE(role->processPacket(*r));
        EXPECT_EQ(role->objectCount(), 1);
    }
    NetRole::refuseSpawning(&SpawnedUntilRefused::classRecord);
    EXPECT_FALSE(NetRole::isSpawnable(child));
    EXPECT_FALSE(NetRole::isSpawnable(&SpawnedUntilRefused::classRecord));
    EXPECT_TRUE(NetRole::isSpawnable(&ZubBase::classRecord));
    Packet p(1, 64);
    spawnNamed(p, child, 10);
    auto r = readerOf(p, true);
    RoleGuard role;
    EXPECT_FALSE(role->processPacket(*r));
    EXPECT_NE(r->errorText().find(u"cannot be spawned"), WString::npos) << wideToNarrow(r->errorText());
    EXPECT_EQ(role->objectCount(), 0);
}
