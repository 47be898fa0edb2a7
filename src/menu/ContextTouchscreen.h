#pragma once
// Where the movement arrows sit on a touch screen: on the left or on the
// right side (the game configuration's touch-controls setting).
#include "gui/ContextPage.h"

class ContextTouchscreen : public ContextPage {
    ZUB_DECLARE_CLASS(ContextTouchscreen)
public:
    ContextTouchscreen();
    ~ContextTouchscreen() override;
};
