#pragma once
// The menu harness with player profiles kept in its temporary user folder
// (saved there when the rig ends, removed with the folder).
#include <memory>

#include "MenuHarness.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuItemCharKey.h"
#include "records/ProfileManager.h"

namespace playerstest {

struct PlayersRig {
    menutest::MenuHarness h;
    std::unique_ptr<ProfileManager> profiles = std::make_unique<ProfileManager>();

    explicit PlayersRig(std::initializer_list<const char16_t*> names = {}) {
        for (const char16_t* n : names) profiles->addProfile(n);
        profiles->current = 0;
        gui::environment().profiles = profiles.get();
    }

    std::vector<WString> names() const {
        std::vector<WString> out;
        for (int i = 0; i < profiles->countProfiles(); ++i) out.push_back(profiles->getProfileName(i));
        return out;
    }

    // A touch tap at an item's anchor: down for a frame, then up.
    void tap(CursorTarget* item) {
        const V3 at = item->cursorAnchor(0);
        h.touchDown(1, at.x, at.y);
        h.step();
        h.touchUp(1);
        h.step();
    }
};

// The on-screen key of a character on a page, or null.
inline MenuItemCharKey* keyOf(ZubBase* page, char16_t c) {
    for (MenuItemCharKey* k : childrenOf<MenuItemCharKey>(page))
        if (k->character == c) return k;
    return nullptr;
}

}  // namespace playerstest
