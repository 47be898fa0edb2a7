#include "LevelCheck.h"

#include <map>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "LevelEnvironment.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/LevelDraft.h"
#include "objects/apples/Apple.h"
#include "objects/scenery/TerrainDeco.h"
#include "sys/Logger.h"
#include "util/Format.h"
#include "world/Terrain.h"

namespace levelbuild {

namespace {

// The lines of a level's start: the level manager's and the game server's
// (its host and its connection to itself).
bool isLoadLine(std::u16string_view line) {
    constexpr std::u16string_view kLines[] = {
        u"ContextLevelManager::ContextLevelManager(): Loading level: ",
        u"ContextLevelManager::ContextLevelManager(): Level loaded in ",
        u"NetHost::NetHost(): Creating SERVER host...",
        u"NetConnection::NetConnection(): Creating emulated localhost connection: ",
    };
    for (std::u16string_view start : kLines)
        if (line.starts_with(start)) return true;
    return false;
}

}  // namespace

std::vector<std::string> checkDraft(LevelDraft& draft, const LevelBuilder& builder, const std::string& name) {
    std::vector<std::string> problems;
    auto problem = [&](const std::string& what) { problems.push_back(name + ": " + what); };
    GameController& gc = draft.controller();

    const int number = levelNumberOf(name);
    if (number < 0) {
        problem("'" + name + "' is no level's name (a to h, then 1, 2, 3, or 9 for the bonus level)");
    } else {
        const int season = number / 8;
        const bool bonus = number % 4 == 3;
        if (gc.season != season)
            problem(formatNarrow("season is %d, but level %d (%s) is in season %d", gc.season, number, name, season));
        if (gc.bBonusLevel != bonus)
            problem(formatNarrow("bBonusLevel is %s, but %s %s the valley's bonus level", gc.bBonusLevel ? "yes" : "no",
                                 name, bonus ? "is" : "is not"));
    }

    const PlayingArea& area = gc.playingArea;
    if (!(area.left < area.right) || !(area.bottom < area.top))
        problem(formatNarrow("the playing area (left %.0f, top %.0f, right %.0f, bottom %.0f) is empty", area.left,
                             area.top, area.right, area.bottom));

    int apples = 0;
    for (Apple* a : childrenOf<Apple>(gc.appleList)) {
        (void)a;
        ++apples;
    }
    if (apples < gc.applesNeeded)
        problem(formatNarrow("it needs %d apples but has %d", gc.applesNeeded, apples));

    std::map<const ZubBase*, WString> labelOf;
    for (const auto& [label, o] : builder.allLabels()) labelOf.emplace(o, label);
    const ZubBase* lists[] = {gc.bgList,     gc.bgEffectsList, gc.secretList,     gc.dangerAreaList, gc.objectList,
                              gc.appleList,  gc.sweetList,     gc.cargoList,      gc.pigList,        gc.pigletList,
                              gc.houseList,  gc.explodableList, gc.appleGhostList, gc.fgEffectsList, gc.weatherList};
    for (const ZubBase* list : lists) {
        for (EditorObject* o : childrenOf<EditorObject>(list)) {
            // The terrain and its bands stretch across the level from their origin.
            if (zub_cast<Terrain>(o) || zub_cast<TerrainDeco>(o)) continue;
            const V3& p = o->position;
            if (p.x >= area.left && p.x <= area.right && p.y >= area.bottom && p.y <= area.top) continue;
            auto label = labelOf.find(o);
            const std::string who = label == labelOf.end()
                                        ? formatNarrow("a %s (UID %d)", o->getClass()->getTypeName(), o->objectUID)
                                        : formatNarrow("'%s' (%s)", label->second, o->getClass()->getTypeName());
            problem(formatNarrow("%s at (%.1f, %.1f) stands outside the playing area (left %.0f, top %.0f, right "
                                 "%.0f, bottom %.0f)",
                                 who, p.x, p.y, area.left, area.top, area.right, area.bottom));
        }
    }
    return problems;
}

LevelProof proveLevel(const BuiltLevel& level, const KeyScript* script) {
    LevelProof proof;
    proof.problems = level.problems;
    auto problem = [&](const std::string& what) { proof.problems.push_back(level.name + ": " + what); };

    LevelEnvironment environment;
    Logger::get().clearHistory();
    GameController& gc = environment.play(level);
    for (const WString& line : Logger::get().history())
        if (!isLoadLine(line)) problem("loading it logs \"" + wideToNarrow(line) + "\"");
    if (!gc.heroOrNull()) problem("it has no hero");
    if (!gc.houseOrNull()) problem("it has no house");
    if (!script) return proof;

    environment.run(*script);
    proof.played = true;
    proof.hash = environment.stateHash();
    proof.frames = environment.frames;
    proof.state = gc.state;
    proof.outcome = environment.manager->outcome();
    proof.score = gc.currentResult.score;
    if (proof.outcome != GameController::OUTCOME_COMPLETE)
        problem(formatNarrow("its key script ends at frame %d in state %d without completing it (outcome %d)",
                             proof.frames, proof.state, proof.outcome));
    if (!script->expectedScore)
        problem("its key script expects no score (a line 'expect score LOW HIGH')");
    else if (!script->expectedScore->contains(proof.score))
        problem(formatNarrow("its key script scores %d, outside the expected %d to %d", proof.score,
                             script->expectedScore->low, script->expectedScore->high));
    return proof;
}

}  // namespace levelbuild
