#include "PlanRecorder.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "LevelBuilder.h"
#include "LevelDescription.h"
#include "LevelEnvironment.h"
#include "TextFile.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "records/GameConfiguration.h"
#include "util/Format.h"

namespace levelbuild {

namespace {

// The actions a plan names, in the order of the configuration's controls.
constexpr const char* kActions[GameConfiguration::kNumControls] = {"LEFT", "RIGHT",   "UP", "DOWN",
                                                                   "FIRE", "ALTFIRE", "MAP"};

bool realNumber(std::string_view word, double& out) {
    const auto r = std::from_chars(word.data(), word.data() + word.size(), out);
    return r.ec == std::errc() && r.ptr == word.data() + word.size();
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

// The input code of a key's name or number; 0 when it is neither.
int keyCode(const std::string& word, const GameConfiguration& controls) {
    int code;
    if (wholeNumber(word, code)) return code >= 1 && code <= 255 ? code : 0;
    const std::string name = upper(word);
    for (int i = 0; i < GameConfiguration::kNumControls; ++i)
        if (name == kActions[i]) return controls.controls[i].key;
    return 0;
}

// The action a code is bound to, or the code.
std::string keyName(int code, const GameConfiguration& controls) {
    for (int i = 0; i < GameConfiguration::kNumControls; ++i)
        if (controls.controls[i].key == code) return kActions[i];
    return std::to_string(code);
}

// The condition of an 'until' line, from the words between 'until' and its
// timeout; false with the reason.
bool parseCondition(const std::vector<std::string>& words, PlanCondition& c, std::string& why) {
    std::string text;
    for (const std::string& w : words) text += (text.empty() ? "" : " ") + w;
    c.text = text;
    std::string packed;
    for (const std::string& w : words) packed += w;
    if (packed.empty()) {
        why = "'until' needs a condition";
        return false;
    }

    struct Flag {
        const char* word;
        PlanCondition::Kind kind;
    };
    for (const Flag& f :
         {Flag{"onground", PlanCondition::Kind::OnGround}, Flag{"airborne", PlanCondition::Kind::Airborne},
          Flag{"inhouse", PlanCondition::Kind::InHouse}, Flag{"home", PlanCondition::Kind::Home}})
        if (packed == f.word) {
            c.kind = f.kind;
            return true;
        }

    struct Operator {
        const char* text;
        PlanCondition::Op op;
    };
    // The two-character operators first, so that "<=" is not read as "<".
    const Operator operators[] = {{"<=", PlanCondition::Op::LessEqual}, {">=", PlanCondition::Op::GreaterEqual},
                                  {"==", PlanCondition::Op::Equal},     {"!=", PlanCondition::Op::NotEqual},
                                  {"<", PlanCondition::Op::Less},       {">", PlanCondition::Op::Greater}};
    size_t at = std::string::npos, length = 0;
    for (const Operator& o : operators) {
        const size_t found = packed.find(o.text);
        if (found != std::string::npos) {
            at = found;
            length = std::strlen(o.text);
            c.op = o.op;
            break;
        }
    }
    if (at == std::string::npos) {
        why = "'" + text +
              "' is no condition (a value, <, <=, >, >=, == or !=, and a number; or onground, airborne, "
              "inhouse or home)";
        return false;
    }
    const std::string value = packed.substr(0, at);
    const std::string number = packed.substr(at + length);
    if (!realNumber(number, c.number)) {
        why = "'" + number + "' is not a number";
        return false;
    }
    c.kind = PlanCondition::Kind::Compare;
    const std::map<std::string, PlanCondition::Value> values = {
        {"hero.x", PlanCondition::Value::HeroX},  {"hero.y", PlanCondition::Value::HeroY},
        {"state", PlanCondition::Value::State},   {"outcome", PlanCondition::Value::Outcome},
        {"apples", PlanCondition::Value::Apples}, {"sweets", PlanCondition::Value::Sweets},
        {"frame", PlanCondition::Value::Frame}};
    if (auto it = values.find(value); it != values.end()) {
        c.value = it->second;
        return true;
    }
    const size_t dot = value.rfind('.');
    if (dot != std::string::npos && dot > 0 && (value.substr(dot) == ".x" || value.substr(dot) == ".y")) {
        c.value = value.back() == 'x' ? PlanCondition::Value::LabelX : PlanCondition::Value::LabelY;
        c.label = narrowToWide(value.substr(0, dot));
        return true;
    }
    why = "unknown value '" + value + "' (hero.x, hero.y, LABEL.x, LABEL.y, state, outcome, apples, sweets or frame)";
    return false;
}

bool compare(double a, PlanCondition::Op op, double b) {
    switch (op) {
        case PlanCondition::Op::Less:
            return a < b;
        case PlanCondition::Op::LessEqual:
            return a <= b;
        case PlanCondition::Op::Greater:
            return a > b;
        case PlanCondition::Op::GreaterEqual:
            return a >= b;
        case PlanCondition::Op::Equal:
            return a == b;
        case PlanCondition::Op::NotEqual:
            return a != b;
    }
    return false;
}

// One key's time down in the recorded run, and the plan's lines that made it.
struct Press {
    int code, from, to;
    std::string name;
    int firstLine, lastLine;
};

class Recorder {
public:
    Recorder(const Plan& p, const BuiltLevel& l, LevelEnvironment& e, std::FILE* t)
        : plan(p), level(l), environment(e), trace(t) {}

    bool run(std::string& error);
    // Whether the plan's steps began (a plan whose labels name no object
    // of the level plays no frame).
    bool started() const { return begun; }
    // The key script of the run; `failure` (the reason the plan stopped)
    // marks it as a failed attempt.
    std::string keyScript(const Recording& run, const std::string& failure = std::string()) const;

private:
    bool step(const PlanStep& s);
    // Frames with the held keys (and `extra`) until `frames` have passed or
    // the level ended.
    void advance(int frames, int extra = 0);
    bool ended() const { return environment.manager->done != 0; }
    bool holds(const PlanCondition& c, std::string* why = nullptr) const;
    // "frame 812, the hero at (-1480.0, 240.0) on the ground, state 4".
    std::string where() const;
    void note(const PlanStep& s, const std::string& what) const;
    bool fail(const PlanStep& s, const std::string& what);

    const Plan& plan;
    const BuiltLevel& level;
    LevelEnvironment& environment;
    std::FILE* trace;
    std::map<int, Press> held;  // by code
    std::vector<Press> presses;
    std::string errorText;
    bool begun = false;
};

bool Recorder::run(std::string& error) {
    // Every label the plan names must be an object of the level.
    for (const PlanStep& s : plan.steps) {
        if (s.kind != PlanStep::Kind::Until || s.condition.kind != PlanCondition::Kind::Compare) continue;
        if (s.condition.value != PlanCondition::Value::LabelX && s.condition.value != PlanCondition::Value::LabelY)
            continue;
        auto it = level.labels.find(s.condition.label);
        const ZubBase* o = it == level.labels.end() ? nullptr : environment.server().findObjectOrNull(it->second);
        if (!zub_cast<EditorObject>(o)) {
            error = describeError(plan.file, s.line,
                                  "'" + wideToNarrow(s.condition.label) + "' names no placed object of " + level.name);
            return false;
        }
    }
    begun = true;
    bool ok = true;
    for (const PlanStep& s : plan.steps)
        if (!step(s)) {
            error = errorText;
            ok = false;
            break;
        }
    // The keys still held are down until the run's last frame, which is
    // also where a plan that stopped leaves them.
    for (auto& [code, press] : held) {
        press.to = environment.frames;
        if (press.to > press.from) presses.push_back(press);
    }
    held.clear();
    return ok;
}

void Recorder::advance(int frames, int extra) {
    for (int i = 0; i < frames && !ended(); ++i) {
        std::set<int> keys;
        for (const auto& [code, press] : held) keys.insert(code);
        if (extra) keys.insert(extra);
        environment.frame(keys);
    }
}

bool Recorder::step(const PlanStep& s) {
    if (ended() && s.kind != PlanStep::Kind::Until) {
        note(s, "the level has ended: nothing to do");
        return true;
    }
    switch (s.kind) {
        case PlanStep::Kind::Hold:
            if (held.count(s.key)) return fail(s, s.keyName + " is held already");
            held[s.key] = Press{s.key, environment.frames, environment.frames, s.keyName, s.line, s.line};
            note(s, "hold " + s.keyName);
            return true;
        case PlanStep::Kind::Release: {
            auto it = held.find(s.key);
            if (it == held.end()) return fail(s, s.keyName + " is not held");
            Press press = it->second;
            held.erase(it);
            press.to = environment.frames;
            press.lastLine = s.line;
            // Pressed and released in one frame: it was never down.
            if (press.to > press.from) presses.push_back(press);
            note(s, "release " + s.keyName);
            return true;
        }
        case PlanStep::Kind::Tap:
            if (held.count(s.key)) return fail(s, s.keyName + " is held: it cannot be tapped");
            note(s, "tap " + s.keyName);
            presses.push_back(Press{s.key, environment.frames, environment.frames + 1, s.keyName, s.line, s.line});
            advance(1, s.key);
            return true;
        case PlanStep::Kind::Wait:
            advance(s.frames);
            note(s, "waited " + std::to_string(s.frames) + " frames");
            return true;
        case PlanStep::Kind::Until: {
            const int start = environment.frames;
            while (!holds(s.condition)) {
                const bool timedOut = environment.frames - start >= s.frames;
                if (ended() || timedOut) {
                    // Where the condition's object is (or that it is gone), for the message.
                    std::string why;
                    holds(s.condition, &why);
                    if (ended()) return fail(s, "the level ended before '" + s.condition.text + "' held" + why);
                    return fail(s, "'" + s.condition.text + "' did not hold within " + std::to_string(s.frames) +
                                       " frames" + why);
                }
                advance(1);
            }
            note(s, "'" + s.condition.text + "' holds after " + std::to_string(environment.frames - start) + " frames");
            return true;
        }
    }
    return true;
}

bool Recorder::holds(const PlanCondition& c, std::string* why) const {
    GameServer& server = environment.server();
    GameController* gc = server.controller();
    Pig* hero = gc ? gc->heroOrNull() : nullptr;
    House* house = gc ? gc->houseOrNull() : nullptr;
    switch (c.kind) {
        case PlanCondition::Kind::OnGround:
            return hero && hero->getGround();
        case PlanCondition::Kind::Airborne:
            return hero && !hero->getGround();
        case PlanCondition::Kind::InHouse:
            return house && house->isHeroInside();
        case PlanCondition::Kind::Home:
            return house && house->atHome;
        case PlanCondition::Kind::Compare:
            break;
    }
    double value = 0.0;
    switch (c.value) {
        case PlanCondition::Value::HeroX:
        case PlanCondition::Value::HeroY:
            if (!hero) return false;
            value = c.value == PlanCondition::Value::HeroX ? hero->position.x : hero->position.y;
            break;
        case PlanCondition::Value::LabelX:
        case PlanCondition::Value::LabelY: {
            auto it = level.labels.find(c.label);
            const auto* o = zub_cast<EditorObject>(server.findObjectOrNull(it->second));
            if (!o || o->bToBeDestroyed) {
                if (why) *why = " ('" + wideToNarrow(c.label) + "' is gone)";
                return false;
            }
            value = c.value == PlanCondition::Value::LabelX ? o->position.x : o->position.y;
            if (why) *why = formatNarrow(" ('%s' at %.1f, %.1f)", wideToNarrow(c.label), o->position.x, o->position.y);
            break;
        }
        case PlanCondition::Value::State:
            value = gc ? gc->state : 0;
            break;
        case PlanCondition::Value::Outcome:
            value = server.outcome;
            break;
        case PlanCondition::Value::Apples:
            value = gc ? gc->currentResult.applesGathered : 0;
            break;
        case PlanCondition::Value::Sweets:
            value = gc ? gc->currentResult.sweetsGathered : 0;
            break;
        case PlanCondition::Value::Frame:
            value = environment.frames;
            break;
    }
    return compare(value, c.op, c.number);
}

std::string Recorder::where() const {
    GameController* gc = environment.server().controller();
    Pig* hero = gc ? gc->heroOrNull() : nullptr;
    std::string s = "frame " + std::to_string(environment.frames);
    if (hero)
        s += formatNarrow(", the hero at (%.1f, %.1f) %s", hero->position.x, hero->position.y,
                          hero->getGround() ? "on the ground" : "in the air");
    if (gc) s += ", state " + std::to_string(gc->state);
    return s;
}

void Recorder::note(const PlanStep& s, const std::string& what) const {
    if (!trace) return;
    GameController* gc = environment.server().controller();
    Pig* hero = gc ? gc->heroOrNull() : nullptr;
    std::fprintf(trace, "%6d  %9.1f %7.1f %-6s  %s:%d  %s\n", environment.frames, hero ? hero->position.x : 0.0f,
                 hero ? hero->position.y : 0.0f, hero && hero->getGround() ? "ground" : "air",
                 printable(plan.file).c_str(), s.line, what.c_str());
}

bool Recorder::fail(const PlanStep& s, const std::string& what) {
    errorText = describeError(plan.file, s.line, what + " (" + where() + ")");
    return false;
}

std::string Recorder::keyScript(const Recording& run, const std::string& failure) const {
    std::vector<Press> sorted = presses;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Press& a, const Press& b) {
        return a.from != b.from ? a.from < b.from : a.code < b.code;
    });
    std::ostringstream out;
    if (!failure.empty())
        out << "# FAILED ATTEMPT: the plan stopped, and this script only replays the run up to there\n"
            << "# (levelbuild --play with --watch shows it): " << failure << "\n";
    out << "# " << printable(level.name) << ": recorded from " << printable(plan.file)
        << " by levelbuild --record; frame-exact, at 100\n"
        << "# frames a second from the level manager's first. Record it again when the level changes.\n"
        << "# The run: " << run.frames << " frames, state " << run.state << ", outcome " << run.outcome << ", score "
        << run.score << ", " << run.applesGathered << " apples, hash " << formatNarrow("%08x", run.hash) << ".\n\n";
    if (plan.expectedScore)
        out << "expect score " << plan.expectedScore->low << ' ' << plan.expectedScore->high << "\n\n";
    for (const Press& p : sorted) {
        std::string line = p.to == p.from + 1 ? formatNarrow("tap %d %d", p.code, p.from)
                                              : formatNarrow("hold %d %d %d", p.code, p.from, p.to);
        line.resize(std::max<size_t>(line.size() + 1, 20), ' ');
        const std::string lines =
            p.lastLine != p.firstLine ? formatNarrow("%d-%d", p.firstLine, p.lastLine) : std::to_string(p.firstLine);
        out << line << "# " << p.name << ", plan line " << lines << '\n';
    }
    out << "end " << run.frames << '\n';
    return out.str();
}

}  // namespace

bool parsePlan(std::string_view text, const std::string& file, const GameConfiguration& controls, Plan& out,
               std::string& error) {
    out = Plan{};
    out.file = file;
    std::istringstream in{std::string(text)};
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        const std::vector<std::string> w = scriptLineWords(line);
        if (w.empty()) continue;
        auto bad = [&](const std::string& what) {
            error = describeError(file, n, what);
            return false;
        };
        PlanStep s;
        s.line = n;
        const std::string& verb = w[0];
        if (verb == "hold" || verb == "release" || verb == "tap") {
            if (w.size() != 2) return bad("'" + verb + "' takes one key");
            s.kind = verb == "hold"      ? PlanStep::Kind::Hold
                     : verb == "release" ? PlanStep::Kind::Release
                                         : PlanStep::Kind::Tap;
            s.key = keyCode(w[1], controls);
            if (!s.key)
                return bad("'" + w[1] +
                           "' is no key (LEFT, RIGHT, UP, DOWN, FIRE, ALTFIRE, MAP or a code from 1 to 255)");
            s.keyName = keyName(s.key, controls);
        } else if (verb == "wait") {
            s.kind = PlanStep::Kind::Wait;
            if (w.size() != 2 || !wholeNumber(w[1], s.frames) || s.frames < 0)
                return bad("'wait' takes a number of frames, 0 or more");
        } else if (verb == "until") {
            s.kind = PlanStep::Kind::Until;
            s.frames = Plan::DEFAULT_TIMEOUT;
            std::vector<std::string> condition(w.begin() + 1, w.end());
            if (condition.size() >= 2 && condition[condition.size() - 2] == "timeout") {
                if (!wholeNumber(condition.back(), s.frames) || s.frames < 1)
                    return bad("'timeout' takes a number of frames, 1 or more");
                condition.resize(condition.size() - 2);
            }
            std::string why;
            if (!parseCondition(condition, s.condition, why)) return bad(why);
        } else if (verb == "expect") {
            std::string why;
            if (!parseExpectedScore(w, out.expectedScore, why)) return bad(why);
            continue;
        } else {
            return bad("unknown step '" + verb + "' (hold, release, tap, wait, until or expect)");
        }
        out.steps.push_back(std::move(s));
    }
    return true;
}

bool recordPlan(const Plan& plan, const BuiltLevel& level, Recording& out, std::string& error, std::FILE* trace) {
    out = Recording{};
    std::string stopped;
    {
        LevelEnvironment environment;
        environment.play(level);
        Recorder recorder(plan, level, environment, trace);
        if (!recorder.run(stopped) && !recorder.started()) {
            error = stopped;
            return false;
        }
        GameController& gc = *environment.server().controller();
        out.hash = environment.stateHash();
        out.frames = environment.frames;
        out.state = gc.state;
        out.outcome = environment.manager->outcome();
        out.score = gc.currentResult.score;
        out.applesGathered = gc.currentResult.applesGathered;
        // A plan that stopped still hands out the keys it pressed up to
        // there, to be played and looked at.
        out.failedAttempt = !stopped.empty();
        out.keys = recorder.keyScript(out, stopped);
    }

    // The written script, read back and played from the start in a new
    // environment (a profile as new as the recording's), ends where the
    // recording ended.
    KeyScript script;
    if (!script.parse(out.keys, level.name + ".keys (recorded)", error)) return false;
    LevelEnvironment environment;
    environment.play(level);
    environment.run(script);
    const uint32_t replayed = environment.stateHash();
    if (replayed != out.hash || environment.frames != out.frames) {
        // A script that does not reproduce the run is not handed out.
        out.keys.clear();
        error = formatNarrow(
            "%s: the recorded key script does not reproduce the run: it ends at frame %d in state "
            "%08x, the recording ended at frame %d in state %08x",
            printable(plan.file), environment.frames, replayed, out.frames, out.hash);
        if (!stopped.empty()) error = stopped + "; " + error;
        return false;
    }
    if (!stopped.empty()) {
        error = stopped;
        return false;
    }
    if (plan.expectedScore) {
        if (out.outcome != GameController::OUTCOME_COMPLETE) {
            error = formatNarrow("%s: the run does not complete %s: outcome %d, state %d at frame %d",
                                 printable(plan.file), printable(level.name), out.outcome, out.state, out.frames);
            return false;
        }
        if (!plan.expectedScore->contains(out.score)) {
            error = formatNarrow("%s: the run scores %d, outside the expected %d to %d", printable(plan.file),
                                 out.score, plan.expectedScore->low, plan.expectedScore->high);
            return false;
        }
    }
    return true;
}

}  // namespace levelbuild
