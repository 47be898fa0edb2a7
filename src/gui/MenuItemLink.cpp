#include "gui/MenuItemLink.h"

#include "engine/ContextManager.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MenuItemLink, MenuButton, gui_ids::MenuItemLink)

MenuItemLink::MenuItemLink(float x, float y, float z, std::u16string_view captionText, std::u16string_view hintText)
    : MenuButton(x, y, z, captionText, hintText) {}

MenuItemLink::~MenuItemLink() = default;

void MenuItemLink::onMouseClick() {
    bClicked = 1;
    gui::playSound(u"mouseClick");
    // The shell opens the address once the engine is gone.
    if (WString* pending = gui::environment().pendingUrl) *pending = url;
    if (ContextManager* stack = gui::screenStack(this)) stack->bQuit = true;
}
