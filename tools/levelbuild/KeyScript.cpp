#include "KeyScript.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "LevelDescription.h"

namespace levelbuild {

namespace {

bool number(const std::string& word, int& out) {
    const char* b = word.data();
    const char* e = b + word.size();
    auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e && out >= 0;
}

}  // namespace

bool KeyScript::parse(std::string_view text, const std::string& file, std::string& error) {
    holds.clear();
    end = -1;
    expectedScore.reset();
    std::istringstream in{std::string(text)};
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        if (w.empty()) continue;
        if (w[0] == "expect") {
            int low, high;
            if (w.size() != 4 || w[1] != "score" || !number(w[2], low) || !number(w[3], high) || low > high) {
                error = describeError(file, n, "expected 'expect score LOW HIGH' (0 <= LOW <= HIGH)");
                return false;
            }
            if (expectedScore) {
                error = describeError(file, n, "the score is expected once");
                return false;
            }
            expectedScore = ScoreRange{low, high};
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
