// The game as a new player meets it, in the real program: the language
// page of the first start, the start screens, the name entry, the main
// menu, the valley map, the first level played through by its key script,
// back on the map with the level completed, the next one unlocked and its
// results in the statistics bubble, Quit; and a second start that
// remembers her, her progress and her language.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "KeyScript.h"
#include "ProgramHarness.h"
#include "app/Global.h"
#include "engine/Zub.h"
#include "flow/ContextLevelManager.h"
#include "flow/ContextValley.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/ValleyIcon.h"
#include "flow/ValleyStatsBubble.h"
#include "gfx/Camera.h"
#include "gui/ContextMessageBox.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "input/KeyCodes.h"
#include "lang/Language.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextEnterName.h"
#include "menu/ContextIntroStory.h"
#include "menu/ContextLanguageSelect.h"
#include "menu/LanguageFlag.h"
#include "menu/GameMainMenu.h"
#include "records/FormatHelpers.h"
#include "records/ProfileManager.h"
#include "sys/Paths.h"
#include "sys/Settings.h"
#include "text/FadingText.h"

namespace {

using programtest::ProgramHarness;
using namespace input_codes;

levelbuild::KeyScript a1Script() {
    std::ifstream in(std::string(ZUB_LEVEL_SOURCE_DIR) + "/a1.keys");
    std::stringstream text;
    text << in.rdbuf();
    levelbuild::KeyScript script;
    std::string error;
    EXPECT_TRUE(script.parse(text.str(), "a1.keys", error)) << error;
    return script;
}

void click(ProgramHarness& h, CursorTarget* item) {
    const V3 at = item->cursorAnchor(0);
    h.click(at.x, at.y);
}

// Answers the question boxes a new player meets on the way (the valley's
// hints) with their first button.
void answerBoxes(ProgramHarness& h) {
    while (auto* box = h.topAs<ContextMessageBox>()) {
        ASSERT_NE(box->button1, nullptr);
        click(h, box->button1);
        h.step(2);
    }
}

// The level on top played by the key script, frame for frame of the
// level's own clock, until the script's keys run out; then the level's end
// is waited for and its statistics skipped.
void playByScript(ProgramHarness& h, const levelbuild::KeyScript& script) {
    auto* manager = h.topAs<ContextLevelManager>();
    ASSERT_NE(manager, nullptr);
    GameServer& server = *manager->gameServer;
    GameController* gc = server.controller();
    ASSERT_NE(gc, nullptr);
    int lastKeyFrame = 0;
    for (int f = 0; f < script.length(); ++f)
        if (!script.keysAt(f).empty()) lastKeyFrame = f;
    std::set<int> down;
    for (;;) {
        const int frame = static_cast<int>(std::lround(server.netTime / 0.01));
        if (frame > lastKeyFrame) break;
        const std::set<int> keys = script.keysAt(frame);
        for (int code : down)
            if (!keys.count(code)) h.keyUp(code);
        for (int code : keys)
            if (!down.count(code)) h.keyDown(code);
        down = keys;
        ASSERT_TRUE(h.step());
        ASSERT_EQ(h.top(), manager) << "the level left the screen at frame " << frame;
    }
    for (int code : down) h.keyUp(code);
    ASSERT_TRUE(h.stepUntil([&] { return gc->state >= GameController::STATISTICS; }, 3000)) << gc->state;
    EXPECT_EQ(gc->currentResult.applesGathered, 3);
    while (h.top() == manager && h.step()) h.pressKey(KEY_SPACE);
}

// Steps through the logo and the intro story to the main menu.
GameMainMenu* pastTheStartScreens(ProgramHarness& h) {
    if (!h.stepUntil([&] { return h.topIs<ContextCompanyLogo>(); }, 400)) return nullptr;
    h.pressKey(KEY_ESCAPE);
    if (!h.stepUntil([&] { return h.topIs<ContextIntroStory>(); }, 10)) return nullptr;
    h.pressKey(KEY_ESCAPE);
    if (!h.stepUntil([&] { return h.topIs<GameMainMenu>() || h.topIs<ContextEnterName>(); }, 10)) return nullptr;
    return dynamic_cast<GameMainMenu*>(h.stack()->firstChild->nextSibling);
}

// Play on the main menu, and the valley map once it has settled.
ContextValley* openTheValley(ProgramHarness& h, GameMainMenu* menu) {
    click(h, menu->startItem);
    if (!h.stepUntil([&] { return h.topIs<ContextValley>(); }, 10)) return nullptr;
    auto* valley = h.topAs<ContextValley>();
    if (!h.stepUntil([&] { return valley->state == ContextValley::MAP; }, 1000)) return nullptr;
    answerBoxes(h);
    return valley;
}

TEST(PlayThrough, ANewPlayerCompletesTheFirstLevelAndTheGameRemembersItAfterARestart) {
    ProgramHarness::Options o;
    o.playerName = "";
    o.fixedFrameStep = 0.01;
    o.userSettings = "[Language]\ndefaultLanguage=-1\n";
    std::unique_ptr<ProgramHarness> first = std::make_unique<ProgramHarness>(o);
    ProgramHarness& h = *first;
    h.start();

    // The first start asks for the language while it loads.
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLanguageSelect>(); }, 400));
    LanguageFlag* english = nullptr;
    for (LanguageFlag* f : childrenOf<LanguageFlag>(h.top()))
        if (f->languageIndex == Language::ENGLISH) english = f;
    ASSERT_NE(english, nullptr);
    click(h, english);
    GameMainMenu* menu = pastTheStartScreens(h);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(ZUB->settings->getDefaultLanguage(), Language::ENGLISH);

    // A player without a name gives one first.
    ASSERT_TRUE(h.topIs<ContextEnterName>());
    h.type(u"Ann\r");
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == menu; }, 20));
    h.step();

    // Play: the valley map welcomes her and settles on the first level.
    ContextValley* valley = openTheValley(h, menu);
    ASSERT_NE(valley, nullptr);
    ProfileData& profile = GLOBAL->profiles.currentProfile();
    EXPECT_EQ(profile.currentLevel, 0);
    EXPECT_FALSE(profile.levels[1].unlocked);

    click(h, valley->pButtonPlay);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLevelManager>(); }, 300));
    playByScript(h, a1Script());

    // Back on the map: booked, completed, the next level unlocked and made
    // current.
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == valley; }, 300));
    ASSERT_TRUE(h.stepUntil(
        [&] { return valley->state == ContextValley::MAP && !valley->levelManager && profile.currentLevel == 1; },
        1000))
        << valley->state;
    answerBoxes(h);
    const LevelResult first1 = profile.levels[0];
    EXPECT_EQ(first1.attempts, 1);
    EXPECT_EQ(first1.completed, 1);
    EXPECT_EQ(first1.applesGathered, 3);
    EXPECT_GE(first1.score, 900);
    EXPECT_EQ(profile.levels[1].unlocked, 1);
    EXPECT_FALSE(valley->icon(1)->bHidden);

    // Resting on the first level's marker shows what she did there.
    const V3 marker = valley->camera->worldToScreen(valley->icon(0)->position);
    h.moveMouse(marker.x, marker.y);
    h.step(2);
    ASSERT_FALSE(valley->pStatsBubble->bHidden);
    EXPECT_EQ(valley->pStatsBubble->pIcon, valley->icon(0));
    std::vector<WString> texts;
    for (auto* t : childrenOf<FadingText>(valley->pStatsBubble)) texts.push_back(t->text);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[1], formatNumberGrouped(first1.points));

    // Back to the main menu, and Quit ends the program.
    click(h, valley->pButtonBack);
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == menu; }, 20));
    h.step();
    MenuBackButton* quit = nullptr;
    for (MenuBackButton* b : childrenOf<MenuBackButton>(menu)) quit = b;
    ASSERT_NE(quit, nullptr);
    click(h, quit);
    ASSERT_TRUE(h.runToEnd(100));

    // The next start knows her, her level and her language.
    o.userSettings.clear();
    o.userFilesFrom = h.userFolder;
    ProgramHarness again(o);
    first.reset();
    again.start();
    GameMainMenu* menu2 = pastTheStartScreens(again);
    ASSERT_NE(menu2, nullptr);
    ASSERT_TRUE(again.topIs<GameMainMenu>()) << "no questions the second time";
    EXPECT_EQ(ZUB->language->currentLanguage, Language::ENGLISH);
    EXPECT_EQ(GLOBAL->profiles.getProfileName(GLOBAL->profiles.current), u"Ann");
    ContextValley* valley2 = openTheValley(again, menu2);
    ASSERT_NE(valley2, nullptr);
    const ProfileData& stored = GLOBAL->profiles.currentProfile();
    EXPECT_EQ(stored.levels[0].completed, 1);
    EXPECT_EQ(stored.levels[0].score, first1.score);
    EXPECT_EQ(stored.levels[1].unlocked, 1);
    EXPECT_EQ(stored.currentLevel, 1);
    // The road grows to the second level's marker.
    EXPECT_TRUE(again.stepUntil([&] { return !valley2->icon(1)->bHidden; }, 600));
}

}  // namespace
