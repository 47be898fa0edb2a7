#include "menu/PlayerRowAnchors.h"

#include "gfx/Context.h"
#include "gui/GuiEnvironment.h"
#include "records/ProfileManager.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PlayerRowAnchors, Renderable, u"PlayerRowAnchors")

PlayerRowAnchors::PlayerRowAnchors() = default;

PlayerRowAnchors::~PlayerRowAnchors() = default;

V3 PlayerRowAnchors::cursorAnchor(int index) {
    const ProfileManager* profiles = gui::environment().profiles;
    if (!profiles || index < 0 || index >= profiles->countProfiles()) return noAnchor();
    return findContext(this)->camera->worldToScreen(V3(-150.0f, 135.0f - 30.0f * static_cast<float>(index), 0.0f));
}
