// The checks a level must pass to ship: keys that disagree with its name, too
// few apples, objects outside the playing area, ground that stops above the
// area's bottom edge, a key script that does not complete it or scores
// outside its range, or has no range.
#include <gtest/gtest.h>

#include <cstdio>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelCheck.h"
#include "LevelEnvironment.h"
#include "flow/GameController.h"
#include "levelbuild_test_support.h"
#include "sys/ErrorManager.h"
#include "util/Format.h"

namespace {

// A small level: the hero walks right into her house with the one apple
// lying beside it. Cliffs too high to jump keep her off the playing area's
// sides.
const std::string kLevel = R"(
level
    applesNeeded 1
    parTime 20
    season 0
    playingArea -1000 1000 1000 0
terrain
    ground -4096 700  -900 700  -880 100  880 100  900 700  4096 700
edit hero
    position -200 140 0
edit house
    position 100 100 0
edit apple
    position 60 116 0
)";

// The same with her start further away: a walk of two seconds, long enough
// for a par time to score full time points, and its script.
const std::string kLongLevel = R"(
level
    applesNeeded 1
    parTime 20
    season 0
    playingArea -1000 1000 1000 0
terrain
    ground -4096 700  -900 700  -880 100  880 100  900 700  4096 700
edit hero
    position -700 140 0
edit house
    position 100 100 0
edit apple
    position 60 116 0
)";
const std::string kLongRun = "hold 205 501 700\ntap 57 1950\nend 2300\n";

// The script that walks her right into the house, the statistics skipped
// (recorded from a plan).
const std::string kRun = "hold 205 501 571\ntap 57 1798\nend 2000\n";

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

// The level proven with the key script read from `keys` (and the perfect
// one from `perfect`, when given).
levelbuild::LevelProof prove(const levelbuild::BuiltLevel& level, const std::string& keys,
                             const std::string& perfect = std::string()) {
    levelbuild::KeyScript s, p;
    std::string error;
    EXPECT_TRUE(s.parse(keys, "k.keys", error)) << error;
    EXPECT_TRUE(perfect.empty() || p.parse(perfect, "k.perfect.keys", error)) << error;
    return levelbuild::proveLevel(level, &s, perfect.empty() ? nullptr : &p);
}

// levelbuild --check of the descriptions <name>.txt in the folder, with what
// it writes to its output and to its errors.
int checkLevels(const filestest::TempFolder& folder, const std::vector<std::string>& names, std::string& out,
                std::string& err) {
    std::vector<std::string> paths;
    for (const std::string& n : names) paths.push_back(folder / (n + ".txt"));
    FILE* o = std::tmpfile();
    FILE* e = std::tmpfile();
    const int code = levelbuild::checkLevels(paths, o, e);
    auto read = [](FILE* f) {
        std::string text(static_cast<size_t>(std::ftell(f)), '\0');
        std::rewind(f);
        text.resize(std::fread(text.data(), 1, text.size(), f));
        std::fclose(f);
        return text;
    };
    out = read(o);
    err = read(e);
    return code;
}

// The problems that contain `part`.
std::vector<std::string> matching(const std::vector<std::string>& problems, const std::string& part) {
    std::vector<std::string> out;
    for (const std::string& p : problems)
        if (p.find(part) != std::string::npos) out.push_back(p);
    return out;
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
    // A designer's own level goes by any name, in any season, bonus or not.
    EXPECT_TRUE(build(kLevel, "first").problems.empty());
    EXPECT_TRUE(build(replaced(kLevel, "season 0", "season 3\n    bBonusLevel yes"), "mylevel").problems.empty());
    EXPECT_EQ(build(replaced(kLevel, "applesNeeded 1", "applesNeeded 2"), "a1").problems,
              std::vector<std::string>{"a1: it needs 2 apples but has 1"});
    EXPECT_EQ(build(replaced(kLevel, "-1000 1000 1000 0", "1000 1000 -1000 0"), "a1").problems.at(0),
              "a1: the playing area (left 1000, top 1000, right -1000, bottom 0) is empty");
    // Above the top, left of the left edge: named by label or by class, at
    // the line that placed it.
    const std::string outside = replaced(replaced(kLevel, "position 60 116 0", "position 60 1116 0"), "edit house",
                                         "new Sweet\n    position -1200 300 0\nedit house");
    const std::vector<std::string> problems = build(outside, "a1").problems;
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0],
              "levels/a1.txt:15: 'apple' (Apple) at (60.0, 1116.0) stands outside the playing area (left -1000, "
              "top 1000, right 1000, bottom 0)");
    EXPECT_EQ(problems[1].find("levels/a1.txt:11: a Sweet (UID "), 0u) << problems[1];
    EXPECT_NE(problems[1].find(") at (-1200.0, 300.0) stands outside"), std::string::npos) << problems[1];
}

TEST(LevelCheck, TheKeyScriptMustCompleteTheLevelWithinItsScoreRange) {
    ErrorManager::bTestMode = true;
    const levelbuild::BuiltLevel level = build(kLevel, "a2");
    ASSERT_TRUE(level.problems.empty());

    // Loaded only: the hero and the house are there, the log is clean, but
    // a shipped level is played by both its scripts.
    const levelbuild::LevelProof loaded = levelbuild::proveLevel(level, nullptr);
    EXPECT_EQ(loaded.problems,
              (std::vector<std::string>{"a2: it has no key script: every level a1 to h9 is played to its end",
                                        "a2: it has no perfect key script: every level a1 to h9 is played to a "
                                        "score of 1000"}));
    EXPECT_FALSE(loaded.played);
    EXPECT_FALSE(loaded.perfect.played);
    // A designer's level need not be played.
    const levelbuild::LevelProof own = levelbuild::proveLevel(build(kLevel, "mylevel"), nullptr);
    EXPECT_TRUE(own.problems.empty()) << own.problems.at(0);

    // She walks right into the house.
    const std::string run = kRun;
    const levelbuild::LevelProof done = prove(level, "expect score 0 1000\n" + run);
    EXPECT_EQ(done.problems, std::vector<std::string>{"a2: it has no perfect key script: every level a1 to h9 is "
                                                      "played to a score of 1000"});
    EXPECT_TRUE(done.played);
    EXPECT_EQ(done.outcome, GameController::OUTCOME_COMPLETE);
    EXPECT_EQ(done.state, GameController::DONE);
    EXPECT_GT(done.score, 0);

    const std::string range = "expect score 0 " + std::to_string(done.score - 1) + "\n";
    EXPECT_EQ(matching(prove(level, range + run).problems, "its key script"),
              std::vector<std::string>{"a2: its key script scores " + std::to_string(done.score) +
                                       ", outside the expected 0 to " + std::to_string(done.score - 1)});
    EXPECT_EQ(matching(prove(level, run).problems, "its key script"),
              std::vector<std::string>{"a2: its key script expects no score (a line 'expect score LOW HIGH')"});
    EXPECT_EQ(matching(prove(level, "expect score 0 1000\nhold 205 500 520\nend 900\n").problems, "its key script"),
              std::vector<std::string>{"a2: its key script ends at frame 900 in state 4 without completing it "
                                       "(outcome 0)"});
    // The same script ends in the same state every time.
    EXPECT_EQ(prove(level, "expect score 0 1000\n" + run).hash, done.hash);
}

TEST(LevelCheck, WhatSheGathersAndSheHerselfStartClearOfTheGroundAndTheEdges) {
    ErrorManager::bTestMode = true;
    auto problemsWith = [](const std::string& objects) {
        return build(replaced(kLevel, "edit house", objects + "\nedit house"), "mylevel").problems;
    };
    // An apple at (0, 0): its physics point lies 116 under the ground and
    // below the playing area's bottom edge, where the point alone (on the
    // edge) passed.
    EXPECT_EQ(problemsWith("new Apple lost\n    position 0 0 0"),
              (std::vector<std::string>{
                  "levels/mylevel.txt:11: 'lost' (Apple) at (0.0, 0.0) starts inside the ground: (0.0, -16.0) lies "
                  "116.0 below the terrain's surface at 100.0",
                  "levels/mylevel.txt:11: 'lost' (Apple) at (0.0, 0.0) starts on the playing area's bottom edge: "
                  "(0.0, -16.0) is not inside (left -1000, top 1000, right 1000, bottom 0)"}));
    // Resting on the ground is clear of it; a few units into it is not.
    EXPECT_TRUE(problemsWith("new Apple resting\n    position 300 116 0").empty());
    EXPECT_EQ(problemsWith("new Apple sunk\n    position 300 110 0"),
              std::vector<std::string>{"levels/mylevel.txt:11: 'sunk' (Apple) at (300.0, 110.0) starts inside the "
                                       "ground: (300.0, 94.0) lies 6.0 below the terrain's surface at 100.0"});
    // Each class by its own body: the hero's feet, a sweet's outline, a
    // secret's and the house's position, a basket's physics point.
    struct Case {
        const char* objects;
        const char* who;
    };
    const Case sunk[] = {
        {"edit hero\n    position -200 130 0", "'hero' (Pig) at (-200.0, 130.0)"},
        {"new Sweet sweet\n    position 300 95 0", "'sweet' (Sweet) at (300.0, 95.0)"},
        {"new SecretArea secret\n    position 300 60 0\n    triggerRadius 40",
         "'secret' (SecretArea) at (300.0, 60.0)"},
        {"new BasketA basket\n    position 300 90 0", "'basket' (BasketA) at (300.0, 90.0)"},
    };
    for (const Case& c : sunk) {
        const std::vector<std::string> problems = problemsWith(c.objects);
        ASSERT_EQ(problems.size(), 1u) << c.objects;
        EXPECT_EQ(problems[0].find(std::string("levels/mylevel.txt:11: ") + c.who + " starts inside the ground: "), 0u)
            << problems[0];
    }
    // The house sunk, and on the flat at the foot of the cliff: its roof in
    // the rock, its back over the edge.
    const Case houses[] = {
        {"position 100 80 0", "'house' (House) at (100.0, 80.0)"},
        {"position 860 100 0", "'house' (House) at (860.0, 100.0)"},
    };
    for (const Case& c : houses) {
        const std::vector<std::string> problems =
            build(replaced(kLevel, "position 100 100 0", c.objects), "mylevel").problems;
        ASSERT_EQ(problems.size(), c.objects == houses[0].objects ? 1u : 2u) << c.objects;
        EXPECT_EQ(problems[0].find(std::string("levels/mylevel.txt:11: ") + c.who + " starts inside the ground: "), 0u)
            << problems[0];
    }
    EXPECT_TRUE(problemsWith("new Sweet sweet\n    position 300 140 0\nnew SecretArea secret\n    position 300 "
                             "140 0\nnew BasketA basket\n    position 300 160 0")
                    .empty());
    // On the edges: a sweet reaching over the right and the top edge (its
    // position inside), the hero on the left one above the cliff.
    const std::vector<std::string> edges = problemsWith(
        "new Sweet right\n    position 995 800 0\nnew Sweet top\n    position 0 995 0\nedit hero\n    "
        "position -1000 760 0");
    ASSERT_EQ(edges.size(), 3u);
    EXPECT_EQ(edges[0].find(
                  "levels/mylevel.txt:11: 'right' (Sweet) at (995.0, 800.0) starts on the playing area's right edge: "),
              0u)
        << edges[0];
    EXPECT_EQ(
        edges[1].find("levels/mylevel.txt:13: 'top' (Sweet) at (0.0, 995.0) starts on the playing area's top edge: "),
        0u)
        << edges[1];
    EXPECT_EQ(edges[2].find(
                  "levels/mylevel.txt:15: 'hero' (Pig) at (-1000.0, 760.0) starts on the playing area's left edge: "),
              0u)
        << edges[2];
}

// The views stay inside the playing area: the level's own ground, drawn
// from its surface down to its bottom row, must reach the area's bottom edge
// all across it, under the walls at its sides too, or the sky shows through.
TEST(LevelCheck, TheGroundReachesDownToThePlayingAreasBottomEdgeAcrossIt) {
    ErrorManager::bTestMode = true;
    auto gaps = [](const std::string& text) {
        return matching(build(text, "mylevel").problems, "the sky shows through under the ground");
    };
    // Without a depth the bottom row lies at 0, the area's bottom edge.
    EXPECT_TRUE(gaps(kLevel).empty());
    // With the bottom edge at -200 and 600 deep ground, the bottom row runs
    // 100 high beyond both walls (their tops at 700) and slopes down under
    // their faces: a gap at each side, each named with where it is.
    const std::string deep = replaced(replaced(kLevel, "-1000 1000 1000 0", "-1000 1000 1000 -200"),
                                      "880 100  900 700  4096 700", "880 100  900 700  4096 700\n    depth 600");
    EXPECT_EQ(gaps(deep),
              (std::vector<std::string>{
                  "mylevel: from x -1000 to -891 the view can reach the playing area's bottom edge at -200, but the "
                  "ground's bottom row lies above it, up to 100 (at x -1000): the sky shows through under the ground "
                  "there; make the terrain deeper or raise the area's bottom edge",
                  "mylevel: from x 891 to 1000 the view can reach the playing area's bottom edge at -200, but the "
                  "ground's bottom row lies above it, up to 100 (at x 904): the sky shows through under the ground "
                  "there; make the terrain deeper or raise the area's bottom edge"}));
    // Deep enough (the walls' 700 down to -200), or the edge raised to the
    // bottom row, it passes; 2 units short still does (level files round).
    EXPECT_TRUE(gaps(replaced(deep, "depth 600", "depth 900")).empty());
    EXPECT_TRUE(gaps(replaced(deep, "depth 600", "depth 898")).empty());
    EXPECT_EQ(gaps(replaced(deep, "depth 600", "depth 890")).size(), 2u);
    EXPECT_TRUE(gaps(replaced(deep, "-1000 1000 1000 -200", "-1000 1000 1000 100")).empty());
    // A strip moved so that it no longer reaches the area's left side.
    const std::vector<std::string> bare =
        gaps(replaced(kLevel, "edit hero", "edit terrain\n    position 3300 0 0\nedit hero"));
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_EQ(bare[0].find("mylevel: from x -1000 to -788 the view can reach the playing area's bottom edge at 0, "
                           "but there is no ground (at x -1000)"),
              0u)
        << bare[0];
}

TEST(LevelCheck, TheHeroCannotGetToTheSidesOfThePlayingArea) {
    ErrorManager::bTestMode = true;
    const std::string cliffs = "ground -4096 700  -900 700  -880 100  880 100  900 700  4096 700";
    auto reach = [&](const std::string& ground, const std::string& objects = std::string()) {
        const levelbuild::BuiltLevel level =
            build(replaced(replaced(kLevel, cliffs, ground), "edit house", objects + "\nedit house"), "mylevel");
        EXPECT_TRUE(level.problems.empty()) << level.problems.at(0);
        return levelbuild::proveLevel(level, nullptr).problems;
    };
    EXPECT_TRUE(reach(cliffs).empty());
    // The ground runs on under both edges.
    EXPECT_EQ(reach("ground -4096 100  4096 100"),
              (std::vector<std::string>{
                  "mylevel: the hero can get to (-992, 100), within her radius 40 of the playing area's left edge "
                  "at -1000, and would be half off the screen there: wall the edge off or raise the ground before it",
                  "mylevel: the hero can get to (992, 100), within her radius 40 of the playing area's right edge "
                  "at 1000, and would be half off the screen there: wall the edge off or raise the ground before it"}));
    // A step of 120 is one jump (144 high); 200 takes the winged hat's
    // second jump; a springboard at the foot of a cliff of 600 throws her
    // 256 high at its usual force, 977 at 2000.
    const std::string steps = "ground -4096 220  -900 220  -880 100  880 100  900 300  4096 300";
    EXPECT_EQ(matching(reach(steps), "the hero can get to").size(), 1u);
    EXPECT_EQ(matching(reach(steps), "left edge").size(), 1u);
    EXPECT_EQ(matching(reach(steps, "new WingedHat hat\n    position 0 130 0"), "the hero can get to").size(), 2u);
    EXPECT_TRUE(reach(cliffs, "new Springboard board\n    position 820 100 0").empty());
    EXPECT_EQ(
        matching(reach(cliffs, "new Springboard board\n    position 820 100 0\n    force 2000"), "right edge at 1000")
            .size(),
        1u);
    // A wall of its own (an object's outline she cannot climb) keeps her
    // in as a cliff does.
    EXPECT_EQ(
        matching(reach("ground -4096 100  4096 100",
                       "new A99Object wallLeft\n    position -900 100 0\n    hull closed 0 0  0 800  20 800  20 0\n"
                       "new A99Object wallRight\n    position 880 100 0\n    hull closed 0 0  0 800  20 800  20 0"),
                 "the hero can get to"),
        std::vector<std::string>{});

    // Her runs are watched too: walking right on open ground she comes to
    // the edge.
    const levelbuild::BuiltLevel open = build(replaced(kLevel, cliffs, "ground -4096 100  4096 100"), "mylevel");
    const std::vector<std::string> walked =
        matching(prove(open, "expect score 0 1000\nhold 205 501 1200\nend 1300\n").problems, "its key script takes");
    ASSERT_EQ(walked.size(), 1u);
    EXPECT_EQ(walked[0].find("mylevel: its key script takes the hero to ("), 0u) << walked[0];
    EXPECT_NE(walked[0].find("within her radius 40 of the playing area's right edge: half of her is off the screen"),
              std::string::npos)
        << walked[0];
}

TEST(LevelCheck, ABonusLevelPassesOnlyWithTheHeroHome) {
    ErrorManager::bTestMode = true;
    // A bonus level (a9) whose time runs out before she is home still ends
    // in outcome 5.
    const std::string bonus = replaced(kLevel, "season 0", "season 0\n    bBonusLevel yes");
    const std::string script = "expect score 0 1000\n" + kRun;
    const levelbuild::LevelProof late = prove(build(replaced(bonus, "parTime 20", "parTime 0.2"), "a9"), script);
    EXPECT_EQ(late.outcome, GameController::OUTCOME_COMPLETE);
    EXPECT_FALSE(late.home);
    const std::vector<std::string> notHome = matching(late.problems, "not home");
    ASSERT_EQ(notHome.size(), 1u);
    EXPECT_EQ(notHome[0].find("a9: its key script ends at frame "), 0u) << notHome[0];
    EXPECT_NE(notHome[0].find(" with the hero not home: the level's time ran out (0.2"), std::string::npos)
        << notHome[0];

    const levelbuild::LevelProof inTime = prove(build(bonus, "a9"), script);
    EXPECT_EQ(inTime.outcome, GameController::OUTCOME_COMPLETE);
    EXPECT_TRUE(inTime.home);
    EXPECT_TRUE(matching(inTime.problems, "its key script").empty()) << inTime.problems.at(0);
}

TEST(LevelCheck, ThePerfectScriptScores1000WithTheHeroHomeWithinPar) {
    ErrorManager::bTestMode = true;
    const std::string script = "expect score 1000 1000\n" + kLongRun;
    // Her walk is perfect: the one apple, nothing else to gather, no life lost.
    const levelbuild::LevelProof measured = prove(build(kLongLevel, "mylevel"), script, script);
    ASSERT_TRUE(measured.perfect.played);
    EXPECT_EQ(measured.perfect.score, 1000);
    EXPECT_TRUE(measured.perfect.home);
    EXPECT_EQ(measured.perfect.hash, measured.hash);
    const double t = measured.perfect.time;
    ASSERT_GT(t, 0.5);
    auto withPar = [&](double par) {
        return replaced(kLongLevel, "parTime 20", "parTime " + formatNarrow("%.3f", par));
    };
    auto parProblems = [&](double par, const std::string& name) {
        return matching(prove(build(withPar(par), name), script, script).problems, "par time");
    };
    EXPECT_TRUE(parProblems(1.12 * t, "a1").empty());
    EXPECT_TRUE(parProblems(1.58 * t, "a1").empty());
    EXPECT_EQ(parProblems(1.05 * t, "a1").size(), 1u);
    const std::vector<std::string> slow = parProblems(2.0 * t, "mylevel");
    ASSERT_EQ(slow.size(), 1u);
    EXPECT_EQ(slow[0].find("mylevel: its par time "), 0u) << slow[0];
    EXPECT_NE(slow[0].find(formatNarrow("is not within 1.1 to 1.6 times its perfect run's %.2f s", t)),
              std::string::npos)
        << slow[0];

    // A sweet she passes by: the run is no longer perfect.
    const std::string sweet =
        replaced(withPar(1.3 * t), "edit house", "new Sweet\n    position -600 400 0\nedit house");
    const levelbuild::LevelProof missed = prove(build(sweet, "a1"), script, kLongRun);
    EXPECT_LT(missed.perfect.score, 1000);
    EXPECT_EQ(
        matching(missed.problems, "perfect key script"),
        std::vector<std::string>{formatNarrow("a1: its perfect key script scores %d, not 1000", missed.perfect.score)});
}

TEST(LevelCheck, CheckLevelsPlaysBothScriptsBesideEachDescriptionAndCountsTheProblems) {
    ErrorManager::bTestMode = true;
    filestest::TempFolder folder;
    const std::string script = "expect score 1000 1000\n" + kLongRun;
    // Measure the perfect run's time for a par time that fits it.
    const double t = prove(build(kLongLevel, "mylevel"), script, script).perfect.time;
    const std::string level = replaced(kLongLevel, "parTime 20", "parTime " + formatNarrow("%.3f", 1.3 * t));
    auto check = [&](const std::vector<std::string>& names, std::string& out, std::string& err) {
        return checkLevels(folder, names, out, err);
    };
    std::string out, err;

    // A designer's level without scripts, and with both.
    folder.write("mylevel.txt", level);
    EXPECT_EQ(check({"mylevel"}, out, err), 0) << out << err;
    EXPECT_EQ(out, "mylevel: not played (no " + (folder / "mylevel.keys") + ")\nmylevel perfect: not played (no " +
                       (folder / "mylevel.perfect.keys") + ")\n");
    EXPECT_EQ(err, "");
    folder.write("mylevel.keys", script);
    folder.write("mylevel.perfect.keys", script);
    EXPECT_EQ(check({"mylevel"}, out, err), 0) << out << err;
    EXPECT_NE(out.find("\nmylevel perfect: hash "), std::string::npos) << out;
    EXPECT_NE(out.find(formatNarrow(", outcome 5, score 1000, %.2f s (par ", t)), std::string::npos) << out;
    EXPECT_EQ(out.find("mylevel: hash "), 0u) << out;

    // A shipped level's name: one script missing is one problem, both two.
    folder.write("b1.txt", level);
    folder.write("b1.keys", script);
    EXPECT_EQ(check({"b1"}, out, err), 1) << out;
    EXPECT_NE(out.find("\nb1: it has no perfect key script: "), std::string::npos) << out;
    EXPECT_EQ(err, "levelbuild: 1 problem\n");
    folder.write("b2.txt", level);
    EXPECT_EQ(check({"mylevel", "b2"}, out, err), 1) << out;
    EXPECT_NE(out.find("\nb2: not played (no "), std::string::npos) << out;
    EXPECT_EQ(err, "levelbuild: 2 problems\n");
}

TEST(LevelCheck, CheckLevelsReportsWhatItCannotReadAndChecksTheRest) {
    ErrorManager::bTestMode = true;
    filestest::TempFolder folder;
    // A description the builder refuses, one whose key script it refuses,
    // and between them one without scripts.
    folder.write("lists.txt", replaced(kLevel, "season 0", "season 0\n    houseList null"));
    folder.write("mylevel.txt", kLevel);
    folder.write("forever.txt", kLevel);
    folder.write("forever.keys", "expect score 0 1000\nhold 205 501 571\nend 2000000000\n");
    std::string out, err;
    EXPECT_EQ(checkLevels(folder, {"lists", "mylevel", "forever"}, out, err), 1);
    EXPECT_EQ(err, folder / "lists.txt" +
                       ":6: 'houseList' is one of the level's own objects: a description does not set it\n" +
                       folder / "forever.keys" +
                       ":3: '2000000000' lies past frame 180000: a run lasts at most 30 minutes\n"
                       "levelbuild: 2 problems\n");
    EXPECT_EQ(out, "mylevel: not played (no " + (folder / "mylevel.keys") + ")\nmylevel perfect: not played (no " +
                       (folder / "mylevel.perfect.keys") + ")\n");

    // Where an object stands names the line that placed it there.
    folder.write("sunk.txt", replaced(kLevel, "edit house", "new Sweet\n    position 300 95 0\nedit house"));
    EXPECT_EQ(checkLevels(folder, {"sunk", "mylevel"}, out, err), 1);
    EXPECT_NE(out.find("\n" + (folder / "sunk.txt") + ":11: a Sweet (UID "), std::string::npos) << out;
    EXPECT_NE(out.find(") at (300.0, 95.0) starts inside the ground: "), std::string::npos) << out;
    EXPECT_NE(out.find("\nmylevel perfect: not played"), std::string::npos) << out;
    EXPECT_EQ(err, "levelbuild: 1 problem\n");
}
