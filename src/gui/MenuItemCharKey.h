#pragma once
// One key of an on-screen keyboard: a push button whose click writes its
// character into the owner's location, which the owner reads (and clears) as
// if the character had been typed.
#include "gui/MenuButton.h"

class MenuItemCharKey : public MenuButton {
    ZUB_DECLARE_CLASS(MenuItemCharKey)
public:
    MenuItemCharKey(float x, float y, float z, char16_t* target, char16_t character, std::u16string_view caption,
                    std::u16string_view hint);
    ~MenuItemCharKey() override;

    void onMouseClick() override;

    char16_t character;
    char16_t* target;  // the owner's, outlives the key
};
