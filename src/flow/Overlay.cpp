#include "flow/Overlay.h"

#include "flow/FlowClassIds.h"
#include "flow/GameController.h"
#include "flow/GameServices.h"
#include "flow/MyRootObject.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "net/NetRole.h"
#include "records/GameConfiguration.h"
#include "util/Format.h"
#include "util/KeyCodes.h"

ZUB_IMPLEMENT_CLASS(Overlay, ContextMenu, flow_ids::Overlay)

Overlay::Maker Overlay::makers[KIND_COUNT] = {};

Overlay* Overlay::make(Kind kind) {
    if (kind < 0 || kind >= KIND_COUNT || !makers[kind]) return nullptr;
    return makers[kind]();
}

Overlay::Overlay() = default;

Overlay::~Overlay() {
    if (ZubInput* in = ZubInput::active()) in->disownPointers();
}

WString Overlay::continuePrompt(int keyCode) {
    const Language& language = gameLanguage();
    if (isTouchInput()) return language.getText(SID_IOS_PRESSXKEYTOCONTINUE);
    return formatString(language.getText(SID_PRESSXKEYTOCONTINUE), gameKeyName(keyCode));
}

void Overlay::dismissOnBinding(int control) {
    GameServices* services = GameServices::installed();
    if (!services) return;
    const ControlBinding& binding = services->configuration().controls[control];
    dismissCode1 = binding.key;
    dismissCode2 = binding.alternative;
}

void Overlay::tickContents(double time, double dt) {
    ContextMenu::tickContents(time, dt);

    // The overlay lies over the level: a press that none of its items took
    // is its own, not the level's beneath (the focus manager leaves a taken
    // press alone).
    if (ZubInput* in = ZubInput::active(); in && in->wasPointerPressed(0) && !in->getPointerOwner(0))
        in->setPointerOwner(this);

    if (const ZubInput* in = ZubInput::active()) {
        bool request =
            in->wasKeyPressed(input_codes::KEY_ESCAPE) || (dismissCode1 && in->wasKeyPressed(dismissCode1)) ||
            (dismissCode2 && in->wasKeyPressed(dismissCode2)) || (bDismissOnPointerPress && in->wasAnyPointerPressed());
        if (!request && timeInState > dismissGuardTime) {
            if (GameServices* s = GameServices::installed()) {
                const ControlBinding& fire = s->configuration().controls[GameConfiguration::CONTROL_JUMP];
                request = in->wasKeyPressed(fire.key) || in->wasKeyPressed(fire.alternative);
            }
        }
        if (request) bDismissRequested = 1;
    }

    // Decisions land on the role's network steps.
    if (!THEROLE || !THEROLE->bStepped) return;
    if (timeInState > dismissGuardTime) {
        if (done || bDismissRequested) bFinished = 1;
    } else {
        bDismissRequested = 0;
        done = 0;
    }
}

void Overlay::renderFrozenLevel() {
    MyRootObject* root = MyRootObject::current();
    if (!root || !root->gameController) return;
    root->gameController->renderContext();
    // The level leaves its game camera applied.
    camera->apply();
}
