#include "gui/MenuItemToggle.h"

#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "input/ZubInput.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MenuItemToggle, MenuItem, gui_ids::MenuItemToggle)
ZUB_IMPLEMENT_CLASS_ABSTRACT(MenuItemToggleApply, MenuItemToggle, gui_ids::MenuItemToggleApply)

MenuItemToggle::MenuItemToggle(float x, float y, float z, uint8_t* v, std::u16string_view captionText,
                               std::u16string_view hintText)
    : MenuItem(x, y, z, captionText, hintText), value(v) {
    ZUB_ASSERT(value != nullptr);
    setWidth(50);
}

MenuItemToggle::~MenuItemToggle() = default;

void MenuItemToggle::tick(double time, double dt) {
    MenuItem::tick(time, dt);
    ZubInput* in = ZubInput::active();
    if (bHovered && !bDisabled && in && in->wasAnyPointerPressed()) {
        *value = *value == 0 ? 1 : 0;
        onMouseClick();
    }
}

void MenuItemToggle::render() {
    MenuItem::render();
    if (bHidden || *value == 0) return;
    V3 at;
    localToWorld(at, V3());
    drawText(gui::font(u"fontMedium"), 0x14, u"\u0001", at, scale, captionCurrentColor);
}

MenuItemToggleApply::MenuItemToggleApply(float x, float y, float z, uint8_t* v, std::u16string_view captionText,
                                         std::u16string_view hintText)
    : MenuItemToggle(x, y, z, v, captionText, hintText) {}

MenuItemToggleApply::~MenuItemToggleApply() = default;

void MenuItemToggleApply::onMouseClick() { gui::applyConfiguration(); }
