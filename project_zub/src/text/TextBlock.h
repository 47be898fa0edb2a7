#pragma once
// A text broken into lines no wider than a width, in an atlas font.
//
// Lines break at spaces (where a word would pass the width) and always at
// '|' and at a carriage return; "||" leaves an empty line. The spaces at a
// soft break are dropped; spaces after '|' stay (they indent). A word wider
// than the width is broken between characters. A width of 0 or less puts no
// limit on the lines.
//
// Colour switches (TextMarkup.h) colour the characters after them, across
// line breaks. The block's children are its lines (TextLine), top to
// bottom; a line's children are its runs (TextRun): the pieces of one
// colour, left to right, each with its text (no markup), its measured width,
// its offset from the line's start and its colour value (1: the text has no
// colour of its own here, draw it in the default colour). An empty line has
// no runs. An empty text has no lines.
//
// Lines are lineSpacing apart (a negative lineSpacing takes the font's line
// height); the block is as wide as its widest line and as high as its lines
// times the spacing.
#include <cstdint>
#include <string_view>

#include "object/ZubBase.h"
#include "util/WString.h"

class FontQuad;

class TextRun : public ZubBase {
    ZUB_DECLARE_CLASS(TextRun)
public:
    WString text;
    float width = 0;      // measured in the block's font
    float x = 0;          // from the start of the line
    uint32_t color = 1;   // 1: the default colour, else 0xFF000000 | rrggbb
};

class TextLine : public ZubBase {
    ZUB_DECLARE_CLASS(TextLine)
public:
    int runCount() const { return countChildren(); }
    TextRun* getRun(int index) const;
    // The runs' texts one after the other, without markup.
    WString plainText() const;
    // The runs with a colour switch in front of each (FontQuad draws it
    // with the runs' colours).
    WString markupText() const;

    float width = 0;
    float y = 0;  // the line's top, from the block's top (0, -spacing, -2 spacing, ...)
};

class TextBlock : public ZubBase {
    ZUB_DECLARE_CLASS(TextBlock)
public:
    TextBlock() = default;
    TextBlock(FontQuad* font, float maxWidth, float lineSpacing, std::u16string_view text);

    // Breaks the text again (after changing the fields below).
    void layout();

    int lineCount() const { return countChildren(); }
    TextLine* getLine(int index) const;

    FontQuad* font = nullptr;  // not owned
    float maxWidth = 0;
    float lineSpacing = -1;  // as given; negative: the font's line height
    WString text;

    float lineStep = 0;  // the spacing used
    float width = 0;     // the widest line
    float height = 0;    // lines x lineStep
};
