#pragma once
// What a level must be to ship, checked on the level as built (its draft),
// as loaded by the game and as played by its key scripts:
//
// - a level's name (the valley's letter a to h, then 1, 2 or 3, or 9 for
//   the valley's bonus level) makes it a shipped level: its keys agree with
//   its number n (season n / 8, the bonus flag on exactly the bonus
//   levels), and it must have both key scripts (below). Any other name is a
//   designer's own level, played as the first level, checked for the rest;
// - its playing area is no empty rectangle, and every placed object stands
//   inside it (the terrain and its bands, which stretch across, aside);
// - every apple, sweet, secret, basket, the hero and the house start clear
//   of the ground (a terrain's solid part): a body's physics point, its
//   drawn centre and the upper half of its outline (a circle around the
//   centre), a secret's position, the house's position and the corners of
//   its outline above it; and inside the playing area, off its edges, with
//   all of that and the whole outline;
// - it has at least as many apples as it needs;
// - the level's own terrain, drawn from its surface down to its bottom row,
//   reaches down to the playing area's bottom edge across the area's width
//   (checkGroundUnderView), so that no view shows the sky under it;
// - it loads through the game server with nothing in the log but the start
//   of the level manager and the server, and has the hero and the house;
// - the hero cannot get to within her radius of the playing area's left or
//   right edge, where half of her would be off the screen: not by walking
//   and jumping from where she starts (checkEdgeReach), and not in either
//   run of its key scripts;
// - its key script completes it (outcome 5; a bonus level only with the
//   hero home, not by its time running out) with a score in the range the
//   script expects ("expect score LOW HIGH"; a script without one fails);
// - its perfect key script (<name>.perfect.keys) completes it with the hero
//   home and a score of 1000, and its par time lies between 1.1 and 1.6
//   times the time of that run.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class GameController;
class LevelDraft;
class Terrain;

namespace levelbuild {

class KeyScript;
class LevelBuilder;
struct BuiltLevel;

// A shipped level's name: "a1" ... "h9".
bool isShippedName(const std::string& name);

// The draft's problems (name, keys, playing area, where the objects start,
// apples), each a sentence that names the level, or for where an object
// stands "<file>:<line>: " with the line that placed it
// (LevelBuilder::lineOf); empty when there are none.
std::vector<std::string> checkDraft(LevelDraft& draft, const LevelBuilder& builder, const std::string& name);

// The places within her radius of the playing area's left or right edge
// that the hero can stand on, reached from where she starts by walking and
// jumping (twice with a winged hat in the level; falls glide with an
// umbrella in it) and by the springboards she reaches: a sentence for each
// edge she can get to; empty when she cannot. The level as loaded (the
// hulls in their places); hulls that move are taken where they start.
std::vector<std::string> checkEdgeReach(GameController& gc);

// The stretches across the playing area where the level's own terrain
// `ground` (drawn from its surface down to its bottom row) stops above the
// area's bottom edge, or does not reach: the views stay inside the area, so
// one can show the sky through under the ground there. A sentence for each
// stretch; empty when there is none. Terrains are not turned: their
// position and scale place the strip.
std::vector<std::string> checkGroundUnderView(GameController& gc, Terrain& ground);

// How one key script's run ended.
struct LevelRun {
    bool played = false;  // the script was played
    uint32_t hash = 0;    // the run's end state (LevelEnvironment::stateHash)
    int frames = 0;
    int32_t state = 0;
    int32_t outcome = 0;
    int32_t score = 0;
    double time = 0.0;  // the level's time taken, in seconds
    bool home = false;  // the hero was home when the level's play ended
};

// The key script's run, then the perfect key script's.
struct LevelProof : LevelRun {
    std::vector<std::string> problems;  // the draft's, the load's and the runs'
    LevelRun perfect;
    double parTime = 0.0;
};

// The bounds of a par time: from 1.1 to 1.6 times the perfect run's time.
constexpr double kParLow = 1.1;
constexpr double kParHigh = 1.6;

// Loads the level in a new environment and checks the load; with a script,
// plays it through and checks the run, and the same with the perfect
// script in a new environment. The draft's problems come first. A shipped
// level without either script has that problem.
LevelProof proveLevel(const BuiltLevel& level, const KeyScript* script, const KeyScript* perfect = nullptr);

// levelbuild --check: builds each description and proves it with the key
// scripts beside it (<name>.keys, <name>.perfect.keys), those there are;
// writes two lines per level (each run's end, or "not played") and every
// problem to `out`, a description or script that cannot be read and the
// count of problems to `err`. A level whose description or scripts cannot
// be read counts as one problem and is checked no further; the rest are
// still checked. 0 when there is no problem, else 1.
int checkLevels(const std::vector<std::string>& descriptions, FILE* out, FILE* err);

}  // namespace levelbuild
