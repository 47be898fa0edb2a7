// A level's server with seven clients over real UDP sockets on 127.0.0.1:
// every client takes the whole state of the first level, and all stay
// connected, and keep up with what the server makes, over seconds of play
// by the level's key script.
#include <gtest/gtest.h>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "levelbuild_test_support.h"
#include "LevelPeers.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "net/NetRole.h"
#include "sys/ErrorManager.h"

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

}  // namespace
