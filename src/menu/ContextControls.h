#pragma once
// The controls menu: the touch-screen arrows, the fixed keyboard keys, and
// the two binding pages, one for each code of the game's actions (the main
// controls, by default keys, and the alternative ones, by default the first
// game pad).
#include "gui/ContextPage.h"

class MenuButton;

class ContextControls : public ContextPage {
    ZUB_DECLARE_CLASS(ContextControls)
public:
    ContextControls();
    ~ContextControls() override;

    // Pushes the page of every button clicked in this frame, in the order
    // touch screen, main controls, alternative controls, keyboard.
    void tickContents(double time, double dt) override;

    MenuButton* touchscreenItem = nullptr;
    MenuButton* keyboardItem = nullptr;
    MenuButton* playerControlsItem = nullptr;
    MenuButton* alternativeControlsItem = nullptr;
};
