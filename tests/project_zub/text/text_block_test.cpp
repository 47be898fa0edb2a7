// Text blocks: line breaking at spaces and '|', runs of one colour, widths.
#include <gtest/gtest.h>

#include <algorithm>

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
    TextBlock b(font, 1000, -1, u"This basket will hold a \x1E{ff0000}LOT\x1E{000001} of apples!");
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

// Keeping only the last runs builds the very lines a whole layout ends
// with (those that hold runs), where the whole layout has them, and no
// others: a long text's end costs no more lines than are kept.
TEST_F(TextBlocks, KeepingTheLastRunsBuildsTheLastLinesOfTheWholeLayoutAndNoOthers) {
    const float w = font->measureLine(u"Press Left Arrow") + 1;
    const std::u16string text =
        u"Press \x1E{0000ff}Left Arrow\x1E{000001} to walk||  indented|WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW|"
        u"a \x1E{ff0000}b\x1E{00ff00}c\x1E{000001}d e|||last words of the text  ";
    const TextBlock whole(font, w, -1, text);
    std::vector<const TextLine*> withRuns;
    int totalRuns = 0;
    for (int i = 0; i < whole.lineCount(); ++i)
        if (whole.getLine(i)->runCount() > 0) {
            withRuns.push_back(whole.getLine(i));
            totalRuns += whole.getLine(i)->runCount();
        }
    ASSERT_GT(totalRuns, 12);
    for (uint32_t keep = 1; keep <= static_cast<uint32_t>(totalRuns) + 2; ++keep) {
        SCOPED_TRACE(keep);
        const TextBlock tail(font, w, -1, text, keep);
        // The shortest end of the lines with runs that holds `keep` runs.
        size_t first = withRuns.size();
        for (int runs = 0; first > 0 && runs < static_cast<int>(keep);) runs += withRuns[--first]->runCount();
        ASSERT_EQ(tail.lineCount(), static_cast<int>(withRuns.size() - first));
        for (int i = 0; i < tail.lineCount(); ++i) {
            const TextLine* a = tail.getLine(i);
            const TextLine* b = withRuns[first + static_cast<size_t>(i)];
            EXPECT_EQ(a->plainText(), b->plainText());
            EXPECT_EQ(a->markupText(), b->markupText());
            EXPECT_FLOAT_EQ(a->y, b->y);
            EXPECT_FLOAT_EQ(a->width, b->width);
            ASSERT_EQ(a->runCount(), b->runCount());
            for (int r = 0; r < a->runCount(); ++r) {
                EXPECT_FLOAT_EQ(a->getRun(r)->x, b->getRun(r)->x);
                EXPECT_FLOAT_EQ(a->getRun(r)->width, b->getRun(r)->width);
            }
        }
        EXPECT_FLOAT_EQ(tail.height, whole.height);
    }

    // Counted, not timed: a hundred thousand bars around three words, and
    // sixty thousand words broken into thousands of lines, build no more
    // lines than hold the runs asked for.
    std::u16string bars(100000, u'|');
    const uint64_t before = TextBlock::linesBuilt();
    const TextBlock sparse(font, w, -1, bars + u"one two three" + bars, 3);
    EXPECT_EQ(TextBlock::linesBuilt() - before, 1u);
    ASSERT_EQ(sparse.lineCount(), 1);
    EXPECT_EQ(sparse.getLine(0)->plainText(), u"one two three");
    EXPECT_FLOAT_EQ(sparse.getLine(0)->y, -100000.0f * static_cast<float>(font->height));
    EXPECT_FLOAT_EQ(sparse.height, 200001.0f * static_cast<float>(font->height));
    std::u16string words;
    for (int i = 0; i < 60000; ++i) words += u"apple ";
    const uint64_t wordsBefore = TextBlock::linesBuilt();
    const TextBlock end(font, w, -1, words, 5);
    EXPECT_EQ(TextBlock::linesBuilt() - wordsBefore, 5u);
    EXPECT_GT(end.height / static_cast<float>(font->height), 5000.0f);
}

// Lines and runs are looked up by index (in constant time) and the index
// follows the children when they change.
TEST_F(TextBlocks, LinesAndRunsByIndexFollowChangesOfTheChildren) {
    TextBlock b(font, 1000, -1, u"one|\x1E{ff0000}two\x1E{000001} and|three");
    ASSERT_EQ(b.lineCount(), 3);
    EXPECT_EQ(b.getLine(3), nullptr);
    EXPECT_EQ(b.getLine(-1), nullptr);
    TextLine* second = b.getLine(1);
    ASSERT_EQ(second->runCount(), 2);
    EXPECT_EQ(second->getRun(2), nullptr);
    deleteObject(second->getRun(0));
    ASSERT_EQ(second->runCount(), 1);
    EXPECT_EQ(second->getRun(0)->text, u" and");
    deleteObject(b.getLine(0));
    ASSERT_EQ(b.lineCount(), 2);
    EXPECT_EQ(b.getLine(0), second);
    EXPECT_EQ(b.getLine(1)->plainText(), u"three");
    auto* added = new TextLine;
    b.addChild(added);
    ASSERT_EQ(b.lineCount(), 3);
    EXPECT_EQ(b.getLine(2), added);
    b.layout();
    EXPECT_EQ(lines(b), (Lines{u"one", u"two and", u"three"}));
}

}  // namespace
