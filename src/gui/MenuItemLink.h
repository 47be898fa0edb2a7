#pragma once
// A push button holding a web address or a file name: its click stores the
// address for the shell (opened once the program has shut down) and asks
// the screen stack to quit.
#include "gui/MenuButton.h"

class MenuItemLink : public MenuButton {
    ZUB_DECLARE_CLASS(MenuItemLink)
public:
    MenuItemLink(float x, float y, float z, std::u16string_view caption, std::u16string_view hint);
    ~MenuItemLink() override;

    void onMouseClick() override;

    WString url;  // set by the owner
};
