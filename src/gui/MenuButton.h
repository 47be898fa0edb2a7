#pragma once
// The push button most pages use: it takes the first pointer when pressed
// over it and clicks when that pointer is released (not when it was dragged
// off the button). With a title or a question set it first asks them in a
// YES/NO message box and clicks only after YES.
#include "gui/MenuItem.h"

class MenuButton : public MenuItem {
    ZUB_DECLARE_CLASS(MenuButton)
public:
    // Skins from "gui-game-button" (insets 36, 0, 0, 36), width 256, caption centred.
    MenuButton(float x, float y, float z, std::u16string_view caption, std::u16string_view hint);
    ~MenuButton() override;

    void tick(double time, double dt) override;

    WString title;
    WString question;
    int32_t confirmResult = -1;  // the box's answer: -1 none yet, 0 YES, 1 NO
};
