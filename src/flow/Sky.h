#pragma once
// The layer behind the level: the sky of the level's season, one sprite
// whose skin is looked up by name every time it is drawn, so that a change
// of season shows from the next frame on. It is the first of the game
// controller's three contexts.
//
// Drawing, first matching case: Right Shift held with F9 going down clears
// the screen to black for that one frame; in the level editor the screen is
// cleared to dark blue; otherwise the season's skin ("sky-spring:0" ...
// "sky-winter:0", fatal when missing) goes on the sprite when it differs
// from the one it has, and the sprite is drawn. Another season draws the
// sprite with the skin it has (none at first).
#include "gfx/ContextBlender.h"

class GameController;
class Renderable;

class Sky : public ContextBlender {
    ZUB_DECLARE_CLASS(Sky)
public:
    static constexpr uint32_t BLACK = 0xFF000000u;
    static constexpr uint32_t EDITOR_BLUE = 0xFF000080u;

    Sky();

    void renderContents() override;

    // The sky sprite, the context's first child.
    Renderable* pSky;

private:
    GameController* controller() const;
};
