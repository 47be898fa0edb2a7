#pragma once
// The credits page of the main menu: the credits rolling up over the
// blurred intro picture, and the program's version in the lower right
// corner. It closes itself after 124 s, or on Escape, the fire binding or any
// pointer press; the stack deletes it with its panel.
#include "gui/ContextPage.h"

class FadingText;
class TextPanel;

class ContextCredits : public ContextPage {
    ZUB_DECLARE_CLASS(ContextCredits)
public:
    ContextCredits();
    ~ContextCredits() override;

    FadingText* versionText = nullptr;  // child
    TextPanel* panel = nullptr;         // child
};
