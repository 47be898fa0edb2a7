#include "menu/PlayerGreeting.h"

#include <algorithm>

#include "engine/ContextManager.h"
#include "gfx/Context.h"
#include "gui/GuiEnvironment.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "lang/StringIds.h"
#include "menu/ContextEnterName.h"
#include "menu/ContextPlayers.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/ErrorManager.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "util/Format.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(PlayerGreeting, Renderable, u"PlayerGreeting")

namespace {

// The least width of the band that counts as pointing at the greeting,
// around x = 0.
constexpr float kHalfWidth = 100.0f;

// How far a line reaches to either side of x = 0 as its font lays it out
// (centred), and at least half the band's least width.
float halfWidthOf(const FadingText& line) {
    if (!line.font) return kHalfWidth;
    return std::max(kHalfWidth, line.font->measureText(line.text, line.flags).width * 0.5f);
}

}  // namespace

PlayerGreeting::PlayerGreeting() {
    ZUB_ASSERT(gui::environment().profiles != nullptr);
    helloText = new FadingText(0.0f, 35.0f, 0.0f, u"", gui::font(u"fontMedium"), 0x00000000u);
    helloText->flags |= FontQuad::TEXT_SYSTEM_FONT;  // names may hold any character
    helloText->bShadow = 0;
    addChild(helloText);
    hintText = new FadingText(0.0f, 5.0f, 0.0f, u"", gui::font(u"fontSmall"), 0xFFFF80FFu);
    hintText->bShadow = 0;
    addChild(hintText);
    updateHintLine();
}

PlayerGreeting::~PlayerGreeting() = default;

void PlayerGreeting::updateHintLine() {
    const bool touch = isTouchInput();
    hintText->text = gui::text(touch ? SID_IOS_CLICKTOCHANGEPLAYERS : SID_CLICKTOCHANGEPLAYERS);
}

void PlayerGreeting::onInputModeChange(int) { updateHintLine(); }

void PlayerGreeting::tick(double time, double dt) {
    ProfileManager* profiles = gui::environment().profiles;
    profiles->currentProfile();  // brings the current index into range
    const WString name = profiles->getProfileName(profiles->current);
    formatStringInto(helloText->text, gui::text(SID_HELLO), name);

    Renderable::tick(time, dt);

    bHovered = 0;
    if (const Context* c = Context::environment.current) bHovered = isPointedAt(c->mousePosition) ? 1 : 0;
    helloText->color = bHovered ? 0xFFFFFFFFu : 0xFFFCB7FAu;

    ContextManager* stack = gui::screenStack(this);
    const ZubInput* in = ZubInput::active();
    if (bHovered && in && in->wasAnyPointerPressed() && stack) stack->pushContext(new ContextPlayers);

    GameConfiguration* config = gui::environment().configuration;
    if (name.empty()) {
        if (config) config->noPlayerYet = 1;
        if (stack) stack->pushContext(new ContextEnterName(false));
    } else if (config) {
        config->noPlayerYet = 0;
    }
}

bool PlayerGreeting::isPointedAt(const V3& m) const {
    // Both lines hang from their y, one font line high (the hint's font
    // grows with the resolution scale in a small window): the upper line's
    // rows reach down to the hint line, the hint line's to its bottom.
    const float helloTop = helloText->position.y, hintTop = hintText->position.y;
    const float hintBottom =
        hintTop - (hintText->font ? hintText->font->measureText(hintText->text, hintText->flags).height : 0.0f);
    if (m.y > helloTop || m.y <= hintBottom) return false;
    const float half = halfWidthOf(m.y > hintTop ? *helloText : *hintText);
    return m.x >= -half && m.x < half;
}

V3 PlayerGreeting::cursorAnchor(int index) {
    if (index != 0) return noAnchor();
    const int halfLine = helloText->font ? helloText->font->height / 2 : 0;
    const V3 p = helloText->position - V3(0.0f, static_cast<float>(halfLine), 0.0f);
    return findContext(this)->camera->worldToScreen(p);
}
