// The server: a level written as a full state to a file and replayed by a
// fresh server, the two stages of post-replication, registrations refused
// during a replay, levels that fail to decode, the initial state a connecting
// peer receives, and commands that do not fit the outgoing packet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "net_test_support.h"
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

// A probe with a text limited to a few characters.
class TitledProbe : public ZubBase {
    ZUB_DECLARE_CLASS(TitledProbe)
public:
    void addPropertiesTo(PropertyContainer* c) override {
        ZubBase::addPropertiesTo(c);
        c->add(new PropertyUString(u"title", 0, &title, 8));
    }
    WString title;
};

ZUB_IMPLEMENT_CLASS(OrderProbe, ZubBase, 0x7e57c003u)
ZUB_IMPLEMENT_CLASS(EagerProbe, ZubBase, 0x7e57c004u)
ZUB_IMPLEMENT_CLASS(TitledProbe, ZubBase, 0x7e57c008u)

std::vector<std::string> OrderProbe::events;
std::vector<bool> OrderProbe::allowedInPost;

// Every property of the object as "path=text", in declaration order.
void flatten(const Property* c, const std::string& prefix, std::vector<std::string>& out) {
    for (ZubBase* z = c->firstChild; z; z = z->nextSibling) {
        const Property* p = static_cast<const Property*>(z);
        const std::string path = prefix + wideToNarrow(p->getName());
        if (p->firstChild) flatten(p, path + ".", out);
        else out.push_back(path + "=" + wideToNarrow(p->toString()));
    }
}

std::vector<std::string> propertiesOf(ZubBase* o, NetRole* role) {
    NetRole* saved = THEROLE;
    THEROLE = role;  // pointers print as UIDs of this role; the root's counter binds to it
    PropertyContainer* c = o->createPropertyContainer();
    std::vector<std::string> list;
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

// The same objects under the same UIDs, with the same properties and the
// same registered children.
void expectSameObjects(NetRole& want, NetRole& got) {
    ASSERT_EQ(sortedUids(got), sortedUids(want));
    for (int32_t uid : sortedUids(want)) {
        ZubBase* original = want.findObject(uid);
        ZubBase* copy = got.findObject(uid);
        ASSERT_EQ(copy->getClass(), original->getClass()) << uid;
        EXPECT_EQ(propertiesOf(copy, &got), propertiesOf(original, &want)) << uid;
        for (ZubBase *a = original->firstChild, *b = copy->firstChild; a || b; a = a->nextSibling) {
            if (a && a->objectUID <= 0) continue;
            ASSERT_TRUE(a && b) << uid;
            EXPECT_EQ(b->objectUID, a->objectUID) << uid;
            b = b->nextSibling;
        }
    }
}

class NetServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        OrderProbe::events.clear();
        OrderProbe::allowedInPost.clear();
    }

    TestServer* newServer() {
        TestServer* s = roles.add(new TestServer);
        attachLoopback(*s);
        return s;
    }
    TestClient* connectedClient(TestServer* server) {
        TestClient* client = roles.add(new TestClient);
        attachLoopback(*client);
        client->sendConnectRequest(server->connection->address);
        return client;
    }

    ProbeReset reset;
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
        p->label = formatString(u"probe %d \u00e9\u20ac\U0001F600", i);
        p->gotoState(i, i == 2 ? 1.5 : 0.0);
        probes.push_back(p);
    }
    for (size_t i = 0; i < probes.size(); ++i) {
        probes[i]->partner = probes[(i + 1) % probes.size()];
        probes[i]->other = i % 2 ? root : nullptr;
        probes[i]->outside = probes[(i + 2) % probes.size()];
    }
    auto* entry = new ZubBasePointer(probes[4]);
    s.registerObject(entry, 0);
    list->addChild(entry);
    probes[1]->addChild(new NetProbe);  // not registered: stays out of the level
    s.nextObjectUID = 7000;
}

// A level of one command that names an unknown object.
std::unique_ptr<Packet> unknownCopy(bool fromPeer) {
    Packet level(5, 64);
    uint8_t code = NetRole::COPYOBJ;
    level.doBits(code, 2);
    int32_t uid = 99;
    level.doUInt(uid);
    return readerOf(level, fromPeer);
}

}  // namespace

TEST_F(NetServerTest, LevelFileReplaysIntoTheSameObjects) {
    TestServer* writer = newServer();
    buildLevel(*writer);
    Packet level(5, 1 << 20);
    writer->writeFullState(&level);
    const std::string path = ::testing::TempDir() + "net_server_level.lev";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(level.data()), level.length());
    std::ifstream in(path, std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::remove(path.c_str());
    ASSERT_EQ(static_cast<int>(file.size()), level.length());

    auto replay = readerOf(file, 5);
    TestServer* reader = newServer();
    THEROLE = nullptr;
    ASSERT_TRUE(reader->start(replay.get(), narrowToWide(path)));
    EXPECT_EQ(THEROLE, nullptr);
    EXPECT_TRUE(replay->atEnd());
    EXPECT_TRUE(reader->bAllowNewObjectRegistations);
    EXPECT_EQ(reader->nextObjectUID, 7000);
    EXPECT_EQ(reader->root->parent, reader);
    expectSameObjects(*writer, *reader);
    for (const auto& e : reader->objectMap) {
        if (e.second->getClass() != &NetProbe::classRecord) continue;
        EXPECT_EQ(static_cast<NetProbe*>(e.second)->postReplicateCount, 1);
        EXPECT_EQ(static_cast<NetProbe*>(e.second)->postReplicateGlobalCount, 1);
    }
}

TEST_F(NetServerTest, EmptyLevelRegistersNothingAndStartRestoresTheCurrentRole) {
    TestServer* s = newServer();
    TestServer* other = newServer();
    Packet empty(5, 0);
    empty.rewindToRead();
    THEROLE = other;
    EXPECT_TRUE(s->start(&empty, u"empty.lev"));
    EXPECT_EQ(THEROLE, other);
    EXPECT_EQ(s->objectCount(), 0);
    THEROLE = nullptr;
    s->start(nullptr);
    EXPECT_EQ(THEROLE, nullptr);
    ASSERT_NE(s->root, nullptr);
    EXPECT_EQ(static_cast<NetTestRoot*>(s->root)->starts, 1);
    EXPECT_EQ(s->findObject(1), s->root);
}

TEST_F(NetServerTest, PostReplicationRunsInTwoStages) {
    // Every per-object hook runs right after its body, every global hook
    // after the last command, and only those may register objects.
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
    EXPECT_EQ(OrderProbe::events,
              (std::vector<std::string>{"post 20", "post 21", "post 22", "global 20", "global 21", "global 22"}));
    EXPECT_EQ(OrderProbe::allowedInPost, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(reader->objectCount(), 1 + 3 + 3);
}

TEST_F(NetServerTest, LevelsThatDoNotDecodeEndTheProgramWithTheirName) {
    EXPECT_EXIT(
        {
            TestServer s;
            s.start(nullptr);
        },
        ::testing::ExitedWithCode(255), "connection != NULL");
    EXPECT_EXIT(
        {
            TestServer* s = new TestServer;
            attachLoopback(*s);
            s->start(unknownCopy(false).get(), u"./levels/b3.lev");
        },
        ::testing::ExitedWithCode(255), "Could not load '\\./levels/b3\\.lev': Could not find object ID 99");
    EXPECT_EXIT(
        {
            auto replay = readerOf(bytes({0x01, 0x76, 0x09}), 5);  // cut inside a class id
            TestServer* s = new TestServer;
            attachLoopback(*s);
            s->start(replay.get(), u"./levels/c1.lev");
        },
        ::testing::ExitedWithCode(255), "Could not load '\\./levels/c1\\.lev': packet ends");
    // Object code that registers while a level is read.
    EXPECT_EXIT(
        {
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
            EagerProbe body;
            body.netSerialize(level);
            TestServer* s = new TestServer;
            attachLoopback(*s);
            s->start(readerOf(level).get(), u"eager.lev");
        },
        ::testing::ExitedWithCode(255), "Assertion failed");
    // The same from a peer is only refused.
    TestServer* s = newServer();
    EXPECT_FALSE(s->start(unknownCopy(true).get(), u"peer"));
    EXPECT_TRUE(s->bAllowNewObjectRegistations);
}

TEST_F(NetServerTest, ConnectingPeerGetsOneSpawnAndOneCopyPerObject) {
    // A client that counts the commands it runs.
    class CountingClient : public TestClient {
    public:
        bool processCommand(Packet& p, int code) override {
            codes.push_back(code);
            return NetRole::processCommand(p, code);
        }
        std::vector<int> codes;
    };
    TestServer* server = newServer();
    buildLevel(*server);
    CountingClient* client = roles.add(new CountingClient);
    attachLoopback(*client);
    const size_t mark = logMark();
    client->sendConnectRequest(server->connection->address);
    const int n = server->objectCount();
    ASSERT_TRUE(pumpUntil({server, client}, [&] { return static_cast<int>(client->codes.size()) == 2 * n; }));
    EXPECT_EQ(logLinesSince(mark, u"Server::onConnect(): Sending initial client state: "), 1);
    for (int i = 0; i < 2 * n; ++i)
        EXPECT_EQ(client->codes[static_cast<size_t>(i)], i < n ? NetRole::SPAWNNAMED : NetRole::COPYOBJ);
    expectSameObjects(*server, *client);
}

TEST_F(NetServerTest, AFullOutgoingPacketIsSentAndANewOneBegun) {
    TestServer* server = newServer();
    ASSERT_TRUE(server->start(nullptr));
    TestClient* client = connectedClient(server);
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
        Packet level(5, 64);
        uint8_t code = NetRole::SPAWNNAMED;
        level.doBits(code, 2);
        level.doClassID(c);
        int32_t uid = 5;
        level.doUInt(uid);
        TestServer* s = newServer();
        EXPECT_FALSE(s->start(readerOf(level, true).get(), u"hostile.lev")) << wideToNarrow(name);
        EXPECT_EQ(s->objectCount(), 0);
    }
    EXPECT_TRUE(NetRole::isSpawnable(&NetProbe::classRecord));
    EXPECT_FALSE(NetRole::isSpawnable(&RPCNetDelete::classRecord));
    EXPECT_FALSE(NetRole::isSpawnable(&PropertyInt::classRecord));
}

// ---------------------------------------------------------------------------
// Objects that no single packet holds as they are

namespace {

// Registers a probe under the root with `children` registered children.
NetProbe* probeWithChildren(TestServer& s, int children) {
    THEROLE = &s;
    auto* p = new NetProbe;
    s.registerObject(p, 0);
    s.root->addChild(p);
    for (int i = 0; i < children; ++i) {
        auto* c = new ZubBase;
        s.registerObject(c, 0);
        p->addChild(c);
    }
    THEROLE = nullptr;
    return p;
}

// The registered children's UIDs, in order.
std::vector<int32_t> childUids(const ZubBase* o) {
    std::vector<int32_t> v;
    for (const ZubBase* c : childrenOf(o))
        if (c->objectUID > 0) v.push_back(c->objectUID);
    return v;
}

}  // namespace

TEST_F(NetServerTest, TextsNoPacketCarriesAreCutOnTheServerAndTheObjectsArriveWhole) {
    TestServer* server = newServer();
    ASSERT_TRUE(server->start(nullptr));
    // At the limits: 1,023 bytes travel, in any script; 1,024 do not, nor
    // more characters than the property allows.
    NetProbe* ascii = probeWithChildren(*server, 3);
    NetProbe* asciiOver = probeWithChildren(*server, 3);
    NetProbe* euros = probeWithChildren(*server, 1);
    NetProbe* eurosOver = probeWithChildren(*server, 1);
    ascii->label = WString(1023, u'a');
    asciiOver->label = WString(1024, u'b');
    euros->label = WString(341, u'\u20AC');
    eurosOver->label = WString(341, u'\u20AC') + u"x";
    // A pair of surrogates across the limit is not split.
    NetProbe* pair = probeWithChildren(*server, 0);
    pair->label = WString(1021, u'c') + u"\U0001F600";
    asciiOver->count = 41;
    THEROLE = server;
    auto* titled = new TitledProbe;
    auto* titledOver = new TitledProbe;
    for (TitledProbe* t : {titled, titledOver}) {
        server->registerObject(t, 0);
        server->root->addChild(t);
    }
    THEROLE = nullptr;
    titled->title = u"12345678";
    titledOver->title = u"123456789";

    const size_t mark = logMark();
    TestClient* client = connectedClient(server);
    ASSERT_TRUE(pumpUntil({server, client}, [&] { return client->objectCount() == server->objectCount(); }));
    pumpUntil(
        {server, client}, [] { return false; }, 5);
    EXPECT_TRUE(client->messages.empty());

    // The texts that travel are kept; the others are cut on the server to
    // the longest start that travels, and the log says which.
    EXPECT_EQ(ascii->label, WString(1023, u'a'));
    EXPECT_EQ(asciiOver->label, WString(1023, u'b'));
    EXPECT_EQ(euros->label, WString(341, u'\u20AC'));
    EXPECT_EQ(eurosOver->label, WString(341, u'\u20AC'));
    EXPECT_EQ(pair->label, WString(1021, u'c'));
    EXPECT_EQ(titled->title, u"12345678");
    EXPECT_EQ(titledOver->title, u"12345678");
    EXPECT_EQ(logLinesSince(mark, u"NetRole::writeBody(): ERROR: "), 4);
    EXPECT_EQ(logLinesSince(mark, formatString(u"NetProbe (UID %d): property \"label\" holds a text of 1024 characters "
                                               u"(1024 bytes) that no packet carries",
                                               asciiOver->objectUID)),
              1);
    EXPECT_EQ(logLinesSince(mark, formatString(u"TitledProbe (UID %d): property \"title\"", titledOver->objectUID)), 1);
    EXPECT_EQ(logLinesSince(mark, u"cannot be sent"), 0);

    // Every object arrived with its properties and children: the same as
    // the server's, as cut.
    expectSameObjects(*server, *client);
    auto* copy = static_cast<NetProbe*>(client->findObject(asciiOver->objectUID));
    EXPECT_EQ(copy->count, 41);
    EXPECT_EQ(childUids(copy), childUids(asciiOver));
    EXPECT_EQ(childUids(copy).size(), 3u);
}

TEST_F(NetServerTest, ABodyLargerThanAPacketArrivesWhole) {
    TestServer* server = newServer();
    ASSERT_TRUE(server->start(nullptr));
    // UIDs of four bytes: 66,000 children take more than a packet.
    server->nextObjectUID = 1 << 21;
    NetProbe* small = probeWithChildren(*server, 60000);
    NetProbe* large = probeWithChildren(*server, 66000);
    large->count = 5;
    // The first state: every command whole, the large body in a packet of
    // its own; the others within the normal capacity.
    std::vector<std::unique_ptr<Packet>> state;
    const size_t mark = logMark();
    const int total = server->writeFullStatePackets(state, Packet::FLAG_NETWORK);
    EXPECT_EQ(logLinesSince(mark, u"cannot be sent"), 0);
    int larger = 0, bytes = 0;
    for (const auto& p : state) {
        bytes += p->length();
        if (p->length() > Packet::DEFAULT_CAPACITY) ++larger;
        EXPECT_LE(p->length(), Node::MAX_STATE_BYTES_FROM_SERVER);
    }
    EXPECT_EQ(bytes, total);
    EXPECT_EQ(larger, 1);

    TestClient* client = connectedClient(server);
    ASSERT_TRUE(pumpUntil(
        {server, client},
        [&] {
            ZubBase* c = client->findObjectOrNull(large->objectUID);
            return c && c->firstChild;
        },
        2000));
    EXPECT_EQ(client->objectCount(), server->objectCount());
    auto* copy = static_cast<NetProbe*>(client->findObject(large->objectUID));
    EXPECT_EQ(copy->count, 5);
    EXPECT_EQ(childUids(copy), childUids(large));
    EXPECT_EQ(childUids(client->findObject(small->objectUID)), childUids(small));
    EXPECT_EQ(server->nodeCount(), 1);
    EXPECT_EQ(client->nodeCount(), 1);
}
