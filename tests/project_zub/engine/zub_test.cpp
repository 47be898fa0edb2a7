#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/ContextManager.h"
#include "engine/FocusManager.h"
#include "engine/Zub.h"
#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "platform/Platform.h"
#include "platform/RenderDevice.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/Console.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "sys/Settings.h"

namespace {

class ModeProbe : public ZubBase {
public:
    void onZUBmodeChange(int mode) override { modes.push_back(mode); }
    std::vector<int> modes;
};

class CountingScreen : public Context {
public:
    void tickContents(double t, double dt) override {
        ++ticks;
        Context::tickContents(t, dt);
    }
    int ticks = 0;
};

struct EngineRig : ::testing::Test {
    void SetUp() override {
        setUserDataFolderOverride(folder.path());
        ErrorManager::bTestMode = true;
        std::string err;
        backend.openWindow(platform::WindowSettings{}, err);
        engine = std::make_unique<Zub>(backend, hooks);
        screen = new CountingScreen;
        stack.pushContext(screen);
        engine->rootContext = &stack;
    }
    void TearDown() override {
        engine.reset();
        setUserDataFolderOverride("");
    }
    void frame() {
        platform::InputSnapshot s;
        platform::WindowState w;
        backend.poll(s, w);
        engine->frame(s, w);
    }
    platform::NullRenderDevice& device() {
        return *static_cast<platform::NullRenderDevice*>(engine->graphics->device());
    }

    filestest::TempFolder folder;
    platform::NullBackend backend;
    ApplicationHooks hooks;
    std::unique_ptr<Zub> engine;
    ContextManager stack;
    CountingScreen* screen = nullptr;
};

TEST_F(EngineRig, FramesCountTickAndPresent) {
    EXPECT_EQ(ZUB, engine.get());
    for (int i = 0; i < 3; ++i) frame();
    EXPECT_EQ(engine->frameCounter, 3);
    EXPECT_EQ(screen->ticks, 3);
    EXPECT_EQ(backend.presented, 3);
    EXPECT_GT(engine->currentTime, engine->previousFrameTime);
    EXPECT_TRUE(engine->bDebugLocked);  // no developer code in a fresh settings file
    EXPECT_EQ(engine->debugLevel, 0);
}

TEST_F(EngineRig, LosingTheFocusPausesOneModeAtATimeAndStopsTheClock) {
    ModeProbe probe;
    frame();
    backend.window.focused = false;
    frame();
    EXPECT_EQ(engine->mode, Zub::MODE_PAUSED);
    EXPECT_EQ(probe.modes, std::vector<int>{2});
    const int ticks = screen->ticks;
    const double paused = engine->timeKeeper->getTime();
    usleep(30000);
    frame();
    EXPECT_EQ(screen->ticks, ticks);  // nothing ticks while paused
    EXPECT_DOUBLE_EQ(engine->timeKeeper->getTime(), paused);
    backend.window.focused = true;
    frame();
    EXPECT_EQ(engine->mode, Zub::MODE_RUNNING);
    EXPECT_EQ(probe.modes, (std::vector<int>{2, 3}));
    EXPECT_LT(engine->currentTime - paused, 0.02);  // the paused 30 ms are not game time
}

TEST_F(EngineRig, InputReachesTheFocusManagerThroughTheFrame) {
    struct Button : ZubBase {
        bool isMouseInside() override { return true; }
        bool onEvent(ZubEvent& ev) override {
            if (ev.code == EVENT_CLICK) ++clicks;
            return true;
        }
        int clicks = 0;
    };
    auto* button = new Button;
    screen->addChild(button);
    backend.next.mouseButtons[0] = true;
    frame();
    EXPECT_EQ(engine->focusManager->getFocus(), button);
    EXPECT_EQ(button->clicks, 1);
}

TEST_F(EngineRig, ConsoleLinesAreDrawnOverTheFrame) {
    frame();
    const int before = device().drawCount;
    engine->console->print(u"New Connect attempt from %s", u"127.0.0.1:23006");
    engine->console->print(u"Done.");
    frame();
    ASSERT_EQ(device().drawCount - before, 2);  // one textured draw per line, shadow included
    const auto& last = device().draws.back();
    EXPECT_NE(last.texture, 0u);
    EXPECT_EQ(last.count, 12);
}

TEST_F(EngineRig, PresentationChangesReachTheWindow) {
    ASSERT_TRUE(backend.vsync);
    engine->graphics->changePresentationParameters(-1, -1, false, true, true, false);
    EXPECT_FALSE(backend.vsync);
    engine->graphics->changePresentationParameters(800, 600, false, true, true, true);
    EXPECT_TRUE(backend.vsync);
    EXPECT_EQ(backend.window.width, 800);
}

TEST_F(EngineRig, SettingsAreSavedOnTheWayDown) {
    engine->settings->setDefaultLanguage(1);
    engine.reset();
    Settings reread;
    reread.load();
    EXPECT_EQ(reread.getDefaultLanguage(), 1);
}

}  // namespace
