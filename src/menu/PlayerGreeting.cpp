#include "menu/PlayerGreeting.h"

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

// The band that counts as pointing at the greeting: 200 wide around x = 0,
// 36 high below the upper line's centre.
constexpr float kHalfWidth = 100.0f;
constexpr float kBandHeight = 36.0f;

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
    if (const Context* c = Context::environment.current) {
        const V3& m = c->mousePosition;
        const float top = helloText->position.y;
        bHovered = m.x >= -kHalfWidth && m.x < kHalfWidth && m.y > top - kBandHeight && m.y <= top;
    }
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

V3 PlayerGreeting::cursorAnchor(int index) {
    if (index != 0) return noAnchor();
    const int halfLine = helloText->font ? helloText->font->height / 2 : 0;
    const V3 p = helloText->position - V3(0.0f, static_cast<float>(halfLine), 0.0f);
    return findContext(this)->camera->worldToScreen(p);
}
