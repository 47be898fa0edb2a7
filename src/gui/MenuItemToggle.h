#pragma once
// A check box bound to one byte (0 off, anything else on) that the caller
// owns: a press over the enabled box turns it to 1 when it was 0, else to 0,
// and clicks. A tick glyph shows while it is on. MenuItemToggleApply makes
// no sound and sets no clicked flag: it pushes the configuration into the
// engine at once instead.
#include <cstdint>

#include "gui/MenuItem.h"

class MenuItemToggle : public MenuItem {
    ZUB_DECLARE_CLASS(MenuItemToggle)
public:
    // A box 50 units wide.
    MenuItemToggle(float x, float y, float z, uint8_t* value, std::u16string_view caption, std::u16string_view hint);
    ~MenuItemToggle() override;

    void tick(double time, double dt) override;
    void render() override;

    uint8_t* value;  // the caller's, outlives the item
};

class MenuItemToggleApply : public MenuItemToggle {
    ZUB_DECLARE_CLASS(MenuItemToggleApply)
public:
    MenuItemToggleApply(float x, float y, float z, uint8_t* value, std::u16string_view caption,
                        std::u16string_view hint);
    ~MenuItemToggleApply() override;

    void onMouseClick() override;
};
