#pragma once
// The life of a fading drawable: a delay, then a lifetime of `age` seconds
// with a fade-in at its start and a fade-out at its end.
//
// The alpha factor (0-255) is 0 during the delay, 255 x age / fadeIn during
// the fade-in, 255 x (lifetime - age) / fadeOut during the fade-out and 255
// between. It scales the alpha the drawable's colour was given: a colour
// written by its owner at any time becomes the new unfaded colour, so a
// half-transparent text stays half-transparent at full strength.
#include <cstdint>

class FadeTiming {
public:
    // Counts the delay down (the rest of a step that ends it ages), then
    // ages. True when the lifetime is over.
    bool advanceFade(double dt);
    // Shown: the delay is over and the age within the lifetime.
    bool isShowing() const { return delay <= 0.0 && age <= lifetime; }
    bool isOver() const { return delay <= 0.0 && age >= lifetime; }
    // The alpha factor, 0-255.
    int fadeAlpha() const;
    // Writes the faded alpha into the colour (see above).
    void applyFade(uint32_t& color);

    double delay = 0.0;
    double lifetime = 999999.0;
    double fadeIn = 0.0;
    double fadeOut = 0.0;
    double age = 0.0;
    uint8_t bAutoRemove = 1;  // the drawable removes itself when its lifetime is over

private:
    uint32_t unfaded = 0;
    uint32_t applied = 0;
    bool known = false;
};
