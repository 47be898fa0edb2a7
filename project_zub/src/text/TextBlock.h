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
//
// A reader that needs only the end of a long text sets keepRuns: the whole
// text is still broken into lines (where a line starts depends on every line
// before it), but only the last lines that hold runs are built, as few as
// hold keepRuns runs together (all of them when the text holds fewer). Lines
// without runs are not built then, and the built lines keep the y of their
// place in the whole text; the block is as high as the whole text and as
// wide as its widest built line.
//
// Lines and runs are found by index in constant time (the index is made
// again after the children change).
#include <cstdint>
#include <string_view>
#include <vector>

#include "object/ZubBase.h"
#include "util/WString.h"

class FontQuad;

class TextRun : public ZubBase {
    ZUB_DECLARE_CLASS(TextRun)
public:
    WString text;
    float width = 0;     // measured in the block's font
    float x = 0;         // from the start of the line
    uint32_t color = 1;  // 1: the default colour, else 0xFF000000 | rrggbb
};

class TextLine : public ZubBase {
    ZUB_DECLARE_CLASS(TextLine)
public:
    int runCount() const { return static_cast<int>(runs().size()); }
    // Null when the index is out of range.
    TextRun* getRun(int index) const;
    // The runs' texts one after the other, without markup.
    WString plainText() const;
    // The runs with a colour switch in front of each (FontQuad draws it
    // with the runs' colours).
    WString markupText() const;

    float width = 0;
    float y = 0;  // the line's top, from the block's top (0, -spacing, -2 spacing, ...)

private:
    const std::vector<TextRun*>& runs() const;
    mutable std::vector<TextRun*> runIndex;
    mutable uint64_t runIndexStamp = 0;
};

class TextBlock : public ZubBase {
    ZUB_DECLARE_CLASS(TextBlock)
public:
    TextBlock() = default;
    TextBlock(FontQuad* font, float maxWidth, float lineSpacing, std::u16string_view text, uint32_t keepRuns = 0);

    // Breaks the text again (after changing the fields below).
    void layout();

    // The built lines.
    int lineCount() const { return static_cast<int>(lines().size()); }
    // Null when the index is out of range.
    TextLine* getLine(int index) const;

    // How many lines the blocks of this process have built so far: what a
    // layout cost, for tests and measures.
    static uint64_t linesBuilt() { return builtLines; }

    FontQuad* font = nullptr;  // not owned
    float maxWidth = 0;
    float lineSpacing = -1;  // as given; negative: the font's line height
    WString text;
    uint32_t keepRuns = 0;  // 0: every line is built; else only the last lines (see above)

    float lineStep = 0;  // the spacing used
    float width = 0;     // the widest built line
    float height = 0;    // lines of the whole text x lineStep

private:
    const std::vector<TextLine*>& lines() const;
    mutable std::vector<TextLine*> lineIndex;
    mutable uint64_t lineIndexStamp = 0;
    static uint64_t builtLines;
};
