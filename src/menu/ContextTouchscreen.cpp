#include "menu/ContextTouchscreen.h"

#include "gui/GuiEnvironment.h"
#include "gui/MenuItemChoice.h"
#include "lang/StringIds.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextTouchscreen, ContextPage, u"ContextTouchscreen")

ContextTouchscreen::ContextTouchscreen() {
    GameConfiguration* config = gui::environment().configuration;
    ZUB_ASSERT(config != nullptr);
    setTitle(gui::text(SID_DEVICE_TOUCHSCREEN));
    auto* placement = new MenuItemChoice(0.0f, 0.0f, 0.0f, &config->touchControls, 0, 1, SID_IOS_ENUMARROWPLACEMENT0,
                                         gui::text(SID_IOS_ARROWPLACEMENT), u"");
    placement->captionLocation = 8;
    addItem(placement);
    addBackButton();
}

ContextTouchscreen::~ContextTouchscreen() = default;
