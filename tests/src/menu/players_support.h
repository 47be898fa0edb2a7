#pragma once
// The menu harness with player profiles kept in its temporary user folder
// (saved there when the rig ends, removed with the folder).
#include <memory>

#include "MenuHarness.h"
#include "gui/GuiEnvironment.h"
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
    // Typed one character a frame, as the input layer hands them out.
    void type(std::u16string_view text) {
        h.type(text);
        h.step(static_cast<int>(text.size()));
    }
    // The reference-screen point of a page's world point.
    static V3 at(ContextMenu* page, float x, float y) { return page->worldToScreen(V3(x, y, 0.0f)); }
};

}  // namespace playerstest
