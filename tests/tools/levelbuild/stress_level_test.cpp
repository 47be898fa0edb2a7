// The stress level the benchmarks measure: as many placed objects as asked
// for, every class the editor places among them, and play that settles
// (the hero walks through the cells; no apple is spoiled and replaced over
// and over, the level neither ends nor fills up).
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "LevelBuilder.h"
#include "LevelDescription.h"
#include "LevelEnvironment.h"
#include "StressLevel.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "net/NetRole.h"
#include "object/Packet.h"
#include "object/RuntimeClass.h"
#include "sys/ErrorManager.h"
#include "util/KeyCodes.h"
#include "world/EditorObject.h"

namespace {

TEST(StressLevel, HoldsTheObjectsAskedForOfEveryPlaceableClass) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    // The description places exactly that many objects.
    for (int objects : {1, 57, 400}) {
        levelbuild::LevelDescription description;
        std::string error;
        ASSERT_TRUE(
            levelbuild::parseDescription(levelbuild::stressLevelDescription(objects), "stress.txt", description, error))
            << error;
        int placed = 0;
        for (const levelbuild::DescriptionBlock& b : description.blocks) placed += b.header.words[0] == u"new" ? 1 : 0;
        EXPECT_EQ(placed, objects);
    }

    levelbuild::BuiltLevel level;
    std::string error;
    ASSERT_TRUE(levelbuild::buildStressLevel(400, level, error)) << error;
    GameController& gc = environment.play(level);
    std::set<const RuntimeClass*> present;
    for (int32_t uid : environment.server().objectMap.ascending())
        present.insert(environment.server().findObjectOrNull(uid)->getClass());
    const std::vector<const RuntimeClass*> classes = EditorObject::placeableClasses();
    EXPECT_GE(classes.size(), 50u);
    for (const RuntimeClass* c : classes) EXPECT_TRUE(present.count(c)) << c->getTypeName();

    // Play: right, then left.
    const int apples = gc.appleList->countChildren();
    const int registered = environment.server().objectCount();
    for (int f = 0; f < 600 && !environment.manager->done; ++f)
        environment.frame({f < 300 ? input_codes::KEY_RIGHT : input_codes::KEY_LEFT});
    EXPECT_FALSE(environment.manager->done);
    EXPECT_EQ(gc.state, GameController::PLAYING);
    EXPECT_EQ(gc.appleList->countChildren(), apples);
    EXPECT_LT(environment.server().objectCount(), registered + registered / 10);
}

// The load replays the file's commands: every object the file spawns is
// registered under its UID with its class, and a second load of the file
// comes to the same state.
TEST(StressLevel, ALoadRegistersTheFilesObjectsAndReadsTheirBodiesWhole) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    std::string error;
    ASSERT_TRUE(levelbuild::buildStressLevel(1000, level, error)) << error;
    environment.play(level);

    Packet file(GameServer::LEVEL_PACKET_FLAGS, level.bytes.data(), static_cast<int>(level.bytes.size()));
    file.setErrorMode(Packet::ErrorMode::Report);
    int spawned = 0;
    for (;;) {
        uint8_t code = 0;
        file.doBits(code, 2);
        if (code != NetRole::SPAWNNAMED) break;
        const RuntimeClass* c = nullptr;
        int32_t uid = 0;
        file.doClassID(c);
        file.doUInt(uid);
        ASSERT_FALSE(file.failed());
        ZubBase* o = environment.server().findObjectOrNull(uid);
        ASSERT_NE(o, nullptr) << uid;
        EXPECT_EQ(o->getClass(), c) << uid;
        ++spawned;
    }
    EXPECT_GE(spawned, 1000);

    // Loaded again, the level is in the same state to the last byte.
    const uint32_t first = environment.stateHash();
    const int registered = environment.server().objectCount();
    environment.play(level);
    EXPECT_EQ(environment.server().objectCount(), registered);
    EXPECT_EQ(environment.stateHash(), first);
}

}  // namespace
