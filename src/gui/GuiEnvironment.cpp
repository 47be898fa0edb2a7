#include "gui/GuiEnvironment.h"

#include "audio/Sound.h"
#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "gfx/RenderCounters.h"
#include "gui/ContextMessageBox.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "object/ResourceLookup.h"
#include "object/ResourceManager.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "text/FontQuad.h"

namespace gui {

namespace {

Environment theEnvironment;

// The YES/NO box of an Escape on a screen that asks first: YES closes the
// screen that asked (when it is still there).
class EscapeConfirmBox : public ContextMessageBox {
public:
    explicit EscapeConfirmBox(Context* asker) : askerRef(this) {
        askerRef.set(asker);
        title = gui::text(SID_CONFIRM);
        button1Caption = gui::text(SID_YES);
        button2Caption = gui::text(SID_NO);
        result = &answer;
        build();
    }
    void tickContents(double time, double dt) override {
        ContextMessageBox::tickContents(time, dt);
        if (answer == 0) {
            answer = -1;
            if (auto* asker = static_cast<Context*>(askerRef.get())) asker->done = 1;
        }
    }

private:
    ZubBaseReference askerRef;
    int32_t answer = -1;
};

void confirmClose(Context* c) {
    if (ContextManager* stack = screenStack(c)) stack->pushContext(new EscapeConfirmBox(c));
    else c->done = 1;
}

bool isFirePressed() {
    const GameConfiguration* config = theEnvironment.configuration;
    ZubInput* in = ZubInput::active();
    if (!config || !in) return false;
    const ControlBinding& fire = config->controls[GameConfiguration::CONTROL_JUMP];
    return in->wasKeyPressed(fire.key) || in->wasKeyPressed(fire.alternative);
}

}  // namespace

Environment& environment() { return theEnvironment; }

void installEngineHooks() {
    Context::environment.confirmClose = &confirmClose;
    Context::environment.isCloseInputPressed = &isFirePressed;
}

void removeEngineHooks() {
    if (Context::environment.confirmClose == &confirmClose) Context::environment.confirmClose = nullptr;
    if (Context::environment.isCloseInputPressed == &isFirePressed) Context::environment.isCloseInputPressed = nullptr;
}

Language* language() {
    if (theEnvironment.language) return theEnvironment.language;
    return ZUB ? ZUB->language : nullptr;
}

const char16_t* text(int32_t id) {
    const Language* l = language();
    return l ? l->getText(id) : u"";
}

bool rightToLeft() {
    const Language* l = language();
    return l && l->bRightToLeft == 1;
}

FontQuad* font(std::u16string_view name) { return findResource<FontQuad>(name); }

void playSound(std::u16string_view name) { findResource<Sound>(name)->play(); }

void playSoundAtFrequency(std::u16string_view name, float factor) {
    findResource<Sound>(name)->playAtFrequency(factor);
}

ContextManager* screenStack(ZubBase* from) {
    if (theEnvironment.contextManager) return theEnvironment.contextManager;
    for (ZubBase* o = from; o; o = o->parent)
        if (auto* stack = zub_cast<ContextManager>(o)) return stack;
    return nullptr;
}

Context* topContext(ZubBase* from) {
    ContextManager* stack = screenStack(from);
    return stack ? stack->getTop() : nullptr;
}

void applyConfiguration() {
    if (theEnvironment.applyConfiguration) theEnvironment.applyConfiguration();
}

void saveUserData() {
    if (theEnvironment.saveUserData) theEnvironment.saveUserData();
}

int32_t frameCounter() { return renderCounters.frameNumber; }

bool isDebugLocked() { return !ZUB || ZUB->bDebugLocked != 0; }

}  // namespace gui
