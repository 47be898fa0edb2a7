#pragma once
// A short text in the middle of the screen ("Level complete!", "GO!"):
// one message at a time, shown letter by letter (each letter fading in
// 0.05 s after the one before it, and out in the last quarter second of its
// own duration) or as one fading text. The HUD holds two as members; the
// valley map makes a free-standing one, which removes itself once its
// letters are gone.
#include <cstdint>

#include "gfx/Renderable.h"
#include "object/ZubBase.h"
#include "util/Math.h"
#include "util/WString.h"

class FontQuad;
class Skin;

class GameMessage : public ZubBase {
public:
    static constexpr double LETTER_INTERVAL = 0.05;

    GameMessage(FontQuad* font, const V3& position);

    // Replaces whatever the message showed (an empty text only clears it).
    void show(const WString& text, double duration);
    // The children, then: with bRemoveWhenEmpty, a message without
    // children flags itself for removal.
    void tick(double time, double dt) override;

    uint8_t bRemoveWhenEmpty = 1;
    uint32_t color = 0xFFFFFFFFu;
    FontQuad* pFont;
    V3 position;
    uint8_t bPerLetter = 1;
};

// One letter of a message: a glyph's quad that never moves, invisible until
// its delay has passed, fading in over 0.25 s and out over the last 0.25 s of
// its duration, then removed. Never under the pointer.
class MessageLetter : public Renderable {
public:
    static constexpr double FADE_TIME = 0.25;

    MessageLetter(Skin* skin, const V3& homePosition, double delay, double duration);

    void tick(double time, double dt) override;

    V3 homePosition;
    double delay;
    double duration;
};
