#include "gui/MenuItemValue.h"

#include <algorithm>

#include "gfx/Context.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "sys/ErrorManager.h"
#include "text/FontQuad.h"
#include "util/Format.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MenuItemValue, MenuItem, gui_ids::MenuItemValue)

MenuItemValue::MenuItemValue(float x, float y, float z, int32_t* v, int32_t lo, int32_t hi, int32_t s,
                             std::u16string_view captionText, std::u16string_view hintText)
    : MenuItem(x, y, z, captionText, hintText), value(v), minimum(lo), maximum(hi), step(s) {
    ZUB_ASSERT(value != nullptr);
    // A value read from a saved file may lie outside the range.
    if (*value < minimum) *value = minimum;
    if (*value > maximum) *value = maximum;
}

MenuItemValue::~MenuItemValue() = default;

float MenuItemValue::arrowOffset() const { return skinWidth() / 2 - 24.0f; }

void MenuItemValue::tick(double time, double dt) {
    MenuItem::tick(time, dt);
    ZubInput* in = ZubInput::active();
    const Context* c = Context::environment.current;
    if (bDisabled || !bHovered || !in || !c || !in->wasAnyPointerPressed()) return;
    const bool rtl = gui::rightToLeft();
    V3 leftArrow, rightArrow;
    localToWorld(leftArrow, V3(-arrowOffset(), 0.0f, 0.0f));
    localToWorld(rightArrow, V3(arrowOffset(), 0.0f, 0.0f));
    const int32_t before = *value;
    // In 64 bits: the sum of a step and a bound value cannot overflow there.
    int64_t v = *value;
    if (V3::isWithinDistance(c->mousePosition, leftArrow, 50.0f)) v += rtl ? step : -step;
    if (V3::isWithinDistance(c->mousePosition, rightArrow, 50.0f)) v += rtl ? -step : step;
    v = std::clamp<int64_t>(v, minimum, std::max(minimum, maximum));
    *value = static_cast<int32_t>(v);
    if (*value != before) bChanged = 1;
    onMouseClick();
}

void MenuItemValue::render() {
    MenuItem::render();
    if (bDisabled || bHidden || !font) return;
    uint32_t colour = captionColor;
    if (!isTouchInput()) {
        const auto alpha = static_cast<uint32_t>(std::clamp(highlight, 0.0, 1.0) * 255.0);
        colour = (captionHighlightColor & 0x00FFFFFFu) | (alpha << 24);
    }
    const bool rtl = gui::rightToLeft();
    const float reach = skinWidth() / 2 - 15.0f;
    const V3 scale1(1.0f, 1.0f, 1.0f);
    if (rtl ? *value < maximum : *value > minimum)
        drawText(font, 0x12, u"\u0007", V3(position.x - reach, position.y, position.z), scale1, colour);
    if (rtl ? *value > minimum : *value < maximum)
        drawText(font, 0x18, u"\u0008", V3(position.x + reach, position.y, position.z), scale1, colour);
}

V3 MenuItemValue::cursorAnchor(int index) {
    if (index != 0 && index != 1) return noAnchor();
    const Context* c = findContext(this);
    const float dx = index == 0 ? -arrowOffset() : arrowOffset();
    return c->camera->worldToScreen(V3(position.x + dx, position.y, position.z));
}

void MenuItemValue::renderValue(float x, float y, float z) {
    drawText(font, 0x14, formatString(u"%d", *value), V3(x, y, z), scale, captionCurrentColor);
}
