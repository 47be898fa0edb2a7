#pragma once
// The graphics options: the detail level, and a button in the lower right
// corner to the advanced options. The page applies nothing itself: the game
// reads the detail level where it uses it, and its text shadows reach the
// graphics object with the next push of the configuration into the engine.
#include "gui/ContextPage.h"

class MenuButton;

class ContextGraphics : public ContextPage {
    ZUB_DECLARE_CLASS(ContextGraphics)
public:
    ContextGraphics();
    ~ContextGraphics() override;

    void tickContents(double time, double dt) override;

    MenuButton* advancedItem = nullptr;
};
