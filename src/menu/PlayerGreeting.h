#pragma once
// The main menu's greeting: "Hello, <current player>!" over a hint line that
// says a click changes players. Pointing at the greeting lights its upper
// line, and a press there opens the players page. While the current profile
// has no name the greeting opens the name entry in its forced form (no
// Escape), so there is always a named player; the configuration's
// noPlayerYet byte says whether that was the case.
//
// The main menu adds one at its origin with ContextMenu::addItem; key
// navigation stops on it once (half a line below the upper line's centre,
// inside the band that counts as pointing at it).
#include "gfx/Renderable.h"
#include "gui/CursorTarget.h"

class FadingText;

class PlayerGreeting : public Renderable, public CursorTarget {
    ZUB_DECLARE_CLASS(PlayerGreeting)
public:
    PlayerGreeting();
    ~PlayerGreeting() override;

    void tick(double time, double dt) override;
    void onInputModeChange(int mode) override;
    V3 cursorAnchor(int index) override;

    // The hint line for the input mode: touch has its own text.
    void updateHintLine();

    FadingText* helloText;  // child: the greeting line
    FadingText* hintText;   // child: the hint line
    uint8_t bHovered = 0;
};
