#pragma once
// A push button that closes the screen on top of the stack (the page it
// sits on): Back, OK, Cancel, Done and Quit.
#include "gui/MenuButton.h"

class MenuBackButton : public MenuButton {
    ZUB_DECLARE_CLASS(MenuBackButton)
public:
    MenuBackButton(float x, float y, float z, std::u16string_view caption, std::u16string_view hint);
    ~MenuBackButton() override;

    void onMouseClick() override;
};

// The name the game flow uses for it.
using MenuItemBack = MenuBackButton;
