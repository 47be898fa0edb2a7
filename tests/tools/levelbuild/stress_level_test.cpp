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
#include "object/RuntimeClass.h"
#include "sys/ErrorManager.h"
#include "util/KeyCodes.h"

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
    const std::vector<const RuntimeClass*> classes = levelbuild::placeableClasses();
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

}  // namespace
