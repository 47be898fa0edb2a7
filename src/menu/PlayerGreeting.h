#pragma once
// The main menu's greeting: "Hello, <current player>!" over a hint line that
// says a click changes players. Pointing at the greeting lights its upper
// line, and a press there opens the players page. While the current profile
// has no name the greeting opens the name entry in its forced form (no
// Escape), so there is always a named player; the configuration's
// noPlayerYet byte says whether that was the case.
//
// Pointing at either line as drawn counts as pointing at the greeting: a
// band from the top of the upper line to the bottom of the hint line, each
// line's rows as wide as the line and at least 200 units wide.
//
// The main menu adds one at its origin with ContextMenu::addItem; key
// navigation stops on it once (half a line below the upper line's centre,
// inside that band).
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
    // Whether a point of the menu's world lies in the band that counts as
    // pointing at the greeting.
    bool isPointedAt(const V3& point) const;

    FadingText* helloText;  // child: the greeting line
    FadingText* hintText;   // child: the hint line
    uint8_t bHovered = 0;
};
