#pragma once
// A value item that shows its value as a text: the language text of a base
// identifier plus the value, or an entry of a list of texts that the caller
// owns. A long text shrinks to the item's width.
#include <vector>

#include "gui/MenuItemValue.h"

class MenuItemChoice : public MenuItemValue {
    ZUB_DECLARE_CLASS(MenuItemChoice)
public:
    // Value v shows the text of identifier baseTextId + v.
    MenuItemChoice(float x, float y, float z, int32_t* value, int32_t minimum, int32_t maximum, int32_t baseTextId,
                   std::u16string_view caption, std::u16string_view hint);
    // Value v shows entry v of the list (which must outlive the item).
    MenuItemChoice(float x, float y, float z, int32_t* value, int32_t minimum, int32_t maximum,
                   const std::vector<WString>* choices, std::u16string_view caption, std::u16string_view hint);
    ~MenuItemChoice() override;

    void renderValue(float x, float y, float z) override;
    // The text of the current value ("" for one the texts do not cover).
    WString choiceText() const;

    int32_t baseTextId = 0;                         // 0: the list
    const std::vector<WString>* choices = nullptr;  // the caller's
};
