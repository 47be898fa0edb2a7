// Text blocks: line breaking at spaces and '|', runs of one colour, widths.
#include <gtest/gtest.h>

#include "text/TextBlock.h"
#include "text_test_support.h"

using namespace texttest;

namespace {

class TextBlocks : public FontTest {
protected:
    void SetUp() override {
        FontTest::SetUp();
        if (IsSkipped()) return;
        font = makeFont();
    }
    std::vector<std::u16string> lines(const TextBlock& b) const {
        std::vector<std::u16string> out;
        for (int i = 0; i < b.lineCount(); ++i) out.push_back(b.getLine(i)->plainText());
        return out;
    }
    FontQuad* font = nullptr;
};

using Lines = std::vector<std::u16string>;

TEST_F(TextBlocks, BreaksAtSpacesWhereTheWidthEnds) {
    const float w = font->measureLine(u"quick brown") + 1;
    TextBlock b(font, w, -1, u"The quick brown fox jumps over the lazy dog");
    EXPECT_EQ(lines(b), (Lines{u"The quick", u"brown fox", u"jumps over", u"the lazy dog"}));
    for (int i = 0; i < b.lineCount(); ++i) {
        const TextLine* l = b.getLine(i);
        EXPECT_LE(l->width, w);
        EXPECT_FLOAT_EQ(l->width, font->measureLine(l->plainText()));
        EXPECT_FLOAT_EQ(l->y, -static_cast<float>(i * font->height));
    }
    // A negative spacing takes the font's line height.
    EXPECT_FLOAT_EQ(b.height, 4.0f * static_cast<float>(font->height));
    EXPECT_FLOAT_EQ(b.width, font->measureLine(u"the lazy dog"));
    // Exactly the width fits.
    TextBlock exact(font, font->measureLine(u"The quick"), 30, u"The quick brown");
    EXPECT_EQ(lines(exact), (Lines{u"The quick", u"brown"}));
    EXPECT_FLOAT_EQ(exact.height, 60.0f);
    EXPECT_FLOAT_EQ(exact.getLine(1)->y, -30.0f);
}

TEST_F(TextBlocks, BarsAlwaysBreakAndTwoLeaveAnEmptyLine) {
    TextBlock b(font, 1000, -1, u"First|Second||Fourth");
    EXPECT_EQ(lines(b), (Lines{u"First", u"Second", u"", u"Fourth"}));
    EXPECT_EQ(b.getLine(2)->runCount(), 0);
    EXPECT_FLOAT_EQ(b.getLine(2)->width, 0.0f);
    // Spaces at a bar are dropped before it and kept after it.
    TextBlock c(font, 1000, -1, u"a  |  b");
    EXPECT_EQ(lines(c), (Lines{u"a", u"  b"}));
    // A trailing bar ends with an empty line; carriage returns break too.
    TextBlock d(font, 1000, -1, u"a|");
    EXPECT_EQ(lines(d), (Lines{u"a", u""}));
    TextBlock e(font, 1000, -1, u"a\rb");
    EXPECT_EQ(lines(e), (Lines{u"a", u"b"}));
}

TEST_F(TextBlocks, SoftBreaksDropTheirSpacesAndNoLimitOrNoTextBreakNothing) {
    const float w = font->measureLine(u"aaa") + 1;
    TextBlock b(font, w, -1, u"aaa     bbb");
    EXPECT_EQ(lines(b), (Lines{u"aaa", u"bbb"}));
    TextBlock c(font, 0, -1, u"one  two three four five six seven eight nine ten");
    EXPECT_EQ(c.lineCount(), 1);
    EXPECT_EQ(c.getLine(0)->plainText().substr(0, 8), u"one  two");
    TextBlock empty(font, 100, -1, u"");
    EXPECT_EQ(empty.lineCount(), 0);
    EXPECT_FLOAT_EQ(empty.height, 0.0f);
}

TEST_F(TextBlocks, AWordWiderThanTheWidthIsBrokenBetweenCharacters) {
    const float w = font->measureLine(u"WWW") + 0.5f;
    TextBlock b(font, w, -1, u"x WWWWWWWW y");
    EXPECT_EQ(lines(b), (Lines{u"x", u"WWW", u"WWW", u"WW y"}));
    for (int i = 0; i < b.lineCount(); ++i) EXPECT_LE(b.getLine(i)->width, w);
}

TEST_F(TextBlocks, RunsSplitAtColourChanges) {
    TextBlock b(font, 1000, -1,
                u"This basket will hold a \x1E{ff0000}LOT\x1E{000001} of apples!");
    ASSERT_EQ(b.lineCount(), 1);
    const TextLine* l = b.getLine(0);
    ASSERT_EQ(l->runCount(), 3);
    const TextRun* r0 = l->getRun(0);
    const TextRun* r1 = l->getRun(1);
    const TextRun* r2 = l->getRun(2);
    EXPECT_EQ(r1->text, u"LOT");
    EXPECT_EQ(r1->color, 0xFFFF0000u);
    EXPECT_EQ(r2->color, 1u);
    EXPECT_FLOAT_EQ(r1->x, r0->width);
    EXPECT_FLOAT_EQ(r1->width, font->measureLine(u"LOT"));
    EXPECT_FLOAT_EQ(r2->x, r0->width + r1->width);
    EXPECT_EQ(l->markupText(), u"\x1E{000001}This basket will hold a \x1E{ff0000}LOT\x1E{000001} of apples!");
}

TEST_F(TextBlocks, AColourCarriesAcrossLineBreaks) {
    const float w = font->measureLine(u"Press Left Arrow") - 1;
    // A key name marked the way hints mark it.
    TextBlock b(font, w, -1, u"Press \x1E{0000ff}Left Arrow\x1E{000001} to walk|\x1E{0000ff}ok");
    EXPECT_EQ(lines(b), (Lines{u"Press Left", u"Arrow to walk", u"ok"}));
    const TextLine* l0 = b.getLine(0);
    ASSERT_EQ(l0->runCount(), 2);
    EXPECT_EQ(l0->getRun(1)->text, u"Left");
    EXPECT_EQ(l0->getRun(1)->color, 0xFF0000FFu);
    const TextLine* l1 = b.getLine(1);
    ASSERT_EQ(l1->runCount(), 2);
    EXPECT_EQ(l1->getRun(0)->text, u"Arrow");
    EXPECT_EQ(l1->getRun(0)->color, 0xFF0000FFu);
    EXPECT_EQ(l1->getRun(1)->text, u" to walk");
    EXPECT_EQ(l1->getRun(1)->color, 1u);
    EXPECT_EQ(b.getLine(2)->getRun(0)->color, 0xFF0000FFu);
}

TEST_F(TextBlocks, LayoutAgainAfterAChange) {
    TextBlock b(font, 1000, -1, u"\x01 one|two");  // symbols are characters
    EXPECT_EQ(b.getLine(0)->plainText(), u"\x01 one");
    EXPECT_EQ(b.lineCount(), 2);
    b.text = u"one two three";
    b.maxWidth = font->measureLine(u"one two") + 1;
    b.lineSpacing = 25;
    b.layout();
    EXPECT_EQ(lines(b), (Lines{u"one two", u"three"}));
    EXPECT_FLOAT_EQ(b.height, 50.0f);
}

}  // namespace
