#include "menu/ContextGraphics.h"

#include "engine/ContextManager.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemChoice.h"
#include "lang/StringIds.h"
#include "menu/ContextAdvancedOptions.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextGraphics, ContextPage, u"ContextGraphics")

ContextGraphics::ContextGraphics() {
    GameConfiguration* config = gui::environment().configuration;
    ZUB_ASSERT(config != nullptr);
    setTitle(gui::text(SID_GRAPHICS));
    addItem(new MenuItemChoice(0.0f, 0.0f, 0.0f, &config->detailLevel, 0, 1, SID_ENUMDETAIL0, gui::text(SID_DETAIL),
                               gui::text(SID_DETAILHINT)));
    advancedItem = addButton(gui::text(SID_ADVANCEDOPTIONS), u"", forwardButtonPosition());
    addBackButton();
}

ContextGraphics::~ContextGraphics() = default;

void ContextGraphics::tickContents(double time, double dt) {
    ContextPage::tickContents(time, dt);
    if (!advancedItem->takeClick()) return;
    if (ContextManager* stack = gui::screenStack(this)) stack->pushContext(new ContextAdvancedOptions);
}
