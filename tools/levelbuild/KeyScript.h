#pragma once
// A run of a level as the player's keys, frame by frame: the text form of
// content/levels/<name>.keys. Frames are counted from the level manager's
// first tick at 100 frames a second; keys are the game's input codes (the
// DirectInput key codes that the control bindings hold).
//
//   hold <code> <from> <to>   the key is down in frames from .. to - 1
//   tap <code> <frame>        down for that one frame
//   end <frame>               the run lasts this many frames
//
// (frames from 0 to KeyScript::MAX_FRAME)
//   expect score <low> <high> the run completes the level (outcome 5) with
//                             a score from low to high
//
// '#' starts a comment; blank lines are ignored. Key scripts are written by
// hand or recorded from a plan (PlanRecorder.h).
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace levelbuild {

class KeyScript {
public:
    // The last frame a script reaches: half an hour of play, many times the
    // longest run of a shipped level (two minutes), so that every run of a
    // script comes to an end and a frame + 1 stays an int.
    static constexpr int MAX_FRAME = 30 * 60 * 100;

    // False with "<file>:<line>: <what>" in `error` for a line it cannot read
    // (an unknown word, a code outside 1-255, frames that do not rise, a
    // frame past MAX_FRAME).
    bool parse(std::string_view text, const std::string& file, std::string& error);
    void hold(int code, int from, int to) { holds.push_back({code, from, to}); }

    // The keys down in the frame.
    std::set<int> keysAt(int frame) const;
    // The frames of the run: its "end", or the last frame a key is down + 1.
    int length() const;

    struct ScoreRange {
        int low, high;
        bool contains(int score) const { return score >= low && score <= high; }
    };
    // The score range of its "expect score" line, if it has one.
    std::optional<ScoreRange> expectedScore;

private:
    struct Hold {
        int code, from, to;
    };
    std::vector<Hold> holds;
    int end = -1;
};

// What key scripts and plans (PlanRecorder.h) read alike.

// The blank-separated words of one line, '#' and what follows it left out.
std::vector<std::string> scriptLineWords(std::string line);
// A decimal whole number that is the whole word.
bool wholeNumber(std::string_view word, int& out);
// The words of an "expect score LOW HIGH" line (0 <= LOW <= HIGH) into
// `range`; false with the reason for a malformed line or when `range` holds
// a score already (the score is expected once).
bool parseExpectedScore(const std::vector<std::string>& words, std::optional<KeyScript::ScoreRange>& range,
                        std::string& why);

}  // namespace levelbuild
