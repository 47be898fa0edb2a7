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
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextLanguageSelect.h"
#include "sys/Settings.h"
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

// Records in the data folder that are not the program's files: a named pipe
// for the high scores and a 40 GB (sparse) profiles file. The start neither
// waits on the pipe nor asks for 40 GB: both are set aside, the game starts
// with the defaults and saves new files in their place when it ends.
TEST(Global, APipeOrAHugeFileForARecordIsSetAsideAndTheGameStarts) {
    ProgramHarness h;
    const std::string hst = h.userFolder + "Tumbrodemo.hst", pro = h.userFolder + "Tumbrodemo.pro";
    fs::remove(hst);
    ASSERT_TRUE(filestest::makePipe(hst));
    ASSERT_TRUE(filestest::makeSparseFile(pro, uint64_t(40) << 30));
    {
        const filestest::PipeWatch watch({hst});
        h.start();
        ASSERT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
        EXPECT_EQ(watch.released(), 0) << "the start waited on the pipe";
    }
    EXPECT_TRUE(fs::is_fifo(hst + ".bad"));
    EXPECT_EQ(fs::file_size(pro + ".bad"), uint64_t(40) << 30);
    EXPECT_EQ(GLOBAL->profiles.countProfiles(), 0);
    const std::string log = h.log();
    EXPECT_NE(log.find("Rejected '" + hst + "': not a regular file; kept as '" + hst + ".bad'."), std::string::npos)
        << log;
    EXPECT_NE(log.find("Rejected '" + pro + "': larger than the 52988 bytes its record can take; kept as '" + pro +
                       ".bad'."),
              std::string::npos);
    h.close();
    EXPECT_EQ(h.exitCode(), 0);
    EXPECT_TRUE(fs::is_regular_file(hst));
    EXPECT_LT(fs::file_size(pro), 52988u);
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

}  // namespace
