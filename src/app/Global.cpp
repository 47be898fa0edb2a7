#include "app/Global.h"

#include <algorithm>

#include "app/CrashReport.h"
#include "app/Loader.h"
#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "flow/ContextLevelManager.h"
#include "flow/GameServices.h"
#include "gfx/Texture.h"
#include "gui/GUIthemeMinimal.h"
#include "gui/GUIthemeStandard.h"
#include "gui/GuiEnvironment.h"
#include "gui/IntroScreen.h"
#include "gui/IrisTransition.h"
#include "gui/ScreenOverlays.h"
#include "menu/ContextCompanyLogo.h"
#include "menu/ContextIntroStory.h"
#include "menu/ContextOptions.h"
#include "menu/GameMainMenu.h"
#include "object/ResourceManager.h"
#include "object/RuntimeClass.h"
#include "records/AppInfo.h"
#include "sys/Console.h"
#include "sys/CrashFiles.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "sys/Logger.h"
#include "sys/NetAddress.h"
#include "sys/Paths.h"
#include "sys/TimeKeeper.h"
#include "util/Format.h"

Global* GLOBAL = nullptr;

namespace {

void log(const char* function, const WString& message) { Logger::get().log(u"%s(): %s", function, message); }

// What the game flow takes from the global object.
class GlobalServices final : public GameServices {
public:
    explicit GlobalServices(Global& g) : global(g) {}
    GameConfiguration& configuration() override { return global.config; }
    ProfileManager& profiles() override { return global.profiles; }
    void saveUserData() override { global.saveUserData(); }
    void setTransition(float level, float target) override {
        IrisTransition* iris = gui::iris(global.contextManager);
        if (!iris) return;
        if (level >= 0.0f) iris->closure = level;
        iris->targetClosure = target;
    }
    bool editLevels() const override { return global.hasSwitch("-edit"); }
    bool openOptionsMenu() override {
        if (!global.contextManager) return false;
        auto* options = new ContextOptions;
        options->done = 0;
        global.contextManager->pushContext(options);
        return true;
    }

private:
    Global& global;
};

// A level name of the developer switch: letters, digits, '-' and '_' only,
// so that it names a file of the level folder and nothing else.
bool isPlainName(std::string_view name) {
    return !name.empty() && name.size() <= 32 && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

}  // namespace

Global::Global(std::vector<std::string> args) : arguments(std::move(args)) {
    GLOBAL = this;
    gui::Environment& env = gui::environment();
    env = gui::Environment{};
    env.pendingUrl = &pendingUrl;
    env.configuration = &config;
    env.profiles = &profiles;
    env.applyConfiguration = [this] { config.applyToEngine(-1, -1); };
    env.saveUserData = [this] { saveUserData(); };
    gui::installEngineHooks();
    services = std::make_unique<GlobalServices>(*this);
    previousServices = GameServices::install(services.get());
}

Global::~Global() {
    if (GameServices::installed() == services.get()) GameServices::install(previousServices);
    services.reset();
    gui::removeEngineHooks();
    gui::environment() = gui::Environment{};
    // The screens first: they draw over the intro screen, with the themes
    // and the fonts; the resources last.
    deleteObject(contextManager);
    contextManager = nullptr;
    deleteObject(introScreen);
    introScreen = nullptr;
    deleteObject(emptyContext);
    emptyContext = nullptr;
    delete guiThemeStandard;
    guiThemeStandard = nullptr;
    delete guiThemeMinimal;
    guiThemeMinimal = nullptr;
    fontTiny = fontSmall = fontSmallOutline = fontMedium = fontMediumOutline = fontLarge = nullptr;
    if (resources) {
        if (ResourceManager* rm = ResourceManager::active()) rm->clear();
        deleteObject(resources);
        resources = nullptr;
    }
    pendingUrl.clear();
    if (GLOBAL == this) GLOBAL = nullptr;
    // The profiles, then the configuration, save themselves as they go.
}

void Global::initPreLoader() {
    RuntimeClassManager* m = &RuntimeClassManager::getInstance();
    m->buildClassArray();
    for (const WString& problem : m->problems) log("Global::initPreLoader", problem);
    if (m->bBadClasses) ErrorManager::assertionFailed("!m->bBadClasses", "Global::initPreLoader", __FILE__, __LINE__);

    if (ZUB && !ZUB->bDebugLocked) {
        Console::printActive(u"sizeof(bool)=%d", static_cast<int>(sizeof(bool)));
        Console::printActive(u"sizeof(NetAddress)=%d", static_cast<int>(sizeof(NetAddress)));
        // The address layout records store is that of sockaddr_in.
        Console::printActive(u"sizeof(sockaddr_in)=%d", static_cast<int>(sizeof(NetAddress)));
        Console::printActive(u"sizeof(GameConfiguration)=%d", static_cast<int>(sizeof(GameConfiguration)));
        Console::printActive(u"sizeof(HIGHSCOREENTRY)=%d", static_cast<int>(sizeof(HIGHSCOREENTRY)));
        Console::printActive(u"sizeof(ProfileData)=%d", static_cast<int>(sizeof(ProfileData)));
        // The profiles' record as saved (the manager holds it field by field).
        Console::printActive(u"sizeof(ProfileManager)=%d", static_cast<int>(ProfileManager::kRecordSize));
    }

    resources = new ZubBase;

    // The game reads its data from the archives when the data archive lies
    // beside the program, else from the loose files there.
    FileManager* fm = FileManager::active();
    ZUB_ASSERT(fm != NULL);
    const WString archive = userDataFilePath();
    if (!fm->bCreateWad) fm->bUseWad = fm->fileExistsOnDisk(archive);
    log("Global::initPreLoader", formatString(u"Reading the game's data from %s in '%s'.",
                                              fm->bCreateWad ? u"loose files (making archives)"
                                              : fm->bUseWad  ? u"the archives"
                                                             : u"loose files",
                                              escapeForLog(fm->baseFolder)));
    fm->useWad(archive);

    Loader::createResourcesBeforeLoader();

    contextManager = new ContextManager;
    gui::environment().contextManager = contextManager;
    gui::installScreenOverlays(*contextManager);
    // The options page's toggle shows or hides the figure at once.
    contextManager->showFrameRate = &config.showFrameRate;
    contextManager->pushContext(new Loader);
}

void Global::initPostLoader() {
    guiThemeStandard = new GUIthemeStandard;
    guiThemeMinimal = new GUIthemeMinimal;
    gui::environment().minimalTheme = guiThemeMinimal;
    introScreen = new IntroScreen;
    gui::environment().introScreen = introScreen;
    emptyContext = new Context;
    gui::environment().overlayContext = emptyContext;

    createStartContexts();

    const WString level = developerLevelFile();
    if (!level.empty()) {
        auto* manager = new ContextLevelManager(level);
        manager->bDeleteWhenDone = 1;
        contextManager->pushContext(manager);
    } else {
        contextManager->pushContext(new ContextIntroStory);
        contextManager->pushContext(new ContextCompanyLogo);
    }

    // A crash file under a name that is not the program's own file is never
    // sent: its name goes, so that it is not found again at every start.
    CrashFiles::removeRefused();
    if (crashFilesExist()) {
        log("Global::initPostLoader", u"The previous run left crash files.");
        contextManager->pushContext(new CrashReport);
    }

    const TimeKeeper* keeper = TimeKeeper::active();
    const double t = TimeKeeper::getPhysicalTime() - (keeper ? keeper->startTime : 0.0);
    log("Global::initPostLoader", formatString(u"Global initialization complete at t=%.3lf sec.", t));
}

void Global::saveUserData() {
    log("Global::saveUserData", u"Saving.");
    profiles.save();
    config.save();
    if (ZUB) ZUB->saveSettings();
}

WString Global::appFolderName() { return AppInfo::appFolderName; }

WString Global::userDataFileName() { return appFolderName() + u".dat"; }

WString Global::userDataFilePath() { return narrowToWide(getExecutableFolderPath()) + userDataFileName(); }

bool Global::crashFilesExist() { return CrashReport::filesExist(); }

bool Global::hasSwitch(std::string_view name) const {
    for (size_t i = 1; i < arguments.size(); ++i)
        if (arguments[i] == name) return true;
    return false;
}

std::string Global::switchValue(std::string_view name) const {
    for (size_t i = 1; i + 1 < arguments.size(); ++i)
        if (arguments[i] == name) return arguments[i + 1];
    return {};
}

WString Global::developerLevelFile() const {
    if (!ZUB || ZUB->bDebugLocked || !hasSwitch("-level")) return {};
    const std::string name = switchValue("-level");
    if (!isPlainName(name)) {
        log("Global::developerLevelFile", formatString(u"Ignoring the level name '%s'.", escapeForLog(name)));
        return {};
    }
    return u"./levels/" + narrowToWide(name) + u".lev";
}

GameGlobal::GameGlobal(std::vector<std::string> args) : Global(std::move(args)) {}

GameGlobal::~GameGlobal() = default;

void GameGlobal::createStartContexts() { contextManager->pushContext(new GameMainMenu); }
