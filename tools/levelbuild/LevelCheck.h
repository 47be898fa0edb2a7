#pragma once
// What a level must be to ship, checked on the level as built (its draft),
// as loaded by the game and as played by its key script:
//
// - its name is a level's (the valley's letter a to h, then 1, 2 or 3, or 9
//   for the valley's bonus level), and its keys agree with its number n:
//   season n / 8, the bonus flag on exactly the bonus levels;
// - its playing area is no empty rectangle, and every placed object stands
//   inside it (the terrain and its bands, which stretch across, aside);
// - it has at least as many apples as it needs;
// - it loads through the game server with nothing in the log but the start
//   of the level manager and the server, and has the hero and the house;
// - its key script completes it (outcome 5) with a score in the range the
//   script expects ("expect score LOW HIGH"; a script without one fails).
#include <cstdint>
#include <string>
#include <vector>

class LevelDraft;

namespace levelbuild {

class KeyScript;
class LevelBuilder;
struct BuiltLevel;

// The draft's problems (name, keys, playing area, apples), each a sentence
// that names the level; empty when there are none.
std::vector<std::string> checkDraft(LevelDraft& draft, const LevelBuilder& builder, const std::string& name);

struct LevelProof {
    std::vector<std::string> problems;  // the draft's, the load's and the run's
    bool played = false;                // a key script was played
    uint32_t hash = 0;                  // the run's end state (LevelEnvironment::stateHash)
    int frames = 0;
    int32_t state = 0;
    int32_t outcome = 0;
    int32_t score = 0;
};

// Loads the level in a new environment and checks the load; with a script,
// plays it through and checks the run. The draft's problems come first.
LevelProof proveLevel(const BuiltLevel& level, const KeyScript* script);

}  // namespace levelbuild
