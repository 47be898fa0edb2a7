// The game's global object in the real program: the screens it stacks after
// loading, the crash files of an earlier run, what it leaves on disk when
// it goes, and the developer's level switch.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ProgramHarness.h"
#include "project_zub/sys/files_test_support.h"
#include "app/CrashReport.h"
#include "app/Global.h"
#include "app/Loader.h"
#include "engine/Zub.h"
#include "flow/ContextLevelManager.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/LevelDraft.h"
#include "gfx/ZubGraphics.h"
#include "gui/MenuItemChoice.h"
#include "gui/MenuItemToggle.h"
#include "input/KeyCodes.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "menu/ContextAdvancedOptions.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextLanguageSelect.h"
#include "menu/LanguageFlag.h"
#include "sys/Settings.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/Paths.h"

namespace {

using programtest::ProgramHarness;
namespace fs = std::filesystem;

bool loaded(const ProgramHarness& h) { return h.loader() && h.loader()->done; }

TEST(Global, ACrashDumpAloneStillPutsTheCrashReportOnTopOfTheStartScreens) {
    for (const bool dump : {false, true}) {
        ProgramHarness h;
        if (dump) std::ofstream(h.userFolder + "crash.Tumbrodemo.mdmp") << "reason";
        h.start();
        ASSERT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
        EXPECT_EQ(h.stackClasses().size(), dump ? 5u : 4u);
        EXPECT_EQ(h.topIs<CrashReport>(), dump);
        EXPECT_EQ(h.log().find("Global::initPostLoader(): The previous run left crash files.") != std::string::npos,
                  dump);
        EXPECT_NE(h.log().find("Global::initPostLoader(): Global initialization complete at t="), std::string::npos);
    }
}

TEST(Global, LeavesTheUserDataOnDiskAndNothingAliveWhenTheProgramEnds) {
    // Objects an earlier test of this process keeps (cached resources) are
    // counted at the end too; the program itself leaves none.
    const int before = ZubBase::liveCount();
    ProgramHarness h;
    h.start();
    ASSERT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
    const std::string hst = h.userFolder + "Tumbrodemo.hst", pro = h.userFolder + "Tumbrodemo.pro";
    ASSERT_TRUE(fs::exists(pro));  // the harness's player
    fs::remove(hst);
    fs::remove(pro);
    GLOBAL->config.musicVolume = 7;
    h.close();
    EXPECT_EQ(h.exitCode(), 0);
    ASSERT_TRUE(fs::exists(hst));
    ASSERT_TRUE(fs::exists(pro));
    {
        setUserDataFolderOverride(h.userFolder);
        GameConfiguration config;
        ProfileManager profiles;
        EXPECT_EQ(config.musicVolume, 7);
        EXPECT_EQ(profiles.getProfileName(profiles.current), u"Tester");
    }
    // The whole game, screens and resources, went with the global object.
    const std::string alive = "Zub::~Zub(): " + std::to_string(before) + " objects still alive";
    EXPECT_NE(h.log().find(alive), std::string::npos) << h.log();
}

// A level file drafted in a running program (where every resource is loaded).
std::string draftLevel() {
    ProgramHarness h;
    h.start();
    EXPECT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
    std::vector<uint8_t> bytes;
    h.onProgramThread([&] {
        LevelDraft draft;
        bytes = draft.write();
    });
    return std::string(bytes.begin(), bytes.end());
}

TEST(Global, TheDeveloperLevelSwitchPlaysTheLevelOverTheMainMenu) {
    const std::string level = draftLevel();
    ASSERT_FALSE(level.empty());
    for (const bool edit : {false, true}) {
        ProgramHarness::Options o;
        o.developer = true;
        o.arguments = {"-level", "a1"};
        if (edit) o.arguments.push_back("-edit");
        ProgramHarness h(o);
        h.program->write("levels/a1.lev", level);
        h.start();
        ASSERT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
        EXPECT_EQ(h.stackClasses().size(), 3u);
        EXPECT_EQ(h.stackClasses()[1], "GameMainMenu");
        auto* manager = h.topAs<ContextLevelManager>();
        ASSERT_NE(manager, nullptr);
        h.step(20);
        EXPECT_EQ(h.top(), manager);
        EXPECT_NE(manager->gameServer->controller(), nullptr);
        EXPECT_EQ(manager->gameServer->bEditing, edit) << "levels open for editing with -edit only";
        EXPECT_NE(h.log().find("Loading level: ./levels/a1.lev"), std::string::npos);
    }
    // Locked developer features, or a name that is not a plain file name:
    // the usual start.
    for (const bool developer : {false, true}) {
        ProgramHarness::Options o;
        o.developer = developer;
        o.arguments = {"-level", developer ? "../a1" : "a1"};
        ProgramHarness h(o);
        h.program->write("levels/a1.lev", level);
        h.start();
        ASSERT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
        EXPECT_TRUE(h.topIs<ContextCompanyLogo>()) << developer;
        EXPECT_EQ(h.log().find("Loading level"), std::string::npos);
    }
}

TEST(Global, TheSafeSwitchKeepsTheWindowAt800x600OnceTheConfigurationIsApplied) {
    for (const bool safe : {false, true}) {
        ProgramHarness::Options o;
        if (safe) o.arguments = {"-safe"};
        ProgramHarness h(o);
        h.start();
        ASSERT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
        h.step(2);
        int width = 0, height = 0;
        h.onProgramThread([&] {
            width = ZUB->graphics->backBufferWidth;
            height = ZUB->graphics->backBufferHeight;
        });
        EXPECT_EQ(width, safe ? 800 : 1024);
        EXPECT_EQ(height, safe ? 600 : 768);
    }
}

TEST(Global, AChangeOfLanguageRestartsTheGameWhichLoadsAgainAndAsks) {
    ProgramHarness h;
    h.start();
    ASSERT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
    // What the options menu's language button does.
    h.onProgramThread([] { ContextLanguageSelect::requestLanguageChoice(*ZUB->settings); });
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLanguageSelect>(); }, 400));
    EXPECT_NE(GLOBAL, nullptr);
    EXPECT_EQ(h.loader()->currentStep, 191);
    EXPECT_NE(h.log().find("runZub(): Restarting the engine and the game."), std::string::npos);
}

// The advanced graphics page over whatever shows, as the options reach it.
ContextAdvancedOptions* openAdvancedOptions(ProgramHarness& h) {
    ContextAdvancedOptions* page = nullptr;
    h.onProgramThread([&] {
        page = new ContextAdvancedOptions;
        h.stack()->pushContext(page);
    });
    h.step(2);
    return page;
}

void clickAt(ProgramHarness& h, CursorTarget* item, int anchor = 0) {
    const V3 at = item->cursorAnchor(anchor);
    h.click(at.x, at.y);
}

// Closing the page applies what it shows.
void closePage(ProgramHarness& h) {
    h.pressKey(input_codes::KEY_ESCAPE);
    h.step(2);
}

TEST(Global, TheWindowOpensAsThePlayerLeftItAndTheLoaderKeepsThatChoice) {
    // The first start: full screen, as the settings have it by default.
    ProgramHarness first;
    first.start();
    EXPECT_TRUE(first.askedWindow().fullScreen);
    EXPECT_EQ(first.askedWindow().width, 1024);
    EXPECT_EQ(first.askedWindow().height, 768);
    ASSERT_TRUE(first.stepUntil([&] { return loaded(first); }, 400));
    EXPECT_EQ(GLOBAL->config.fullScreen, 1);
    EXPECT_TRUE(ZUB->graphics->bFullScreen);

    // Full screen unticked: a window at once, and a window at the next start,
    // which the loader's copy of the window's state keeps.
    ContextAdvancedOptions* page = openAdvancedOptions(first);
    ASSERT_NE(page, nullptr);
    clickAt(first, page->fullScreenItem);
    EXPECT_EQ(GLOBAL->config.fullScreen, 0);
    closePage(first);
    EXPECT_FALSE(first.askedWindow().fullScreen);
    EXPECT_FALSE(ZUB->graphics->bFullScreen);
    // A change of language restarts the engine in the window as it is.
    first.onProgramThread([] { ContextLanguageSelect::requestLanguageChoice(*ZUB->settings); });
    ASSERT_TRUE(first.stepUntil([&] { return first.topIs<ContextLanguageSelect>(); }, 400));
    EXPECT_FALSE(ZUB->graphics->bFullScreen);
    EXPECT_EQ(GLOBAL->config.fullScreen, 0);
    LanguageFlag* english = nullptr;
    for (LanguageFlag* flag : childrenOf<LanguageFlag>(first.top()))
        if (flag->languageIndex == Language::ENGLISH) english = flag;
    ASSERT_NE(english, nullptr);
    clickAt(first, english);
    ASSERT_TRUE(first.stepUntil([&] { return loaded(first); }, 400));
    first.close();
    const std::string settings = filestest::readBytes(first.userFolder + "Tumbrodemo.cfg");
    EXPECT_NE(settings.find("[Graphics]\r\nbFullScreen=No\r\nwidth=1024\r\nheight=768"), std::string::npos)
        << settings;

    ProgramHarness::Options o;
    o.userFilesFrom = first.userFolder;
    ProgramHarness second(o);
    second.start();
    EXPECT_FALSE(second.askedWindow().fullScreen);
    ASSERT_TRUE(second.stepUntil([&] { return loaded(second); }, 400));
    EXPECT_EQ(GLOBAL->config.fullScreen, 0);
    EXPECT_FALSE(ZUB->graphics->bFullScreen);

    // Ticked again: full screen from then on.
    page = openAdvancedOptions(second);
    clickAt(second, page->fullScreenItem);
    closePage(second);
    EXPECT_TRUE(second.askedWindow().fullScreen);
    second.close();
    o.userFilesFrom = second.userFolder;
    ProgramHarness third(o);
    third.start();
    EXPECT_TRUE(third.askedWindow().fullScreen);
    ASSERT_TRUE(third.stepUntil([&] { return loaded(third); }, 400));
    EXPECT_EQ(GLOBAL->config.fullScreen, 1);
}

// Where the pointer is in the reference screen (x from the left, y from the
// bottom) with the mouse at a window pixel.
V3 pointerAtPixel(ProgramHarness& h, float x, float y) {
    h.moveMouseToPixel(x, y);
    h.step(2);
    V3 at;
    h.onProgramThread([&] { at = V3(ZUB->input->mouseX, ZUB->input->mouseY, 0.0f); });
    return at;
}

TEST(Global, LayoutPointerAndVideoModeFollowTheSizeTheWindowGotNotTheOneAskedFor) {
    // A window system that leaves the window as it is (1024 x 768; the null
    // back-end offers 1024 x 768 and 1920 x 1080) while 1920 x 1080 full
    // screen is asked for.
    {
        ProgramHarness::Options o;
        o.windowKeepsItsSize = true;
        o.userSettings = "[Graphics]\nbFullScreen=No\n";
        ProgramHarness h(o);
        h.start();
        ASSERT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
        ContextAdvancedOptions* page = openAdvancedOptions(h);
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(page->videoModeNames, (std::vector<WString>{u"1024x768 (4:3)", u"1920x1080 (16:9)"}));
        EXPECT_EQ(page->videoModeIndex, 0);
        clickAt(h, page->videoModeItem, 1);
        clickAt(h, page->fullScreenItem);
        EXPECT_EQ(page->videoModeIndex, 1);
        closePage(h);
        EXPECT_TRUE(h.askedWindow().fullScreen);
        EXPECT_EQ(h.askedWindow().width, 1920);
        int width = 0, height = 0, viewport = 0;
        h.onProgramThread([&] {
            width = ZUB->graphics->width;
            height = ZUB->graphics->height;
            viewport = ZUB->graphics->viewport.width;
        });
        EXPECT_EQ(width, 1024);
        EXPECT_EQ(height, 768);
        EXPECT_EQ(viewport, 1024);
        const V3 at = pointerAtPixel(h, 256, 192);
        EXPECT_FLOAT_EQ(at.x, 256.0f);
        EXPECT_FLOAT_EQ(at.y, 576.0f);
        // The page shows the mode the window is in.
        page = openAdvancedOptions(h);
        EXPECT_EQ(page->videoModeIndex, 0);
        EXPECT_EQ(page->videoModeNames[static_cast<size_t>(page->videoModeIndex)], u"1024x768 (4:3)");
    }
    // SDL's off-screen window keeps its drawing surface's size while SDL
    // takes the size asked for as the window's.
    {
        ProgramHarness::Options o;
        o.realDisplay = true;
        o.userSettings = "[Graphics]\nbFullScreen=No\n";
        ProgramHarness h(o);
        h.start();
        ASSERT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
        h.onProgramThread([] { GLOBAL->config.applyToEngine(800, 600); });
        h.step(2);
        EXPECT_EQ(h.askedWindow().width, 800);
        int viewportWidth = 0, viewportHeight = 0;
        h.onProgramThread([&] {
            viewportWidth = ZUB->graphics->viewport.width;
            viewportHeight = ZUB->graphics->viewport.height;
        });
        EXPECT_EQ(viewportWidth, 1024);
        EXPECT_EQ(viewportHeight, 768);
        const V3 at = pointerAtPixel(h, 256, 192);
        EXPECT_FLOAT_EQ(at.x, 256.0f);
        EXPECT_FLOAT_EQ(at.y, 576.0f);
        int shotWidth = 0, shotHeight = 0;
        const std::vector<uint32_t> shot = h.capture(shotWidth, shotHeight);
        EXPECT_EQ(shotWidth, 1024);
        EXPECT_EQ(shotHeight, 768);
    }
}

}  // namespace
