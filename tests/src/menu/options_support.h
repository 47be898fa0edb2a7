#pragma once
// The menu harness as the options pages see it in the game: the engine
// settings of the language button, key names filled by the language into
// the input layer's table, and configuration pushes that reach the engine
// (GameConfiguration::applyToEngine with the current size) besides being
// counted.
#include <string>
#include <vector>

#include "MenuHarness.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "menu/ContextOptions.h"
#include "sys/Paths.h"
#include "sys/Settings.h"

namespace optionstest {

// The children of a page of one kind, in order.
template <class T>
std::vector<T*> itemsOf(ZubBase* page) {
    std::vector<T*> out;
    for (T* t : childrenOf<T>(page)) out.push_back(t);
    return out;
}
template <class T>
T* firstItemOf(ZubBase* page) {
    for (T* t : childrenOf<T>(page)) return t;
    return nullptr;
}

struct OptionsRig {
    menutest::MenuHarness h;
    Settings settings;  // in memory only

    explicit OptionsRig(int32_t language = Language::ENGLISH) {
        h.language.setKeyNameTable(h.input->keyNames);
        h.language.setLanguage(language);
        gui::environment().applyConfiguration = [this] {
            ++h.configurationPushes;
            h.configuration->applyToEngine(-1, -1);
        };
    }

    // Opens the options menu and lets it become the top screen.
    ContextOptions* openOptions() {
        auto* options = h.push(new ContextOptions(&settings));
        h.step();
        return options;
    }
    // Clicks a button and lets the page it opens become the top screen.
    template <class Page>
    Page* open(CursorTarget* button) {
        h.click(button);
        h.step();
        return h.topAs<Page>();
    }
    // The configuration file as saved in the harness's user folder.
    std::string savedFile() const { return getUserDataFolder() + "Tumbrodemo.hst"; }
};

}  // namespace optionstest
