#pragma once
// A text panel: a template FadingText's text wrapped at a width (TextBlock)
// and drawn line under line with the template's font, colour, flags,
// shadow, fades and transform. Each line is aligned by the flags (4 centred,
// 8 right-aligned, else starting at the position); 0x10 and 0x20 move the
// whole panel up by half or one line height. Runs keep their markup colours.
// The text, font and width may change at any time; the lines follow on the
// next draw.
#include <memory>

#include "text/FadingText.h"
#include "text/TextBlock.h"

class MultiLineText : public FadingText {
    ZUB_DECLARE_CLASS(MultiLineText)
public:
    MultiLineText();
    // Copies the template's fields; the template stays the caller's.
    MultiLineText(const FadingText* templ, float width);
    ~MultiLineText() override;

    void renderSelf() override;

    // The wrapped text, brought up to date first.
    TextBlock* getBlock();

    float width = 0;
    float lineSpacing = -1;  // negative: the font's line height

private:
    TextBlock* block = nullptr;  // owned
    WString blockText;
    const FontQuad* blockFont = nullptr;
    float blockWidth = 0, blockSpacing = 0, blockScale = 0;
};
