#pragma once
// A value item (step 1) shown as a row of notches, one per unit of the
// value, growing from the left end (from the right end for a right-to-left
// language). Every press clicks and pushes the configuration into the engine
// at once, so a volume change is heard straight away.
#include "gui/MenuItemValue.h"

class MenuItemSlider : public MenuItemValue {
    ZUB_DECLARE_CLASS(MenuItemSlider)
public:
    MenuItemSlider(float x, float y, float z, int32_t* value, int32_t minimum, int32_t maximum,
                   std::u16string_view caption, std::u16string_view hint);
    ~MenuItemSlider() override;

    void renderValue(float x, float y, float z) override;
    void onMouseClick() override;
};
