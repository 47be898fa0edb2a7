#pragma once
// The keyboard's fixed key: the in-game menu opens with Escape, which no
// binding can change. The page shows it on a disabled item that the keys and
// pads never reach (pointing at it shows why); only Back is navigable.
#include "gui/ContextPage.h"

class FadingText;
class MenuItem;

class ContextKeyboard : public ContextPage {
    ZUB_DECLARE_CLASS(ContextKeyboard)
public:
    ContextKeyboard();
    ~ContextKeyboard() override;

    MenuItem* inGameMenuItem = nullptr;
    FadingText* keyText = nullptr;
};
