#include "gui/MenuBackButton.h"

#include "gfx/Context.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MenuBackButton, MenuButton, gui_ids::MenuBackButton)

MenuBackButton::MenuBackButton(float x, float y, float z, std::u16string_view captionText, std::u16string_view hintText)
    : MenuButton(x, y, z, captionText, hintText) {}

MenuBackButton::~MenuBackButton() = default;

void MenuBackButton::onMouseClick() {
    bClicked = 1;
    gui::playSound(u"mouseClick");
    if (Context* top = gui::topContext(this)) top->done = 1;
}
