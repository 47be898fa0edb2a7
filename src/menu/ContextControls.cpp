#include "menu/ContextControls.h"

#include "engine/ContextManager.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuButton.h"
#include "lang/StringIds.h"
#include "menu/ContextControlBindings.h"
#include "menu/ContextKeyboard.h"
#include "menu/ContextTouchscreen.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextControls, ContextPage, u"ContextControls")

ContextControls::ContextControls() {
    setTitle(gui::text(SID_CONTROLS));
    const float s = static_cast<float>(itemSpacing);
    touchscreenItem = addButton(gui::text(SID_DEVICE_TOUCHSCREEN), u"", V3(0.0f, 2.0f * s, 0.0f));
    keyboardItem = addButton(gui::text(SID_DEVICE_KEYBOARD), u"", V3(0.0f, s, 0.0f));
    playerControlsItem = addButton(gui::text(SID_CONTROLS0), u"", V3(0.0f, 0.0f, 0.0f));
    alternativeControlsItem = addButton(gui::text(SID_CONTROLS2), u"", V3(0.0f, -s, 0.0f));
    addBackButton();
}

ContextControls::~ContextControls() = default;

void ContextControls::tickContents(double time, double dt) {
    ContextPage::tickContents(time, dt);
    ContextManager* stack = gui::screenStack(this);
    auto opened = [stack](MenuButton* item) { return item->takeClick() && stack != nullptr; };
    if (opened(touchscreenItem)) stack->pushContext(new ContextTouchscreen);
    if (opened(playerControlsItem)) stack->pushContext(new ContextControlBindings(0));
    if (opened(alternativeControlsItem)) stack->pushContext(new ContextControlBindings(1));
    if (opened(keyboardItem)) stack->pushContext(new ContextKeyboard);
}
