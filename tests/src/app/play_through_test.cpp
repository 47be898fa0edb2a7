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
#include "flow/GameHud.h"
#include "flow/GameMessage.h"
#include "flow/GameServer.h"
#include "flow/GameServices.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayMiniMap.h"
#include "flow/ValleyIcon.h"
#include "flow/ValleyStatsBubble.h"
#include "gfx/Camera.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gui/ContextMessageBox.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "lang/Language.h"
#include "lang/StringIds.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextEnterName.h"
#include "menu/ContextIntroStory.h"
#include "menu/ContextLanguageSelect.h"
#include "menu/GameMainMenu.h"
#include "menu/LanguageFlag.h"
#include "object/FileData.h"
#include "records/FormatHelpers.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/Paths.h"
#include "sys/Settings.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "util/KeyCodes.h"

namespace {

using programtest::ProgramHarness;
using namespace input_codes;

levelbuild::KeyScript levelScript(const std::string& level) {
    std::ifstream in(std::string(ZUB_LEVEL_SOURCE_DIR) + "/" + level + ".keys");
    std::stringstream text;
    text << in.rdbuf();
    levelbuild::KeyScript script;
    std::string error;
    EXPECT_TRUE(script.parse(text.str(), level + ".keys", error)) << error;
    return script;
}

levelbuild::KeyScript a1Script() { return levelScript("a1"); }

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
// is waited for (with every one of its `apples`) and its statistics skipped.
void playByScript(ProgramHarness& h, const levelbuild::KeyScript& script, int apples = 3) {
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
    EXPECT_EQ(gc->currentResult.applesGathered, apples);
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

// What a message of the HUD shows: its letters read back through its font.
WString shownText(const GameMessage& message) {
    WString text;
    for (const MessageLetter* letter : childrenOf<MessageLetter>(&message)) {
        char16_t c = u'?';
        if (!letter->pSkin) c = u' ';
        for (char16_t code = 32; code < 256 && c == u'?'; ++code)
            if (letter->pSkin && static_cast<Skin*>(message.pFont->getGlyph(code).quad) == letter->pSkin) c = code;
        text += c;
    }
    return text;
}

// The developer's "-level NAME" switch plays the level over the main menu.
ProgramHarness::Options developerLevel(const std::string& name) {
    ProgramHarness::Options o;
    o.developer = true;
    o.fixedFrameStep = 0.01;
    o.arguments = {"-level", name};
    return o;
}

// The levels but `level` whose best record or high-score entry holds a
// result.
std::string resultsBesides(const ProfileData& profile, const GameConfiguration& config, int level) {
    std::string found;
    for (int n = 0; n < NUMLEVELS; ++n) {
        if (n == level) continue;
        if (profile.levels[n].points != 0 || profile.levels[n].score != 0) found += " record " + std::to_string(n);
        if (config.highScores[n].score != 0 || config.highScores[n].name[0] != 0)
            found += " high score " + std::to_string(n);
    }
    return found;
}

TEST(PlayThrough, TheDeveloperLevelSwitchBooksTheResultUnderTheLevelItPlays) {
    // b1, the fifth level, while the player's current level is the first:
    // its number, title and map are b1's.
    std::string b1Bytes;
    {
        ProgramHarness h(developerLevel("b1"));
        h.start();
        ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLevelManager>(); }, 400));
        EXPECT_EQ(GLOBAL->profiles.currentProfile().currentLevel, 0);
        GameController* gc = h.topAs<ContextLevelManager>()->gameServer->controller();
        ASSERT_NE(gc, nullptr);
        ASSERT_TRUE(h.stepUntil([&] { return gc->state == GameController::TITLE; }, 300));
        h.step();
        EXPECT_EQ(shownText(gc->contextHUD->message2), u"Level 5");
        EXPECT_EQ(shownText(gc->contextHUD->message1), ZUB->language->getText(SID_LEVELTITLE0 + 4));
        ASSERT_TRUE(h.stepUntil([&] { return gc->state == GameController::PLAYING; }, 600));
        h.pressKey(KEY_M);
        MyRootObject* root = nullptr;
        ASSERT_TRUE(h.stepUntil(
            [&] {
                root = zub_cast<MyRootObject>(h.topAs<ContextLevelManager>()->gameServer->root);
                return root && zub_cast<OverlayMiniMap>(root->contextOverlay);
            },
            20));
        const Texture& map = *zub_cast<OverlayMiniMap>(root->contextOverlay)->pMapTexture;
        h.onProgramThread([&] {
            const auto* b1 = findResource<MemoryImageFile>(u"minimap04");
            const auto* a1 = findResource<MemoryImageFile>(u"minimap00");
            int likeB1 = 0, likeA1 = 0;
            for (int y = 0; y < 192; ++y)
                for (int x = 0; x < 256; ++x) {
                    const uint32_t p = map.canvasPixels()[static_cast<size_t>(y * map.realWidth + x)] & 0x00FFFFFFu;
                    likeB1 += p == (b1->getPixel(x, y) & 0x00FFFFFFu) ? 1 : 0;
                    likeA1 += p == (a1->getPixel(x, y) & 0x00FFFFFFu) ? 1 : 0;
                }
            EXPECT_EQ(likeB1, 256 * 192);
            EXPECT_LT(likeA1, 256 * 192);
            FileData file(0, u"./levels/b1.lev");
            b1Bytes.assign(reinterpret_cast<const char*>(file.data()), file.size());
        });
    }
    ASSERT_FALSE(b1Bytes.empty());

    // Played to its end, the result goes to b1's record and high-score
    // entry, and is on disk after the program ends.
    {
        ProgramHarness h(developerLevel("b1"));
        h.start();
        ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLevelManager>(); }, 400));
        playByScript(h, levelScript("b1"), 5);
        ASSERT_TRUE(h.stepUntil([&] { return h.topIs<GameMainMenu>(); }, 300));
        const ProfileData& profile = GLOBAL->profiles.currentProfile();
        EXPECT_GE(profile.levels[4].score, 950);
        EXPECT_EQ(profile.levels[4].applesGathered, 5);
        EXPECT_EQ(GLOBAL->config.highScores[4].score, profile.levels[4].score);
        EXPECT_EQ(resultsBesides(profile, GLOBAL->config, 4), "");
        h.close();
        setUserDataFolderOverride(h.userFolder);
        GameConfiguration config;
        ProfileManager players;
        EXPECT_GE(players.currentProfile().levels[4].score, 950);
        EXPECT_EQ(std::string(config.highScores[4].name), "Tester");
        EXPECT_EQ(resultsBesides(players.currentProfile(), config, 4), "");
    }

    // The same level under a name that is none of the 32 levels: it plays,
    // without a number or a title, and books nothing.
    {
        ProgramHarness h(developerLevel("mine"));
        h.program->write("levels/mine.lev", b1Bytes);
        h.start();
        ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLevelManager>(); }, 400));
        EXPECT_NE(h.log().find("Loading level: ./levels/mine.lev"), std::string::npos);
        GameController* gc = h.topAs<ContextLevelManager>()->gameServer->controller();
        ASSERT_NE(gc, nullptr);
        ASSERT_TRUE(h.stepUntil([&] { return gc->state == GameController::TITLE; }, 300));
        h.step();
        EXPECT_EQ(shownText(gc->contextHUD->message2), u"");
        EXPECT_EQ(shownText(gc->contextHUD->message1), u"");
        playByScript(h, levelScript("b1"), 5);
        ASSERT_TRUE(h.stepUntil([&] { return h.topIs<GameMainMenu>(); }, 300));
        EXPECT_EQ(resultsBesides(GLOBAL->profiles.currentProfile(), GLOBAL->config, -1), "");
        h.close();
        setUserDataFolderOverride(h.userFolder);
        GameConfiguration config;
        ProfileManager players;
        EXPECT_EQ(resultsBesides(players.currentProfile(), config, -1), "");
    }
}

}  // namespace
