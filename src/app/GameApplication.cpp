#include "app/GameApplication.h"

#include "app/Global.h"
#include "engine/Zub.h"
#include "gui/ContextMenu.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "net/NetHost.h"
#include "net/NetRole.h"
#include "sys/Settings.h"
#include "text/FontQuad.h"

namespace {

// A line of the network statistics overlay: white with a dark edge below
// and right of it (readable over the sky and the ground alike), its top
// left corner at the point, in the font the game's server hands the overlay.
void drawStatisticsLine(ZubBase* font, float x, float y, float z, std::u16string_view text) {
    auto* f = zub_cast<FontQuad>(font);
    if (!f) return;
    f->drawText(x + 1.0f, y - 1.0f, z, 0xFF000000u, FontQuad::TEXT_PLAIN, text);
    f->drawText(x, y, z, 0xFFFFFFFFu, FontQuad::TEXT_PLAIN, text);
}

}  // namespace

ApplicationHooks gameApplicationHooks(std::vector<std::string> arguments) {
    ApplicationHooks hooks;
    hooks.createApplication = [arguments](Zub&) -> ZubApplication* {
        NetRole::statsTextDrawer = drawStatisticsLine;
        return new GameGlobal(arguments);
    };
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
