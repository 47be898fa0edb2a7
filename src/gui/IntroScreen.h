#pragma once
// The title scene behind the menus: one picture in two versions, sharp and
// blurred, cross-faded. There is one for the whole run (the game's global
// object owns it); it is never on the screen stack: the main menu, every page
// and the intro story name it as their background context, which ticks and
// draws it behind them.
//
// bBlurred chooses the version it fades toward: the main menu clears it while
// it is the top screen and sets it again when a page covers it, so pages see
// the blurred picture. The blurred layer lies over the sharp one with the
// opacity `blend`, which moves 0.5 a second (a full cross-fade takes 2 s);
// a layer that cannot be seen is hidden.
#include <cstdint>

#include "gfx/Context.h"

class Renderable;

class IntroScreen : public Context {
    ZUB_DECLARE_CLASS(IntroScreen)
public:
    // The layers "intro:0" and "intro-blurred:0" (fatal when missing);
    // blurred at full opacity.
    IntroScreen();
    ~IntroScreen() override;

    void tickContents(double time, double dt) override;

    uint8_t bBlurred = 1;
    Renderable* sharpLayer = nullptr;    // child, drawn first
    Renderable* blurredLayer = nullptr;  // child, drawn over it
    float blend = 1.0f;                  // opacity of the blurred layer, 0 ... 1

private:
    void applyBlend();
};
