// Tumbrodemo: program entry.
//
// The engine runs its window and frame loop; the game's own global object,
// resource loader and screens are not built yet, so the program shows one
// empty screen that Escape or the window's close button ends.
#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "engine/ZubMain.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "net/NetHost.h"
#include "object/RuntimeClass.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/Settings.h"

namespace {

class ShellApplication : public ZubApplication {
public:
    void initPreLoader() override {
        RuntimeClassManager& classes = RuntimeClassManager::getInstance();
        classes.buildClassArray();
        for (const WString& problem : classes.problems) Logger::get().log(u"%s(): %s", "main", problem);
        ZUB_ASSERT(!classes.bBadClasses);
        contextManager = new ContextManager;
        auto* screen = new Context;
        screen->clearColor = 0xFF3A6B35;
        screen->bDeleteWhenDone = 1;
        contextManager->pushContext(screen);
    }
    ~ShellApplication() override { deleteObject(contextManager); }
};

}  // namespace

int main(int argc, char** argv) {
    ApplicationHooks hooks;
    hooks.createApplication = [](Zub&) -> ZubApplication* { return new ShellApplication; };
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
    return runZub(parseRunOptions(argc, argv), hooks);
}
