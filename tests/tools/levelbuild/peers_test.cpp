// A level's server with seven clients over real UDP sockets on 127.0.0.1:
// every client takes the whole state of the first level, and all stay
// connected, and keep up with what the server makes, over seconds of play
// by the level's key script. A crash in a level played with a peer leaves
// the recent datagrams in the crash files.
#include <gtest/gtest.h>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "LevelPeers.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "levelbuild_test_support.h"
#include "net/NetConnection.h"
#include "net/NetRole.h"
#include "objects/devices/Switch.h"
#include "platform/CrashHandler.h"
#include "project_zub/net/traffic_file.h"
#include "sys/CrashFiles.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"

using namespace levelbuildtest;

namespace {

TEST(LevelPeers, SevenClientsTakeTheWholeStateAndStayConnectedThroughPlay) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    levelbuild::KeyScript script;
    std::string error;
    ASSERT_TRUE(levelbuild::buildLevel(readBytes(kSources + "a1.txt"), "a1.txt", level, error)) << error;
    ASSERT_TRUE(script.parse(readBytes(kSources + "a1.keys"), "a1.keys", error)) << error;

    levelbuild::LevelPeers peers(environment);
    ASSERT_TRUE(peers.play(level, 7, error)) << error;
    int frames = 0;
    while (peers.clientsWithFullState() < 7 && frames < 500) {
        peers.frame({});
        ++frames;
    }
    ASSERT_EQ(peers.clientsWithFullState(), 7) << "after " << frames << " frames";
    EXPECT_EQ(peers.connectedClients(), 7);
    EXPECT_EQ(environment.server().nodeCount(), 7);
    // Each client's copy of the level is the level's: its controller under
    // the same UID, as many objects as the server had then.
    const int32_t controller = environment.server().controller()->objectUID;
    for (NetRole* client : peers.clients) {
        ZubBase* copy = client->findObjectOrNull(controller);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->getClass(), &GameController::classRecord);
        EXPECT_GE(client->objectCount(), environment.server().objectCount() / 2);
    }

    // Five seconds of play (the network's clock is the level's, so the
    // frames run as fast as they go): nobody is dropped, every client keeps
    // the level's objects.
    for (int f = 0; f < 500 && !environment.manager->done; ++f) peers.frame(script.keysAt(environment.frames));
    EXPECT_GE(environment.frames, 500);
    EXPECT_EQ(peers.connectedClients(), 7);
    EXPECT_EQ(environment.server().nodeCount(), 7);
    EXPECT_EQ(peers.clientsWithFullState(), 7);
}

// The first level played with a peer over real sockets until the peer has
// its whole state and some play after, then a last datagram from the peer,
// then a crash (the real handler, a real signal): the traffic file holds
// the level's datagrams both ways and ends with that last one.
TEST(LevelPeers, ACrashDuringANetworkedLevelLeavesItsLastDatagramsInTheCrashFiles) {
    ErrorManager::bTestMode = true;
    filestest::TempFolder folder;
    const std::string dir = folder.path();
    const CrashHandler::Targets targets = CrashFiles::handlerTargets(dir);
    const std::string last = "the peer's last datagram before the crash";
    const filestest::ChildRun run = filestest::runInChild(
        [&] {
            CrashHandler::install("Tumbrodemo", dir + "game.log", targets);
            levelbuild::LevelEnvironment environment;
            levelbuild::BuiltLevel level;
            levelbuild::KeyScript script;
            std::string error;
            if (!levelbuild::buildLevel(readBytes(kSources + "a1.txt"), "a1.txt", level, error) ||
                !script.parse(readBytes(kSources + "a1.keys"), "a1.keys", error))
                return 2;
            levelbuild::LevelPeers peers(environment);
            if (!peers.play(level, 1, error)) return 3;
            for (int frames = 0; peers.clientsWithFullState() < 1 && frames < 500; ++frames) peers.frame({});
            if (peers.clientsWithFullState() < 1) return 4;
            for (int f = 0; f < 100; ++f) peers.frame(script.keysAt(environment.frames));
            Packet p(Packet::FLAG_NETWORK, 64);
            p.writeBytes(reinterpret_cast<const uint8_t*>(last.data()), static_cast<int>(last.size()));
            peers.clients[0]->connection->sendRaw(p, environment.server().connection->address);
            __builtin_trap();
            return 0;
        },
        120000);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, -1) << "the child ended without crashing";
    std::vector<traffictest::Record> records;
    std::string why;
    ASSERT_TRUE(traffictest::parseFile(readBytes(targets.netTraffic), records, why)) << why;
    ASSERT_FALSE(records.empty());
    const traffictest::Record& newest = records.back();
    EXPECT_EQ(newest.direction, 'O');
    EXPECT_EQ(newest.bytes, last);
    // The level's state went from the server's port to the peer's, and the
    // peer's acknowledgements came back, up to the end.
    const uint16_t peerPort = newest.ownPort, serverPort = newest.otherPort;
    int sent = 0, received = 0;
    for (const traffictest::Record& r : records) {
        if (r.direction == 'O' && r.ownPort == serverPort && r.otherPort == peerPort) ++sent;
        if (r.direction == 'I' && r.ownPort == serverPort && r.otherPort == peerPort) ++received;
    }
    EXPECT_GT(sent, 50);
    EXPECT_GT(received, 50);
}

TEST(LevelPeers, AClientRefusesObjectValuesTheirClassCannotWorkWith) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    std::string error;
    const std::string description = R"(
level
    playingArea -3000 2500 3000 -100
terrain
    ground -4096 100  4096 100
edit hero
    position 500 400 0
edit house
    position -1500 100 0
new Switch gate
    position 0 200 0
)";
    ASSERT_TRUE(levelbuild::buildLevel(description, "x1.txt", level, error)) << error;
    levelbuild::LevelPeers peers(environment);
    ASSERT_TRUE(peers.play(level, 1, error)) << error;
    for (int f = 0; f < 500 && peers.clientsWithFullState() < 1; ++f) peers.frame({});
    ASSERT_EQ(peers.clientsWithFullState(), 1);
    NetRole* client = peers.clients[0];
    const int32_t uid = level.labels.at(u"gate");
    auto* copy = zub_cast<Switch>(client->findObjectOrNull(uid));
    ASSERT_NE(copy, nullptr);

    // The server sends the switch's body with values that the switch's
    // set-up asserts against (automatic, not once-only), as a faulty or
    // hostile server would.
    GameServer& server = environment.server();
    auto* gate = zub_cast<Switch>(server.findObjectOrNull(uid));
    ASSERT_NE(gate, nullptr);
    gate->bAutomatic = true;
    gate->bOnceOnly = false;
    uint8_t code = NetRole::COPYOBJ;
    int32_t u = uid;
    server.outgoing->doBits(code, 2);
    server.outgoing->doUInt(u);
    ASSERT_TRUE(server.writeBody(*server.outgoing, gate));
    Logger::get().clearHistory();
    const std::u16string refusal = u"(Switch): an automatic switch must be once-only";
    auto refused = [&] {
        for (const WString& line : Logger::get().history())
            if (line.find(u"NetRole::processPacket") != WString::npos && line.find(refusal) != WString::npos)
                return true;
        return false;
    };
    for (int f = 0; f < 100 && !refused(); ++f) peers.frame({});
    // The client refused the packet as unsafe input and goes on following
    // the server; its switch never ran its set-up with those values.
    EXPECT_TRUE(refused());
    EXPECT_EQ(client->findObjectOrNull(uid), copy);
    for (int f = 0; f < 50; ++f) peers.frame({});
    EXPECT_EQ(peers.connectedClients(), 1);
}

}  // namespace
