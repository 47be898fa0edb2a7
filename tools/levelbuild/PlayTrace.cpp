#include "PlayTrace.h"

#include <algorithm>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "TextFile.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "objects/pig/Pig.h"
#include "util/Format.h"
#include "world/EditorObject.h"

namespace levelbuild {

bool tracePlay(LevelEnvironment& environment, const BuiltLevel& level, const KeyScript& script, const PlayTrace& trace,
               std::string& out, std::string& error) {
    std::vector<int32_t> watched;
    for (const std::string& name : trace.watch) {
        auto it = level.labels.find(narrowToWide(name));
        if (it == level.labels.end()) {
            error = printable(name) + " names no object of " + printable(level.name);
            return false;
        }
        watched.push_back(it->second);
    }
    GameController& gc = environment.play(level);
    auto report = [&] {
        const Pig* hero = gc.heroOrNull();
        out += formatNarrow("frame %6d  hero %9.1f %7.1f  %-6s  state %d  apples %d\n", environment.frames,
                            hero ? hero->position.x : 0.0f, hero ? hero->position.y : 0.0f,
                            hero && hero->getGround() ? "ground" : "air", gc.state, gc.currentResult.applesGathered);
        for (size_t i = 0; i < watched.size(); ++i) {
            const auto* o = zub_cast<EditorObject>(environment.server().findObjectOrNull(watched[i]));
            if (o && !o->bToBeDestroyed)
                out += formatNarrow("              %-14s %9.1f %7.1f\n", trace.watch[i], o->position.x, o->position.y);
            else out += formatNarrow("              %-14s gone\n", trace.watch[i]);
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
    out += formatNarrow("hash %08x\nframes %d\nstate %d\noutcome %d\nscore %d\n", environment.stateHash(),
                        environment.frames, gc.state, environment.manager->outcome(), gc.currentResult.score);
    return true;
}

}  // namespace levelbuild
