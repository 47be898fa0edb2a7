#pragma once
// A rolling column of text lines: lines are laid out below one another, then
// the whole roll moves up the screen at scrollVelocity (design units a
// second), each line fading in near the bottom edge (invisible up to 40 units
// above it, fully visible from 100) and out over the last 50 units below the
// top edge; a line more than 64 units above the top edge is deleted. Nothing
// stops the roll: once every line has gone the panel is empty.
//
// Headings are fontLarge, rows fontMediumOutline; the layout (cursorY) does
// not follow the roll: a line added later goes below the earlier additions
// as they were laid out. The first line starts at the bottom edge of the
// reference screen.
//
// The panel is a Context used as a child of a screen (the credits page, the
// end-of-game screen); it ticks with that screen and looks through its own
// camera.
//
// With bUserScroll the reader can move the roll too: the down keys (keyboard
// and pads) roll it on faster, the up keys roll it back, and a held pointer
// drags it (the roll stands still under the pointer). The roll goes back no
// further than where it started; lines that pass the top are then kept
// (hidden) so that rolling back brings them again.
#include <cstdint>
#include <string_view>

#include "gfx/Context.h"

class FadingText;
class FontQuad;

class TextPanel : public Context {
    ZUB_DECLARE_CLASS(TextPanel)
public:
    TextPanel();
    ~TextPanel() override;

    // A heading: fontLarge, white, centred.
    void addTextBlock(std::u16string_view text);
    // A row in light pink: one text centred, or two columns either side of the
    // centre line (see addLine); the next row comes one fontMedium line
    // height x 1.15 lower.
    void addParagraph(std::u16string_view left, std::u16string_view right);
    // One line at cursorY + yOffset (cursorY stays): a blank line when both
    // texts are empty; `left` centred when `right` is empty; else `left`
    // ending three space widths before the centre and `right` starting three
    // after it (swapped for a language that reads right to left).
    void addLine(float yOffset, uint32_t colour, std::u16string_view left, std::u16string_view right);
    // The game's credits.
    void buildText();

    void tickContents(double time, double dt) override;
    void onActivate(bool) override {}
    void onDeactivate(bool) override {}

    ZubBase* lines;  // child: the lines (FadingText), in the order added
    V3 scrollVelocity{0.0f, 30.0f, 0.0f};
    float cursorY;

    uint8_t bUserScroll = 0;
    float userScrollSpeed = 300.0f;  // added by a held key, design units a second
    float scrolled = 0.0f;           // how far the roll has moved up since it started

private:
    FadingText* append(float x, float y, std::u16string_view text, FontQuad* font, uint32_t colour, int flags);
    float userMovement(float dt);
    bool dragging = false;
    float dragY = 0.0f;
};
