#pragma once
// One line of text drawn as a Renderable: at its position, rotation, scale
// and colour, in its font, with the text flags (default 5: centred), through
// the font's shadowed path (the shadow 4 units below) unless bShadow is off.
// It fades in and out (FadeTiming), draws nothing while hidden or outside its
// lifetime, and flags itself for removal when its lifetime is over and
// bAutoRemove is set. The text may be rewritten at any time.
#include <cstdint>
#include <string_view>

#include "gfx/Renderable.h"
#include "text/FadeTiming.h"
#include "util/WString.h"

class FontQuad;

class FadingText : public Renderable, public FadeTiming {
    ZUB_DECLARE_CLASS(FadingText)
public:
    static constexpr int DEFAULT_FLAGS = 5;

    FadingText();
    FadingText(const V3& position, std::u16string_view text, FontQuad* font, uint32_t color);
    FadingText(float x, float y, float z, std::u16string_view text, FontQuad* font, uint32_t color);

    void tick(double time, double dt) override;
    void renderSelf() override;

    // When the text, measured with the font and flags, is wider than
    // maxWidth: scale (maxWidth / width, 1, 1); otherwise the scale stays.
    void fitToWidth(int maxWidth);

    WString text;
    FontQuad* font = nullptr;  // not owned (a resource)
    int32_t flags = DEFAULT_FLAGS;
    uint8_t bShadow = 1;
};
