#include "gui/MenuItemChoice.h"

#include <cstdint>

#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MenuItemChoice, MenuItemValue, gui_ids::MenuItemChoice)

MenuItemChoice::MenuItemChoice(float x, float y, float z, int32_t* v, int32_t lo, int32_t hi, int32_t baseId,
                               std::u16string_view captionText, std::u16string_view hintText)
    : MenuItemValue(x, y, z, v, lo, hi, 1, captionText, hintText), baseTextId(baseId) {}

MenuItemChoice::MenuItemChoice(float x, float y, float z, int32_t* v, int32_t lo, int32_t hi,
                               const std::vector<WString>* list, std::u16string_view captionText,
                               std::u16string_view hintText)
    : MenuItemValue(x, y, z, v, lo, hi, 1, captionText, hintText), choices(list) {}

MenuItemChoice::~MenuItemChoice() = default;

WString MenuItemChoice::choiceText() const {
    const int64_t v = *value;
    if (baseTextId != 0) {
        const int64_t id = baseTextId + v;
        return id >= 0 && id <= INT32_MAX ? gui::text(static_cast<int32_t>(id)) : u"";  // "" outside the table
    }
    if (choices && v >= 0 && v < static_cast<int64_t>(choices->size())) return (*choices)[static_cast<size_t>(v)];
    return WString();
}

void MenuItemChoice::renderValue(float x, float y, float z) {
    const WString t = choiceText();
    drawText(font, 0x14, t, V3(x, y, z), scale * fitFactor(t), captionCurrentColor);
}
