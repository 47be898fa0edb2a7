// The valley map from the main menu's play through a level and back: the
// welcome, picking and starting the current level, the level manager played
// to its outcome by scripted input, the run booked into the profile, the
// next level unlocked, the statistics bubble, the user data saved to disk;
// restarts and quits from the pause menu; what each new level brings.
#include <gtest/gtest.h>

#include <filesystem>

#include "ValleyHarness.h"
#include "audio/SoundStream.h"
#include "flow/ContextEnding.h"
#include "flow/ContextLevelManager.h"
#include "flow/GameController.h"
#include "flow/GameMessage.h"
#include "flow/GameServer.h"
#include "flow/Overlay.h"
#include "flow/ValleyIcon.h"
#include "flow/ValleyStatsBubble.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gui/ContextMessageBox.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "lang/StringIds.h"
#include "net/NetRole.h"
#include "objects/triggers/House.h"
#include "records/FormatHelpers.h"
#include "sys/Paths.h"
#include "text/FadingText.h"
#include "util/KeyCodes.h"

using valleytest::ValleyHarness;

namespace {

template <class T>
T* topAs(ValleyHarness& h) {
    return dynamic_cast<T*>(h.menus.top());
}

GameController* levelOnTop(ValleyHarness& h) {
    auto* manager = topAs<ContextLevelManager>(h);
    return manager ? manager->gameServer->controller() : nullptr;
}

// PLAY clicked on the map: true once the level manager is on top.
bool play(ValleyHarness& h, ContextValley* v) {
    h.menus.click(v->pButtonPlay);
    return h.stepUntil([&] { return topAs<ContextLevelManager>(h) != nullptr; }, 200);
}

// Waits for play to start, then holds RIGHT until the hero is in the house.
void walkHome(ValleyHarness& h) {
    GameController* gc = levelOnTop(h);
    ASSERT_NE(gc, nullptr);
    ASSERT_TRUE(h.stepUntil([&] { return gc->state == GameController::PLAYING; }, 1000)) << gc->state;
    const int right = h.services.config->controls[GameConfiguration::CONTROL_RIGHT].key;
    h.menus.keyDown(right);
    const bool home = h.stepUntil([&] { return gc->findHouse()->isHeroInside(); }, 300);
    h.menus.keyUp(right);
    ASSERT_TRUE(home);
}

// The level on top played to its end: home, the statistics skipped with the
// jump key, and the level manager gone from the stack.
void playToTheEnd(ValleyHarness& h) {
    walkHome(h);
    GameController* gc = levelOnTop(h);
    ASSERT_TRUE(h.stepUntil([&] { return gc->state == GameController::STATISTICS; }, 1000)) << gc->state;
    h.menus.pressKey(input_codes::KEY_SPACE);
    ASSERT_TRUE(h.stepUntil([&] { return h.menus.top() == h.valley(); }, 300));
}

// The first level written, started from the map and waited into play.
void playFirstLevel(ValleyHarness& h, GameController*& gc) {
    h.writeLevel(0);
    ContextValley* v = h.openValley();
    ASSERT_TRUE(h.stepUntil([&] { return v->state == ContextValley::MAP; }, 500));
    ASSERT_TRUE(play(h, v));
    gc = levelOnTop(h);
    ASSERT_TRUE(h.stepUntil([&] { return gc->state == GameController::PLAYING; }, 1000));
}

// Waits on the map (past the return and any unlocking).
void backOnTheMap(ValleyHarness& h) {
    ContextValley* v = h.valley();
    ASSERT_TRUE(h.stepUntil([&] { return v->state == ContextValley::MAP && !v->levelManager; }, 600)) << v->state;
}

// The pause menu as far as these tests need it: R restarts and E ends the
// level, setting the outcome as the game's menu does after its
// confirmation (the menu itself has tests of its own).
class ScriptedPauseMenu : public Overlay {
public:
    void tickContents(double time, double dt) override {
        Overlay::tickContents(time, dt);
        const ZubInput* in = ZubInput::active();
        if (in && in->wasKeyPressed(input_codes::KEY_R)) THEROLE->outcome = ContextValley::OUTCOME_RESTART;
        if (in && in->wasKeyPressed(input_codes::KEY_E)) THEROLE->outcome = ContextValley::OUTCOME_QUIT;
    }
};

struct PauseMenuInstalled {
    PauseMenuInstalled() : game(Overlay::makers[Overlay::PAUSE_MENU]) {
        Overlay::makers[Overlay::PAUSE_MENU] = [] { return static_cast<Overlay*>(new ScriptedPauseMenu); };
    }
    ~PauseMenuInstalled() { Overlay::makers[Overlay::PAUSE_MENU] = game; }
    Overlay::Maker game;
};

// The profile as if levels 0 .. last had been completed (perfectly when
// asked), the next one unlocked and current.
void seedProgress(ProfileData& p, int32_t last, bool perfect = false) {
    for (int32_t i = 0; i <= last; ++i) {
        LevelResult& r = p.levels[i];
        r.apples = r.applesGathered = 10;
        r.time = 30.0;
        r.parTime = 60.0;
        r.computeScore();
        if (!perfect) r.applePoints = 0, r.score -= 600, r.perfect[LevelResult::PERFECT_SCORE] = 0;
        r.empty = 0;
        r.attempts = 1;
        r.completed = r.unlocked = 1;
    }
    if (last + 1 < NUMLEVELS) p.levels[last + 1].unlocked = 1;
    p.currentLevel = std::min(last + 1, NUMLEVELS - 1);
    p.total.reset();
    for (const LevelResult& r : p.levels) p.total.accumulate(r);
}

std::string profileFile() { return getUserDataFolder() + wideToNarrow(ProfileManager::fileName()); }

}  // namespace

TEST(Valley, PlayingTheFirstLevelBooksItUnlocksTheNextAndSaves) {
    ValleyHarness h;
    h.writeLevel(0);
    ContextValley* v = h.openValley();
    ASSERT_NE(v, nullptr);

    // A fresh profile is welcomed first; the main menu under the map does
    // not run, so its choice made one map.
    EXPECT_EQ(v->state, ContextValley::WELCOME);
    GameMessage* welcome = nullptr;
    for (ZubBase* c : childrenOf(v->pMenu))
        if (auto* m = dynamic_cast<GameMessage*>(c)) welcome = m;
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(welcome->countChildren(),
              static_cast<int>(std::u16string_view(gameLanguage().getText(SID_WELCOME)).size()));
    EXPECT_TRUE(v->pButtonPlay->bHidden);
    const double opened = h.menus.time;
    ASSERT_TRUE(h.stepUntil([&] { return v->state == ContextValley::MAP; }, 500));
    EXPECT_NEAR(h.menus.time - opened, 4.0, 0.03);
    EXPECT_EQ(h.countValleys(), 1);
    EXPECT_FALSE(v->pButtonPlay->bHidden);
    EXPECT_TRUE(v->pButtonRecipe->bHidden);
    ValleyIcon* first = v->icon(0);
    EXPECT_FALSE(first->bHidden);
    EXPECT_TRUE(v->icon(1)->bHidden);

    // The welcome message goes once its last letter has faded.
    auto welcoming = [&] {
        for (ZubBase* c : childrenOf(v->pMenu))
            if (dynamic_cast<GameMessage*>(c)) return true;
        return false;
    };
    ASSERT_TRUE(h.stepUntil([&] { return !welcoming(); }, 200));

    // A tap on the current level's marker starts it: the screen closes, the
    // level manager comes 1.1 s later.
    h.clickMap(first->position);
    EXPECT_EQ(v->state, ContextValley::LEAVING);
    const int liveBefore = ZubBase::liveCount();

    ASSERT_FALSE(h.services.transitions.empty());
    EXPECT_EQ(h.services.transitions.back(), std::make_pair(-1.0f, 1.0f));
    const double left = h.menus.time;
    ASSERT_TRUE(h.stepUntil([&] { return topAs<ContextLevelManager>(h) != nullptr; }, 200));
    EXPECT_NEAR(h.menus.time - left, 1.1, 0.03);
    EXPECT_EQ(v->state, ContextValley::PLAYING);
    EXPECT_EQ(v->levelManager, h.menus.top());

    playToTheEnd(h);
    const double run = v->levelManager->gameServer->controller()->currentResult.time;
    EXPECT_EQ(h.services.saves, 0);
    ASSERT_TRUE(h.stepUntil([&] { return v->levelManager == nullptr; }, 200));

    // Booked: one attempt, completed, the totals rebuilt, saved.
    const LevelResult& r0 = h.profile().levels[0];
    EXPECT_EQ(r0.attempts, 1);
    EXPECT_DOUBLE_EQ(r0.totalTime, run);
    EXPECT_EQ(r0.completed, 1);
    EXPECT_GT(r0.score, 0);
    EXPECT_EQ(h.profile().total.score, r0.score);
    EXPECT_EQ(h.services.saves, 1);
    EXPECT_FALSE(h.profile().levels[1].unlocked);
    EXPECT_EQ(v->state, ContextValley::BACK_FROM_LEVEL);
    // The level went with its level manager, every object of it.
    EXPECT_EQ(ZubBase::liveCount(), liveBefore);

    EXPECT_EQ(static_cast<ZubBase*>(h.audio.getMusic()), h.menus.resources.find(u"musicMenu", true));
    {
        ProfileManager reloaded;
        EXPECT_EQ(reloaded.serialize(), h.services.profileManager->serialize());
    }

    // Three seconds later the next level opens and becomes current, saved.
    ASSERT_TRUE(h.stepUntil([&] { return v->state == ContextValley::MAP; }, 400));
    EXPECT_EQ(h.profile().levels[1].unlocked, 1);
    EXPECT_EQ(h.profile().currentLevel, 1);
    EXPECT_EQ(h.services.saves, 2);
    {
        ProfileManager reloaded;
        EXPECT_EQ(reloaded.serialize(), h.services.profileManager->serialize());
        GameConfiguration config;
        EXPECT_EQ(config.serialize(), h.services.config->serialize());
    }
    h.step();
    EXPECT_FALSE(v->icon(1)->bHidden);
    EXPECT_EQ(first->pSkin,
              first->pDotSkins->getSkin(ValleyIcon::dotSkinIndex(r0.score, first->pDotSkins->getSkinCount())));
    EXPECT_EQ(topAs<ContextMessageBox>(h), nullptr);  // level 1 brings no hint

    // Resting on the finished level shows its best results.
    const V3 marker = v->camera->worldToScreen(first->position);
    h.menus.moveMouse(marker.x, marker.y);
    h.step(2);
    EXPECT_FALSE(v->pStatsBubble->bHidden);
    EXPECT_EQ(v->pStatsBubble->pIcon, first);
    std::vector<WString> texts;
    for (auto* t : childrenOf<FadingText>(v->pStatsBubble)) texts.push_back(t->text);
    ASSERT_EQ(texts.size(), 14u);
    EXPECT_EQ(texts[0], gameLanguage().getText(SID_STATSSCORE));
    EXPECT_EQ(texts[1], formatNumberGrouped(r0.points));
    EXPECT_EQ(texts[13], formatString(u"%s/%s", formatMinutesSeconds(r0.time), formatMinutesSeconds(60.0)));
    // Off the marker it goes.
    h.menus.moveMouse(marker.x + 60.0f, marker.y);
    h.step();
    EXPECT_TRUE(v->pStatsBubble->bHidden);
}

TEST(Valley, PlayStartsTheCurrentLevelAndATapSelectsAnotherFirst) {
    ValleyHarness h;
    seedProgress(h.profile(), 2);
    ContextValley* v = h.openValley();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->state, ContextValley::MAP);  // no welcome once level 0 is done
    h.step(400);
    EXPECT_EQ(h.profile().currentLevel, 3);

    // A locked marker: nothing. An unlocked one: selected, not started.
    h.clickMap(v->icon(5)->position);
    EXPECT_EQ(h.profile().currentLevel, 3);
    h.clickMap(v->icon(1)->position);
    EXPECT_EQ(h.profile().currentLevel, 1);
    EXPECT_EQ(v->state, ContextValley::MAP);

    // A drag that starts on a marker scrolls and picks nothing.
    const V3 at = v->camera->worldToScreen(v->icon(2)->position);
    const float before = v->camera->eye.x;
    h.menus.moveMouse(at.x, at.y);
    h.step();
    h.menus.mouseButton(true);
    h.step();
    for (int i = 1; i <= 10; ++i) {
        h.menus.moveMouse(at.x + 8.0f * static_cast<float>(i), at.y);
        h.step();
    }
    h.menus.mouseButton(false);
    h.step(2);
    EXPECT_EQ(h.profile().currentLevel, 1);
    // The map followed the pointer from the drag threshold on (20 units).
    EXPECT_NEAR(v->camera->eye.x, before - 64.0f, 0.5f);
    EXPECT_EQ(v->state, ContextValley::MAP);

    // The confirm key taps once where the cursor is (after a first press
    // that turns to key navigation): on marker 0 it selects level 0.
    const V3 zero = v->camera->worldToScreen(v->icon(0)->position);
    h.menus.moveMouse(zero.x, zero.y);
    h.step();
    h.menus.pressKey(input_codes::KEY_RETURN);
    h.step(2);
    EXPECT_EQ(h.profile().currentLevel, 1);
    h.menus.pressKey(input_codes::KEY_RETURN);
    h.step(3);
    EXPECT_EQ(h.profile().currentLevel, 0);
    EXPECT_EQ(v->state, ContextValley::MAP);
    h.clickMap(v->icon(1)->position);
    EXPECT_EQ(h.profile().currentLevel, 1);

    // PLAY starts the selected level.
    h.writeLevel(1);
    h.menus.click(v->pButtonPlay);
    EXPECT_EQ(v->state, ContextValley::LEAVING);
    ASSERT_TRUE(h.stepUntil([&] { return topAs<ContextLevelManager>(h) != nullptr; }, 200));
    EXPECT_EQ(levelOnTop(h)->getCurrentLevelNumber(), 1);

    // A level played again books its figures and opens nothing new.
    playToTheEnd(h);
    backOnTheMap(h);
    EXPECT_EQ(h.profile().levels[1].attempts, 2);
    EXPECT_EQ(h.profile().currentLevel, 1);
    EXPECT_FALSE(h.profile().levels[4].unlocked);
    EXPECT_EQ(h.services.saves, 1);

    // BACK closes the map; the main menu's play makes a fresh one.
    h.menus.click(v->pButtonBack);
    h.step();
    EXPECT_EQ(h.valley(), nullptr);
    ASSERT_NE(dynamic_cast<valleytest::MainMenuStandIn*>(h.menus.top()), nullptr);
    ContextValley* again = h.openValley();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(h.countValleys(), 1);
    EXPECT_EQ(dynamic_cast<valleytest::MainMenuStandIn*>(h.menus.stack->firstChild)->started, 2);
}

// A notice over the map whose OK button covers a level's marker (a box
// closes on the press; its release must not reach the map as a tap).
ContextMessageBox* noticeOver(ValleyHarness& h, const V3& markerOnScreen) {
    auto* probe = new ContextMessageBox;
    probe->text = u"Secret Recipe";
    probe->build();
    const V3 button = probe->button1->position;
    deleteObject(probe);
    auto* box = new ContextMessageBox;
    box->text = u"Secret Recipe";
    box->position = box->camera->screenToWorld(markerOnScreen.x, markerOnScreen.y, 0.0f) - button;
    box->build();
    h.menus.push(box);
    h.step(2);
    return box;
}

TEST(Valley, TheClickOrKeyThatClosesANoticeDoesNotActOnTheMapBelow) {
    ValleyHarness h;
    seedProgress(h.profile(), 2);
    ContextValley* v = h.openValley();
    ASSERT_NE(v, nullptr);
    h.step(400);
    ASSERT_EQ(h.profile().currentLevel, 3);
    const V3 current = v->camera->worldToScreen(v->icon(3)->position);
    const V3 other = v->camera->worldToScreen(v->icon(1)->position);

    // The mouse: the press on OK closes the box, the release lands on the
    // current level's marker, which a tap would start.
    ContextMessageBox* box = noticeOver(h, current);
    const V3 ok = box->button1->cursorAnchor(0);
    ASSERT_LT((ok - current).length(), 30.0f) << "OK lies over the marker";
    h.menus.click(box->button1);
    h.step(2);
    EXPECT_EQ(h.menus.top(), v);
    EXPECT_EQ(v->state, ContextValley::MAP) << "the level started";
    // The same over another level's marker: not selected either.
    box = noticeOver(h, other);
    h.menus.click(box->button1);
    h.step(2);
    EXPECT_EQ(h.menus.top(), v);
    EXPECT_EQ(h.profile().currentLevel, 3);

    // The confirm key (after a first press that turns to key navigation):
    // its tap closes the box, and goes no further.
    box = noticeOver(h, current);
    h.menus.moveMouse(box->button1->cursorAnchor(0).x, box->button1->cursorAnchor(0).y);
    h.step();
    h.menus.pressKey(input_codes::KEY_RETURN);
    h.step(2);
    ASSERT_EQ(h.menus.top(), box);
    h.menus.pressKey(input_codes::KEY_RETURN);
    h.step(3);
    EXPECT_EQ(h.menus.top(), v);
    EXPECT_EQ(v->state, ContextValley::MAP) << "the level started";

    // A press held while the box closes, dragged across the map and
    // released: no scroll, no pick.
    box = noticeOver(h, other);
    h.menus.moveMouse(box->button1->cursorAnchor(0).x, box->button1->cursorAnchor(0).y);
    h.step();
    const float eye = v->camera->eye.x;
    h.menus.mouseButton(true);
    h.step(2);
    ASSERT_EQ(h.menus.top(), v);
    for (int i = 1; i <= 5; ++i) {
        h.menus.moveMouse(other.x + 10.0f * static_cast<float>(i), other.y);
        h.step();
    }
    h.menus.moveMouse(other.x, other.y);
    h.step();
    h.menus.mouseButton(false);
    h.step(2);
    EXPECT_EQ(v->camera->eye.x, eye);
    EXPECT_EQ(h.profile().currentLevel, 3);

    // Later clicks are the map's again: one selects, one on the current
    // marker starts.
    h.clickMap(v->icon(1)->position);
    EXPECT_EQ(h.profile().currentLevel, 1);
    EXPECT_EQ(v->state, ContextValley::MAP);
    h.clickMap(v->icon(1)->position);
    EXPECT_EQ(v->state, ContextValley::LEAVING);
}

TEST(Valley, TheMapScrollsWithinItsTwoScreens) {
    ValleyHarness h;
    seedProgress(h.profile(), 0);
    ContextValley* v = h.openValley();
    h.step(400);
    // Dragged far to the right and beyond: the camera stops at the left edge.
    h.menus.moveMouse(300, 300);
    h.step();
    h.menus.mouseButton(true);
    h.step();
    for (int i = 1; i <= 40; ++i) {
        h.menus.moveMouse(300.0f + 40.0f * static_cast<float>(i), 300);
        h.step();
        EXPECT_GE(v->camera->eye.x, -512.0f);
    }
    h.menus.mouseButton(false);
    h.step();
    EXPECT_EQ(v->camera->eye.x, -512.0f);
    EXPECT_TRUE(v->pArrowLeft->bHidden);
    EXPECT_FALSE(v->pArrowRight->bHidden);
    // The right arrow under the mouse scrolls right at 200 a second.
    const V3 arrow = v->pMenu->camera->worldToScreen(v->pArrowRight->position);
    h.menus.moveMouse(arrow.x, arrow.y);
    h.step(50);
    EXPECT_NEAR(v->camera->eye.x, -512.0f + 100.0f, 4.0f);
    EXPECT_FALSE(v->pArrowLeft->bHidden);
}

TEST(Valley, ARestartPlaysTheLevelAgainAtOnceWithoutSaving) {
    ValleyHarness h;
    PauseMenuInstalled pause;
    GameController* gc = nullptr;
    ASSERT_NO_FATAL_FAILURE(playFirstLevel(h, gc));
    ContextValley* v = h.valley();
    h.step(50);

    h.menus.pressKey(input_codes::KEY_ESCAPE);
    h.step(20);
    const double run = gc->currentResult.time;
    h.menus.pressKey(input_codes::KEY_R);
    // The level manager finishes; the map books the try and loads the level
    // again in the same frame it comes back.
    ASSERT_TRUE(h.stepUntil([&] { return h.profile().levels[0].attempts == 1; }, 10));
    EXPECT_EQ(v->state, ContextValley::PLAYING);
    ASSERT_NE(v->levelManager, nullptr);
    EXPECT_EQ(v->levelManager->outcome(), 0);
    h.step();
    EXPECT_EQ(h.menus.top(), v->levelManager);
    EXPECT_EQ(levelOnTop(h)->state, GameController::OPENING);
    const LevelResult& r0 = h.profile().levels[0];
    EXPECT_EQ(r0.attempts, 1);
    EXPECT_DOUBLE_EQ(r0.totalTime, run);
    EXPECT_EQ(r0.completed, 0);
    EXPECT_EQ(h.services.saves, 0);
    EXPECT_FALSE(std::filesystem::exists(profileFile()));
    EXPECT_NE(static_cast<ZubBase*>(h.audio.getMusic()), h.menus.resources.find(u"musicMenu", true));
}

TEST(Valley, EndingALevelFromThePauseMenuBooksItWithoutCompletingIt) {
    ValleyHarness h;
    PauseMenuInstalled pause;
    GameController* gc = nullptr;
    ASSERT_NO_FATAL_FAILURE(playFirstLevel(h, gc));
    ContextValley* v = h.valley();
    h.menus.pressKey(input_codes::KEY_ESCAPE);
    h.step(20);
    h.menus.pressKey(input_codes::KEY_E);
    ASSERT_TRUE(h.stepUntil([&] { return h.menus.top() == v; }, 10));
    backOnTheMap(h);
    const LevelResult& r0 = h.profile().levels[0];
    EXPECT_EQ(r0.attempts, 1);
    EXPECT_EQ(r0.completed, 0);
    EXPECT_FALSE(h.profile().levels[1].unlocked);
    EXPECT_EQ(h.profile().currentLevel, 0);
    EXPECT_EQ(h.services.saves, 1);
    ProfileManager reloaded;
    EXPECT_EQ(reloaded.currentProfile().levels[0].attempts, 1);
}

TEST(Valley, ALevelWonBeforeItWasEndedStaysCompleted) {
    // However the level's end is cut short once it has been scored (the
    // root object opens no pause menu then, but the outcome word may still
    // say quit or restart), the win is booked and the next level opens.
    for (int32_t outcome : {ContextValley::OUTCOME_QUIT, ContextValley::OUTCOME_RESTART}) {
        ValleyHarness h;
        seedProgress(h.profile(), 0);
        h.writeLevel(1);
        ContextValley* v = h.openValley();
        h.step(5);
        ASSERT_TRUE(play(h, v));
        GameServer* server = v->levelManager->gameServer.get();
        walkHome(h);
        ASSERT_TRUE(h.stepUntil([&] { return server->controller()->state == GameController::STATISTICS; }, 1000));
        server->outcome = outcome;
        backOnTheMap(h);
        EXPECT_EQ(h.profile().levels[1].completed, 1) << outcome;
        EXPECT_EQ(h.profile().levels[2].unlocked, 1) << outcome;
        EXPECT_EQ(h.profile().currentLevel, 2) << outcome;
        EXPECT_EQ(h.services.saves, 2) << outcome;
    }
}

TEST(Valley, NewLevelsBringTheirHintsSeasonsAndTheEnding) {
    // With the tutorial on, reaching level 2 explains the percentages.
    {
        ValleyHarness h;
        h.services.config->showHints = 1;
        seedProgress(h.profile(), 0);
        h.writeLevel(1);
        ContextValley* v = h.openValley();
        ASSERT_TRUE(play(h, v));
        playToTheEnd(h);
        ASSERT_TRUE(h.stepUntil([&] { return topAs<ContextMessageBox>(h) != nullptr; }, 600));
        EXPECT_EQ(topAs<ContextMessageBox>(h)->title, gameLanguage().getText(SID_HINTVALLEYPERCENTAGESTITLE));
        EXPECT_EQ(h.profile().currentLevel, 2);
        // The box closes on a press; the map runs on below it.
        h.menus.pressKey(input_codes::KEY_SPACE);
        h.step(2);
        EXPECT_EQ(h.menus.top(), v);
    }
    // A new season is announced whatever the tutorial setting.
    {
        ValleyHarness h;
        seedProgress(h.profile(), 6);
        h.writeLevel(7);
        ContextValley* v = h.openValley();
        ASSERT_TRUE(play(h, v));
        playToTheEnd(h);
        ASSERT_TRUE(h.stepUntil([&] { return topAs<ContextMessageBox>(h) != nullptr; }, 600));
        EXPECT_EQ(topAs<ContextMessageBox>(h)->text, gameLanguage().getText(SID_HINTVALLEYSEASON1));
    }
    // Level 30 opens the last level and the ending; perfect play everywhere
    // is celebrated on each completion of the last level.
    {
        ValleyHarness h;
        seedProgress(h.profile(), 29, true);
        h.writeLevel(30);
        ContextValley* v = h.openValley();
        ASSERT_TRUE(play(h, v));
        playToTheEnd(h);
        ASSERT_TRUE(h.stepUntil([&] { return topAs<ContextEnding>(h) != nullptr; }, 600));
        EXPECT_EQ(h.profile().currentLevel, 31);
        EXPECT_EQ(h.profile().levels[31].unlocked, 1);
        h.menus.pressKey(input_codes::KEY_SPACE);  // the jump key closes the ending
        h.step(2);
        EXPECT_EQ(h.menus.top(), v);

        seedProgress(h.profile(), 30, true);
        h.profile().levels[31].unlocked = 1;
        h.profile().currentLevel = 31;
        h.writeLevel(31);
        ASSERT_TRUE(play(h, v));
        playToTheEnd(h);
        ASSERT_TRUE(h.stepUntil([&] { return v->levelManager == nullptr; }, 200));
        EXPECT_EQ(h.profile().levels[31].completed, 1);
        EXPECT_EQ(h.profile().currentLevel, 31);
        EXPECT_FALSE(v->state == ContextValley::UNLOCKING || v->stateGoto == ContextValley::UNLOCKING);
        ASSERT_EQ(h.profile().total.score, 1000);
        ASSERT_NE(topAs<ContextMessageBox>(h), nullptr);
        EXPECT_EQ(topAs<ContextMessageBox>(h)->title, gameLanguage().getText(SID_HINTALLCOMPLETETITLE));
        h.menus.pressKey(input_codes::KEY_SPACE);
        h.step();

        // Each later completion celebrates again while the totals stay perfect,
        // and none while they do not.
        ASSERT_TRUE(play(h, v));
        playToTheEnd(h);
        ASSERT_TRUE(h.stepUntil([&] { return v->levelManager == nullptr; }, 200));
        EXPECT_NE(topAs<ContextMessageBox>(h), nullptr);
        h.menus.pressKey(input_codes::KEY_SPACE);
        h.step();
        h.profile().levels[5].secrets = 4;
        ASSERT_TRUE(play(h, v));
        playToTheEnd(h);
        ASSERT_TRUE(h.stepUntil([&] { return v->levelManager == nullptr; }, 200));
        EXPECT_LT(h.profile().total.score, 1000);
        EXPECT_EQ(topAs<ContextMessageBox>(h), nullptr);
    }
}

TEST(ValleyDeathTest, ALevelWithoutItsFileEndsTheProgramNamingIt) {
    EXPECT_DEATH(
        {
            ValleyHarness h;
            ContextValley* v = h.openValley();
            h.stepUntil([&] { return v->state == ContextValley::MAP; }, 500);
            h.menus.click(v->pButtonPlay);
            h.step(200);
        },
        "levels/a1.lev");
}
