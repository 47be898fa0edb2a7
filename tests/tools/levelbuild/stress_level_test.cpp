// The stress level the benchmarks measure: as many placed objects as asked
// for, every class the editor places among them, and play that settles
// (the hero walks through the cells; no apple is spoiled and replaced over
// and over, the level neither ends nor fills up).
#include <gtest/gtest.h>

#include <cmath>
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
#include "objects/apples/Basket.h"
#include "sys/ErrorManager.h"
#include "util/KeyCodes.h"
#include "world/EditorObject.h"
#include "world/Terrain.h"

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

// Every basket of every storey stands on its ground where it is placed and
// stays there: none starts with its contact point under the ground, falls
// out of the level and is put back over and over while the level plays.
TEST(StressLevel, ItsBasketsRestOnTheGroundWhereTheyArePlaced) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    std::string error;
    // Two storeys: the level's own ground and a strip above it.
    ASSERT_TRUE(levelbuild::buildStressLevel(1500, level, error)) << error;
    GameController& gc = environment.play(level);
    std::map<int32_t, V3> start;
    for (Basket* b : childrenOf<Basket>(gc.cargoList)) start.emplace(b->objectUID, b->physPoint.position);
    ASSERT_GE(start.size(), 140u);

    // The hero stands still while the level opens and for three seconds of
    // play.
    for (int f = 0; f < 2000 && gc.state != GameController::PLAYING && !environment.manager->done; ++f)
        environment.frame({});
    ASSERT_EQ(gc.state, GameController::PLAYING);
    for (int f = 0; f < 300 && !environment.manager->done; ++f) environment.frame({});
    ASSERT_EQ(gc.state, GameController::PLAYING);
    constexpr float kTolerance = 2.0f;
    int astray = 0;
    for (Basket* b : childrenOf<Basket>(gc.cargoList)) {
        const V3 from = start.at(b->objectUID), at = b->physPoint.position;
        auto* terrain = zub_cast<Terrain>(b->groundOwner());
        float surface = -INFINITY;
        if (terrain) terrain->getSurfaceAt(at.x, &surface, nullptr);
        const bool resting = terrain && at.y >= surface - kTolerance;
        const bool stayed = std::fabs(at.x - from.x) <= kTolerance && std::fabs(at.y - from.y) <= kTolerance;
        if (resting && stayed) continue;
        if (++astray > 5) continue;
        ADD_FAILURE() << b->getClass()->getTypeName() << " (UID " << b->objectUID << ") placed with its contact at ("
                      << from.x << ", " << from.y << ") is at (" << at.x << ", " << at.y << ")"
                      << (terrain ? ", on a terrain whose surface is at " + std::to_string(surface)
                                  : ", on no terrain");
    }
    EXPECT_EQ(astray, 0) << "of " << start.size() << " baskets";
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
