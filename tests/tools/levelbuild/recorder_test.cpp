// Plans: read with their keys resolved through the default bindings,
// carried out frame by frame on a level, written as the key script that
// replays the run exactly; a plan that waits for what never happens stops
// at its line with where the hero was.
#include <gtest/gtest.h>

#include <sstream>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "PlanRecorder.h"
#include "flow/GameController.h"
#include "levelbuild_test_support.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"

using namespace levelbuildtest;

namespace {

struct Fixture {
    Fixture() {
        ErrorManager::bTestMode = true;
        levelbuild::LevelEnvironment environment;
        std::string error;
        EXPECT_TRUE(levelbuild::buildLevel(readBytes(kSources + "a1.txt"), "a1.txt", a1, error)) << error;
    }

    levelbuild::Plan plan(const std::string& text) {
        levelbuild::Plan p;
        std::string error;
        levelbuild::LevelEnvironment environment;
        EXPECT_TRUE(levelbuild::parsePlan(text, "p.plan", environment.configuration(), p, error)) << error;
        return p;
    }

    std::string planError(const std::string& text) {
        levelbuild::Plan p;
        std::string error;
        levelbuild::LevelEnvironment environment;
        EXPECT_FALSE(levelbuild::parsePlan(text, "p.plan", environment.configuration(), p, error)) << text;
        return error;
    }

    levelbuild::BuiltLevel a1;
};

// The key-script lines of a recording (comments and blank lines left out).
std::vector<std::string> scriptLines(const std::string& keys) {
    std::vector<std::string> out;
    std::istringstream in(keys);
    for (std::string line; std::getline(in, line);) {
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (!line.empty()) out.push_back(line);
    }
    return out;
}

}  // namespace

TEST(Plan, ReadsStepsKeysConditionsAndTimeouts) {
    Fixture f;
    const levelbuild::Plan p = f.plan(
        "# a plan\n"
        "expect score 800 1000\n"
        "hold right   # the binding's key\n"
        "tap Fire\n"
        "release 205\n"
        "wait 12\n"
        "until hero.x>=-1500.5 timeout 40\n"
        "until apple.y < 100\n"
        "until onground\n"
        "until state == 7\n");
    ASSERT_EQ(p.steps.size(), 8u);
    ASSERT_TRUE(p.expectedScore);
    EXPECT_EQ(p.expectedScore->low, 800);
    EXPECT_EQ(p.expectedScore->high, 1000);
    EXPECT_EQ(p.steps[0].kind, levelbuild::PlanStep::Kind::Hold);
    EXPECT_EQ(p.steps[0].key, 205);
    EXPECT_EQ(p.steps[0].line, 3);
    EXPECT_EQ(p.steps[1].key, 57);
    EXPECT_EQ(p.steps[2].key, 205);
    EXPECT_EQ(p.steps[3].frames, 12);
    const levelbuild::PlanCondition& x = p.steps[4].condition;
    EXPECT_EQ(x.value, levelbuild::PlanCondition::Value::HeroX);
    EXPECT_EQ(x.op, levelbuild::PlanCondition::Op::GreaterEqual);
    EXPECT_EQ(x.number, -1500.5);
    EXPECT_EQ(p.steps[4].frames, 40);
    EXPECT_EQ(p.steps[5].condition.value, levelbuild::PlanCondition::Value::LabelY);
    EXPECT_EQ(p.steps[5].condition.label, u"apple");
    EXPECT_EQ(p.steps[5].frames, levelbuild::Plan::DEFAULT_TIMEOUT);
    EXPECT_EQ(p.steps[6].condition.kind, levelbuild::PlanCondition::Kind::OnGround);
    EXPECT_EQ(p.steps[7].condition.op, levelbuild::PlanCondition::Op::Equal);

    EXPECT_EQ(f.planError("\nhold JUMP\n"),
              "p.plan:2: 'JUMP' is no key (LEFT, RIGHT, UP, DOWN, FIRE, ALTFIRE, MAP or a code from 1 to 255)");
    EXPECT_EQ(f.planError("tap 256\n"),
              "p.plan:1: '256' is no key (LEFT, RIGHT, UP, DOWN, FIRE, ALTFIRE, MAP or a code from 1 to 255)");
    EXPECT_EQ(f.planError("wait -1\n"), "p.plan:1: 'wait' takes a number of frames, 0 or more");
    EXPECT_EQ(f.planError("until hero.x > far\n"), "p.plan:1: 'far' is not a number");
    EXPECT_EQ(f.planError("until hero.z > 1\n"),
              "p.plan:1: unknown value 'hero.z' (hero.x, hero.y, LABEL.x, LABEL.y, state, outcome, apples, sweets or "
              "frame)");
    EXPECT_EQ(f.planError("until\n"), "p.plan:1: 'until' needs a condition");
    EXPECT_EQ(f.planError("until state > 3 timeout 0\n"), "p.plan:1: 'timeout' takes a number of frames, 1 or more");
    EXPECT_EQ(f.planError("jump\n"), "p.plan:1: unknown step 'jump' (hold, release, tap, wait, until or expect)");
    EXPECT_EQ(f.planError("expect score 10 5\n"), "p.plan:1: expected 'expect score LOW HIGH' (0 <= LOW <= HIGH)");
}

TEST(PlanRecorder, WritesTheFramesTheStepsActedIn) {
    Fixture f;
    // A hold lasts from its frame to its release's; a tap is down for one
    // frame and the plan goes on after it; a condition that holds already
    // lets no frame pass.
    levelbuild::Recording run;
    std::string error;
    ASSERT_TRUE(levelbuild::recordPlan(f.plan("wait 10\nhold RIGHT\nwait 5\nrelease RIGHT\nuntil frame >= 15\n"
                                              "tap FIRE\nhold LEFT\ntap 57\nwait 3\n"),
                                       f.a1, run, error))
        << error;
    EXPECT_EQ(scriptLines(run.keys),
              (std::vector<std::string>{"hold 205 10 15", "tap 57 15", "tap 57 16", "hold 203 16 20", "end 20"}));
    EXPECT_EQ(run.frames, 20);
    EXPECT_EQ(run.outcome, 0);
}

TEST(PlanRecorder, RecordsARunThatCompletesA1AndReplaysToItsEndState) {
    Fixture f;
    const levelbuild::Plan plan = f.plan(
        "expect score 900 1000\n"
        "until state >= 4 timeout 700\n"
        "hold RIGHT\n"
        "until hero.x > -1500 timeout 300\n"
        "tap FIRE\n"
        "until airborne\n"
        "until onground\n"
        "until hero.y > 300\n"  // up on the bank
        "until hero.x > -700 timeout 300\n"
        "tap FIRE\n"
        "until hero.x > 1060 timeout 600\n"
        "release RIGHT\n"
        "until inhouse\n"
        "until home\n"
        "until state >= 7 timeout 1500\n"
        "wait 250\n"
        "tap FIRE\n"
        "until state >= 9 timeout 300\n"
        "tap FIRE\n");  // after the end: nothing
    levelbuild::Recording run;
    std::string error;
    ASSERT_TRUE(levelbuild::recordPlan(plan, f.a1, run, error)) << error;
    EXPECT_EQ(run.outcome, GameController::OUTCOME_COMPLETE);
    EXPECT_EQ(run.applesGathered, 3);
    EXPECT_GE(run.score, 900);
    const std::vector<std::string> lines = scriptLines(run.keys);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "expect score 900 1000");
    EXPECT_EQ(lines.back(), "end " + std::to_string(run.frames));

    // The written script, read as content/levels/<name>.keys is, plays to
    // the recorded end state; a profile that remembers the run does not
    // change the level's own state.
    levelbuild::KeyScript script;
    ASSERT_TRUE(script.parse(run.keys, "a1.keys", error)) << error;
    ASSERT_TRUE(script.expectedScore);
    EXPECT_TRUE(script.expectedScore->contains(run.score));
    levelbuild::LevelEnvironment environment;
    GameController& gc = environment.play(f.a1);
    environment.run(script);
    EXPECT_EQ(environment.stateHash(), run.hash);
    EXPECT_EQ(environment.frames, run.frames);
    EXPECT_EQ(gc.currentResult.score, run.score);
}

TEST(PlanRecorder, StopsAtTheLineOfWhatDidNotHappen) {
    Fixture f;
    auto fails = [&](const std::string& text) {
        levelbuild::Recording run;
        std::string error;
        EXPECT_FALSE(levelbuild::recordPlan(f.plan(text), f.a1, run, error)) << text;
        return error;
    };
    // She stands still through the opening.
    EXPECT_EQ(fails("until state >= 4 timeout 700\nuntil hero.x > 0 timeout 50\n"),
              "p.plan:2: 'hero.x > 0' did not hold within 50 frames (frame 551, the hero at (-2000.0, 240.0) on the "
              "ground, state 4)");
    EXPECT_EQ(fails("wait 3\nuntil sweets > 0 timeout 5\n"),
              "p.plan:2: 'sweets > 0' did not hold within 5 frames (frame 8, the hero at (-2000.0, 240.0) on the "
              "ground, state 1)");
    EXPECT_EQ(fails("hold RIGHT\nwait 1\nuntil appel.x > 3\n"), "p.plan:3: 'appel' names no placed object of a1");
    // Right after loading she has not landed yet.
    EXPECT_EQ(fails("hold RIGHT\nhold 205\n"),
              "p.plan:2: RIGHT is held already (frame 0, the hero at (-2000.0, 240.0) in the air, state 1)");
    EXPECT_EQ(fails("release LEFT\n"),
              "p.plan:1: LEFT is not held (frame 0, the hero at (-2000.0, 240.0) in the air, "
              "state 1)");
    // The apple lies where it was put while nobody pushes it.
    const std::string apple = fails("until state >= 4 timeout 700\nuntil apple.x > 300 timeout 10\n");
    EXPECT_NE(apple.find("p.plan:2: 'apple.x > 300' did not hold within 10 frames ('apple' at -300.0, "),
              std::string::npos)
        << apple;
    // A run that does not complete the level misses the plan's expectation.
    EXPECT_EQ(fails("expect score 0 1000\nwait 20\n"),
              "p.plan: the run does not complete a1: outcome 0, state 1 at frame 20");
}

TEST(PlanRecorder, KeepsTheKeysOfAFailedAttemptToBePlayedAgain) {
    Fixture f;
    // She walks right, jumps, and waits for what never happens: the keys up
    // to there are kept, marked as the failed attempt.
    const std::string plan =
        "expect score 900 1000\n"
        "until state >= 4 timeout 700\n"
        "hold RIGHT\n"
        "wait 40\n"
        "tap FIRE\n"
        "until hero.x > 5000 timeout 60\n";
    levelbuild::Recording run;
    std::string error;
    ASSERT_FALSE(levelbuild::recordPlan(f.plan(plan), f.a1, run, error));
    EXPECT_EQ(error.rfind("p.plan:6: 'hero.x > 5000' did not hold within 60 frames (frame ", 0), 0u) << error;
    EXPECT_TRUE(run.failedAttempt);
    ASSERT_FALSE(run.keys.empty());
    EXPECT_EQ(run.keys.rfind("# FAILED ATTEMPT: ", 0), 0u) << run.keys;
    EXPECT_NE(run.keys.find(error), std::string::npos) << run.keys;
    const std::vector<std::string> lines = scriptLines(run.keys);
    ASSERT_EQ(lines.size(), 4u) << run.keys;
    EXPECT_EQ(lines[0], "expect score 900 1000");
    EXPECT_EQ(lines[1].rfind("hold 205 ", 0), 0u);
    EXPECT_EQ(lines[2].rfind("tap 57 ", 0), 0u);
    EXPECT_EQ(lines[3], "end " + std::to_string(run.frames));
    EXPECT_EQ(lines[1], "hold 205 " + lines[1].substr(9, lines[1].find(' ', 9) - 9) + " " + std::to_string(run.frames));

    // Played again it ends where the attempt stopped.
    levelbuild::KeyScript script;
    ASSERT_TRUE(script.parse(run.keys, "a1.keys", error)) << error;
    levelbuild::LevelEnvironment environment;
    environment.play(f.a1);
    environment.run(script);
    EXPECT_EQ(environment.frames, run.frames);
    EXPECT_EQ(environment.stateHash(), run.hash);

    // A plan that names no object of the level plays nothing and keeps nothing.
    levelbuild::Recording none;
    ASSERT_FALSE(levelbuild::recordPlan(f.plan("hold RIGHT\nuntil appel.x > 3\n"), f.a1, none, error));
    EXPECT_TRUE(none.keys.empty());
    EXPECT_FALSE(none.failedAttempt);
}
