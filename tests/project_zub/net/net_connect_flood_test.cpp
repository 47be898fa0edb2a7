// Connect requests from forged addresses, in simulated time over the emulated
// loopback with a slow link to the real players: a flood of them neither
// keeps a real player out nor draws the state, and a player who cannot get
// in is told why.
#include <gtest/gtest.h>

#include <cstdio>

#include "net_test_support.h"
#include "sys/Console.h"

using namespace nettest;

namespace {

constexpr int kForgers = 32;
constexpr double kLinkDelay = 0.05;     // each way, between the server and a real player
constexpr double kRetryInterval = 1.0;  // a player asks again while unanswered
constexpr double kFrame = 0.001;        // each frame brings one forged request, from each forger in turn

// A server on the emulated loopback flooded by forged connect requests;
// players are clients behind a slow link that ask until they are answered.
class ConnectFloodTest : public ::testing::Test {
protected:
    void SetUp() override {
        network.linkDelay = [this](const NetAddress& from, const NetAddress& to) {
            return isPlayer(from) || isPlayer(to) ? kLinkDelay : 0.0;
        };
        // What the server sends to forged addresses, by size.
        network.linkFilter = [this](const NetAddress& from, const NetAddress& to, int length) {
            if (server && from == server->connection->address && isForger(to)) {
                ++toForgers;
                if (length > largestToForger) largestToForger = length;
            }
            return ZubNetwork::LinkFate::Deliver;
        };
        for (int k = 0; k < kForgers; ++k) forgers.push_back(NetAddress::of(NetAddress::LOOPBACK + 1 + k, 50000));
    }
    void TearDown() override {
        network.linkFilter = nullptr;
        network.linkDelay = nullptr;
    }

    void startServer(int limit, int objects) {
        server = roles.add(new TestServer(limit));
        attachLoopback(*server);
        server->start(nullptr);
        THEROLE = server;
        for (int i = 0; i < objects; ++i) {
            auto* p = new NetProbe;
            server->registerObject(p, 0);
            server->root->addChild(p);
            p->count = i;
            p->label = WString(200, u'a');
        }
        THEROLE = nullptr;
    }
    TestClient* newPlayer(std::u16string_view name) {
        TestClient* c = roles.add(new TestClient(u"Tumbrodemo", 1.25, name));
        attachLoopback(*c);
        players.push_back({c, -1.0});
        return c;
    }
    bool isPlayer(const NetAddress& a) const {
        for (const Player& p : players)
            if (p.client->connection->address == a) return true;
        return false;
    }
    bool isForger(const NetAddress& a) const {
        for (const NetAddress& f : forgers)
            if (f == a) return true;
        return false;
    }

    // One millisecond: a forged request, every frame of every role, and the
    // players that are still unanswered ask again when it is time.
    void frame() {
        clock.advance(kFrame);
        network.queueEmulatedPacket(request.data(), static_cast<int>(request.size()), forgers[next++ % kForgers],
                                    server->connection->address);
        ++forgedRequests;
        server->tick(0.0, kFrame);
        for (Player& p : players) {
            TestClient* c = p.client;
            if (c->nodeCount() == 0 && c->messages.empty() && clock.now >= p.nextAsk) {
                c->sendConnectRequest(server->connection->address);
                p.nextAsk = clock.now + kRetryInterval;
            }
            c->tick(0.0, kFrame);
        }
    }
    // Runs frames until the condition holds or `seconds` have passed.
    bool runUntil(const std::function<bool()>& done, double seconds) {
        const double end = clock.now + seconds;
        while (clock.now < end) {
            if (done()) return true;
            frame();
        }
        return done();
    }
    bool hasWholeState(TestClient* c) const {
        return c->root && c->nodeCount() == 1 && c->objectCount() == server->objectCount();
    }

    struct Player {
        TestClient* client;
        double nextAsk;
    };

    ProbeReset reset;
    ManualClock clock;
    ZubNetwork network{nullptr};
    Console console;
    RoleList roles;
    TestServer* server = nullptr;
    std::vector<Player> players;
    std::vector<NetAddress> forgers;
    const Bytes request = connectRequest(u"Tumbrodemo", 1.25, u"Mallory");
    int next = 0;
    int forgedRequests = 0;
    int toForgers = 0;
    int largestToForger = 0;
};

}  // namespace

TEST_F(ConnectFloodTest, RealPlayerConnectsThroughAFloodOfForgedRequests) {
    startServer(4, 300);
    // The flood runs for a while before the player comes: every place a
    // request could take is taken by then.
    ASSERT_FALSE(runUntil([] { return false; }, 2.0));
    const size_t mark = logMark();
    TestClient* anna = newPlayer(u"Anna");
    const double start = clock.now;
    ASSERT_TRUE(runUntil([&] { return hasWholeState(anna); }, 10.0))
        << "not in after 10 s; told: " << (anna->messages.empty() ? "nothing" : wideToNarrow(anna->messages[0]));
    const double seconds = clock.now - start;
    std::printf("connect time under a flood of %d forged requests/s from %d addresses: %.3f s\n",
                static_cast<int>(1.0 / kFrame), kForgers, seconds);
    RecordProperty("connect_ms", static_cast<int>(seconds * 1000.0 + 0.5));
    EXPECT_TRUE(anna->messages.empty());
    ASSERT_EQ(server->nodeCount(), 1);
    EXPECT_EQ(static_cast<Node*>(server->nodes.firstChild)->name, u"Anna");
    // The state was written once, for the player only.
    EXPECT_EQ(logLinesSince(mark, u"Sending initial client state"), 1);

    // The player plays on while the flood goes on.
    THEROLE = anna;
    ClientCallRPC up;
    up.value = 9;
    up.call();
    THEROLE = nullptr;
    ASSERT_TRUE(runUntil([] { return !ClientCallRPC::runs.empty(); }, 2.0));
    EXPECT_EQ(server->nodeCount(), 1);
    // Forged addresses drew an accept for each request at most, never a
    // datagram of the state.
    EXPECT_GT(toForgers, 0);
    EXPECT_LE(toForgers, forgedRequests);
    EXPECT_LE(largestToForger, 64);
}

TEST_F(ConnectFloodTest, PlayerWhoFindsTheServerFullIsToldWhy) {
    startServer(1, 50);
    TestClient* anna = newPlayer(u"Anna");
    ASSERT_TRUE(runUntil([&] { return hasWholeState(anna); }, 10.0));
    TestClient* bert = newPlayer(u"Bert");
    ASSERT_TRUE(runUntil([&] { return !bert->messages.empty(); }, 10.0));
    EXPECT_EQ(bert->messages[0], u"Server is full.");
    EXPECT_EQ(bert->nodeCount(), 0);
    EXPECT_EQ(server->nodeCount(), 1);
    EXPECT_TRUE(hasWholeState(anna));
}

TEST_F(ConnectFloodTest, TheLastPlaceGoesToWhoAnswersFirstAndTheOtherIsToldWhy) {
    startServer(1, 50);
    // Both are accepted; the place is taken by the first to answer. The
    // other learns that the server is full and drops what it made.
    TestClient* anna = newPlayer(u"Anna");
    TestClient* bert = newPlayer(u"Bert");
    auto settled = [&](TestClient* in, TestClient* out) { return hasWholeState(in) && !out->messages.empty(); };
    ASSERT_TRUE(runUntil([&] { return settled(anna, bert) || settled(bert, anna); }, 10.0));
    TestClient* out = hasWholeState(anna) ? bert : anna;
    EXPECT_EQ(out->messages[0], u"Server is full.");
    ASSERT_TRUE(runUntil([&] { return out->nodeCount() == 0; }, 1.0));
    EXPECT_EQ(server->nodeCount(), 1);
    EXPECT_EQ(out->objectCount(), 0);
}
