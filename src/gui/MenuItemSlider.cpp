#include "gui/MenuItemSlider.h"

#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MenuItemSlider, MenuItemValue, gui_ids::MenuItemSlider)

MenuItemSlider::MenuItemSlider(float x, float y, float z, int32_t* v, int32_t lo, int32_t hi,
                               std::u16string_view captionText, std::u16string_view hintText)
    : MenuItemValue(x, y, z, v, lo, hi, 1, captionText, hintText) {}

MenuItemSlider::~MenuItemSlider() = default;

void MenuItemSlider::renderValue(float, float, float) {
    // Notches 7 units apart from 84 left of the centre, whatever position the
    // base hands in.
    const float sign = gui::rightToLeft() ? -1.0f : 1.0f;
    const V3 scale1(1.0f, 1.0f, 1.0f);
    const int32_t notches = *value < maximum ? *value : maximum;
    for (int32_t i = 0; i < notches; ++i) {
        V3 at;
        localToWorld(at, V3(sign * (-84.0f + 7.0f * static_cast<float>(i)), 0.0f, 0.0f));
        drawText(font, 0x14, u"|", at, scale1, captionCurrentColor);
    }
}

void MenuItemSlider::onMouseClick() {
    MenuItemValue::onMouseClick();
    gui::applyConfiguration();
}
