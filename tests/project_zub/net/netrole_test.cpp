// The role's registry, its four commands, the full-state writer and the
// replay of full states, and how a role treats malformed packets from peers.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
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

// The body of a plain ZubBase (StateBase group, check word in packets with
// flag 4, then children ended by 0).
void plainBody(Packet& p, std::initializer_list<int32_t> children, int32_t state = 0) {
    int32_t s = state, g = state;
    double t = 0.0, l = 0.0;
    p.doInt(s);
    p.doDouble(t);
    p.doDouble(l);
    p.doInt(g);
    if (p.flags & Packet::FLAG_RAW_CLASSES) {
        uint32_t check = 0xFEFDFCFBu;
        p.doDWORD(check);
    }
    for (int32_t c : children) putUInt(p, c);
    putUInt(p, 0);
}

// A root body: the plain body with the UID counter before the check word.
void rootBody(Packet& p, int32_t counter, std::initializer_list<int32_t> children) {
    int32_t s = 0, g = 0;
    double t = 0.0, l = 0.0;
    p.doInt(s);
    p.doDouble(t);
    p.doDouble(l);
    p.doInt(g);
    p.doUInt(counter);
    if (p.flags & Packet::FLAG_RAW_CLASSES) {
        uint32_t check = 0xFEFDFCFBu;
        p.doDWORD(check);
    }
    for (int32_t c : children) putUInt(p, c);
    putUInt(p, 0);
}

void copyObj(Packet& p, int32_t uid) {
    putCode(p, NetRole::COPYOBJ);
    putUInt(p, uid);
}

// Every property of the object as (path, text), in declaration order.
using PropertyList = std::vector<std::pair<std::string, std::string>>;

void flatten(const Property* c, const std::string& prefix, PropertyList& out) {
    for (ZubBase* z = c->firstChild; z; z = z->nextSibling) {
        const Property* p = static_cast<const Property*>(z);
        const std::string path = prefix + wideToNarrow(p->getName());
        if (p->firstChild) flatten(p, path + ".", out);
        else out.emplace_back(path, wideToNarrow(p->toString()));
    }
}

PropertyList propertiesOf(ZubBase* o, NetRole* role) {
    // The root's counter binds to the current role when it is declared.
    NetRole* saved = THEROLE;
    THEROLE = role;
    PropertyContainer* c = o->createPropertyContainer();
    THEROLE = saved;
    PropertyList list;
    flatten(c, "", list);
    deleteObject(c);
    return list;
}

std::vector<int32_t> sortedUids(const NetRole& role) {
    std::vector<int32_t> uids;
    for (const auto& e : role.objectMap) uids.push_back(e.first);
    std::sort(uids.begin(), uids.end());
    return uids;
}

// Registered children of an object, as UIDs.
std::vector<int32_t> childUids(const ZubBase* o) {
    std::vector<int32_t> v;
    for (const ZubBase* c = o->firstChild; c; c = c->nextSibling)
        if (c->objectUID > 0) v.push_back(c->objectUID);
    return v;
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
    EXPECT_EQ(role->findObject(50), a);
    EXPECT_EQ(role->findObject(51), b);
    EXPECT_EQ(role->findObject(7), c);
    EXPECT_EQ(role->objectCount(), 3);
    EXPECT_EQ(role->root, nullptr);

    role->unregisterObject(a);
    EXPECT_EQ(a->objectUID, -1);
    EXPECT_EQ(role->findObjectOrNull(50), nullptr);
    EXPECT_EQ(role->objectCount(), 2);
    role->unregisterObject(nullptr);
    EXPECT_EQ(role->objectCount(), 2);
    deleteObject(a);
}

TEST(NetRoleRegistry, UidOneBecomesTheRootUnderTheRole) {
    RoleGuard role;
    RootObject* root = new RootObject;
    role->registerObject(root, 1);
    EXPECT_EQ(role->root, root);
    EXPECT_EQ(root->parent, role.get());
    EXPECT_EQ(role->findObject(1), root);
    role->unregisterObject(root);
    EXPECT_EQ(role->root, nullptr);
    role->removeChild(root);
    deleteObject(root);
}

TEST(NetRoleRegistryDeathTest, FindingAnUnknownUidIsFatal) {
    EXPECT_EXIT(
        {
            RoleGuard role;
            role->findObject(42);
        },
        ::testing::ExitedWithCode(255), "Could not find object ID 42");
}

TEST(NetRoleRegistryDeathTest, SecondRootIsFatal) {
    EXPECT_EXIT(
        {
            RoleGuard role;
            role->registerObject(new RootObject, 1);
            role->registerObject(new RootObject, 1);
        },
        ::testing::ExitedWithCode(255), "root == NULL");
}

TEST(NetRoleRegistryDeathTest, RegisteringTwiceIsFatal) {
    EXPECT_EXIT(
        {
            RoleGuard role;
            NetProbe* o = new NetProbe;
            role->registerObject(o, 9);
            role->registerObject(o, 10);
        },
        ::testing::ExitedWithCode(255), "!o->isValidUID\\(\\)");
}

TEST(NetRoleRegistry, ServerQueuesSpawnsExceptDuringClientCalls) {
    RoleGuard role;
    role->outgoing->reset();
    NetProbe* a = new NetProbe;
    role->registerObject(a, 0);
    const int index = NetProbe::classRecord.index;
    ASSERT_LT(index, 128);
    EXPECT_EQ(contentOf(*role->outgoing), bytes({0x00, index}));

    role->bExecutingOnClients = true;
    NetProbe* b = new NetProbe;
    role->registerObject(b, 0);
    role->bExecutingOnClients = false;
    EXPECT_EQ(role->outgoing->length(), 2);

    // A client never queues spawns.
    role->bServer = false;
    NetProbe* c = new NetProbe;
    role->registerObject(c, 0);
    EXPECT_EQ(role->outgoing->length(), 2);
}

TEST(NetRoleRegistry, RegistrationInsideAClientCallQueuesNoSpawn) {
    RoleGuard role;
    ProbeReset reset;
    std::vector<NetProbe*> made;
    ProbeRPC::onExecute = [&](ProbeRPC&) {
        NetProbe* o = new NetProbe;
        made.push_back(o);
        THEROLE->registerObject(o, 0);
    };
    // Runs on both sides: each client makes the object itself.
    role->outgoing->reset();
    ProbeRPC both(true, true, false);
    both.call();
    ASSERT_EQ(made.size(), 1u);
    {
        auto r = readerOf(*role->outgoing);
        EXPECT_EQ(readCode(*r), NetRole::CMD_RPC);
        const RuntimeClass* c = nullptr;
        r->doClassID(c);
        EXPECT_EQ(c, &ProbeRPC::classRecord);
        int32_t target = -1, arg = -1;
        r->doUInt(target);
        r->doInt(arg);
        EXPECT_TRUE(r->atEnd()) << hex(contentOf(*role->outgoing));
    }
    // Runs on the server only: the clients learn of the object by a spawn.
    role->outgoing->reset();
    ProbeRPC serverOnly(true, false, false);
    serverOnly.call();
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(contentOf(*role->outgoing), bytes({0x00, NetProbe::classRecord.index}));
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

TEST(NetRoleFullState, EmptyRegistryWritesNothing) {
    RoleGuard role;
    Packet p(5, 16);
    role->writeFullState(&p);
    EXPECT_EQ(p.length(), 0);
    role->outgoing->reset();
    role->writeFullState();
    EXPECT_EQ(role->outgoing->length(), 0);
}

TEST(NetRoleFullState, ReplayRecreatesTheSameObjects) {
    RoleGuard writer;
    RootObject* root = new RootObject;
    writer->registerObject(root, 1);
    NetProbe* a = new NetProbe;
    NetProbe* b = new NetProbe;
    NetProbe* c = new NetProbe;
    writer->registerObject(a, 5);
    writer->registerObject(b, 300);
    writer->registerObject(c, 9);
    root->addChild(a);
    root->addChild(c);
    a->addChild(b);
    a->addChild(new NetProbe);  // unregistered: left out of the state
    a->count = -123456;
    a->flagsWord = 0x7FFFFFFF;
    a->speed = 0.0999755859375f;  // exact in 16 bits: the texts compare equal
    a->angle = -2.5f;
    a->bActive = true;
    a->timer = 12.75;
    a->label = u"Tumbrodemo \u20AC\U0001F600";
    a->partner = b;
    a->other = root;
    a->outside = c;
    b->count = 64;
    b->partner = a;
    b->gotoState(3, 0.0);
    b->timeInState = 1.5;
    c->gotoState(2, 4.0);
    c->label = u"";
    writer->nextObjectUID = 1234;

    Packet state(5);
    THEROLE = writer.get();
    writer->writeFullState(&state);
    ASSERT_FALSE(state.failed());
    auto level = readerOf(state);

    RoleGuard reader;
    EXPECT_EQ(THEROLE, reader.get());
    ASSERT_TRUE(reader->processPacket(*level));
    EXPECT_TRUE(level->atEnd());
    EXPECT_EQ(THEROLE, reader.get());
    EXPECT_EQ(reader->nextObjectUID, 1234);

    ASSERT_EQ(sortedUids(*reader), sortedUids(*writer));
    ASSERT_NE(reader->root, nullptr);
    EXPECT_EQ(reader->root->parent, reader.get());
    for (int32_t uid : sortedUids(*writer)) {
        ZubBase* original = writer->findObject(uid);
        ZubBase* copy = reader->findObject(uid);
        ASSERT_NE(copy, original);
        ASSERT_EQ(copy->getClass(), original->getClass()) << uid;
        EXPECT_EQ(copy->objectUID, uid);
        const PropertyList want = propertiesOf(original, writer.get());
        const PropertyList got = propertiesOf(copy, reader.get());
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].first, want[i].first);
            EXPECT_EQ(got[i].second, want[i].second) << "UID " << uid << " property " << want[i].first;
        }
        EXPECT_EQ(childUids(copy), childUids(original)) << uid;
        if (uid != 1) {
            ASSERT_NE(copy->parent, nullptr);
            EXPECT_EQ(copy->parent->objectUID, original->parent->objectUID);
        }
        if (copy->getClass() == &NetProbe::classRecord) {
            EXPECT_EQ(static_cast<NetProbe*>(copy)->postReplicateCount, 1);
            EXPECT_EQ(static_cast<NetProbe*>(copy)->postReplicateGlobalCount, 0);
        }
    }
    // The values that travel exactly.
    NetProbe* a2 = static_cast<NetProbe*>(reader->findObject(5));
    EXPECT_EQ(a2->count, -123456);
    EXPECT_EQ(a2->flagsWord, 0x7FFFFFFF);
    EXPECT_EQ(a2->speed, 0.0999755859375f);
    EXPECT_EQ(a2->label, a->label);
    EXPECT_EQ(a2->partner, reader->findObject(300));
    EXPECT_EQ(a2->other, reader->root);
    EXPECT_EQ(a2->outside, reader->findObject(9));
    EXPECT_EQ(a2->countChildren(), 1);  // the unregistered child stayed behind

    reader->postReplicateAll();
    EXPECT_EQ(a2->postReplicateGlobalCount, 1);
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

// ---------------------------------------------------------------------------
// Processing packets

TEST(NetRoleProcess, EmptyPacketRunsNothing) {
    RoleGuard role;
    auto r = readerOf(Bytes{}, 1);
    EXPECT_TRUE(role->processPacket(*r));
    EXPECT_EQ(role->objectCount(), 0);
}

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

TEST(NetRoleProcess, CommandsBeforeAFaultHaveRun) {
    Packet p(1, 32);
    spawnNamed(p, &NetProbe::classRecord, 12);
    copyObj(p, 400);
    auto r = readerOf(p, true);
    RoleGuard role;
    EXPECT_FALSE(role->processPacket(*r));
    EXPECT_NE(role->findObjectOrNull(12), nullptr);
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

TEST(NetRoleHostile, DeletingAnObjectUnregistersItsRegisteredDescendants) {
    // A call deletes object 5, whose child 6 is registered as well: nothing
    // may remain in the registry that points at the freed child.
    Packet p(1, 64);
    spawnNamed(p, &ZubBase::classRecord, 5);
    spawnNamed(p, &ZubBase::classRecord, 6);
    copyObj(p, 5);
    plainBody(p, {6});
    putCode(p, NetRole::CMD_RPC);
    putClass(p, &RPCNetDelete::classRecord);
    putUInt(p, 0);  // target: none
    putUInt(p, 5);  // the object to delete
    auto r = readerOf(p, true);
    RoleGuard role;
    role->processPacket(*r);
    ASSERT_EQ(role->findObjectOrNull(5), nullptr);
    ZubBase* six = role->findObjectOrNull(6);
    EXPECT_EQ(six, nullptr) << "the registry still maps UID 6 to an object that was deleted with its parent";
    if (six) role->objectMap.erase(6);  // keep the teardown away from it
}

TEST(NetRoleHostileDeathTest, DeletedDescendantIsNotReachedByLaterCommands) {
    // The same deletion followed by a COPYOBJ of the deleted child: a peer
    // must not be able to make the role write into freed memory.
    EXPECT_EXIT(
        {
            Packet p(1, 128);
            spawnNamed(p, &ZubBase::classRecord, 5);
            spawnNamed(p, &ZubBase::classRecord, 6);
            copyObj(p, 5);
            plainBody(p, {6});
            putCode(p, NetRole::CMD_RPC);
            putClass(p, &RPCNetDelete::classRecord);
            putUInt(p, 0);
            putUInt(p, 5);
            copyObj(p, 6);
            plainBody(p, {}, 3);
            auto r = readerOf(p, true);
            NetRole* role = new NetRole;
            role->processPacket(*r);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(NetRoleHostileDeathTest, UidCounterAtTheTopDoesNotOverflow) {
    // A root whose counter is 2^31 - 1, then a spawn: the role must refuse
    // rather than step the counter past the largest int.
    EXPECT_EXIT(
        {
            Packet p(1, 64);
            spawnNamed(p, &RootObject::classRecord, 1);
            copyObj(p, 1);
            rootBody(p, INT32_MAX, {});
            putCode(p, NetRole::SPAWNOBJ);
            putClass(p, &ZubBase::classRecord);
            putCode(p, NetRole::SPAWNOBJ);
            putClass(p, &ZubBase::classRecord);
            auto r = readerOf(p, true);
            NetRole* role = new NetRole;
            role->processPacket(*r);
            for (const auto& e : role->objectMap)
                if (e.first < 1 || e.second->objectUID != e.first) std::exit(2);
            std::exit(role->nextObjectUID > 1 ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "");
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

TEST(NetRoleHostileDeathTest, PeerSpawnsCannotOverflowTheOutgoingPacket) {
    // A server queues one spawn for every object a packet creates. Two full
    // packets of spawns in one step must not end the program.
    EXPECT_EXIT(
        {
            NetRole* role = new NetRole;
            for (int k = 0; k < 2; ++k) {
                Packet p(1);
                p.setFromPeer();
                while (p.remaining() >= 5) {
                    putCode(p, NetRole::SPAWNOBJ);
                    putClass(p, &ZubBase::classRecord);
                }
                auto r = readerOf(p, true);
                role->processPacket(*r);
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(NetRoleHostileDeathTest, DeletedObjectIsNotReachedThroughAPointerProperty) {
    // A list entry points at object 6; a call deletes object 6; a new peer
    // then gets the full state. The entry must not lead the writer into
    // freed memory.
    EXPECT_EXIT(
        {
            Packet p(1, 64);
            spawnNamed(p, &ZubBasePointer::classRecord, 5);
            spawnNamed(p, &ZubBase::classRecord, 6);
            copyObj(p, 5);
            {
                int32_t s = 0;
                double t = 0.0;
                p.doInt(s);
                p.doDouble(t);
                p.doDouble(t);
                p.doInt(s);
                putUInt(p, 6);  // pObject
                putUInt(p, 0);  // no children
            }
            putCode(p, NetRole::CMD_RPC);
            putClass(p, &RPCNetDelete::classRecord);
            putUInt(p, 0);
            putUInt(p, 6);
            auto r = readerOf(p, true);
            NetRole* role = new NetRole;
            if (!role->processPacket(*r)) std::exit(0);  // refusing the call is fine too
            Packet state(1);
            state.setFromPeer();
            role->writeFullState(&state);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
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
