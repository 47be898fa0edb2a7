// The shipped levels whose piglets once stayed up on the house's roof, each
// played by its key script started 1 to 10 frames late. Shifted keys may
// lose an apple or the way (the level rightly goes on then), but a run in
// which the hero comes home with the apples she needs must end with the
// level won, wherever the piglets happened to wander; and most runs do.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "flow/GameController.h"
#include "levelbuild_test_support.h"
#include "objects/pig/Pig.h"
#include "objects/pig/Piglet.h"
#include "objects/triggers/House.h"
#include "sys/ErrorManager.h"
#include "util/Format.h"
#include "util/KeyCodes.h"

using namespace levelbuildtest;

namespace {

struct DelayedRun {
    int32_t outcome = 0;
    int32_t state = 0;
    int frames = 0;
    std::string piglets;          // where the piglets stood at the end, against the house
    std::string hero;             // where the hero stood, against the house, and her apples
    bool homeWithApples = false;  // the hero stood inside the house with the apples the level needs
};

// Plays the level with the script's keys `delay` frames late; after the
// script the level may take its time to end (the statistics are skipped
// with FIRE), up to `extra` frames more.
DelayedRun playDelayed(const levelbuild::BuiltLevel& level, const levelbuild::KeyScript& script, int delay,
                       int extra = 3000) {
    levelbuild::LevelEnvironment environment;
    GameController& gc = environment.play(level);
    const int length = script.length() + delay;
    while (environment.frames < length && !environment.manager->done) {
        const int f = environment.frames;
        environment.frame(f >= delay ? script.keysAt(f - delay) : std::set<int>());
    }
    for (int i = 0; i < extra && !environment.manager->done; ++i) {
        std::set<int> keys;
        if (gc.state >= GameController::STATISTICS && i % 50 == 0) keys.insert(input_codes::KEY_SPACE);
        environment.frame(keys);
    }
    DelayedRun run;
    run.outcome = environment.manager->outcome();
    run.state = gc.state;
    run.frames = environment.frames;
    if (const House* house = gc.houseOrNull()) {
        run.homeWithApples = house->isHeroInside() && gc.currentResult.applesGathered >= gc.currentResult.apples;
        if (const Pig* pig = gc.heroOrNull())
            run.hero = formatNarrow("(%.0f, %.0f)%s, %d of %d apples", pig->position.x - house->position.x,
                                    pig->position.y - house->position.y, house->isHeroInside() ? " inside" : "",
                                    gc.currentResult.applesGathered, gc.currentResult.apples);
        for (Piglet* p : childrenOf<Piglet>(gc.pigletList))
            run.piglets +=
                formatNarrow(" (%.0f, %.0f)", p->position.x - house->position.x, p->position.y - house->position.y);
    }
    return run;
}

class DelayedKeys : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(DelayedKeys, ARunThatBringsTheHeroHomeWithHerApplesWinsTheLevel) {
    ErrorManager::bTestMode = true;
    const std::string& name = GetParam();
    levelbuild::LevelEnvironment building;
    levelbuild::BuiltLevel level;
    std::string error;
    ASSERT_TRUE(levelbuild::buildLevel(readBytes(kSources + name + ".txt"), name + ".txt", level, error)) << error;
    levelbuild::KeyScript script;
    ASSERT_TRUE(script.parse(readBytes(kSources + name + ".keys"), name + ".keys", error)) << error;
    int won = 0;
    for (int delay = 1; delay <= 10; ++delay) {
        const DelayedRun run = playDelayed(level, script, delay);
        won += run.outcome == GameController::OUTCOME_COMPLETE;
        EXPECT_FALSE(run.homeWithApples && run.outcome != GameController::OUTCOME_COMPLETE)
            << name << " with its keys " << delay << " frames late: state " << run.state << " at frame " << run.frames
            << ", the hero at " << run.hero << ", piglets at (x, y) from the house:" << run.piglets;
    }
    EXPECT_GE(won, 6) << name << ": of ten runs with its keys late";
}

INSTANTIATE_TEST_SUITE_P(Levels, DelayedKeys, testing::Values("f3", "h1", "h3"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });
