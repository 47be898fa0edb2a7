// The backdrop, the iris, the pointer, the credits roll and the message
// viewer, driven through the screen stack as the game runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "MenuHarness.h"
#include "gfx/Texture.h"
#include "gui/ContextCredits.h"
#include "gui/GuiEnvironment.h"
#include "gui/IntroScreen.h"
#include "gui/IrisTransition.h"
#include "gui/MenuBackButton.h"
#include "gui/MessageViewer.h"
#include "gui/MousePointer.h"
#include "gui/ScreenOverlays.h"
#include "gui/TextPanel.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "text/TextBlock.h"
#include "util/Format.h"

namespace {

constexpr int KEY_UP = 200, KEY_DOWN = 208;

// The stack with the backdrop and its overlays, as the game has them after loading.
struct Screens {
    menutest::MenuHarness h;
    IntroScreen* intro = new IntroScreen;
    Screens() { gui::environment().introScreen = intro, gui::installScreenOverlays(*h.stack); }
    ~Screens() { deleteObject(intro); }
    template <class T = ContextMenu>
    T* page(T* p = new T) {
        h.push(p)->bDeleteWhenDone = 1;
        h.step();
        return p;
    }
    // The iris's strips (solid band, soft edge) drawn in the last frame.
    std::vector<platform::NullRenderDevice::DrawRecord> irisDraws() {
        auto out = h.device->draws;
        std::erase_if(out, [](auto& d) { return d.count != 2 * IrisTransition::RING_POINTS; });
        return out;
    }
};

// Where the main menu stands: the backdrop is sharp while it is the top.
struct MenuPlace : ContextMenu {
    MenuPlace() { backgroundContext = gui::environment().introScreen; }
    void onActivate(bool) override { static_cast<IntroScreen*>(backgroundContext)->bBlurred = 0; }
    void onDeactivate(bool) override { static_cast<IntroScreen*>(backgroundContext)->bBlurred = 1; }
};

TEST(Screens, BetweenTwoScreensTheIrisClosesAndReopensTheBackdropBlursAndThePointerFollows) {
    Screens s;
    s.page(new MenuPlace);
    s.h.step(200);  // a cross-fade takes two seconds
    EXPECT_TRUE(s.intro->blend == 0.0f && s.intro->blurredLayer->bHidden && !s.intro->sharpLayer->bHidden);
    IrisTransition* iris = gui::iris();
    iris->targetClosure = 1.0f;
    s.h.draw();  // not moved yet: nothing drawn
    EXPECT_TRUE(s.irisDraws().empty());
    s.h.step(50);
    auto draws = s.irisDraws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_TRUE(!draws[0].alphaBlend && draws[1].alphaBlend);  // the band replaces, the edge fades
    // From the reference screen's half diagonal in to the rim, half way in; turned half a round.
    EXPECT_FLOAT_EQ(draws[0].firstVertex.x, 640.0f);
    EXPECT_NEAR(draws[1].firstVertex.x, 320.0f, 0.1f);
    EXPECT_NEAR(draws[0].world.m[0][0], -1.0f, 1e-3f);
    s.h.configuration->detailLevel = 0;
    s.h.draw();
    EXPECT_EQ(s.irisDraws().size(), 1u);  // no soft edge
    s.h.step(60);
    EXPECT_EQ(iris->closure, 1.0f);  // stops at its target

    // A page on top: the iris opens, the page ticks the backdrop behind it toward blurred.
    MenuButton* back = s.page(new ContextPage)->addBackButton();
    s.h.step(100);
    EXPECT_TRUE(iris->closure == 0.0f && s.irisDraws().empty());
    EXPECT_NEAR(s.intro->blurredLayer->color >> 24, 128u, 3u);
    s.h.step(100);
    EXPECT_TRUE(s.intro->sharpLayer->bHidden);
    EXPECT_EQ(s.h.device->draws.front().texture, s.intro->blurredLayer->pSkin->texture->getHandle());  // behind

    MousePointer* pointer = gui::mousePointer();
    s.h.moveMouse(100, 600);
    s.h.step(2);
    EXPECT_EQ(pointer->position, V3(100 - 512, 600 - 384, 0));
    s.h.pressKey(KEY_DOWN);  // key navigation moves the cursor onto Back, the pointer with it
    s.h.step(2);
    EXPECT_EQ(pointer->position, back->cursorAnchor(0) - V3(512, 384, 0));
    s.h.touchDown(1, 600, 300);
    s.h.step(2);
    EXPECT_TRUE(pointer->bHidden);
    s.h.touchUp(1);
    s.h.click(back);
    EXPECT_FALSE(pointer->bHidden);
    s.h.step(100);
    EXPECT_LT(s.intro->blend, 0.6f);  // the menu again: sharpening
}

TEST(Screens, TheCreditsRollUpFadingInAndOutAndEndByTimeOrPress) {
    Screens s;
    s.h.drawEveryFrame = false;
    auto* menu = s.page(new MenuPlace);
    TextPanel* panel = s.page(new ContextCredits)->panel;
    ASSERT_EQ(panel->lines->countChildren(), 88);  // the heading and 87 rows
    auto* heading = static_cast<FadingText*>(panel->lines->firstChild);
    EXPECT_TRUE(heading->bHidden);  // at the bottom edge
    s.h.step(149);                  // 1.5 s: 45 units up, 5 of them visible
    EXPECT_NEAR(heading->color >> 24, 255u * 5 / 60, 4u);
    s.h.step(2700);  // 832 units from the bottom edge to 64 over the top: gone
    EXPECT_EQ(panel->lines->countChildren(), 87);
    s.h.step(9150);  // 120 s: every line has rolled away
    EXPECT_EQ(panel->lines->countChildren(), 0);
    s.h.step(410);  // it closes itself after 124 s
    EXPECT_EQ(s.h.top(), menu);
    s.page(new ContextCredits);
    s.h.click(300, 300);
    EXPECT_EQ(s.h.top(), menu);
}

TEST(Screens, AReaderRollsAPanelWithKeysPadAndPointerButNotBackPastItsStart) {
    Screens s;
    auto* panel = new TextPanel;
    panel->bUserScroll = 1;
    for (int i = 0; i < 30; ++i) panel->addParagraph(u"row", u"");
    s.page()->addChild(panel);
    auto* line = static_cast<FadingText*>(panel->lines->firstChild);
    const float& y = line->position.y;
    s.h.keyDown(KEY_DOWN);  // on faster: 330 a second
    s.h.step(100);
    s.h.keyUp(KEY_DOWN);
    EXPECT_NEAR(y, -384.0f + 330.0f, 0.5f);
    s.h.padHat(0, 1);  // back: 270 a second, and no further than the start
    s.h.step(50);
    EXPECT_NEAR(y, -384.0f + 195.0f, 0.5f);
    s.h.step(100);
    EXPECT_NEAR(y, -384.0f, 0.01f);
    s.h.padHat(0, 0);
    s.h.moveMouse(512, 300);  // a held pointer drags the roll, which stands still under it
    s.h.mouseButton(true);
    s.h.step();
    const float held = y;
    s.h.moveMouse(512, 450);
    s.h.step(50);
    EXPECT_NEAR(y, held + 150.0f, 0.01f);
    s.h.mouseButton(false);
    s.h.keyDown(KEY_DOWN);  // a line that passed the top is kept and comes back
    s.h.step(400);
    s.h.keyUp(KEY_DOWN);
    s.h.keyDown(KEY_UP);
    s.h.step(300);
    EXPECT_TRUE(y < 334.0f && !line->bHidden);
}

TEST(Screens, TheMessageViewerWrapsKeepsTheNewestLinesAndShowsAReply) {
    Screens s;
    auto* viewer = new MessageViewer;
    viewer->position = V3(0.0f, 100.5f, 0.0f);
    s.page()->addChild(viewer);
    WString words;
    for (int i = 0; i < 60; ++i) words += u"network ";
    viewer->addMessage(words);
    ASSERT_GT(viewer->lines.size(), 1u);
    for (const WString& l : viewer->lines) EXPECT_LE(viewer->pFont->measureText(l).width, 1014.0f);
    viewer->addMessage(u"1|2|3|4|5|6|7|8|9|10|11|12");
    viewer->addMessage(u"");  // no line
    EXPECT_EQ(viewer->lines.front(), u"4");
    viewer->addMessage(u"Reply: \x1E{ff0000}OK");  // a coloured run becomes a line of its own
    EXPECT_EQ(viewer->lines[8], u"OK");
    s.h.step();  // nine lines drawn (their layout: the stored picture of the pixel test)
    EXPECT_EQ(std::count_if(s.h.device->draws.begin(), s.h.device->draws.end(),
                            [&](auto& d) { return d.texture == viewer->pFont->pages[0]->getHandle(); }),
              9);
}

TEST(Screens, TheMessageViewerLeavesABlankLineWhereOneIsAddedAndNoneForAnEmptyMessage) {
    Screens s;
    auto* viewer = new MessageViewer;
    s.page()->addChild(viewer);
    viewer->addMessage(u"first");
    viewer->addMessage(u"");  // no line
    viewer->addBlankLine();
    viewer->addMessage(u"second");
    EXPECT_EQ(viewer->lines, (std::vector<WString>{u"first", u"", u"second"}));
    // Two lines drawn, the second two line steps below the first.
    s.h.step();
    std::vector<float> ys;
    for (const auto& d : s.h.device->draws)
        if (d.texture == viewer->pFont->pages[0]->getHandle())
            ys.push_back(d.world.transformCoord(V3(d.firstVertex.x, d.firstVertex.y, d.firstVertex.z)).y);
    ASSERT_EQ(ys.size(), 2u);
    EXPECT_FLOAT_EQ(ys[1] - ys[0], 2.0f * viewer->lineSpacing);
    // A blank line counts among the kept lines.
    for (int i = 0; i < 8; ++i) viewer->addBlankLine();
    std::vector<WString> kept(9, u"");
    kept[0] = u"second";
    EXPECT_EQ(viewer->lines, kept);
}

// What a viewer shows after the lines of `reply` were added one by one to
// `shown`, each laid out whole: every run of every line appended, the oldest
// dropped beyond maxLines.
std::vector<WString> shownByWholeLayouts(const MessageViewer& v, std::vector<WString> shown,
                                         std::u16string_view reply) {
    for (const WString& line : splitLines(reply)) {
        const TextBlock block(v.pFont, static_cast<float>(v.maxWidth), std::fabs(v.lineSpacing), line);
        for (const TextLine* l : childrenOf<TextLine>(block))
            for (const TextRun* r : childrenOf<TextRun>(l)) shown.push_back(r->text);
        if (shown.size() > v.maxLines) shown.erase(shown.begin(), shown.end() - v.maxLines);
    }
    return shown;
}

TEST(Screens, TheMessageViewerShowsAReplyAsItsLinesLaidOutWholeWouldShow) {
    Screens s;
    WString story;
    for (int i = 0; i < 40; ++i) story += u"The pig rolls the apple home. ";
    const WString replies[] = {
        u"Thank you, Tester!\r\nYour scores: \x1E{ff0000}1200\x1E{000001} points|rank 3 of 40\n\n" + story +
            u"\nDone\r\n",
        u"OK",
        u"",
        u"one\ntwo\r\nthree\r",
        u"\n\n|||\n   \nlast",
        u"x\n" + story + u"|" + story,
    };
    for (uint32_t keep : {9u, 40u}) {
        for (const WString& reply : replies) {
            SCOPED_TRACE(wideToNarrow(reply.substr(0, 30)) + " keep " + std::to_string(keep));
            auto* viewer = new MessageViewer;
            viewer->maxLines = keep;
            s.page()->addChild(viewer);
            viewer->addMessage(u"Connected.");
            const std::vector<WString> before = viewer->lines;
            viewer->addReply(reply);
            EXPECT_EQ(viewer->lines, shownByWholeLayouts(*viewer, before, reply));
            // The same as adding the lines one by one.
            auto* byLines = new MessageViewer;
            byLines->maxLines = keep;
            s.page()->addChild(byLines);
            byLines->addMessage(u"Connected.");
            for (const WString& line : splitLines(reply)) byLines->addMessage(line);
            EXPECT_EQ(byLines->lines, viewer->lines);
        }
    }
}

// Counted, not timed: what a viewer wraps of a huge reply is what it keeps.
TEST(Screens, TheMessageViewerBuildsOnlyTheLinesItKeepsOfAHugeReply) {
    Screens s;
    auto* viewer = new MessageViewer;
    s.page()->addChild(viewer);
    viewer->addMessage(u"Connected.");
    const std::vector<WString> shown = viewer->lines;

    // 100 KB of bars: a hundred thousand lines without a run.
    uint64_t before = TextBlock::linesBuilt();
    viewer->addReply(WString(100 * 1024, u'|'));
    EXPECT_EQ(TextBlock::linesBuilt() - before, 0u);
    EXPECT_EQ(viewer->lines, shown);

    // One line of a megabyte: thousands of wrapped lines, nine built.
    WString single;
    for (int i = 0; single.size() < (1u << 20); ++i) single += formatString(u"w%d-", i);
    before = TextBlock::linesBuilt();
    viewer->addReply(single);
    EXPECT_LE(TextBlock::linesBuilt() - before, viewer->maxLines + 1);
    EXPECT_EQ(viewer->lines, shownByWholeLayouts(*viewer, shown, single));
    EXPECT_EQ(viewer->lines.back(), single.substr(single.size() - viewer->lines.back().size()));

    // A hundred thousand short lines, each ended by a line break.
    WString many;
    for (int i = 0; i < 100000; ++i) many += formatString(u"line %d\r\n", i);
    before = TextBlock::linesBuilt();
    viewer->addReply(many);
    EXPECT_LE(TextBlock::linesBuilt() - before, viewer->maxLines);
    ASSERT_EQ(viewer->lines.size(), viewer->maxLines);
    EXPECT_EQ(viewer->lines.front(), u"line 99991");
    EXPECT_EQ(viewer->lines.back(), u"line 99999");

    // One message of bars and words the same.
    WString message;
    for (int i = 0; i < 100000; ++i) message += u"ab|";
    before = TextBlock::linesBuilt();
    viewer->addMessage(message);
    EXPECT_EQ(TextBlock::linesBuilt() - before, viewer->maxLines);
    EXPECT_EQ(viewer->lines, std::vector<WString>(viewer->maxLines, u"ab"));
}

}  // namespace
