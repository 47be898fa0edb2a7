// The checks a level must pass to ship: keys that disagree with its name, too
// few apples, objects outside the playing area, a key script that does not
// complete it or scores outside its range, or has no range.
#include <gtest/gtest.h>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelCheck.h"
#include "LevelEnvironment.h"
#include "flow/GameController.h"
#include "sys/ErrorManager.h"

namespace {

// A small level: the hero walks right into her house with the one apple
// lying beside it.
const std::string kLevel = R"(
level
    applesNeeded 1
    parTime 20
    season 0
    playingArea -1000 1000 1000 0
terrain
    ground -4096 100  4096 100
edit hero
    position -200 140 0
edit house
    position 100 100 0
edit apple
    position 60 116 0
)";

levelbuild::BuiltLevel build(const std::string& text, const std::string& name) {
    levelbuild::LevelEnvironment environment;
    levelbuild::BuiltLevel level;
    std::string error;
    EXPECT_TRUE(levelbuild::buildLevel(text, "levels/" + name + ".txt", level, error)) << error;
    return level;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The level proven with the key script read from `keys`.
levelbuild::LevelProof prove(const levelbuild::BuiltLevel& level, const std::string& keys) {
    levelbuild::KeyScript s;
    std::string error;
    EXPECT_TRUE(s.parse(keys, "k.keys", error)) << error;
    return levelbuild::proveLevel(level, &s);
}

}  // namespace

TEST(LevelCheck, NamesKeysApplesAndThePlayingArea) {
    ErrorManager::bTestMode = true;
    EXPECT_EQ(levelbuild::levelNumberOf("a1"), 0);
    EXPECT_EQ(levelbuild::levelNumberOf("a9"), 3);
    EXPECT_EQ(levelbuild::levelNumberOf("c2"), 9);
    EXPECT_EQ(levelbuild::levelNumberOf("h9"), 31);
    for (const char* bad : {"a4", "i1", "a", "a12", "A1", ""}) EXPECT_EQ(levelbuild::levelNumberOf(bad), -1) << bad;
    for (int n = 0; n < 32; ++n) EXPECT_EQ(levelbuild::levelNumberOf(levelbuild::levelNameOf(n)), n);

    EXPECT_TRUE(build(kLevel, "b2").problems.empty());
    EXPECT_EQ(build(kLevel, "b2").number, 5);
    EXPECT_EQ(build(kLevel, "c1").problems,
              std::vector<std::string>{"c1: season is 0, but level 8 (c1) is in season 1"});
    EXPECT_EQ(build(kLevel, "a9").problems,
              std::vector<std::string>{"a9: bBonusLevel is no, but a9 is the valley's bonus level"});
    EXPECT_EQ(build(replaced(kLevel, "season 0", "season 0\n    bBonusLevel yes"), "a3").problems,
              std::vector<std::string>{"a3: bBonusLevel is yes, but a3 is not the valley's bonus level"});
    EXPECT_EQ(build(kLevel, "first").problems,
              std::vector<std::string>{"first: 'first' is no level's name (a to h, then 1, 2, 3, or 9 for the bonus "
                                       "level)"});
    EXPECT_EQ(build(replaced(kLevel, "applesNeeded 1", "applesNeeded 2"), "a1").problems,
              std::vector<std::string>{"a1: it needs 2 apples but has 1"});
    EXPECT_EQ(build(replaced(kLevel, "-1000 1000 1000 0", "1000 1000 -1000 0"), "a1").problems.at(0),
              "a1: the playing area (left 1000, top 1000, right -1000, bottom 0) is empty");
    // Above the top, left of the left edge: named by label or by class.
    const std::string outside = replaced(replaced(kLevel, "position 60 116 0", "position 60 1116 0"),
                                         "edit house", "new Sweet\n    position -1200 300 0\nedit house");
    const std::vector<std::string> problems = build(outside, "a1").problems;
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0], "a1: 'apple' (Apple) at (60.0, 1116.0) stands outside the playing area (left -1000, top "
                           "1000, right 1000, bottom 0)");
    EXPECT_NE(problems[1].find("a1: a Sweet (UID "), std::string::npos) << problems[1];
    EXPECT_NE(problems[1].find(") at (-1200.0, 300.0) stands outside"), std::string::npos) << problems[1];
}

TEST(LevelCheck, TheKeyScriptMustCompleteTheLevelWithinItsScoreRange) {
    ErrorManager::bTestMode = true;
    const levelbuild::BuiltLevel level = build(kLevel, "a2");
    ASSERT_TRUE(level.problems.empty());

    // Loaded only: the hero and the house are there, the log is clean.
    const levelbuild::LevelProof loaded = levelbuild::proveLevel(level, nullptr);
    EXPECT_TRUE(loaded.problems.empty()) << loaded.problems.at(0);
    EXPECT_FALSE(loaded.played);

    // She walks right into the house; the statistics are skipped (recorded
    // from a plan).
    const std::string run = "hold 205 501 571\ntap 57 1798\nend 2000\n";
    const levelbuild::LevelProof done = prove(level, "expect score 0 1000\n" + run);
    EXPECT_TRUE(done.problems.empty()) << done.problems.at(0);
    EXPECT_TRUE(done.played);
    EXPECT_EQ(done.outcome, GameController::OUTCOME_COMPLETE);
    EXPECT_EQ(done.state, GameController::DONE);
    EXPECT_GT(done.score, 0);

    const std::string range = "expect score 0 " + std::to_string(done.score - 1) + "\n";
    EXPECT_EQ(prove(level, range + run).problems,
              std::vector<std::string>{"a2: its key script scores " + std::to_string(done.score) +
                                       ", outside the expected 0 to " + std::to_string(done.score - 1)});
    EXPECT_EQ(prove(level, run).problems,
              std::vector<std::string>{"a2: its key script expects no score (a line 'expect score LOW HIGH')"});
    EXPECT_EQ(prove(level, "expect score 0 1000\nhold 205 500 520\nend 900\n").problems,
              std::vector<std::string>{"a2: its key script ends at frame 900 in state 4 without completing it "
                                       "(outcome 0)"});
    // The same script ends in the same state every time.
    EXPECT_EQ(prove(level, "expect score 0 1000\n" + run).hash, done.hash);
}
