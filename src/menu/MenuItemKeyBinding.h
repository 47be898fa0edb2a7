#pragma once
// An item that shows and edits one input code of a control binding: a press
// over it opens a ContextKeyCapture with the item's caption, which waits for
// the next input and writes it into capturedCode. Once the box has closed,
// the item takes the code away from every action that holds it (both
// columns) and binds it here. Escape (code 1) cancels and keeps the old
// binding. The value shown is the input's name in the current language.
#include <cstdint>

#include "gui/MenuItem.h"

class MenuItemKeyBinding : public MenuItem {
    ZUB_DECLARE_CLASS(MenuItemKeyBinding)
public:
    // `binding` is a code of the game configuration, which outlives the item;
    // a code that no input has is unbound (0) here.
    MenuItemKeyBinding(float x, float y, float z, int32_t* binding, std::u16string_view caption,
                       std::u16string_view hint);
    ~MenuItemKeyBinding() override;

    void tick(double time, double dt) override;
    void renderValue(float x, float y, float z) override;

    // The display name of an input code in the input layer's key-name table
    // (empty for 0, for codes outside the table and without an input layer).
    static WString keyName(int32_t code);

    int32_t* binding;
    // Written by the capture box: 0 nothing yet, 1 cancelled, else the new code.
    int32_t capturedCode = 0;
};
