// The server: a level written as a full state to a file and replayed by a
// fresh server, the two stages of post-replication, registrations refused
// during a replay, the outcome that ends a run, levels that fail to decode,
// and the initial state a connecting peer receives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "net_host_support.h"
#include "sys/ErrorManager.h"

using namespace nettest;

namespace {

// Records the order of the post-replication hooks and whether registering
// was allowed at each; its global hook registers an object of its own.
class OrderProbe : public ZubBase {
    ZUB_DECLARE_CLASS(OrderProbe)
public:
    void netPostReplicate() override {
        events.push_back("post " + std::to_string(objectUID));
        allowedInPost.push_back(THEROLE && THEROLE->bAllowNewObjectRegistations);
    }
    void netPostReplicateGlobal() override {
        events.push_back("global " + std::to_string(objectUID));
        ZUB_ASSERT(THEROLE != NULL);
        ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
        auto* made = new ZubBase;
        THEROLE->registerObject(made, 0);
        addChild(made);
    }
    static std::vector<std::string> events;
    static std::vector<bool> allowedInPost;
};

// Object code that registers while it is being replicated: not allowed.
class EagerProbe : public ZubBase {
    ZUB_DECLARE_CLASS(EagerProbe)
public:
    void netPostReplicate() override {
        ZUB_ASSERT(THEROLE->bAllowNewObjectRegistations);
        THEROLE->registerObject(new ZubBase, 0);
    }
};

// Ends the level after a number of ticks.
class OutcomeProbe : public ZubBase {
    ZUB_DECLARE_CLASS(OutcomeProbe)
public:
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyInt(u"ticksLeft", 0, &ticksLeft));
    }
    void tick(double time, double dt) override {
        ZubBase::tick(time, dt);
        ++ticks;
        if (--ticksLeft == 0 && THEROLE) THEROLE->outcome = 5;
    }
    int32_t ticksLeft = 0;
    int ticks = 0;
};

ZUB_IMPLEMENT_CLASS(OrderProbe, ZubBase, 0x7e57c003u)
ZUB_IMPLEMENT_CLASS(EagerProbe, ZubBase, 0x7e57c004u)
ZUB_IMPLEMENT_CLASS(OutcomeProbe, ZubBase, 0x7e57c005u)

std::vector<std::string> OrderProbe::events;
std::vector<bool> OrderProbe::allowedInPost;

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
    NetRole* saved = THEROLE;
    THEROLE = role;  // pointers print as UIDs of this role; the root's counter binds to it
    PropertyContainer* c = o->createPropertyContainer();
    PropertyList list;
    flatten(c, "", list);
    deleteObject(c);
    THEROLE = saved;
    return list;
}

std::vector<int32_t> sortedUids(const NetRole& role) {
    std::vector<int32_t> uids;
    for (const auto& e : role.objectMap) uids.push_back(e.first);
    std::sort(uids.begin(), uids.end());
    return uids;
}

std::vector<int32_t> childUids(const ZubBase* o) {
    std::vector<int32_t> v;
    for (const ZubBase* c = o->firstChild; c; c = c->nextSibling)
        if (c->objectUID > 0) v.push_back(c->objectUID);
    return v;
}

void writeFile(const std::string& path, const Packet& p) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(p.data(), 1, static_cast<size_t>(p.length()), f), static_cast<size_t>(p.length()));
    std::fclose(f);
}

// A level packet as the level manager makes one: the file's bytes, rewound.
std::unique_ptr<Packet> readLevel(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return nullptr;
    Bytes b;
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) b.insert(b.end(), buffer, buffer + n);
    std::fclose(f);
    auto p = std::make_unique<Packet>(5, static_cast<int>(b.size()));
    if (!b.empty()) p->writeBytes(b.data(), static_cast<int>(b.size()));
    p->rewindToRead();
    return p;
}

class NetServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        OrderProbe::events.clear();
        OrderProbe::allowedInPost.clear();
        ProbeReset::clear();
    }
    void TearDown() override { ProbeReset::clear(); }

    TestServer* newServer() {
        TestServer* s = roles.add(new TestServer);
        attachLoopback(*s);
        return s;
    }

    ManualClock clock;
    ZubNetwork network{nullptr};
    RoleList roles;
};

// Builds a level in a server started without one: probes of every property
// kind, nested lists, references both ways, a list entry, an unregistered
// child, and a counter of its own.
void buildLevel(TestServer& s) {
    ASSERT_TRUE(s.start(nullptr));
    ZubBase* root = s.root;
    auto* list = new ZubBase;
    s.registerObject(list, 0);
    root->addChild(list);
    std::vector<NetProbe*> probes;
    for (int i = 0; i < 6; ++i) {
        auto* p = new NetProbe;
        s.registerObject(p, i == 3 ? 5000 : 0);
        (i < 4 ? list : static_cast<ZubBase*>(probes[0]))->addChild(p);
        p->count = -1000 * i - 7;
        p->flagsWord = 0x12345 + i;
        p->speed = 0.5f * static_cast<float>(i) + 0.25f;
        p->angle = -1.5f;
        p->bActive = i % 2 == 0;
        p->timer = 0.125 * i;
        p->label = formatString(u"probe %d \u00e9\u20ac", i);
        p->gotoState(i, i == 2 ? 1.5 : 0.0);
        probes.push_back(p);
    }
    for (size_t i = 0; i < probes.size(); ++i) {
        probes[i]->partner = probes[(i + 1) % probes.size()];
        probes[i]->other = i % 2 ? root : nullptr;
    }
    auto* entry = new ZubBasePointer(probes[4]);
    s.registerObject(entry, 0);
    list->addChild(entry);
    probes[1]->addChild(new NetProbe);  // not registered: stays out of the level
    s.nextObjectUID = 7000;
}

}  // namespace

// ---------------------------------------------------------------------------
// Level files

TEST_F(NetServerTest, LevelFileReplaysIntoTheSameObjects) {
    TestServer* writer = newServer();
    buildLevel(*writer);
    Packet level(5, 1 << 20);
    writer->writeFullState(&level);
    ASSERT_FALSE(level.failed());
    const std::string path = ::testing::TempDir() + "net_server_level.lev";
    writeFile(path, level);

    auto replay = readLevel(path);
    ASSERT_NE(replay, nullptr);
    ASSERT_EQ(replay->length(), level.length());
    TestServer* reader = newServer();
    THEROLE = nullptr;
    ASSERT_TRUE(reader->start(replay.get(), narrowToWide(path)));
    EXPECT_EQ(THEROLE, nullptr);
    EXPECT_TRUE(replay->atEnd());
    EXPECT_TRUE(reader->bAllowNewObjectRegistations);
    EXPECT_EQ(reader->nextObjectUID, 7000);

    ASSERT_EQ(sortedUids(*reader), sortedUids(*writer));
    ASSERT_NE(reader->root, nullptr);
    EXPECT_EQ(reader->root->parent, reader);
    int compared = 0;
    for (int32_t uid : sortedUids(*writer)) {
        ZubBase* original = writer->findObject(uid);
        ZubBase* copy = reader->findObject(uid);
        ASSERT_NE(copy, original);
        ASSERT_EQ(copy->getClass(), original->getClass()) << uid;
        const PropertyList want = propertiesOf(original, writer);
        const PropertyList got = propertiesOf(copy, reader);
        ASSERT_EQ(got.size(), want.size()) << uid;
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].first, want[i].first);
            EXPECT_EQ(got[i].second, want[i].second) << "UID " << uid << " property " << want[i].first;
            ++compared;
        }
        EXPECT_EQ(childUids(copy), childUids(original)) << uid;
        if (uid != 1) {
            ASSERT_NE(copy->parent, nullptr);
            EXPECT_EQ(copy->parent->objectUID, original->parent->objectUID);
        }
        if (copy->getClass() == &NetProbe::classRecord) {
            EXPECT_EQ(static_cast<NetProbe*>(copy)->postReplicateCount, 1);
            EXPECT_EQ(static_cast<NetProbe*>(copy)->postReplicateGlobalCount, 1);
        }
    }
    EXPECT_GT(compared, 100);
    // The next object either side spawns gets the same UID.
    auto* x = new NetProbe;
    auto* y = new NetProbe;
    writer->registerObject(x, 0);
    reader->registerObject(y, 0);
    EXPECT_EQ(x->objectUID, y->objectUID);
    writer->root->addChild(x);
    reader->root->addChild(y);
    std::remove(path.c_str());
}

TEST_F(NetServerTest, EmptyLevelRegistersNothing) {
    TestServer* s = newServer();
    Packet empty(5, 0);
    empty.rewindToRead();
    EXPECT_TRUE(s->start(&empty, u"empty.lev"));
    EXPECT_EQ(s->root, nullptr);
    EXPECT_EQ(s->objectCount(), 0);
}

TEST_F(NetServerTest, PostReplicationRunsInTwoStages) {
    // Three probes, each filled by its own COPYOBJ; every per-object hook
    // runs right after its body, every global hook after the last command.
    TestServer* writer = newServer();
    ASSERT_TRUE(writer->start(nullptr));
    for (int i = 0; i < 3; ++i) {
        auto* p = new OrderProbe;
        writer->registerObject(p, 20 + i);
        writer->root->addChild(p);
    }
    Packet level(5, 4096);
    writer->writeFullState(&level);
    OrderProbe::events.clear();
    OrderProbe::allowedInPost.clear();
    auto replay = readerOf(level);
    TestServer* reader = newServer();
    ASSERT_TRUE(reader->start(replay.get(), u"order.lev"));
    EXPECT_EQ(OrderProbe::events, (std::vector<std::string>{"post 20", "post 21", "post 22", "global 20",
                                                            "global 21", "global 22"}));
    EXPECT_EQ(OrderProbe::allowedInPost, (std::vector<bool>{false, false, false}));
    // The global hooks were allowed to register: three more objects.
    EXPECT_EQ(reader->objectCount(), 1 + 3 + 3);
}

TEST_F(NetServerTest, RegisteringWhileALevelIsReadIsFatal) {
    EXPECT_EXIT(
        {
            ManualClock c;
            Packet level(5, 256);
            uint8_t code = NetRole::SPAWNNAMED;
            level.doBits(code, 2);
            const RuntimeClass* cls = &EagerProbe::classRecord;
            level.doClassID(cls);
            int32_t uid = 9;
            level.doUInt(uid);
            code = NetRole::COPYOBJ;
            level.doBits(code, 2);
            level.doUInt(uid);
            EagerProbe body;  // an empty body as the writer would write it
            body.netSerialize(level);
            auto replay = readerOf(level);
            TestServer* s = new TestServer;
            attachLoopback(*s);
            s->start(replay.get(), u"eager.lev");
        },
        ::testing::ExitedWithCode(255), "Assertion failed");
}

TEST_F(NetServerTest, StartRestoresTheCurrentRole) {
    TestServer* s = newServer();
    TestServer* other = newServer();
    Packet empty(5, 0);
    empty.rewindToRead();
    THEROLE = other;
    s->start(&empty);
    EXPECT_EQ(THEROLE, other);
    THEROLE = nullptr;
    s->start(nullptr);
    EXPECT_EQ(THEROLE, nullptr);
    ASSERT_NE(s->root, nullptr);
    EXPECT_EQ(static_cast<NetTestRoot*>(s->root)->starts, 1);
    EXPECT_EQ(s->findObject(1), s->root);
}

TEST_F(NetServerTest, StartWithoutAConnectionIsFatal) {
    EXPECT_EXIT(
        {
            TestServer s;
            s.start(nullptr);
        },
        ::testing::ExitedWithCode(255), "connection != NULL");
}

TEST_F(NetServerTest, TrustedLevelThatDoesNotDecodeEndsTheProgramWithItsName) {
    EXPECT_EXIT(
        {
            Packet level(5, 64);
            uint8_t code = NetRole::COPYOBJ;
            level.doBits(code, 2);
            int32_t uid = 99;
            level.doUInt(uid);
            auto replay = readerOf(level);
            TestServer* s = new TestServer;
            attachLoopback(*s);
            s->start(replay.get(), u"./levels/b3.lev");
        },
        ::testing::ExitedWithCode(255), "Could not load '\\./levels/b3\\.lev': Could not find object ID 99");
    EXPECT_EXIT(
        {
            Bytes cut = bytes({0x01, 0x76, 0x09});  // a SPAWNNAMED cut inside its class id
            auto replay = readerOf(cut, 5);
            TestServer* s = new TestServer;
            attachLoopback(*s);
            s->start(replay.get(), u"./levels/c1.lev");
        },
        ::testing::ExitedWithCode(255), "Could not load '\\./levels/c1\\.lev': packet ends");
}

TEST_F(NetServerTest, LevelFromAPeerThatDoesNotDecodeIsRefused) {
    Packet level(5, 64);
    uint8_t code = NetRole::COPYOBJ;
    level.doBits(code, 2);
    int32_t uid = 99;
    level.doUInt(uid);
    auto replay = readerOf(level, true);
    TestServer* s = newServer();
    EXPECT_FALSE(s->start(replay.get(), u"peer"));
    EXPECT_TRUE(s->bAllowNewObjectRegistations);
}

TEST_F(NetServerTest, OutcomeEndsTheRun) {
    TestServer* writer = newServer();
    ASSERT_TRUE(writer->start(nullptr));
    auto* probe = new OutcomeProbe;
    probe->ticksLeft = 4;
    writer->registerObject(probe, 0);
    writer->root->addChild(probe);
    Packet level(5, 4096);
    writer->writeFullState(&level);
    probe->ticksLeft = 0;

    TestServer* s = newServer();
    auto replay = readerOf(level);
    ASSERT_TRUE(s->start(replay.get(), u"outcome.lev"));
    int frames = 0;
    while (s->outcome == 0 && frames < 100) {
        s->tick(0.0, 0.01);
        ++frames;
    }
    EXPECT_EQ(s->outcome, 5);
    EXPECT_EQ(frames, 4);
    EXPECT_EQ(THEROLE, nullptr);
}

// ---------------------------------------------------------------------------
// The initial state of a new peer

namespace {

// A client that counts the commands it runs.
class CountingClient : public TestClient {
public:
    bool processCommand(Packet& p, int code) override {
        codes.push_back(code);
        const bool ok = NetRole::processCommand(p, code);
        if (code == SPAWNNAMED && codes.size() == 1) firstWasRoot = root != nullptr && objectCount() == 1;
        return ok;
    }
    std::vector<int> codes;
    bool firstWasRoot = false;
};

}  // namespace

TEST_F(NetServerTest, ConnectingPeerGetsOneSpawnAndOneCopyPerObject) {
    TestServer* server = newServer();
    buildLevel(*server);
    CountingClient* client = roles.add(new CountingClient);
    attachLoopback(*client);
    const size_t mark = logMark();
    client->sendConnectRequest(server->connection->address);
    ASSERT_TRUE(pumpUntil({server, client}, [&] { return client->objectCount() == server->objectCount(); }));
    EXPECT_EQ(logLinesSince(mark, u"Server::onConnect(): Sending initial client state: "), 1);
    const int n = server->objectCount();
    ASSERT_EQ(static_cast<int>(client->codes.size()), 2 * n);
    for (int i = 0; i < n; ++i) EXPECT_EQ(client->codes[static_cast<size_t>(i)], NetRole::SPAWNNAMED);
    for (int i = n; i < 2 * n; ++i) EXPECT_EQ(client->codes[static_cast<size_t>(i)], NetRole::COPYOBJ);
    EXPECT_TRUE(client->firstWasRoot);
    for (int32_t uid : sortedUids(*server)) {
        ZubBase* copy = client->findObjectOrNull(uid);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(propertiesOf(copy, client), propertiesOf(server->findObject(uid), server)) << uid;
    }
}

TEST_F(NetServerTest, AFullOutgoingPacketIsSentAndANewOneBegun) {
    TestServer* server = newServer();
    ASSERT_TRUE(server->start(nullptr));
    TestClient* client = roles.add(new TestClient);
    attachLoopback(*client);
    client->sendConnectRequest(server->connection->address);
    ASSERT_TRUE(pumpUntil({server, client}, [&] { return client->root != nullptr; }));
    // Calls fill the packet to its last bytes; then come spawns.
    THEROLE = server;
    int calls = 0;
    while (server->outgoing->remaining() > 4) {
        ProbeRPC toClients(false, true, false);
        toClients.argument = ++calls;
        toClients.call();
    }
    std::vector<int32_t> spawned;
    for (int i = 0; i < 3; ++i) {
        auto* p = new NetProbe;
        server->registerObject(p, 0);
        server->root->addChild(p);
        spawned.push_back(p->objectUID);
    }
    THEROLE = nullptr;
    ASSERT_TRUE(pumpUntil({server, client}, [&] { return client->findObjectOrNull(spawned.back()) != nullptr; }));
    for (int32_t uid : spawned) {
        ASSERT_NE(client->findObjectOrNull(uid), nullptr) << uid;
        EXPECT_EQ(client->findObject(uid)->getClass(), &NetProbe::classRecord);
    }
    EXPECT_EQ(static_cast<int>(ProbeRPC::runs.size()), calls);
    EXPECT_EQ(client->nextObjectUID, server->nextObjectUID);
}

TEST_F(NetServerTest, PacketsCannotCreateTheEnginesServices) {
    // The screen stack ticks its children as screens; a level that hung
    // anything else under one would have it run the wrong code.
    for (const char16_t* name : {u"ContextManager", u"Texture", u"Sound", u"FileData"}) {
        const RuntimeClass* c = RuntimeClassManager::getInstance().findByName(name);
        ASSERT_NE(c, nullptr) << wideToNarrow(name);
        EXPECT_FALSE(NetRole::isSpawnable(c)) << wideToNarrow(name);
        for (uint32_t flags : {1u, 5u}) {
            Packet level(flags, 64);
            uint8_t code = NetRole::SPAWNNAMED;
            level.doBits(code, 2);
            level.doClassID(c);
            int32_t uid = 5;
            level.doUInt(uid);
            auto replay = readerOf(level, true);
            TestServer* s = newServer();
            EXPECT_FALSE(s->start(replay.get(), u"hostile.lev")) << wideToNarrow(name);
            EXPECT_EQ(s->objectCount(), 0);
        }
    }
    EXPECT_TRUE(NetRole::isSpawnable(&NetProbe::classRecord));
    EXPECT_TRUE(NetRole::isSpawnable(&ZubBase::classRecord));
    EXPECT_FALSE(NetRole::isSpawnable(&RPCNetDelete::classRecord));
    EXPECT_FALSE(NetRole::isSpawnable(&PropertyInt::classRecord));
}
