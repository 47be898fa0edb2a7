#include "KeyScript.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "LevelDescription.h"

namespace levelbuild {

namespace {

// A frame or key number: a whole number, 0 or more.
bool number(const std::string& word, int& out) { return wholeNumber(word, out) && out >= 0; }

}  // namespace

std::vector<std::string> scriptLineWords(std::string line) {
    if (const size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    return w;
}

bool wholeNumber(std::string_view word, int& out) {
    const auto r = std::from_chars(word.data(), word.data() + word.size(), out);
    return r.ec == std::errc() && r.ptr == word.data() + word.size();
}

bool parseExpectedScore(const std::vector<std::string>& w, std::optional<KeyScript::ScoreRange>& range,
                        std::string& why) {
    int low, high;
    if (w.size() != 4 || w[1] != "score" || !wholeNumber(w[2], low) || !wholeNumber(w[3], high) || low < 0 ||
        low > high) {
        why = "expected 'expect score LOW HIGH' (0 <= LOW <= HIGH)";
        return false;
    }
    if (range) {
        why = "the score is expected once";
        return false;
    }
    range = KeyScript::ScoreRange{low, high};
    return true;
}

bool KeyScript::parse(std::string_view text, const std::string& file, std::string& error) {
    holds.clear();
    end = -1;
    expectedScore.reset();
    std::istringstream in{std::string(text)};
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        const std::vector<std::string> w = scriptLineWords(line);
        if (w.empty()) continue;
        if (w[0] == "expect") {
            std::string why;
            if (!parseExpectedScore(w, expectedScore, why)) {
                error = describeError(file, n, why);
                return false;
            }
            continue;
        }
        std::vector<int> v(w.size() - 1);
        for (size_t i = 1; i < w.size(); ++i) {
            if (!number(w[i], v[i - 1])) {
                error = describeError(file, n, "'" + w[i] + "' is not a frame or key number");
                return false;
            }
        }
        const bool keyed = w[0] == "hold" || w[0] == "tap";
        if (keyed && (v.empty() || v[0] < 1 || v[0] > 255)) {
            error = describeError(file, n, "a key code from 1 to 255 comes first");
            return false;
        }
        // A tap is down up to the frame after it.
        const int last = w[0] == "tap" ? MAX_FRAME - 1 : MAX_FRAME;
        for (size_t i = keyed ? 1 : 0; i < v.size(); ++i) {
            if (v[i] > last) {
                error = describeError(file, n,
                                      "'" + w[i + 1] + "' lies past frame " + std::to_string(last) +
                                          ": a run lasts at most " + std::to_string(MAX_FRAME / 6000) + " minutes");
                return false;
            }
        }
        if (w[0] == "hold" && v.size() == 3 && v[1] < v[2]) {
            hold(v[0], v[1], v[2]);
        } else if (w[0] == "tap" && v.size() == 2) {
            hold(v[0], v[1], v[1] + 1);
        } else if (w[0] == "end" && v.size() == 1) {
            end = v[0];
        } else {
            error = describeError(file, n, "expected 'hold CODE FROM TO' (FROM < TO), 'tap CODE FRAME' or 'end FRAME'");
            return false;
        }
    }
    return true;
}

std::set<int> KeyScript::keysAt(int frame) const {
    std::set<int> keys;
    for (const Hold& h : holds)
        if (frame >= h.from && frame < h.to) keys.insert(h.code);
    return keys;
}

int KeyScript::length() const {
    if (end >= 0) return end;
    int last = 0;
    for (const Hold& h : holds) last = std::max(last, h.to);
    return last;
}

}  // namespace levelbuild
