// The game controller's frame (prompts, touch buttons, play time, the end
// rules, the explored map), its drawing and its states.
#include <cmath>
#include <cstring>

#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "audio/ZubAudio.h"
#include "engine/Zub.h"
#include "flow/GameController.h"
#include "flow/GameHud.h"
#include "flow/GameServer.h"
#include "flow/GameServices.h"
#include "flow/Sky.h"
#include "flow/TouchHudControl.h"
#include "gfx/ContextBlender.h"
#include "gfx/ImmediateDraw.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "net/NetRole.h"
#include "object/ResourceLookup.h"
#include "objects/pig/HeroCameras.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "records/FormatHelpers.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "util/Format.h"

namespace {

bool pressed(const ZubInput& in, const ControlBinding& b) {
    return in.wasKeyPressed(b.key) || in.wasKeyPressed(b.alternative);
}
bool held(const ZubInput& in, const ControlBinding& b) { return in.isKeyDown(b.key) || in.isKeyDown(b.alternative); }

// Whole seconds for the records: not a number or negative counts as 0.
int32_t wholeSeconds(double s) { return s > 0.0 ? static_cast<int32_t>(s < 2.0e9 ? s : 2.0e9) : 0; }

}  // namespace

// ---------------------------------------------------------------------------
// Frame

void GameController::tickContents(double time, double dt) {
    ZubInput* in = ZubInput::active();
    const GameConfiguration& cfg = getConfiguration();
    if (in && in->inputMode != ZubInput::MODE_MOUSE_KEYBOARD) {
        using C = GameConfiguration;
        for (int c : {C::CONTROL_LEFT, C::CONTROL_RIGHT, C::CONTROL_USE, C::CONTROL_JUMP})
            if (held(*in, cfg.controls[c])) {
                in->setInputMode(ZubInput::MODE_MOUSE_KEYBOARD);
                break;
            }
    }
    if (isEditing()) {
        Context::tickContents(time, dt);
        return;
    }

    const bool touch = isTouchInput();
    GameHud* hud = contextHUD;
    if (hud) {
        const uint8_t hidden = touch && state == PLAYING ? 0 : 1;
        hud->pMoveLeft->bHidden = hud->pMoveRight->bHidden = hud->pJump->bHidden = hidden;
    }
    clearPrompt();
    bool help = false, stats = false, map = false;
    if (in && touch) {
        readTouches(help, stats, map);
    } else if (in && pressed(*in, cfg.controls[GameConfiguration::CONTROL_USE])) {
        if (const Pig* hero = heroOrNull()) {
            const V3 centre = hero->boundingCentre;
            for (ZubBase* list : {objectList, cargoList, pigList}) findNearestObject(list, centre);
        }
    }
    if (hud)
        hud->pPauseButton->bHidden = hud->pHelpButton->bHidden = hud->pStatsButton->bHidden = hud->pMapButton->bHidden =
            1;

    if (state == PLAYING) tickPlaying(dt, help, stats, map);
    if (state == STATISTICS && in &&
        (pressed(*in, cfg.controls[GameConfiguration::CONTROL_JUMP]) ||
         pressed(*in, cfg.controls[GameConfiguration::CONTROL_STATS]) || in->wasAnyPointerPressed()))
        setState(CLOSING, 0.0);

    Context::tickContents(time, dt);
}

bool GameController::readTouches(bool& help, bool& stats, bool& map) {
    ZubInput* in = ZubInput::active();
    GameHud* hud = contextHUD;
    if (!in || !hud) return false;
    for (int i = 0; i < in->pointerCount(); ++i) {
        InputPointer& p = *in->getPointer(i);
        // Only a press acts: a held finger neither presses again nor prompts.
        if (!p.bWentDown) continue;
        const V3 at = hud->camera->screenToWorld(p.x, p.y, p.z);
        auto on = [&](const Renderable* button) {
            return !button->bHidden && V3::distance(at, button->position) < BUTTON_RADIUS;
        };
        bool claimed = true;
        if (on(hud->pHelpButton)) help = true;
        else if (on(hud->pStatsButton)) stats = true;
        else if (on(hud->pMapButton)) map = true;
        else if (!on(hud->pPauseButton)) claimed = false;
        if (claimed) {
            in->setPointerOwner(this, i);
            continue;
        }
        for (ZubBase* list : {objectList, cargoList, pigList}) findNearestObjectAtPointer(list, p);
    }
    return true;
}

void GameController::tickPlaying(double dt, bool help, bool stats, bool map) {
    ZubInput* in = ZubInput::active();
    const GameConfiguration& cfg = getConfiguration();
    const bool touch = isTouchInput();
    GameHud* hud = contextHUD;
    if (hud && touch) hud->pPauseButton->bHidden = hud->pHelpButton->bHidden = hud->pStatsButton->bHidden = 0;

    // Time does not count while the hero is at home.
    if (!findHouse()->isHeroInside()) {
        ++playFrameCount;
        currentResult.time += dt;
    }

    // At most one overlay opens in a frame.
    const int32_t level = levelNumber();
    const bool mapLevel = !bBonusLevel && level >= 0 && level < MAP_LEVELS;
    if (hud && touch && mapLevel) hud->pMapButton->bHidden = 0;
    if (help) {
        openOverlay(Overlay::TUTORIAL);
    } else if (stats || (in && pressed(*in, cfg.controls[GameConfiguration::CONTROL_STATS]))) {
        openOverlay(Overlay::STATISTICS);
    } else if (mapLevel && (map || (in && pressed(*in, cfg.controls[GameConfiguration::CONTROL_MAP])))) {
        openOverlay(Overlay::MINIMAP);
    }

    // The end: a bonus level's countdown, or the goal met.
    if (bBonusLevel) {
        bonusTimeLeft -= static_cast<float>(dt);
        if (bonusTimeLeft < 0.0f) {
            bonusTimeLeft = 0.0f;
            setState(SCORING, 0.0);
        }
    }
    if (state == PLAYING && isLevelComplete()) {
        if (bBonusLevel) {
            setState(SCORING, 0.0);
        } else {
            // Everybody must stay home a second; leaving in that second
            // sends the game back to play.
            if (state == stateGoto) fadeMusic(0.01f, 1.0);
            setState(END_CHECK, 1.0);
        }
    }
    updateExploredMap();
}

float GameController::mapFraction(float lo, float hi, float value) {
    const float t = lo == hi ? 0.0f : (value - lo) / (hi - lo);
    return t > 0.0f ? (t < 1.0f ? t : 1.0f) : 0.0f;
}

int GameController::mapCellOf(float lo, float hi, float value, int last) {
    return static_cast<int>(static_cast<float>(last) * mapFraction(lo, hi, value));
}

void GameController::updateExploredMap() {
    if (!contextGame) return;
    const ViewRect v = contextGame->camera->getViewRect(0.0f);
    const PlayingArea& a = playingArea;
    const int x0 = mapCellOf(a.left, a.right, v.left, MINIMAP_WIDTH - 1);
    const int x1 = mapCellOf(a.left, a.right, v.right, MINIMAP_WIDTH - 1);
    const int y0 = mapCellOf(a.top, a.bottom, v.top, MINIMAP_HEIGHT - 1);
    const int y1 = mapCellOf(a.top, a.bottom, v.bottom, MINIMAP_HEIGHT - 1);
    const int half = (x1 - x0) / 2;
    const int centre = (x1 + x0) / 2;
    // An ellipse inscribed in the view's cells.
    for (int r = y0; r < y1; ++r) {
        const double t = -1.0 + 2.0 * (r - y0) / (y1 - y0);
        const double w = std::cos(t * kPi / 2.0) * half;
        const int from = static_cast<int>(centre - w);
        const int to = static_cast<int>(centre + w);
        if (from < to) std::memset(&exploredMap[r][from], 1, static_cast<size_t>(to - from));
    }
}

// ---------------------------------------------------------------------------
// Drawing

void GameController::render() { renderContext(); }

void GameController::renderContents() {
    for (ZubBase* c : childrenOf(this)) {
        if (c->bHidden) continue;
        if (Context* context = zub_cast<Context>(c)) context->renderContext();
        else c->render();
    }
    if (!contextGame) return;
    contextGame->camera->apply();
    if (ZUB && !ZUB->bDebugLocked)
        drawRectOutline(playingArea.left, playingArea.top, playingArea.right, playingArea.bottom, AREA_OUTLINE_COLOUR);
}

// ---------------------------------------------------------------------------
// States

void GameController::onStateChange() {
    RPCSetState set;
    set.target = this;
    set.newState = state;
    set.call();
    RPCEnterState enter;
    enter.target = this;
    enter.call();
}

void GameController::fadeMusic(float volume, double seconds) {
    if (ZubAudio* audio = ZubAudio::active()) audio->fadeMusic(volume, seconds);
}

void GameController::enterState() {
    const Language& language = gameLanguage();
    const float depth = VIEW_DEPTH * static_cast<float>(REFERENCE_WIDTH);
    switch (state) {
        case OPENING: {
            const Pig* hero = getHero();
            auto* cut = new CameraTransition(hero->position.x, hero->position.y, depth);
            cut->duration = 0.001;
            getCameraNode()->addChild(cut);
            GameServices::get().setTransition(1.0f, 0.0f);
            setState(TITLE, 1.0);
            break;
        }
        case TITLE: {
            currentResult.sweets = 0;
            for (const ZubBase* o : childrenOf(sweetList))
                if (!o->bToBeDestroyed) ++currentResult.sweets;
            auto* follow = new HeroCamera;
            follow->duration = 4.0;
            getCameraNode()->addChild(follow);
            // A level that is none of the 32 has neither number nor title.
            if (const int32_t level = levelNumber(); level != GameServer::NO_LEVEL) {
                local_setMessage(2, 0, 2.0, formatString(language.getText(SID_LEVELX), level + 1));
                local_setMessage(1, 0, 3.0, ProfileData::levelNumberToTitle(level, language));
            }
            setState(GO, 4.0);
            break;
        }
        case GO: {
            if (getConfiguration().inGameMusic) {
                // A level that is none of the 32 plays the first one's music.
                const int32_t level = levelNumber();
                auto* music = findResource<SoundStream>(
                    ProfileData::levelNumberToMusic(level == GameServer::NO_LEVEL ? 0 : level));
                if (ZubAudio* audio = ZubAudio::active()) audio->setMusic(music);
            }
            local_setMessage(1, SID_GO, 1.0, WString());
            setState(PLAYING, 0.0);
            break;
        }
        case END_CHECK:
            if (isLevelComplete()) {
                setState(SCORING, 0.0);
            } else {
                fadeMusic(1.0f, 1.0);
                setState(PLAYING, 0.0);
            }
            break;
        case SCORING:
            enterScoring();
            break;
        case STATISTICS:
            enterStatistics();
            break;
        case CLOSING:
            GameServices::get().setTransition(-1.0f, 1.0f);
            fadeMusic(0.0f, 1.0);
            setState(DONE, 1.0);
            break;
        case DONE:
            if (THEROLE) THEROLE->outcome = OUTCOME_COMPLETE;
            break;
        default:
            break;
    }
}

void GameController::enterScoring() {
    GameServices& services = GameServices::get();
    const int32_t level = levelNumber();
    currentResult.computeScore();
    // No play time (the goal met in the first frame) gives no frame rate.
    const double rate = currentResult.time > 0.0 ? playFrameCount / currentResult.time : 0.0;
    currentResult.frameRate = wholeSeconds(rate);
    // The result is booked under the level played; one that is none of the
    // 32 books nothing.
    if (level != GameServer::NO_LEVEL) {
        ProfileData& profile = services.profiles().currentProfile();
        profile.levels[level].mergeBest(currentResult);
        services.configuration().submitHighScore(currentResult.points, level, wholeSeconds(currentResult.time),
                                                 currentResult.score, true, narrowToWide(profile.name));
    }

    const Pig* hero = getHero();
    const float depth = VIEW_DEPTH * static_cast<float>(REFERENCE_WIDTH);
    auto* aside = new CameraTransition(hero->position.x - SCORING_SHIFT * static_cast<float>(REFERENCE_WIDTH),
                                       hero->position.y, depth);
    aside->duration = 6.0;
    getCameraNode()->addChild(aside);

    const bool timeUp = bBonusLevel && bonusTimeLeft <= 0.0f;
    local_setMessage(1, timeUp ? SID_OUTOFTIME : SID_LEVELCOMPLETE, 5.0, WString());
    findResource<Sound>(timeUp ? u"soundLose" : u"soundWin")->play();
    fadeMusic(0.0f, 1.0);
    setState(STATISTICS, 6.0);
}

void GameController::enterStatistics() {
    const Language& language = gameLanguage();
    const int32_t level = levelNumber();
    const LevelResult& r = currentResult;
    // Records exist only for the 32 levels.
    static const LevelResult noRecords;
    const LevelResult& best =
        level == GameServer::NO_LEVEL ? noRecords : GameServices::get().profiles().currentProfile().levels[level];
    auto counts = [](int32_t a, int32_t b) { return formatString(u"%d/%d", a, b); };
    struct Row {
        bool normalOnly;
        int32_t label;
        WString value;
        int32_t points;
        uint32_t colour;
        int32_t kind;
        int record;
        int perfect;
    };
    const Row rows[] = {
        {true, SID_STATSAPPLESREQUIRED, counts(r.applesGathered, r.apples), r.applePoints, 0xffff8000u, -2,
         LevelResult::RECORD_APPLES, LevelResult::PERFECT_APPLES},
        {true, SID_STATSAPPLESBONUS, counts(r.bonusApplesGathered, r.bonusApples), r.bonusApplePoints, 0xffff0000u, -1,
         LevelResult::RECORD_BONUS_APPLES, LevelResult::PERFECT_BONUS_APPLES},
        {false, SID_STATSSWEETS, counts(r.sweetsGathered, r.sweets), r.sweetPoints, 0xffff00ffu, 0,
         LevelResult::RECORD_SWEETS, LevelResult::PERFECT_SWEETS},
        {true, SID_STATSSECRETS, counts(r.secretsFound, r.secrets), r.secretPoints, 0xff0080ffu, 1,
         LevelResult::RECORD_SECRETS, LevelResult::PERFECT_SECRETS},
        {true, SID_STATSDEATHS, formatString(u"%d", r.livesLost), r.livesPoints, 0xff00ffffu, 2,
         LevelResult::RECORD_LIVES_LOST, LevelResult::PERFECT_LIVES},
        {false, SID_STATSTIME, formatString(u"%s/%s", formatMinutesSeconds(r.time), formatMinutesSeconds(r.parTime)),
         r.timePoints, 0xff00ff00u, 3, LevelResult::RECORD_TIME, LevelResult::PERFECT_TIME},
        {false, SID_STATSTOTAL, WString(), r.score, 0xffffffffu, 4, LevelResult::RECORD_POINTS,
         LevelResult::PERFECT_SCORE},
    };
    float y = bBonusLevel ? 100.0f : 160.0f;
    double delay = 0.0;
    bool first = true;
    for (const Row& row : rows) {
        if (row.normalOnly && bBonusLevel) continue;
        const bool last = row.kind == 4;
        // Each row 35 below the one before; the total a gap of 70 further.
        if (!first) y -= last ? 105.0f : 35.0f;
        first = false;
        StatsRowLayout layout;
        layout.points = row.points;
        layout.position = V3(0.0f, y, 0.0f);
        layout.colour = row.colour;
        layout.kind = row.kind;
        layout.last = last;
        layout.newRecord = best.newRecord[row.record] != 0;
        layout.perfect = r.perfect[row.perfect] != 0;
        layout.label = language.getText(row.label);
        layout.value = row.value;
        layout.delay = delay;
        double duration = 0.0;
        if (statsRowMaker) {
            if (ZubBase* line = statsRowMaker(layout, &duration)) contextHUD->addChild(line);
        }
        if (duration > 0.0 && duration < 1.0e6) delay += duration;
    }

    const bool touch = isTouchInput();
    const float bottom = static_cast<float>(-(REFERENCE_HEIGHT / 2));
    const WString hintName = formatString(u"HINTENDLEVEL%d", level);
    const WString touchName = u"IOS_" + hintName;
    const WString hint = touch && language.hasString(touchName) ? language.getTextByString(touchName, true)
                                                                : language.getTextByString(hintName, false);
    auto fading = [&](const char16_t* font, float yAt, const WString& text, uint32_t colour, double after) {
        auto* t = new FadingText(V3(0.0f, bottom + yAt, 0.0f), text, findResource<FontQuad>(font), colour);
        t->fadeIn = 1.0;
        t->flags = FontQuad::TEXT_CENTRE | FontQuad::TEXT_LINE_UP;
        t->bShadow = 0;
        t->delay = delay + after;
        contextHUD->addChild(t);
    };
    fading(u"fontMedium", 50.0f, hint, 0xff80ff00u, 2.0);
    const WString keyName = gameKeyName(getConfiguration().controls[GameConfiguration::CONTROL_JUMP].key);
    const WString prompt =
        formatString(language.getText(touch ? SID_IOS_PRESSXKEYTOCONTINUE : SID_PRESSXKEYTOCONTINUE), keyName);
    fading(u"fontSmall", 20.0f, prompt, 0xffffffffu, 5.0);
}
