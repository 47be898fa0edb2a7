#pragma once
// Plans: what a run of a level does, written as steps that wait for what the
// level shows, instead of frame numbers. The recorder plays the level in the
// level environment (the fixed step and seed of every scripted run), carries
// the plan out frame by frame and writes the key script (KeyScript.h) that
// reproduces the run exactly; then it plays that key script again and
// checks that it ends in the very state the recorded run ended in.
//
// A plan is text, one step a line, run in order; '#' starts a comment.
//
//   hold KEY                    KEY is down from this frame on
//   release KEY                 and up again from this frame on
//   tap KEY                     KEY is down for one frame (the plan goes on
//                               after that frame)
//   wait FRAMES                 lets that many frames pass
//   until CONDITION [timeout FRAMES]
//                               lets frames pass until the condition holds
//                               (checked before each frame; at once when it
//                               holds already); after FRAMES frames without
//                               it (default 6000, one minute) the recording
//                               stops with the plan's file and line and
//                               where the hero is
//   expect score LOW HIGH       the run must complete the level (outcome 5)
//                               with a score from LOW to HIGH; the line goes
//                               into the key script
//
// KEY is an action's name, resolved through the default control bindings:
// LEFT, RIGHT, UP (use and carry), DOWN, FIRE (jump, continue), ALTFIRE
// (statistics) or MAP; or an input code from 1 to 255.
//
// A CONDITION is a value, a comparison (<, <=, >, >=, == or !=) and a number:
//   hero.x, hero.y      where the hero stands (world units, y up)
//   LABEL.x, LABEL.y    where the object of the description's label stands
//                       ("apple", "house", or a label a 'new' line gave);
//                       an object that is gone never meets the condition
//   state               the game controller's state (4 play, 6 scoring,
//                       7 statistics, 9 done)
//   outcome             the level's outcome (5 complete)
//   apples              the apples gathered
//   sweets              the sweets eaten
//   frame               frames since the level manager's first
// or one word:
//   onground, airborne  the hero stands on something, or does not
//   inhouse             the hero is inside the house
//   home                the hero is home with all her piglets
//
// For example:
//
//   expect score 900 1000
//   until state >= 4            # the opening is over
//   hold RIGHT
//   until hero.x > -1540 timeout 300
//   tap FIRE                    # up onto the bank
//   until onground
//   until inhouse timeout 1500
//   release RIGHT
//   until state >= 7
//   wait 200
//   tap FIRE                    # skips the statistics
//   until state >= 9
//
// When the level ends (its outcome is set) the run ends: the steps left
// press no keys and let no frames pass, and a condition still waited for
// stops the recording.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "KeyScript.h"
#include "util/WString.h"

class GameConfiguration;

namespace levelbuild {

struct BuiltLevel;

struct PlanCondition {
    enum class Kind { Compare, OnGround, Airborne, InHouse, Home };
    enum class Value { HeroX, HeroY, LabelX, LabelY, State, Outcome, Apples, Sweets, Frame };
    enum class Op { Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual };
    Kind kind = Kind::Compare;
    Value value = Value::Frame;
    WString label;  // LabelX, LabelY
    Op op = Op::Equal;
    double number = 0.0;
    std::string text;  // as written, for the trace and errors
};

struct PlanStep {
    enum class Kind { Hold, Release, Tap, Wait, Until };
    Kind kind = Kind::Wait;
    int line = 0;
    int key = 0;          // Hold, Release, Tap: the input code
    std::string keyName;  // as written
    int frames = 0;       // Wait: the frames; Until: the timeout
    PlanCondition condition;
};

struct Plan {
    static constexpr int DEFAULT_TIMEOUT = 6000;
    std::string file;
    std::vector<PlanStep> steps;
    std::optional<KeyScript::ScoreRange> expectedScore;
};

// Reads a plan; key names are resolved through `controls`' bindings. False
// with "<file>:<line>: <what>" in `error` for a line it cannot read.
bool parsePlan(std::string_view text, const std::string& file, const GameConfiguration& controls, Plan& out,
               std::string& error);

struct Recording {
    std::string keys;  // the key script's text
    uint32_t hash = 0;
    int frames = 0;
    int32_t state = 0;
    int32_t outcome = 0;
    int32_t score = 0;
    int32_t applesGathered = 0;
    // The plan stopped before its end: `keys` replays the run up to the
    // frame it stopped at and says so in its first comment lines.
    bool failedAttempt = false;
};

// Plays the level with the plan and writes the key script of the run into
// `out`, then replays that script from a new environment and compares the
// state hashes. False with the reason in `error` when a label of the plan
// names no object of the level (nothing is played: `out.keys` is empty), a
// step failed: a condition timed out or was still waited for at the level's
// end ("<plan>:<line>: ..." with the frame and where the hero was), a key
// was held or released twice (`out` is filled with the run up to that step,
// `out.failedAttempt` set), the replay ended elsewhere (`out.keys` is empty
// then), or the run missed the plan's expected outcome and score (`out` is
// filled then). With `trace`, each step prints a line
// there: the frame, where the hero is, what the step did.
bool recordPlan(const Plan& plan, const BuiltLevel& level, Recording& out, std::string& error,
                std::FILE* trace = nullptr);

}  // namespace levelbuild
