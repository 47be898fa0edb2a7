#pragma once
// A level played by its key script, told as text (`levelbuild --play`):
// at chosen frames where the hero stands, whether she is on the ground, the
// controller's state and the apples brought home, and where each watched
// object of the description stands (by its label), to follow apples and
// animals while a plan is worked out; then how the run ended.
#include <string>
#include <vector>

namespace levelbuild {

class KeyScript;
class LevelEnvironment;
struct BuiltLevel;

struct PlayTrace {
    // The frames to report (none: every 100th); the last frame is always
    // reported.
    std::vector<int> frames;
    // Labels of the description whose objects are reported with the hero.
    std::vector<std::string> watch;
};

// Plays the level in the environment with the script and returns the
// report: a line for the hero at each reported frame, under it one for each
// watched object ("gone" once it is), and at the end the hash, frames,
// state, outcome and score, a line each. False with the reason in `error`
// (and nothing played) for a watched label the description does not give.
bool tracePlay(LevelEnvironment& environment, const BuiltLevel& level, const KeyScript& script, const PlayTrace& trace,
               std::string& out, std::string& error);

}  // namespace levelbuild
