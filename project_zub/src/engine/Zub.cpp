#include "engine/Zub.h"

#include "audio/ZubAudio.h"
#include "engine/ConsoleView.h"
#include "engine/FocusManager.h"
#include "gfx/Context.h"
#include "gfx/RenderCounters.h"
#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "net/NetRole.h"
#include "net/ZubNetwork.h"
#include "object/ResourceManager.h"
#include "platform/CrashHandler.h"
#include "platform/RenderDevice.h"
#include "sys/Console.h"
#include "sys/CrashFiles.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "sys/HttpRequest.h"
#include "sys/Logger.h"
#include "sys/Paths.h"
#include "sys/Settings.h"
#include "sys/SystemInfo.h"
#include "text/FontQuad.h"
#include "text/SystemFont.h"

Zub* ZUB = nullptr;

const char16_t* const Zub::DEBUG_ACCESS_CODE = u"zub-developer";

namespace {
void starting(const char* service) { Logger::get().log(u"%s(): %s", service, u"Starting..."); }
void started(const char* service) { Logger::get().log(u"%s(): %s", service, u"Started."); }
void stopping(const char* service) { Logger::get().log(u"%s(): %s", service, u"Stopping..."); }
}  // namespace

Zub::Zub(platform::Backend& b, const ApplicationHooks& h) : backend(b), hooks(h) {
    ZUB = this;
    EngineFrame::install(this);
    // The program's entry starts the log of the run; an engine made on its
    // own (tools, tests) opens the log itself.
    if (!Logger::get().isOpen()) bOwnsLog = Logger::get().openFile(getUserDataFolder() + "Tumbrodemo.log");
    starting("Logger::Logger");
    started("Logger::Logger");
    logSystemInformation();

    starting("ErrorManager::ErrorManager");
    started("ErrorManager::ErrorManager");

    starting("TimeKeeper::TimeKeeper");
    timeKeeper = std::make_unique<TimeKeeper>();
    TimeKeeper::setActive(timeKeeper.get());
    started("TimeKeeper::TimeKeeper");

    starting("FileManager::FileManager");
    fileManager = std::make_unique<FileManager>();
    started("FileManager::FileManager");

    starting("Settings::load");
    settings = std::make_unique<Settings>();
    settings->load();
    fileManager->hq2x = settings->hq2x;
    fileManager->bEnableDelayedLoad = settings->bEnableDelayedLoad;
    bDebugLocked = settings->getDebugCode() == DEBUG_ACCESS_CODE ? 0 : 1;
    debugLevel = bDebugLocked ? 0 : settings->getDebugLevel();
    Context::environment.bDebugKeys = !bDebugLocked;
    // The web server of the requests and pages of the game; while none is
    // set they go to the maker's (HttpRequest::webServerHost).
    HttpRequest::webHost = settings->readUserString(u"Network", u"webHost", u"");
    started("Settings::load");

    starting("ResourceManager::ResourceManager");
    resourceManager = std::make_unique<ResourceManager>();
    started("ResourceManager::ResourceManager");

    starting("FocusManager::FocusManager");
    focusManager = std::make_unique<FocusManager>();
    started("FocusManager::FocusManager");

    starting("ZubInput::ZubInput");
    input = std::make_unique<ZubInput>();
    input->setBackend(&backend);
    started("ZubInput::ZubInput");

    starting("ZubGraphics::ZubGraphics");
    graphics = std::make_unique<ZubGraphics>();
    graphics->setBackend(&backend);
    {
        std::string error;
        if (!graphics->setDevice(backend.createRenderDevice(), error))
            ZUB_ERROR(u"Could not start the graphics device: %s", error);
    }
    ZubGraphics::setCrashScreenshotPath(CrashFiles::path(CrashFiles::kScreenshot));
    started("ZubGraphics::ZubGraphics");

    starting("ZubAudio::ZubAudio");
    audio = std::make_unique<ZubAudio>(settings.get());
    audio->init();  // without a device the game runs silent (logged)
    started("ZubAudio::ZubAudio");

    starting("SystemFont::SystemFont");
    systemFont = std::make_unique<SystemFont>(u"Arial", getUserDataFolder() + "Tumbrodemo.fonts");
    started("SystemFont::SystemFont");

    starting("Console::Console");
    console = std::make_unique<Console>();
    consoleView = std::make_unique<ConsoleView>();
    started("Console::Console");

    network = std::make_unique<ZubNetwork>(settings.get());  // logs its own start
    started("ZubNetwork::ZubNetwork");

    if (hooks.createLanguage) {
        starting("Language::Language");
        language = hooks.createLanguage(*this);
        started("Language::Language");
    }

    starting("ZubTimer::ZubTimer");
    timer.restart(TimeKeeper::getPhysicalTime() - timeKeeper->startTime);
    started("ZubTimer::ZubTimer");
}

Zub::~Zub() {
    Logger::get().log(u"%s(): %s", "Zub::~Zub", u"Shutting down.");
    saveSettings();
    if (language) {
        stopping("Language::~Language");
        if (hooks.destroyLanguage) hooks.destroyLanguage(language);
        language = nullptr;
    }
    stopping("ZubNetwork::~ZubNetwork");
    network.reset();
    stopping("Console::~Console");
    consoleView.reset();
    console.reset();
    stopping("SystemFont::~SystemFont");
    systemFont.reset();
    stopping("ZubAudio::~ZubAudio");
    audio.reset();
    stopping("ZubGraphics::~ZubGraphics");
    ZubGraphics::setCrashScreenshotPath("");
    graphics.reset();
    stopping("ZubInput::~ZubInput");
    input.reset();
    stopping("FocusManager::~FocusManager");
    focusManager.reset();
    stopping("ResourceManager::~ResourceManager");
    resourceManager.reset();
    stopping("Settings::~Settings");
    settings.reset();
    stopping("FileManager::~FileManager");
    fileManager.reset();
    stopping("TimeKeeper::~TimeKeeper");
    TimeKeeper::setActive(nullptr);
    timeKeeper.reset();

    // Whatever is still alive now was leaked by its owner: name it.
    int alive = 0;
    ZubBase::forEachLive([&alive](ZubBase* o) {
        if (alive++ < 100)
            Logger::get().log(u"%s(): still alive: %s (%s)", "Zub::~Zub", o->getClass()->getName(),
                              o->getClass()->getTypeName());
    });
    Logger::get().log(u"%s(): %d objects still alive", "Zub::~Zub", alive);
    stopping("Logger::~Logger");
    if (bOwnsLog) Logger::get().closeFile();
    if (ZUB == this) ZUB = nullptr;
    if (EngineFrame::installed() == this) EngineFrame::install(nullptr);
}

void Zub::saveSettings() {
    // The window's state, in which the next start opens it.
    if (settings && graphics) {
        Settings::WindowChoice window;
        window.bFullScreen = graphics->bFullScreen;
        window.width = graphics->width;
        window.height = graphics->height;
        settings->setWindowChoice(window);
    }
    if (settings && !settings->save())
        Logger::get().log(u"%s(): %s", "Zub::saveSettings", u"the user settings file could not be written");
}

void Zub::updateMode(bool focused) {
    // Running (3) and paused (2) follow the window's focus; the device never
    // gets lost on this platform, so frozen (1) is never entered.
    const int target = focused ? MODE_RUNNING : MODE_PAUSED;
    if (mode == target) return;
    mode += target > mode ? 1 : -1;
    if (mode == MODE_PAUSED) timeKeeper->pause();
    else timeKeeper->resume();
    const int m = mode;
    ZubBase::forEachLive([m](ZubBase* o) { o->onZUBmodeChange(m); });
    Logger::get().log(u"%s(): mode %d", "Zub::updateMode", mode);
}

void Zub::showSystemCursor(bool visible) {
    if (systemCursorShown == (visible ? 1 : 0)) return;
    systemCursorShown = visible ? 1 : 0;
    backend.showCursor(visible);
}

void Zub::frame(const platform::InputSnapshot& snapshot, const platform::WindowState& window, bool waitForNext) {
    bWindowFocused = window.focused ? 1 : 0;
    updateMode(window.focused && !window.minimized);

    if (window.width > 0 && window.height > 0 &&
        (window.width != lastWindowWidth || window.height != lastWindowHeight)) {
        lastWindowWidth = window.width;
        lastWindowHeight = window.height;
        graphics->onWindowSize(window.width, window.height);
        FontQuad::presentationChanged();
    }

    renderCounters.frameNumber = frameCounter;
    if (mode == MODE_RUNNING) {
        ++frameCounter;
        renderCounters.frameNumber = frameCounter;
        previousFrameTime = currentTime;
        timeKeeper->advanceFrame();
        currentTime = timeKeeper->getTime();
        const double interval = currentTime - previousFrameTime;
        ZubInput::Viewport vp;
        vp.x = static_cast<float>(graphics->viewport.x);
        vp.y = static_cast<float>(graphics->viewport.y);
        vp.width = static_cast<float>(graphics->viewport.width);
        vp.height = static_cast<float>(graphics->viewport.height);
        input->setViewport(vp);
        input->update(snapshot);
        audio->update();
        if (rootContext) rootContext->tick(currentTime, interval);
        focusManager->update(rootContext, *input);
        // Calls made by objects outside a role's own tick go nowhere else.
        THEROLE = nullptr;
        console->tick(TimeKeeper::getPhysicalTime());
    }
    // While the window has the focus the game draws its own pointer over its
    // picture (or, on a screen that shows none, wants none): the system's
    // cursor would stand over it. Over the bars beside the picture the game
    // draws nothing, and without the focus no pointer at all: there the
    // system's cursor shows where the mouse is.
    showSystemCursor(!window.focused || !input->isMouseOverPicture());

    graphics->beginFrame();
    if (rootContext) rootContext->renderContext();
    consoleView->render(*console, systemFont.get(), *graphics);
    graphics->present();

    // On a clock of fixed steps frames follow one another at once.
    if (waitForNext && timeKeeper->fixedStep() <= 0) timer.wait(*timeKeeper);
}
