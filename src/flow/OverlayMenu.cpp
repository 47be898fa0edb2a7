#include "flow/OverlayMenu.h"

#include "engine/ContextManager.h"
#include "flow/FlowClassIds.h"
#include "flow/GameServices.h"
#include "gui/GameSquare.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuButton.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "net/NetRole.h"
#include "records/GameConfiguration.h"

ZUB_IMPLEMENT_CLASS(OverlayMenu, Overlay, flow_ids::OverlayMenu)

namespace {

// The pause menu is the overlay of its kind.
[[maybe_unused]] const bool registered = (
    Overlay::makers[Overlay::PAUSE_MENU] = []() -> Overlay* { return new OverlayMenu; }, true);

// Reads and clears a button's click.
bool takeClick(MenuButton* b) {
    if (!b || !b->bClicked) return false;
    b->bClicked = 0;
    return true;
}

void setOutcome(int32_t outcome) {
    if (THEROLE) THEROLE->outcome = outcome;
}

}  // namespace

OverlayMenu::OverlayMenu() {
    const Language& language = gameLanguage();
    addChild(new GameSquare(0.0f, 0.0f, 0.0f, 384.0f, 384.0f, false, language.getText(SID_PAUSED)));
    pResume = addButton(language.getText(SID_RESUME), language.getText(SID_RESUMEHINT), V3(0.0f, 100.0f, 0.0f));
    pRestart = addButton(language.getText(SID_RESTART), language.getText(SID_RESTARTHINT), V3(0.0f, 25.0f, 0.0f));
    pRestart->question = language.getText(SID_CONFIRM);
    pQuit = addButton(language.getText(SID_QUITGAME), language.getText(SID_QUITGAMEHINT), V3(0.0f, -25.0f, 0.0f));
    pQuit->question = language.getText(SID_CONFIRM);
    pOptions = addButton(language.getText(SID_OPTIONSDOTS), u"", V3(0.0f, -100.0f, 0.0f));
}

OverlayMenu::~OverlayMenu() = default;

void OverlayMenu::tickContents(double time, double dt) {
    Overlay::tickContents(time, dt);

    if (takeClick(pResume)) done = 1;
    if (takeClick(pRestart)) setOutcome(OUTCOME_RESTART);
    if (takeClick(pQuit)) {
        setOutcome(OUTCOME_QUIT);
    } else if (pQuit->bHovered) {
        // The jump binding on the highlighted End ends the level unasked.
        const ZubInput* in = ZubInput::active();
        GameServices* services = GameServices::installed();
        if (in && services) {
            const ControlBinding& jump = services->configuration().controls[GameConfiguration::CONTROL_JUMP];
            if (in->wasKeyPressed(jump.key) || in->wasKeyPressed(jump.alternative)) setOutcome(OUTCOME_QUIT);
        }
    }
    if (takeClick(pOptions)) GameServices::get().openOptionsMenu();
}

void OverlayMenu::renderContents() {
    renderFrozenLevel();
    ContextMenu::renderContents();
    // The level's screen draws no pointer: the menu draws it above itself.
    if (ContextManager* stack = gui::screenStack(this))
        if (stack->pointerContext) stack->pointerContext->renderContext();
}
