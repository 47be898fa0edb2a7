#include "gui/MenuItemCharKey.h"

#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MenuItemCharKey, MenuButton, gui_ids::MenuItemCharKey)

MenuItemCharKey::MenuItemCharKey(float x, float y, float z, char16_t* t, char16_t c, std::u16string_view captionText,
                                 std::u16string_view hintText)
    : MenuButton(x, y, z, captionText, hintText), character(c), target(t) {}

MenuItemCharKey::~MenuItemCharKey() = default;

void MenuItemCharKey::onMouseClick() {
    MenuButton::onMouseClick();
    if (target) *target = character;
}
