#include "engine/ZubMain.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "gfx/ZubGraphics.h"
#include "platform/AtomicFile.h"
#include "platform/CrashHandler.h"
#include "platform/Platform.h"
#include "sys/CrashFiles.h"
#include "sys/ErrorManager.h"
#include "sys/HttpRequest.h"
#include "sys/Logger.h"
#include "sys/OpenUrl.h"
#include "sys/Paths.h"
#include "sys/Settings.h"
#include "sys/SingleInstance.h"

bool restartRequested = false;

namespace {

platform::Backend* errorBackend = nullptr;

struct Program {
    std::unique_ptr<Zub> engine;
    ZubApplication* app = nullptr;
};

// The engine, then the game's global object, then its first step. The
// graphics object starts in the window's state (full screen or not, the size
// asked for until the window tells the size it got), so that the game reads
// the state the window is in and applying a configuration that keeps the
// current size keeps the window as it is (an 800 x 600 window with "-safe").
void createZUB(Program& p, platform::Backend& backend, const ApplicationHooks& hooks,
               const platform::WindowSettings& window) {
    p.engine = std::make_unique<Zub>(backend, hooks);
    if (ZubGraphics* g = p.engine->graphics.get()) {
        g->width = window.width;
        g->height = window.height;
        g->bFullScreen = window.fullScreen;
        g->bVSync = window.vsync;
    }
    if (hooks.createApplication) p.app = hooks.createApplication(*p.engine);
    if (p.app) {
        p.app->initPreLoader();
        p.engine->rootContext = p.app->contextManager;
    }
}

// The window as the graphics object left it, for the next engine of a
// restart (the window stays open in between).
void keepWindowState(const Program& p, platform::WindowSettings& window) {
    if (!p.engine || !p.engine->graphics) return;
    const ZubGraphics& g = *p.engine->graphics;
    window.fullScreen = g.bFullScreen;
    window.width = g.width;
    window.height = g.height;
    window.vsync = g.bVSync;
}

// The game's global object first (it saves its data), then the engine;
// then the program forgets the run (ApplicationHooks::afterRun).
WString destroyZUB(Program& p, const ApplicationHooks& hooks) {
    WString url;
    const bool ran = p.app || p.engine;
    if (p.app) {
        url = p.app->pendingUrl;
        delete p.app;
        p.app = nullptr;
    }
    p.engine.reset();
    if (ran && hooks.afterRun) hooks.afterRun();
    return url;
}

// Why the program ends before it starts: on stderr and in the log.
void tellWhy(const WString& why) {
    Logger::get().log(u"%s(): %s", "runZub", why);
    std::fprintf(stderr, "%s\n", wideToNarrow(why).c_str());
    std::fflush(stderr);
}

}  // namespace

RunOptions parseRunOptions(int argc, char** argv) {
    RunOptions o;
    for (int i = 0; i < argc; ++i) {
        o.arguments.emplace_back(argv[i]);
        if (std::strcmp(argv[i], "-safe") == 0) o.bSafeMode = true;
    }
    if (const char* v = std::getenv("ZUB_ASSUME_FOCUSED")) o.bAssumeFocused = std::atoi(v) != 0;
    if (const char* v = std::getenv("ZUB_MAX_FRAMES")) o.maxFrames = std::atoi(v);
    if (const char* v = std::getenv("ZUB_ALLOW_SEVERAL_INSTANCES")) o.bAllowSeveralInstances = std::atoi(v) != 0;
    if (const char* v = std::getenv("ZUB_FIXED_STEP")) {
        const double step = std::atof(v);
        o.fixedFrameStep = step > 0.0 && step <= 1.0 ? step : 0.0;
    }
    return o;
}

int runZub(const RunOptions& options, const ApplicationHooks& hooks) {
    const std::string folder = getUserDataFolder();
    const std::string logPath = folder + "Tumbrodemo.log";
    // A file size limit makes a write that goes past it fail, as on a full
    // disk, instead of ending the program in the middle of a save.
    std::signal(SIGXFSZ, SIG_IGN);
    CrashHandler::install(kProductFolderName, logPath, CrashFiles::handlerTargets(folder));

    if (!options.bAllowSeveralInstances && !acquireSingleInstance()) {
        // The running instance owns the log: add the reason to it, no more.
        Logger::get().openFile(logPath);
        tellWhy(formatString(u"Tumbrodemo is already running ('%s' is locked); this start ends here.",
                             escapeForLog(folder + kSingleInstanceLockName)));
        Logger::get().closeFile();
        CrashHandler::uninstall();
        return 0;
    }
    Logger::get().startSession(logPath);
    // What saves cut short by an earlier run (killed, a power cut) left in
    // the data folder goes, now that no other run can be writing there.
    if (!options.bAllowSeveralInstances)
        for (const std::string& name : AtomicFile::removeLeftovers(folder))
            Logger::get().log(
                u"%s(): %s", "runZub",
                formatString(u"Removed '%s', left by a save that was cut short.", escapeForLog(folder + name)));

    std::unique_ptr<platform::Backend> backend =
        options.makeBackend ? options.makeBackend() : platform::createSdlBackend();
    // The window opens as the engine's settings keep it (the graphics object
    // puts its state there when the settings are saved); "-safe" gives an
    // 800 x 600 window whatever they say.
    platform::WindowSettings ws;
    ws.assumeFocused = options.bAssumeFocused;
    if (options.bSafeMode) {
        ws.fullScreen = false;
        ws.width = 800;
        ws.height = 600;
    } else {
        const Settings::WindowChoice saved = Settings::readWindowChoice();
        ws.fullScreen = saved.bFullScreen;
        ws.width = saved.width;
        ws.height = saved.height;
    }
    std::string error;
    bool opened = backend->openWindow(ws, error);
    if (!opened && ws.fullScreen) {
        // A display that cannot go full screen may still show a window.
        Logger::get().log(u"%s(): %s", "runZub",
                          formatString(u"Could not open the window in full screen (%s); trying a window.", error));
        ws.fullScreen = false;
        error.clear();
        opened = backend->openWindow(ws, error);
    }
    if (!opened) ZUB_ERROR(u"Could not open the window: %s", error);
    // The game starts once its window has the focus, which a window nobody
    // can see never gets: rather than wait for ever, say so and end.
    if (!ws.assumeFocused && !backend->canGetFocus()) {
        tellWhy(
            u"There is no display to show the window on, so it can never get the input focus. Start the "
            u"game on a desktop, or set ZUB_ASSUME_FOCUSED=1 to run it without a display.");
        backend.reset();
        CrashHandler::uninstall();
        Logger::get().closeFile();
        return 1;
    }
    errorBackend = backend.get();
    ErrorManager::hooks.showMessageBox = [](const WString& title, const WString& text) {
        if (!errorBackend) return;
        // The game draws no pointer over the box: the system's cursor points at its button.
        errorBackend->showCursor(true);
        errorBackend->showMessageBox(title, text);
    };

    Program program;
    WString pendingUrl;
    platform::InputSnapshot input;
    platform::WindowState window;
    int frames = 0;
    for (;;) {
        if (options.beforeFrame) options.beforeFrame(*backend, frames);
        backend->poll(input, window);
        if (window.closeRequested) break;
        if (!program.engine) {
            if (!window.focused) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                continue;
            }
            createZUB(program, *backend, hooks, ws);
            if (options.fixedFrameStep > 0.0) program.engine->timeKeeper->setFixedStep(options.fixedFrameStep);
        }
        // An automated run's last frame has no next frame to wait for.
        const bool last = options.maxFrames > 0 && frames + 1 >= options.maxFrames;
        program.engine->frame(input, window, !last);
        ++frames;
        if (program.app && program.app->contextManager && program.app->contextManager->bQuit) break;
        if (options.maxFrames > 0 && frames >= options.maxFrames) break;
        if (restartRequested) {
            restartRequested = false;
            Logger::get().log(u"%s(): %s", "runZub", u"Restarting the engine and the game.");
            keepWindowState(program, ws);
            destroyZUB(program, hooks);
        }
    }
    pendingUrl = destroyZUB(program, hooks);
    HttpRequest::shutdownAll();
    errorBackend = nullptr;
    ErrorManager::hooks.showMessageBox = nullptr;
    backend->closeWindow();
    backend.reset();
    if (!pendingUrl.empty()) openUrlAfterExit(pendingUrl);
    CrashHandler::uninstall();
    Logger::get().closeFile();
    return 0;
}
