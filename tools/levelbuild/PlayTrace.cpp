#include "PlayTrace.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "objects/pig/Pig.h"
#include "world/EditorObject.h"

namespace levelbuild {

namespace {

void append(std::string& out, const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    out += line;
}

}  // namespace

bool tracePlay(LevelEnvironment& environment, const BuiltLevel& level, const KeyScript& script,
               const PlayTrace& trace, std::string& out, std::string& error) {
    std::vector<int32_t> watched;
    for (const std::string& name : trace.watch) {
        auto it = level.labels.find(narrowToWide(name));
        if (it == level.labels.end()) {
            error = name + " names no object of " + level.name;
            return false;
        }
        watched.push_back(it->second);
    }
    GameController& gc = environment.play(level);
    auto report = [&] {
        const Pig* hero = gc.heroOrNull();
        append(out, "frame %6d  hero %9.1f %7.1f  %-6s  state %d  apples %d\n", environment.frames,
               hero ? hero->position.x : 0.0f, hero ? hero->position.y : 0.0f,
               hero && hero->getGround() ? "ground" : "air", gc.state, gc.currentResult.applesGathered);
        for (size_t i = 0; i < watched.size(); ++i) {
            const auto* o = zub_cast<EditorObject>(environment.server().findObjectOrNull(watched[i]));
            if (o && !o->bToBeDestroyed)
                append(out, "              %-14s %9.1f %7.1f\n", trace.watch[i].c_str(), o->position.x, o->position.y);
            else
                append(out, "              %-14s gone\n", trace.watch[i].c_str());
        }
    };
    const int length = script.length();
    while (environment.frames < length && !environment.manager->done) {
        const int f = environment.frames;
        const bool asked = std::find(trace.frames.begin(), trace.frames.end(), f) != trace.frames.end();
        if (trace.frames.empty() ? f % 100 == 0 : asked) report();
        environment.frame(script.keysAt(f));
    }
    report();
    append(out, "hash %08x\nframes %d\nstate %d\noutcome %d\nscore %d\n", environment.stateHash(), environment.frames,
           gc.state, environment.manager->outcome(), gc.currentResult.score);
    return true;
}

}  // namespace levelbuild
