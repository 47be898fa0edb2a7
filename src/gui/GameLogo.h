#pragma once
// The game's logo picture ("logo:0"), fading in and out like any fading
// sprite (delay, lifetime, fades): the intro story shows one, the main menu
// one at its top.
//
// The logo draws no skin of its own: it carries its picture as a layer that
// takes the logo's world transform and faded colour. A second layer, drawn
// after it, grows from zero to full height between 2 and 3 s of the logo's
// age (an ease-out); it has no picture, so it shows nothing until one is
// given to it.
#include <cstdint>

#include "gfx/Renderable.h"
#include "text/FadingSprite.h"

class GameLogo : public FadingSprite {
    ZUB_DECLARE_CLASS(GameLogo)
public:
    // The argument is not used.
    explicit GameLogo(int32_t unused = 0);
    ~GameLogo() override;

    void tick(double time, double dt) override;
    void renderSelf() override;
    void onTransformChanged() override;

    Renderable layer;        // the picture
    Renderable secondLayer;  // no picture
    uint8_t bSecondLayer = 1;
};
