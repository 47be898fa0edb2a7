// The game's global object in the real program: the screens it stacks after
// loading, the crash files of an earlier run, what it leaves on disk when
// it goes, and the developer's level switch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "OffscreenPicture.h"
#include "ProgramHarness.h"
#include "app/CrashReport.h"
#include "app/Global.h"
#include "app/Loader.h"
#include "editor/EditorPropertyPanel.h"
#include "editor/EditorPropertyWidget.h"
#include "engine/Zub.h"
#include "flow/ContextLevelManager.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "flow/LevelDraft.h"
#include "flow/MyRootObject.h"
#include "flow/Overlay.h"
#include "gfx/Camera.h"
#include "gfx/ContextBlender.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "gui/GUIitem.h"
#include "gui/GUIthemeMinimal.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemChoice.h"
#include "gui/MenuItemToggle.h"
#include "gui/MousePointer.h"
#include "gui/ScreenOverlays.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "menu/ContextAdvancedOptions.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextIntroStory.h"
#include "menu/ContextLanguageSelect.h"
#include "menu/ContextOptions.h"
#include "menu/GameMainMenu.h"
#include "menu/LanguageFlag.h"
#include "net/NetRole.h"
#include "object/ResourceManager.h"
#include "objects/apples/Apple.h"
#include "platform/CrashHandler.h"
#include "platform/RenderDevice.h"
#include "project_zub/sys/files_test_support.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/CrashFiles.h"
#include "sys/Paths.h"
#include "sys/Settings.h"
#include "util/KeyCodes.h"

namespace {

using programtest::ProgramHarness;
namespace fs = std::filesystem;

bool loaded(const ProgramHarness& h) { return h.loader() && h.loader()->done; }

// The game controller of the level the program starts on (-level), once the
// level manager is on top and has made it; null when it does not come.
GameController* levelController(ProgramHarness& h) {
    if (!h.stepUntil([&] { return h.topIs<ContextLevelManager>(); }, 600)) return nullptr;
    auto* manager = h.topAs<ContextLevelManager>();
    GameController* gc = nullptr;
    h.stepUntil([&] { return (gc = manager->gameServer->controller()) != nullptr; }, 100);
    return gc;
}

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

// Crash files that are not the program's own: the log and the dump are
// other names of the user's files (hard links), the screenshot a symbolic
// link, the traffic a named pipe. None can be sent, so there is no crash
// report; their names go at the start, with a line in the log each, while
// the files they shared or led to stay as they were. A folder that holds
// something under a crash file's name is left alone.
TEST(Global, CrashFilesThatAreNotTheProgramsOwnLoseTheirNamesAtTheStart) {
    const int lines = [] {
        ProgramHarness h;
        const std::string crash = h.userFolder + "crash.Tumbrodemo";
        const std::string letter = h.userFolder + "letter.txt", photo = h.userFolder + "photo.jpg";
        filestest::writeBytes(letter, "a letter of the user's");
        filestest::writeBytes(photo, "a photo of the user's");
        fs::create_hard_link(letter, crash + ".log");
        fs::create_hard_link(photo, crash + ".mdmp");
        fs::create_symlink(photo, crash + ".jpg");
        EXPECT_TRUE(filestest::makePipe(crash + ".net"));
        h.start();
        EXPECT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
        EXPECT_FALSE(h.topIs<CrashReport>());
        for (const char* extension : {".log", ".mdmp", ".jpg", ".net"})
            EXPECT_FALSE(fs::exists(fs::symlink_status(crash + extension))) << extension;
        EXPECT_EQ(filestest::readBytes(letter), "a letter of the user's");
        EXPECT_EQ(filestest::readBytes(photo), "a photo of the user's");
        EXPECT_EQ(fs::hard_link_count(letter), 1u);
        const std::string log = h.log();
        for (const char* seen : {".log', which is never sent: it has another name as well (a hard link).",
                                 ".mdmp', which is never sent: it has another name as well (a hard link).",
                                 ".jpg', which is never sent: it is a symbolic link.",
                                 ".net', which is never sent: it is not a regular file."})
            EXPECT_NE(log.find("CrashFiles::removeRefused(): Removed the name '" + crash + seen), std::string::npos)
                << seen << "\n"
                << log;
        h.close();
        int removed = 0;
        for (size_t at = log.find("Removed the name"); at != std::string::npos;
             at = log.find("Removed the name", at + 1))
            ++removed;
        return removed;
    }();
    EXPECT_EQ(lines, 4);

    ProgramHarness again;
    const std::string crash = again.userFolder + "crash.Tumbrodemo";
    filestest::writeBytes(crash + ".log/inside", "the user's");
    again.start();
    ASSERT_TRUE(again.stepUntil([&] { return loaded(again); }, 400));
    EXPECT_FALSE(again.topIs<CrashReport>());
    EXPECT_TRUE(fs::is_directory(crash + ".log"));
    EXPECT_EQ(filestest::readBytes(crash + ".log/inside"), "the user's");
    EXPECT_EQ(again.log().find("Removed the name"), std::string::npos);
}

// Everything below a folder, not following links: each entry's path, its
// kind and, for a file, its bytes (a link: where it leads).
std::string everythingIn(const std::string& folder) {
    std::vector<std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string at = fs::relative(entry.path(), folder).string();
        if (entry.is_symlink()) entries.push_back(at + " -> " + fs::read_symlink(entry.path()).string());
        else if (entry.is_directory()) entries.push_back(at + "/");
        else entries.push_back(at + ": " + filestest::readBytes(entry.path().string()));
    }
    std::sort(entries.begin(), entries.end());
    std::string all;
    for (const std::string& entry : entries) all += entry + "\n";
    return all;
}

// Folders under the crash files' names keep the crash handler from writing
// those files. At the start the empty one (under the dump's name) goes, and
// the ones that hold something stay as they are, byte for byte, each named
// in the log once as keeping crash reports from being kept until it is
// moved. A real crash then leaves its dump where the empty folder was.
TEST(Global, AnEmptyFolderUnderACrashFileNameGoesAndAFullOneIsNamedInTheLog) {
    ProgramHarness h;
    const std::string crash = h.userFolder + "crash.Tumbrodemo";
    const std::string photo = h.userFolder + "photo.jpg";
    filestest::writeBytes(photo, "a photo of the user's");
    fs::create_directory(crash + ".mdmp");
    for (const std::string extension : {".log", ".jpg", ".net"}) {
        filestest::writeBytes(crash + extension + "/notes" + extension, "the user's notes" + extension);
        fs::create_directory(crash + extension + "/empty");
        fs::create_symlink(photo, crash + extension + "/photo link");
    }
    std::map<std::string, std::string> before;
    for (const char* extension : {".log", ".jpg", ".net"}) before[extension] = everythingIn(crash + extension);
    h.start();
    ASSERT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
    EXPECT_FALSE(h.topIs<CrashReport>());
    EXPECT_FALSE(fs::exists(fs::symlink_status(crash + ".mdmp")));
    for (const auto& [extension, contents] : before) {
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(crash + extension))) << extension;
        EXPECT_EQ(everythingIn(crash + extension), contents) << extension;
    }
    EXPECT_EQ(filestest::readBytes(photo), "a photo of the user's");
    const std::string log = h.log();
    const auto count = [&](const std::string& line) {
        int n = 0;
        for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("CrashFiles::removeRefused(): Removed the empty folder '" + crash +
                    ".mdmp', which stood where a crash file goes."),
              1)
        << log;
    for (const char* extension : {".log", ".jpg", ".net"})
        EXPECT_EQ(count("CrashFiles::removeRefused(): Left the folder '" + crash + extension +
                        "' where a crash file goes (it is not empty): crash reports cannot be kept until it is "
                        "moved. What it holds stays as it was."),
                  1)
            << extension << "\n"
            << log;
    EXPECT_EQ(count("CrashFiles::removeRefused()"), 4);
    h.close();

    // The crash handler as the program installs it, in a child that really
    // crashes: the dump is written again; the folders stay as they were.
    const filestest::ChildRun run = filestest::runInChild([&] {
        CrashHandler::install("Tumbrodemo", h.userFolder + "Tumbrodemo.log", CrashFiles::handlerTargets(h.userFolder));
        __builtin_trap();
        return 0;
    });
    ASSERT_TRUE(run.finished);
    ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(crash + ".mdmp")));
    EXPECT_NE(filestest::readBytes(crash + ".mdmp").find("SIGILL"), std::string::npos);
    for (const auto& [extension, contents] : before) EXPECT_EQ(everythingIn(crash + extension), contents) << extension;
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
    EXPECT_NE(
        log.find("Rejected '" + pro + "': larger than the 52988 bytes its record can take; kept as '" + pro + ".bad'."),
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

TEST(Global, ALevelWhoseOverlaysOpenedAndClosedLeavesNothingAliveAtTheEnd) {
    const std::string level = draftLevel();
    ASSERT_FALSE(level.empty());
    const int before = ZubBase::liveCount();
    ProgramHarness::Options o;
    o.developer = true;
    o.arguments = {"-level", "a1"};
    ProgramHarness h(o);
    h.program->write("levels/a1.lev", level);
    h.start();
    ASSERT_TRUE(h.stepUntil([&] { return loaded(h); }, 400));
    auto* manager = h.topAs<ContextLevelManager>();
    ASSERT_NE(manager, nullptr);
    GameController* gc = manager->gameServer->controller();
    ASSERT_NE(gc, nullptr);
    ASSERT_TRUE(h.stepUntil([&] { return gc->state == GameController::PLAYING; }, 1000)) << gc->state;
    MyRootObject* root = manager->gameServer->gameRoot();
    ASSERT_NE(root, nullptr);
    auto overlay = [root] { return root->contextOverlay; };
    // The pause menu, closed with Escape; the level map, closed with a click.
    h.pressKey(input_codes::KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return overlay() != nullptr; }, 20));
    h.step(30);
    h.pressKey(input_codes::KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return overlay() == nullptr; }, 20));
    h.step(5);
    h.pressKey(input_codes::KEY_M);
    ASSERT_TRUE(h.stepUntil([&] { return overlay() != nullptr; }, 20));
    h.step(30);
    h.click(512.0f, 384.0f);
    ASSERT_TRUE(h.stepUntil([&] { return overlay() == nullptr; }, 20));
    h.step(5);
    h.close();
    EXPECT_EQ(h.exitCode(), 0);
    const std::string alive = "Zub::~Zub(): " + std::to_string(before) + " objects still alive";
    EXPECT_NE(h.log().find(alive), std::string::npos) << h.log().substr(h.log().rfind("Zub::~Zub(): Shutting"));
}

// With the developer's debug level 512 the level's server writes its network
// statistics over the level in the tiny font, the heading's top left corner
// at (-390, 280) from the middle of the screen, the graphs of the bytes in
// and out and of the resends below the lines; all of it in that corner's
// column of the screen, and nothing of it without the bit.
TEST(Global, TheNetworkStatisticsShowInTheTopLeftCornerWithTheirDebugBit) {
    ProgramHarness::Options o;
    o.realDisplay = true;
    o.fixedFrameStep = 0.01;
    o.developer = true;
    o.arguments = {"-level", "a1"};
    o.userSettings = "[Engine]\ndebugLevel=512\n";
    ProgramHarness h(o);
    h.start();
    GameController* gc = levelController(h);
    ASSERT_NE(gc, nullptr);
    ASSERT_TRUE(h.stepUntil([&] { return gc->state == GameController::PLAYING; }, 800));
    h.step(20);
    int w = 0, hh = 0;
    const std::vector<uint32_t> with = h.capture(w, hh);
    const std::vector<uint32_t> without = h.capture(w, hh, [] {
        const int level = ZUB->debugLevel;
        ZUB->debugLevel = level & ~static_cast<int>(NetRole::DEBUG_NETWORK_STATISTICS);
        ZUB->rootContext->renderContext();
        ZUB->debugLevel = level;
    });
    ASSERT_EQ(w, 1024);
    ASSERT_EQ(hh, 768);
    ASSERT_EQ(with.size(), without.size());
    auto differs = [&](int x, int y) {
        const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
        return picturetest::difference(with[i], without[i]) > 40;
    };
    // The heading "ZUB (tick/render)" on the line below (122, 104).
    int heading = 0;
    for (int y = 104; y < 116; ++y)
        for (int x = 122; x < 240; ++x) heading += differs(x, y);
    EXPECT_GT(heading, 60);
    // Nothing of it left of x 122, above y 104 or right of the column.
    int outside = 0, below = 0;
    for (int y = 0; y < hh; ++y)
        for (int x = 0; x < w; ++x)
            if (differs(x, y)) {
                outside += x < 120 || y < 102 || x > 122 + 300;
                below += y > 400;
            }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(below, 0) << "no graphs below the lines";
}

// Every row the level editor shows, and every row's edit box, wears the
// minimal GUI theme the global object made after loading.
TEST(Global, TheEditorsRowsWearTheGlobalObjectsMinimalTheme) {
    ProgramHarness::Options o;
    o.developer = true;
    o.arguments = {"-level", "a1", "-edit"};
    ProgramHarness h(o);
    h.start();
    GameController* gc = levelController(h);
    ASSERT_NE(gc, nullptr);
    ASSERT_NE(gc->editor, nullptr);
    ASSERT_NE(GLOBAL->guiThemeMinimal, nullptr);
    // F2: the level's own properties; F1: the class list below them.
    for (const int key : {input_codes::KEY_F2, input_codes::KEY_F1}) {
        h.pressKey(key);
        h.step(2);
        size_t rows = 0, boxes = 0;
        std::function<void(ZubBase*)> visit = [&](ZubBase* o) {
            for (ZubBase* c : childrenOf(o)) {
                if (auto* item = dynamic_cast<GUIitem*>(c)) {
                    EXPECT_EQ(item->theme, GLOBAL->guiThemeMinimal) << wideToNarrow(c->getClass()->getName());
                    (dynamic_cast<EditorPropertyWidget*>(c) ? rows : boxes) += 1;
                }
                visit(c);
            }
        };
        visit(gc->editor->widgets);
        EXPECT_GT(rows, 10u) << key;
        EXPECT_GT(boxes, 0u) << key;
    }
}

// The editor's keys act on the object picked once the pages opened over the
// level close: an apple picked, the pause menu (Escape), its "Options..."
// (Up, Return), then Escape twice back to the editor. The panel shows the
// apple still, and the arrow keys move it, Ctrl+Z puts it back, Delete takes
// it away.
TEST(Global, TheEditorsKeysActOnThePickedObjectAgainWhenThePagesOverItClose) {
    using namespace input_codes;
    ProgramHarness::Options o;
    o.developer = true;
    o.fixedFrameStep = 0.01;
    o.arguments = {"-level", "a1", "-edit"};
    ProgramHarness h(o);
    h.start();
    GameController* gc = levelController(h);
    ASSERT_NE(gc, nullptr);
    ASSERT_NE(gc->editor, nullptr);
    h.step(5);
    Apple* apple = nullptr;
    for (ZubBase* c : childrenOf(gc->appleList))
        if ((apple = zub_cast<Apple>(c))) break;
    ASSERT_NE(apple, nullptr);
    ZubBaseReference alive;
    alive.set(apple);
    const V3 at = gc->contextGame->camera->worldToScreen(apple->boundingCentre);
    h.click(at.x, at.y);
    h.step(2);
    ASSERT_EQ(gc->editor->getEditedObject(), apple);

    MyRootObject* root = h.topAs<ContextLevelManager>()->gameServer->gameRoot();
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return root->contextOverlay != nullptr; }, 20));
    // The pointer below the menu: Up goes to its lowest item.
    h.moveMouse(512.0f, 100.0f);
    h.step(20);
    h.pressKey(KEY_UP);
    h.pressKey(KEY_RETURN);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextOptions>(); }, 50));
    h.step(20);
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLevelManager>(); }, 50));
    h.step(20);
    EXPECT_NE(root->contextOverlay, nullptr);
    h.pressKey(KEY_ESCAPE);
    ASSERT_TRUE(h.stepUntil([&] { return root->contextOverlay == nullptr; }, 50));
    h.step(5);
    ASSERT_EQ(gc->editor->getEditedObject(), apple);

    const V3 start = apple->position;
    h.pressKey(KEY_RIGHT);
    h.pressKey(KEY_UP);
    h.step(2);
    EXPECT_EQ(apple->position.x, start.x + 1.0f);
    EXPECT_EQ(apple->position.y, start.y + 1.0f);
    h.pressKey(KEY_Z, {KEY_LCONTROL});
    h.step(2);
    EXPECT_EQ(apple->position, start);
    h.pressKey(KEY_DELETE);
    h.step(3);
    EXPECT_EQ(alive.get(), nullptr) << "Delete left the apple";
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

// The cursor of key navigation (reference-screen point).
V3 cursor() {
    const ZubInput* in = ZubInput::active();
    return in ? V3(in->mouseX, in->mouseY, 0.0f) : V3();
}

// One arrow key toward an item's anchor, as a player without a mouse
// presses it; false when the cursor is on it already.
bool keyToward(ProgramHarness& h, CursorTarget* item) {
    using namespace input_codes;
    const V3 to = item->cursorAnchor(0), at = cursor();
    if (std::abs(to.y - at.y) > 2.0f) h.pressKey(to.y > at.y ? KEY_UP : KEY_DOWN);
    else if (std::abs(to.x - at.x) > 2.0f) h.pressKey(to.x > at.x ? KEY_RIGHT : KEY_LEFT);
    else return false;
    return true;
}

// Moves the cursor onto an item with the arrow keys; false when it does
// not get there.
bool keyTo(ProgramHarness& h, CursorTarget* item) {
    for (int i = 0; i < 20; ++i)
        if (!keyToward(h, item)) return true;
    return false;
}

// Starts the program and leaves the logo and the story with Escape: true
// when the main menu is the top screen.
bool reachMainMenu(ProgramHarness& h) {
    using namespace input_codes;
    h.start();
    if (!h.stepUntil([&] { return h.topIs<ContextCompanyLogo>(); }, 400)) return false;
    h.pressKey(KEY_ESCAPE);
    if (!h.stepUntil([&] { return h.topIs<ContextIntroStory>(); }, 10)) return false;
    h.pressKey(KEY_ESCAPE);
    return h.stepUntil([&] { return h.topIs<GameMainMenu>(); }, 10);
}

TEST(Global, KeysActAtOnceOnTheLanguagePageAfterTheRestartThatKeysAskedFor) {
    using namespace input_codes;
    ProgramHarness::Options o;
    o.fixedFrameStep = 0.01;
    ProgramHarness h(o);
    ASSERT_TRUE(reachMainMenu(h));
    // A long first run, far longer than the next one takes to ask for the
    // language; then Options -> Language with the keys alone.
    h.step(1500);
    auto* menu = h.topAs<GameMainMenu>();
    ASSERT_TRUE(keyTo(h, menu->optionsItem));
    h.pressKey(KEY_RETURN);
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextOptions>(); }, 10));
    h.step(5);  // the page takes the cursor when it becomes the top
    auto* options = h.topAs<ContextOptions>();
    ASSERT_NE(options->languageItem, nullptr);
    h.step(5);
    ASSERT_TRUE(keyTo(h, options->languageItem));
    h.pressKey(KEY_RETURN);
    const int before = h.frames();
    ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLanguageSelect>(); }, 400));
    ASSERT_NE(h.log().find("runZub(): Restarting the engine and the game."), std::string::npos);
    ASSERT_LT(h.frames() - before, 1000) << "the next run asks sooner than the first one lasted";

    // The page has no Escape: the first keys pressed must act. An arrow
    // puts the cursor on a flag, Return chooses that flag's language.
    auto* page = h.topAs<ContextLanguageSelect>();
    h.step(2);
    LanguageFlag* english = nullptr;
    for (LanguageFlag* f : childrenOf<LanguageFlag>(page))
        if (f->languageIndex == Language::ENGLISH) english = f;
    ASSERT_NE(english, nullptr);
    const V3 start = cursor();
    if (keyToward(h, english)) {
        EXPECT_NE(cursor(), start) << "the first arrow moved nothing";
        ASSERT_TRUE(keyTo(h, english));
    }
    h.pressKey(input_codes::KEY_RETURN);
    ASSERT_TRUE(h.stepUntil([&] { return !h.topIs<ContextLanguageSelect>(); }, 10)) << "Return chose nothing";
    EXPECT_EQ(ZUB->settings->getDefaultLanguage(), Language::ENGLISH);
}

// The draws of the frame drawn last (null back-end) that use the texture
// (all draws with an empty name); -1 when there is no such texture.
int drawsOf(ProgramHarness& h, std::u16string_view texture = u"") {
    int n = -1;
    h.onProgramThread([&] {
        auto* device = dynamic_cast<platform::NullRenderDevice*>(ZUB->graphics->device());
        if (!device) return;
        if (texture.empty()) {
            n = static_cast<int>(device->draws.size());
            return;
        }
        auto* t = zub_cast<Texture>(ResourceManager::active()->find(texture, false));
        if (!t) return;
        const platform::TextureHandle handle = t->getHandle();
        n = 0;
        for (const platform::NullRenderDevice::DrawRecord& d : device->draws) n += d.texture == handle ? 1 : 0;
    });
    return n;
}

TEST(Global, ThePointerIsDrawnOnlyWhileTheWindowHasTheFocus) {
    using namespace input_codes;
    ProgramHarness h;
    ASSERT_TRUE(reachMainMenu(h));
    h.moveMouse(800.0f, 200.0f);
    h.step(3);
    EXPECT_EQ(drawsOf(h, u"mousePointer"), 1);
    // Another window takes the focus: the game pauses, still draws its
    // screen, but no pointer over it; back in front, the pointer is back.
    h.setFocused(false);
    h.step(3);
    EXPECT_EQ(ZUB->mode, Zub::MODE_PAUSED);
    EXPECT_GT(drawsOf(h), 0);
    EXPECT_EQ(drawsOf(h, u"mousePointer"), 0);
    h.setFocused(true);
    h.step(3);
    EXPECT_EQ(ZUB->mode, Zub::MODE_RUNNING);
    EXPECT_EQ(drawsOf(h, u"mousePointer"), 1);
}

TEST(Global, TheSystemCursorIsHiddenWhileTheGameDrawsItsOwnPointer) {
    using namespace input_codes;
    ProgramHarness h;
    ASSERT_TRUE(reachMainMenu(h));
    h.moveMouse(800.0f, 200.0f);
    h.step(3);
    // One arrow: the game's.
    EXPECT_EQ(drawsOf(h, u"mousePointer"), 1);
    EXPECT_FALSE(h.systemCursorVisible());
    // Behind another window the game draws none: the system's shows.
    h.setFocused(false);
    h.step(3);
    EXPECT_EQ(drawsOf(h, u"mousePointer"), 0);
    EXPECT_TRUE(h.systemCursorVisible());
    h.setFocused(true);
    h.step(3);
    EXPECT_EQ(drawsOf(h, u"mousePointer"), 1);
    EXPECT_FALSE(h.systemCursorVisible());
}

// Full screen at 1920 x 1080: the 4:3 picture stands between black bars
// 240 pixels wide. Wherever the mouse is, one arrow shows where it is: the
// game's over the picture, the system's over the bars (where the game's,
// clipped at the picture's edge, would show nothing or a piece of an arrow).
TEST(Global, OverTheBarsBesideThePictureTheSystemsCursorShowsInsteadOfTheGames) {
    ProgramHarness::Options o;
    o.userSettings = "[Graphics]\nbFullScreen=Yes\nwidth=1920\nheight=1080\n";
    ProgramHarness h(o);
    ASSERT_TRUE(reachMainMenu(h));
    int viewportX = 0, viewportWidth = 0;
    h.onProgramThread([&] {
        viewportX = ZUB->graphics->viewport.x;
        viewportWidth = ZUB->graphics->viewport.width;
    });
    ASSERT_EQ(viewportX, 240);
    ASSERT_EQ(viewportWidth, 1440);
    struct Spot {
        float x, y;
        bool overPicture;
    };
    for (const Spot& at : {Spot{960, 540, true}, Spot{50, 300, false}, Spot{239, 300, false}, Spot{240, 300, true},
                           Spot{1679, 1079, true}, Spot{1680, 600, false}, Spot{1900, 20, false}, Spot{960, 2, true}}) {
        SCOPED_TRACE(testing::Message() << "mouse at (" << at.x << ", " << at.y << ")");
        h.moveMouseToPixel(at.x, at.y);
        h.step(2);
        EXPECT_EQ(drawsOf(h, u"mousePointer"), at.overPicture ? 1 : 0);
        EXPECT_EQ(h.systemCursorVisible(), !at.overPicture);
    }
    // Behind another window the system's cursor shows wherever the mouse is.
    h.moveMouseToPixel(960, 540);
    h.setFocused(false);
    h.step(2);
    EXPECT_TRUE(h.systemCursorVisible());
    EXPECT_EQ(drawsOf(h, u"mousePointer"), 0);
}

// The mouse off the window (on its title bar, below it, on another window):
// the game draws no arrow at the window's edge, where the mouse last was
// inside it; the system's cursor shows where the mouse is.
TEST(Global, OutsideTheWindowTheGameDrawsNoPointer) {
    ProgramHarness::Options o;
    o.userSettings = "[Graphics]\nbFullScreen=No\nwidth=1024\nheight=768\n";
    ProgramHarness h(o);
    ASSERT_TRUE(reachMainMenu(h));
    // Last seen inside, at the top edge of the picture.
    h.moveMouseToPixel(600, 0);
    h.step(2);
    EXPECT_EQ(drawsOf(h, u"mousePointer"), 1);
    EXPECT_FALSE(h.systemCursorVisible());
    h.setMouseInWindow(false);
    h.step(2);
    EXPECT_EQ(drawsOf(h, u"mousePointer"), 0);
    EXPECT_TRUE(h.systemCursorVisible());
    // Back in: the game's arrow again, where the mouse comes in.
    h.setMouseInWindow(true);
    h.moveMouseToPixel(600, 5);
    h.step(2);
    EXPECT_EQ(drawsOf(h, u"mousePointer"), 1);
    EXPECT_FALSE(h.systemCursorVisible());
}

// A level being edited is worked on with one pointer over the picture, the
// game's arrow (the system's cursor hidden), standing where the mouse stands
// from the start, before it ever moves; over the pause menu the menu's
// arrow alone. A level in play shows no pointer.
TEST(Global, WhileALevelIsEditedOnePointerShowsWhereTheMouseStandsFromTheStart) {
    const std::string level = draftLevel();
    ASSERT_FALSE(level.empty());
    for (const bool edit : {true, false}) {
        SCOPED_TRACE(edit ? "edited" : "played");
        ProgramHarness::Options o;
        o.developer = true;
        o.userSettings = "[Graphics]\nbFullScreen=No\nwidth=1024\nheight=768\n";
        o.arguments = {"-level", "a1"};
        if (edit) o.arguments.push_back("-edit");
        ProgramHarness h(o);
        h.program->write("levels/a1.lev", level);
        h.start();
        // The window appears under the mouse, which stays where it is.
        h.mouseStandsAtPixel(640, 400);
        ASSERT_TRUE(h.stepUntil([&] { return h.topIs<ContextLevelManager>(); }, 600));
        auto* manager = h.topAs<ContextLevelManager>();
        GameController* gc = nullptr;
        ASSERT_TRUE(h.stepUntil([&] { return (gc = manager->gameServer->controller()) != nullptr; }, 100));
        if (!edit) {
            ASSERT_TRUE(h.stepUntil([&] { return gc->state == GameController::PLAYING; }, 1000));
        }
        h.step(3);
        EXPECT_EQ(drawsOf(h, u"mousePointer"), edit ? 1 : 0);
        EXPECT_FALSE(h.systemCursorVisible());
        V3 arrow, mouse;
        h.onProgramThread([&] {
            const ContextManager* stack = h.stack();
            if (const MousePointer* p = gui::mousePointer(stack)) arrow = p->position;
            mouse = stack->pointerContext->camera->screenToWorld(640.0f, 368.0f, 0.0f);
        });
        EXPECT_NEAR(arrow.x, mouse.x, 0.01f);
        EXPECT_NEAR(arrow.y, mouse.y, 0.01f);

        // The pause menu over the level, and back.
        MyRootObject* root = manager->gameServer->gameRoot();
        ASSERT_NE(root, nullptr);
        h.pressKey(input_codes::KEY_ESCAPE);
        ASSERT_TRUE(h.stepUntil([&] { return root->contextOverlay != nullptr; }, 20));
        h.step(30);
        EXPECT_EQ(drawsOf(h, u"mousePointer"), 1);
        EXPECT_FALSE(h.systemCursorVisible());
        h.pressKey(input_codes::KEY_ESCAPE);
        ASSERT_TRUE(h.stepUntil([&] { return root->contextOverlay == nullptr; }, 20));
        h.step(3);
        EXPECT_EQ(drawsOf(h, u"mousePointer"), edit ? 1 : 0);
        EXPECT_FALSE(h.systemCursorVisible());
    }
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
    EXPECT_NE(settings.find("[Graphics]\r\nbFullScreen=No\r\nwidth=1024\r\nheight=768"), std::string::npos) << settings;

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
