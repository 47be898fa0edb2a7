#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "engine/ZubMain.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/OpenUrl.h"
#include "sys/Paths.h"

namespace {

std::vector<std::string> events;
std::vector<std::string> opened;

class TestApp : public ZubApplication {
public:
    explicit TestApp(int n) : number(n) {}
    void initPreLoader() override {
        events.push_back("app " + std::to_string(number) + " start");
        contextManager = new ContextManager;
        contextManager->pushContext(new Context);
    }
    ~TestApp() override {
        events.push_back("app " + std::to_string(number) + " end (engine " + (ZUB ? "alive" : "gone") + ")");
        deleteObject(contextManager);
    }
    int number;
};

struct LoopTest : ::testing::Test {
    void SetUp() override {
        setUserDataFolderOverride(folder.path());
        ErrorManager::bTestMode = true;
        events.clear();
        opened.clear();
        setOpenUrlSpawner([](const std::vector<std::string>& argv) -> long {
            opened.push_back(argv.back());
            return 1;
        });
        options.bAllowSeveralInstances = true;
        options.makeBackend = [] { return std::make_unique<platform::NullBackend>(); };
        hooks.createApplication = [this](Zub&) -> ZubApplication* {
            app = new TestApp(++made);
            return app;
        };
    }
    void TearDown() override {
        setOpenUrlSpawner(nullptr);
        setUserDataFolderOverride("");
    }
    filestest::TempFolder folder;
    RunOptions options;
    ApplicationHooks hooks;
    TestApp* app = nullptr;
    int made = 0;
};

TEST_F(LoopTest, WaitsForTheFocusThenRunsUntilTheStackEmpties) {
    int turns = 0, turnsBeforeEngine = 0;
    options.beforeFrame = [&](platform::Backend& b, int frame) {
        auto& nb = static_cast<platform::NullBackend&>(b);
        ++turns;
        if (!ZUB) ++turnsBeforeEngine;
        nb.window.focused = turns > 2;           // the first two turns in the background
        if (frame == 5) nb.next.keys[1] = 0x80;  // Escape closes the only screen
    };
    EXPECT_EQ(runZub(options, hooks), 0);
    EXPECT_EQ(turnsBeforeEngine, 3);  // two turns slept, the third made the engine
    EXPECT_EQ(events, (std::vector<std::string>{"app 1 start", "app 1 end (engine alive)"}));
    EXPECT_EQ(ZUB, nullptr);
}

TEST_F(LoopTest, RestartRebuildsEngineAndGame) {
    options.maxFrames = 6;
    options.beforeFrame = [](platform::Backend&, int frame) {
        if (frame == 2) restartRequested = true;
    };
    // The program forgets each run once its game and engine have gone.
    hooks.afterRun = [] { events.push_back(std::string("run over (engine ") + (ZUB ? "alive)" : "gone)")); };
    EXPECT_EQ(runZub(options, hooks), 0);
    EXPECT_FALSE(restartRequested);
    EXPECT_EQ(events, (std::vector<std::string>{"app 1 start", "app 1 end (engine alive)", "run over (engine gone)",
                                                "app 2 start", "app 2 end (engine alive)", "run over (engine gone)"}));
}

TEST_F(LoopTest, ClosingTheWindowOpensThePendingAddressLast) {
    options.beforeFrame = [this](platform::Backend& b, int frame) {
        if (frame == 3) {
            app->pendingUrl = u"https://example.org/tumbro/highscoretable.php";
            static_cast<platform::NullBackend&>(b).window.closeRequested = true;
        }
    };
    EXPECT_EQ(runZub(options, hooks), 0);
    EXPECT_EQ(events.back(), "app 1 end (engine alive)");
    EXPECT_EQ(opened, std::vector<std::string>{"https://example.org/tumbro/highscoretable.php"});
}

// Says on stderr whether the system's cursor showed when the message box came.
class BoxBackend : public platform::NullBackend {
public:
    bool showMessageBox(const WString& title, const WString& text) override {
        std::fprintf(stderr, "the box came with the system cursor %s\n", cursorVisible ? "shown" : "hidden");
        std::fflush(stderr);
        return NullBackend::showMessageBox(title, text);
    }
};

TEST_F(LoopTest, TheSystemCursorHidesWhileTheWindowHasTheFocusAndShowsForTheErrorBox) {
    std::vector<bool> shown;
    options.beforeFrame = [&](platform::Backend& b, int frame) {
        auto& nb = static_cast<platform::NullBackend&>(b);
        if (frame > 0) shown.push_back(nb.cursorVisible);
        nb.window.focused = frame < 3 || frame >= 5;
        if (frame == 7) nb.window.closeRequested = true;
    };
    EXPECT_EQ(runZub(options, hooks), 0);
    // After each frame: the game's pointer over the focused window, the
    // system's while another window has the focus.
    EXPECT_EQ(shown, (std::vector<bool>{false, false, false, true, true, false, false}));

    options.makeBackend = [] { return std::make_unique<BoxBackend>(); };
    options.beforeFrame = [](platform::Backend&, int frame) {
        if (frame == 3) ZUB_ERROR(u"Something went wrong.");
    };
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = false;
            runZub(options, hooks);
            std::exit(3);
        },
        ::testing::ExitedWithCode(255), "Something went wrong\\.(.|\n)*the box came with the system cursor shown");
}

}  // namespace
