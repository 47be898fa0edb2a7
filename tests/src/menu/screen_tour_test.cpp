// A tour of the game's screens in the real program, drawn by the OpenGL
// device off-screen at 1024 x 768 and at 800 x 600 (-safe): with
// ZUB_TOUR_PICTURES=<folder> every screen a new player meets is written
// there as a picture to look at; without it the tour is skipped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "LoopbackHttpServer.h"
#include "PngWriter.h"
#include "ProgramHarness.h"
#include "app/CrashReport.h"
#include "app/Global.h"
#include "app/Loader.h"
#include "engine/Zub.h"
#include "flow/ContextEnding.h"
#include "flow/ContextLevelManager.h"
#include "flow/ContextRecipe.h"
#include "flow/ContextValley.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/LevelDraft.h"
#include "flow/MyRootObject.h"
#include "flow/Overlay.h"
#include "flow/ValleyIcon.h"
#include "gui/ContextCredits.h"
#include "gui/ContextMessageBox.h"
#include "gui/MenuButton.h"
#include "gui/MenuItem.h"
#include "gui/ProgressBar.h"
#include "menu/ContextAdvancedOptions.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextControlBindings.h"
#include "menu/ContextControls.h"
#include "menu/ContextEnterName.h"
#include "menu/ContextGameplay.h"
#include "menu/ContextGraphics.h"
#include "menu/ContextHelp.h"
#include "menu/ContextHighscoreOptions.h"
#include "menu/ContextHighscores.h"
#include "menu/ContextIntroStory.h"
#include "menu/ContextKeyCapture.h"
#include "menu/ContextKeyboard.h"
#include "menu/ContextLanguageSelect.h"
#include "menu/ContextNetworkConfiguration.h"
#include "menu/ContextNetworkWizard1.h"
#include "menu/ContextOptions.h"
#include "menu/ContextPlayers.h"
#include "menu/ContextSound.h"
#include "menu/ContextTouchscreen.h"
#include "menu/GameMainMenu.h"
#include "menu/MenuItemKeyBinding.h"
#include "net/NetRole.h"
#include "objects/hints/TriggerHint.h"
#include "objects/pig/Pig.h"
#include "objects/triggers/House.h"
#include "src/flow/ten_levels_done.h"
#include "sys/HttpRequest.h"
#include "util/KeyCodes.h"
#include "world/Terrain.h"

namespace {

using programtest::ProgramHarness;
namespace fs = std::filesystem;
using namespace input_codes;

struct Tour {
    ProgramHarness& h;
    std::string folder;
    void snap(const std::string& name) {
        int w = 0, hgt = 0;
        const std::vector<uint32_t> frame = h.capture(w, hgt);
        ASSERT_FALSE(frame.empty());
        const std::string path = folder + "/" + name + ".png";
        EXPECT_TRUE(pngtest::writePng(path, w, hgt, frame)) << path;
    }
    void click(CursorTarget* item) {
        const V3 at = item->cursorAnchor(0);
        h.click(at.x, at.y);
    }
    template <class T>
    T* open(CursorTarget* item, int frames = 60) {
        click(item);
        if (!h.stepUntil([&] { return h.topIs<T>(); }, 50)) return nullptr;
        h.moveMouse(1010.0f, 10.0f);
        h.step(frames);
        return h.topAs<T>();
    }
    void escape(int frames = 40) {
        h.pressKey(KEY_ESCAPE);
        h.step(frames);
    }
};

std::string folderFor(const char* size) {
    const char* root = std::getenv("ZUB_TOUR_PICTURES");
    if (!root) return {};
    const std::string f = std::string(root) + "/" + size;
    fs::create_directories(f);
    return f;
}

ProgramHarness::Options optionsFor(bool safe) {
    ProgramHarness::Options o;
    o.realDisplay = true;
    if (safe) o.arguments.push_back("-safe");
    return o;
}

class ScreenTour : public testing::TestWithParam<bool> {};

TEST_P(ScreenTour, StartScreensAndMenus) {
    const bool safe = GetParam();
    const std::string folder = folderFor(safe ? "800" : "1024");
    if (folder.empty()) GTEST_SKIP() << "ZUB_TOUR_PICTURES not set";
    httptest::LoopbackHttpServer server;
    server.reply("/tumbro/nettest.php",
                 httptest::httpResponse(200, "OK", "Hello from the test server.\r\nAll is well."));
    ProgramHarness::Options o = optionsFor(safe);
    o.userSettings = "[Network]\nwebHost=" + wideToNarrow(server.host()) + "\n";
    o.staticSettings =
        "[Language]\nlanguageMask=\nsingleLanguage=-1\n[Engine]\nhq2x=1\nbEnableDelayedLoad=No\n";  // the bar shows
    ProgramHarness h(o);
    Tour t{h, folder};
    h.start();
    // Loading takes a couple of frames: the bar as it stands half way.
    h.stepUntil([&] { return h.loader() != nullptr; }, 100);
    h.onProgramThread([&] { h.loader()->pProgressBar->setProgress(0.6f); });
    t.snap("01_loader");
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextCompanyLogo>(); }, 600));
    h.step(80);
    t.snap("02_company_logo");
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextIntroStory>(); }, 10));
    h.step(300);
    t.snap("03_intro_story_3s");
    h.step(700);
    t.snap("03_intro_story_10s");
    h.step(1000);
    t.snap("03_intro_story_20s");
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<GameMainMenu>(); }, 10));
    auto* menu = h.topAs<GameMainMenu>();
    h.moveMouse(1010.0f, 10.0f);
    h.step(300);
    t.snap("04_main_menu");
    h.moveMouse(menu->optionsItem->cursorAnchor(0).x, menu->optionsItem->cursorAnchor(0).y);
    h.step(30);
    t.snap("04_main_menu_hover");
    h.pressKey(KEY_ESCAPE);
    h.step(40);
    t.snap("05_message_box_quit");
    h.pressKey(KEY_ESCAPE);
    h.step(40);

    // Players and the name entry.
    h.click(512.0f, 384.0f + 5.0f);
    if (h.stepUntil([&] { return h.topIs<ContextPlayers>(); }, 20)) {
        h.moveMouse(1010.0f, 10.0f);
        h.step(60);
        t.snap("06_players");
        auto* players = h.topAs<ContextPlayers>();
        if (auto* name = t.open<ContextEnterName>(players->addButton)) {
            (void)name;
            t.snap("07_enter_name");
            h.type(u"Anna Lee");
            h.step(20);
            t.snap("07_enter_name_typed");
            t.escape();
        }
        t.escape();
    }
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == menu; }, 100));

    // Credits.
    if (t.open<ContextCredits>(menu->creditsItem, 300)) {
        t.snap("08_credits");
        h.step(600);
        t.snap("08_credits_later");
        t.escape();
    }
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == menu; }, 100));

    // Options and their pages.
    auto* options = t.open<ContextOptions>(menu->optionsItem);
    ASSERT_NE(options, nullptr);
    t.snap("10_options");
    if (t.open<ContextGameplay>(options->gameplayItem)) {
        t.snap("11_gameplay");
        t.escape();
    }
    if (auto* controls = t.open<ContextControls>(options->controlsItem)) {
        t.snap("12_controls");
        if (auto* b = t.open<ContextControlBindings>(controls->playerControlsItem)) {
            t.snap("13_bindings");
            t.click(b->items[1]);
            h.step(40);
            t.snap("14_key_capture");
            h.pressKey(KEY_ESCAPE);
            h.step(20);
            t.escape();
        }
        if (t.open<ContextControlBindings>(controls->alternativeControlsItem)) {
            t.snap("13_bindings_alt");
            t.escape();
        }
        if (t.open<ContextKeyboard>(controls->keyboardItem)) {
            t.snap("15_keyboard");
            t.escape();
        }
        if (t.open<ContextTouchscreen>(controls->touchscreenItem)) {
            t.snap("16_touchscreen");
            t.escape();
        }
        t.escape();
    }
    if (auto* graphics = t.open<ContextGraphics>(options->graphicsItem)) {
        t.snap("17_graphics");
        if (t.open<ContextAdvancedOptions>(graphics->advancedItem)) {
            t.snap("18_advanced");
            t.escape();
        }
        t.escape();
    }
    if (t.open<ContextSound>(options->soundItem)) {
        t.snap("19_sound");
        t.escape();
    }
    if (auto* net = t.open<ContextNetworkWizard1>(options->networkItem)) {
        t.snap("20_network_test");
        t.click(net->nextButton);
        h.step(20);
        t.snap("20_network_test_running");
        h.stepUntil([&] { return !net->request || net->request->getState() == HttpRequest::StateIdle; }, 500);
        h.moveMouse(1010.0f, 10.0f);
        h.step(60);
        t.snap("21_network_test_done");
        if (t.open<ContextNetworkConfiguration>(net->nextButton)) {
            t.snap("22_network_configuration");
            t.escape();
        }
        h.stepUntil([&] { return h.top() == options; }, 100);
        if (h.top() != options) t.escape();
    }
    if (t.open<ContextHelp>(options->helpItem)) {
        t.snap("23_help");
        t.escape();
    }
    t.escape();
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == menu; }, 100));

    // High scores.
    if (auto* scores = t.open<ContextHighscores>(menu->highScoresItem)) {
        t.snap("24_highscores");
        if (auto* more = t.open<ContextHighscoreOptions>(scores->moreOptionsButton)) {
            t.snap("25_highscore_options");
            t.click(more->resetButton);
            h.step(40);
            t.snap("26_highscore_reset_box");
            h.pressKey(KEY_ESCAPE);
            h.step(20);
            t.click(more->uploadButton);
            h.step(60);
            t.snap("27_highscore_upload");
            while (h.top() != scores && h.top() != menu) t.escape();
        }
        t.escape();
    }
    ASSERT_TRUE(h.stepUntil([&] { return h.top() == menu; }, 100));

    // The valley map, ten levels in.
    h.onProgramThread([] { profileseed::tenLevelsDone(GLOBAL->profiles.currentProfile()); });
    t.click(menu->startItem);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextValley>() || h.topIs<ContextMessageBox>(); }, 50));
    h.moveMouse(1010.0f, 10.0f);
    h.step(100);
    t.snap("30_valley_welcome");
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextValley>(); }, 600));
    auto* valley = h.topAs<ContextValley>();
    h.step(400);
    t.snap("31_valley");
    ValleyIcon* rested = valley->icon(8);
    V3 at = valley->camera->worldToScreen(rested->position);
    h.moveMouse(at.x, at.y);
    h.step(30);
    t.snap("32_valley_bubble");
    if (valley->pButtonRecipe && !valley->pButtonRecipe->bHidden) {
        if (t.open<ContextRecipe>(valley->pButtonRecipe, 200)) {
            t.snap("33_recipe");
            t.escape();
        }
    }
    h.onProgramThread([&] { h.stack()->pushContext(new ContextEnding); });
    h.step(500);
    t.snap("34_ending_5s");
    h.step(1500);
    t.snap("34_ending_20s");
    h.step(7000);
    t.snap("34_ending_90s");
}

TEST_P(ScreenTour, LanguagePage) {
    const bool safe = GetParam();
    const std::string folder = folderFor(safe ? "800" : "1024");
    if (folder.empty()) GTEST_SKIP() << "ZUB_TOUR_PICTURES not set";
    ProgramHarness::Options o = optionsFor(safe);
    o.userSettings = "[Language]\ndefaultLanguage=-1\n";
    o.playerName = "";
    ProgramHarness h(o);
    Tour t{h, folder};
    h.start();
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLanguageSelect>(); }, 600));
    h.moveMouse(1010.0f, 10.0f);
    h.step(100);
    t.snap("40_language");
    h.moveMouse(400.0f, 400.0f);
    h.step(30);
    t.snap("40_language_hover");
}

TEST_P(ScreenTour, FirstStartAsksForAName) {
    const bool safe = GetParam();
    const std::string folder = folderFor(safe ? "800" : "1024");
    if (folder.empty()) GTEST_SKIP() << "ZUB_TOUR_PICTURES not set";
    ProgramHarness::Options o = optionsFor(safe);
    o.playerName = "";
    ProgramHarness h(o);
    Tour t{h, folder};
    h.start();
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextCompanyLogo>(); }, 600));
    h.pressKey(KEY_ESCAPE);
    h.step(5);
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextEnterName>(); }, 300));
    h.moveMouse(1010.0f, 10.0f);
    h.step(100);
    t.snap("41_first_name_entry");
}

TEST_P(ScreenTour, CrashReport) {
    const bool safe = GetParam();
    const std::string folder = folderFor(safe ? "800" : "1024");
    if (folder.empty()) GTEST_SKIP() << "ZUB_TOUR_PICTURES not set";
    ProgramHarness h(optionsFor(safe));
    Tour t{h, folder};
    std::ofstream(h.userFolder + "crash.Tumbrodemo.log") << "a log\n";
    h.start();
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<::CrashReport>(); }, 600));
    h.moveMouse(1010.0f, 10.0f);
    h.step(100);
    t.snap("42_crash_report");
    auto* report = h.topAs<::CrashReport>();
    if (report->sendItem) {
        h.moveMouse(report->sendItem->cursorAnchor(0).x, report->sendItem->cursorAnchor(0).y);
        h.step(20);
        t.snap("42_crash_report_hover_disabled");
    }
}

// A drafted level: flat ground, the house to the right, an apple, a hint ahead.
std::string draftLevel() {
    ProgramHarness h;
    h.start();
    EXPECT_TRUE(h.stepUntil([&] { return h.topIs<ContextCompanyLogo>(); }, 600));
    std::vector<uint8_t> bytes;
    h.onProgramThread([&] {
        LevelDraft draft;
        GameController& c = draft.controller();
        Terrain* ground = firstOf<Terrain>(c.objectList);
        for (int i = 0; i < ground->segments; ++i) ground->setHeights(i, 100.0f, 0.0f);
        Pig* pig = c.getHero();
        pig->setPosition(V3(-200.0f, 102.0f, 0.0f) + pig->bodyOffset);
        pig->onEdited();
        c.findHouse()->setPosition(V3(350.0f, 100.0f, 0.0f));
        c.applesNeeded = 1;
        auto* hint = draft.place<TriggerHint>(V3(-20.0f, 100.0f, 0.0f), c.objectList);
        hint->hintTitleID = u"HELPTITLE";
        hint->hintTextID = u"HINTJUMP";
        hint->bSpeechBubble = false;
        bytes = draft.write();
    });
    return std::string(bytes.begin(), bytes.end());
}

TEST_P(ScreenTour, ALevel) {
    const bool safe = GetParam();
    const std::string folder = folderFor(safe ? "800" : "1024");
    if (folder.empty()) GTEST_SKIP() << "ZUB_TOUR_PICTURES not set";
    const std::string level = draftLevel();
    ProgramHarness::Options o = optionsFor(safe);
    o.developer = true;
    o.arguments.push_back("-level");
    o.arguments.push_back("a1");
    ProgramHarness h(o);
    Tour t{h, folder};
    h.program->write("levels/a1.lev", level);
    h.start();
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLevelManager>(); }, 600));
    auto* manager = h.topAs<ContextLevelManager>();
    GameController* gc = nullptr;
    h.stepUntil([&] { return (gc = manager->gameServer->controller()) != nullptr; }, 100);
    ASSERT_NE(gc, nullptr);
    h.step(100);
    t.snap("50_level_start");
    h.stepUntil([&] { return gc->state == GameController::PLAYING; }, 800);
    h.step(50);
    t.snap("51_level_playing");
    const int right = GLOBAL->config.controls[GameConfiguration::CONTROL_RIGHT].key;
    h.keyDown(right);
    h.stepUntil([&] { return MyRootObject::current() && MyRootObject::current()->contextOverlay; }, 300);
    h.keyUp(right);
    h.step(100);
    t.snap("52_hint_panel");
    h.pressKey(KEY_ESCAPE);
    h.step(60);
    t.snap("53_after_hint");
    auto openOverlay = [&](Overlay::Kind kind, const char* name) {
        h.onProgramThread([&] {
            NetRole* before = THEROLE;
            THEROLE = manager->gameServer.get();
            gc->openOverlay(kind);
            THEROLE = before;
        });
        h.step(100);
        t.snap(name);
        h.pressKey(KEY_ESCAPE);
        h.step(60);
    };
    openOverlay(Overlay::STATISTICS, "54_statistics");
    openOverlay(Overlay::MINIMAP, "55_level_map");
    openOverlay(Overlay::TUTORIAL, "56_tutorial");
    h.step(60);
    h.pressKey(KEY_ESCAPE);
    h.step(60);
    t.snap("57_pause_menu");
    h.pressKey(KEY_ESCAPE);
    h.step(100);
    // Home with the apple.
    h.onProgramThread([&] { gc->currentResult.applesGathered = 1; });
    for (int i = 0; i < 600 && gc->state != GameController::STATISTICS; ++i) {
        h.onProgramThread([&] {
            Pig* pig = gc->getHero();
            pig->setGround(nullptr);
            pig->velocity = V3();
            pig->setPosition(V3(350.0f, 120.0f, 0.0f) + pig->bodyOffset);
        });
        h.step();
    }
    h.step(150);
    t.snap("58_level_stats_1s");
    h.step(400);
    t.snap("58_level_stats_5s");
    h.step(1000);
    t.snap("58_level_stats_15s");
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScreenTour, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) { return i.param ? "Safe800" : "Full1024"; });

}  // namespace
