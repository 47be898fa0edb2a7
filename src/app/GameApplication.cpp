#include "app/GameApplication.h"

#include "app/Global.h"
#include "engine/Zub.h"
#include "gui/ContextMenu.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "net/NetHost.h"
#include "sys/Settings.h"

ApplicationHooks gameApplicationHooks(std::vector<std::string> arguments) {
    ApplicationHooks hooks;
    hooks.createApplication = [arguments](Zub&) -> ZubApplication* { return new GameGlobal(arguments); };
    hooks.createLanguage = [](Zub& engine) -> Language* {
        auto* language = new Language;
        language->setLanguageMask(engine.settings->languageMask);
        language->setKeyNameTable(engine.input->keyNames);
        // The handshake's refusal texts come from the current language.
        NetHost::textSource = [language](int id) { return WString(language->getText(id)); };
        return language;
    };
    hooks.destroyLanguage = [](Language* language) {
        NetHost::textSource = nullptr;
        delete language;
    };
    // Everything else the game keeps from run to run is the program's own
    // (the menus' navigation mode and reading order, hooks installed once)
    // or is cleared by the object it names as that object goes.
    hooks.afterRun = [] { ContextMenu::forgetEngineRun(); };
    return hooks;
}

int runGame(const RunOptions& options) { return runZub(options, gameApplicationHooks(options.arguments)); }
