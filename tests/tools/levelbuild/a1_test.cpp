// The first level as the build ships it: the level file the build made from
// content/levels/a1.txt, loose in the content folder and packed into the
// level archive, played through the level manager by the key script
// content/levels/a1.keys from the opening to the outcome.
#include <gtest/gtest.h>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "levelbuild_test_support.h"
#include "objects/apples/Apple.h"
#include "sys/ErrorManager.h"

using namespace levelbuildtest;

namespace {

levelbuild::KeyScript a1Script() {
    levelbuild::KeyScript script;
    std::string error;
    EXPECT_TRUE(script.parse(readBytes(kSources + "a1.keys"), "a1.keys", error)) << error;
    return script;
}

struct Outcome {
    uint32_t hash = 0;
    int frames = 0;
    int32_t outcome = 0;
    int32_t state = 0;
    LevelResult result;
};

// Plays "./levels/a1.lev" as the environment's files find it with the script.
Outcome playA1(levelbuild::LevelEnvironment& environment) {
    GameController& gc = environment.play(0);
    GameServer& server = environment.server();
    // Written in edit mode, played with the set-up and rules on; numbered on
    // from above every object of the file.
    EXPECT_FALSE(server.bEditing);
    int32_t highest = 0;
    for (const auto& e : server.objectMap) highest = std::max(highest, e.first);
    EXPECT_GT(server.nextObjectUID, highest);
    EXPECT_EQ(gc.currentResult.apples, 3);
    EXPECT_EQ(gc.currentResult.bonusApples, 0);

    environment.run(a1Script());
    return {environment.stateHash(), environment.frames, environment.manager->outcome(), gc.state, gc.currentResult};
}

}  // namespace

TEST(A1, TheContentsLevelFileIsWhatTheBuilderMakesOfItsDescription) {
    ErrorManager::bTestMode = true;
    levelbuild::LevelEnvironment environment;
    std::vector<uint8_t> built;
    std::string error;
    ASSERT_TRUE(levelbuild::buildLevelFile(readBytes(kSources + "a1.txt"), "a1.txt", built, error)) << error;
    const std::string shipped = readBytes(kContent + "levels/a1.lev");
    ASSERT_FALSE(shipped.empty()) << "build the content first";
    EXPECT_EQ(shipped, std::string(built.begin(), built.end()));

    // The level archive holds the same bytes under the name the game asks for.
    expectInLevelArchive("levels/a1.lev", shipped);
}

TEST(A1, TheKeyScriptCompletesItFromTheLooseFileAndFromTheArchiveAlike) {
    ErrorManager::bTestMode = true;
    Outcome loose, packed, again;
    for (Outcome* run : {&loose, &again}) {
        // A second run of the same script, with a profile as new as the
        // first one's (a record of the first would change the statistics),
        // ends in the same state.
        levelbuild::LevelEnvironment environment;
        environment.files.baseFolder = kContent;
        *run = playA1(environment);
    }
    {
        levelbuild::LevelEnvironment environment;
        environment.files.baseFolder = kContent;
        environment.files.bUseWad = true;
        environment.files.bDiskFallback = false;
        environment.files.useWad(u"Tumbrodemo.dat.levels");
        packed = playA1(environment);
    }
    // Home with all three apples and both sweets, the statistics skipped,
    // the outcome "level complete"; well within the par time, so nearly all
    // the score there is.
    EXPECT_EQ(loose.outcome, GameController::OUTCOME_COMPLETE);
    EXPECT_EQ(loose.state, GameController::DONE);
    EXPECT_EQ(loose.result.applesGathered, 3);
    EXPECT_EQ(loose.result.sweetsGathered, 2);
    EXPECT_EQ(loose.result.sweets, 2);
    EXPECT_EQ(loose.result.livesLost, 0);
    EXPECT_GT(loose.result.time, 5.0);
    EXPECT_LT(loose.result.time, 15.0);
    EXPECT_GE(loose.result.score, 900);
    EXPECT_LE(loose.result.score, LevelResult::kMaxScore);
    EXPECT_LT(loose.frames, a1Script().length());

    EXPECT_EQ(again.hash, loose.hash);
    EXPECT_EQ(again.frames, loose.frames);
    EXPECT_EQ(packed.hash, loose.hash);
    EXPECT_EQ(packed.frames, loose.frames);
    EXPECT_EQ(packed.result.score, loose.result.score);
}
