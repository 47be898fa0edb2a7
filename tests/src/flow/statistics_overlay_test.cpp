// The statistics panel over a level in play: the attempt's figures and
// points as they stand when it opens, the perfect rows in green, the footer
// naming the key (or asking for a tap), and the inputs that close it.
#include <gtest/gtest.h>

#include <vector>

#include "FlowHarness.h"
#include "flow/GameHud.h"
#include "flow/MyRootObject.h"
#include "flow/OverlayStatistics.h"
#include "gfx/Skin.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"
#include "util/KeyCodes.h"

using flowtest::FlowHarness;

namespace {

struct Line {
    WString text;
    V3 at;
    uint32_t colour;
    int flags;
};

std::vector<Line> linesOf(const OverlayStatistics& o) {
    std::vector<Line> lines;
    for (const FadingText* t : childrenOf<FadingText>(&o)) lines.push_back({t->text, t->position, t->color, t->flags});
    return lines;
}

}  // namespace

TEST(StatisticsOverlay, ShowsTheResultAsItStandsAndClosesOnItsKeyAPressOrEscape) {
    FlowHarness h;
    GameController& gc = h.play(h.houseLevel());
    MyRootObject& root = *h.server().gameRoot();
    const int statsKey = h.services.config->controls[GameConfiguration::CONTROL_STATS].key;
    h.putHero(gc, FlowHarness::AWAY);
    ASSERT_TRUE(h.holdUntil(gc, FlowHarness::AWAY, GameController::PLAYING, 600));
    h.frameHolding(gc, FlowHarness::AWAY, 65);
    ASSERT_EQ(gc.currentResult.livesLost, 0);
    auto panel = [&] { return zub_cast<OverlayStatistics>(root.contextOverlay); };

    // The apple not yet in: its row is plain, and so is the total.
    h.tap(statsKey);
    ASSERT_NE(panel(), nullptr);
    std::vector<Line> lines = linesOf(*panel());
    ASSERT_EQ(lines.size(), 1u + 6 * 3 + 2 + 1);
    const int32_t large = h.resources.findAs<FontQuad>(u"fontLarge")->height;
    const int32_t medium = h.resources.findAs<FontQuad>(u"fontMedium")->height;
    EXPECT_EQ(lines[0].text, u"Statistics");
    EXPECT_EQ(lines[0].at.y, 150.0f);
    const char16_t* expected[6][3] = {{u"Apples", u"0/1", u"0.0%"},    {u"Bonus apples", u"0/0", u"0.0%"},
                                      {u"Sweets", u"0/0", u"10.0%"},   {u"Secrets", u"0/0", u"10.0%"},
                                      {u"Lives lost", u"0", u"10.0%"}, {u"Time", u"00:00/01:00", u"10.0%"}};
    for (int row = 0; row < 6; ++row) {
        const float y = 150.0f - static_cast<float>(large + row * medium);
        for (int col = 0; col < 3; ++col) {
            const Line& l = lines[1 + 3 * row + col];
            EXPECT_EQ(l.text, expected[row][col]) << row << "," << col;
            EXPECT_EQ(l.at, V3(col == 0 ? -300.0f : col == 1 ? 150.0f : 300.0f, y, 0.0f)) << row << "," << col;
            EXPECT_EQ(l.flags, col == 0 ? 3 : 9);
        }
    }
    // Lives and time are perfect already; the apples are not.
    EXPECT_EQ(lines[1].colour, OverlayStatistics::PLAIN_COLOUR);
    EXPECT_EQ(lines[13].colour, OverlayStatistics::PERFECT_COLOUR);
    EXPECT_EQ(lines[16].colour, OverlayStatistics::PERFECT_COLOUR);
    const float lastRow = 150.0f - static_cast<float>(large + 5 * medium);
    const Line& total = lines[20];
    EXPECT_EQ(lines[19].text, u"Total");
    EXPECT_EQ(total.text, u"40.0%");
    EXPECT_EQ(total.colour, OverlayStatistics::PLAIN_COLOUR);
    EXPECT_EQ(total.at.y, lastRow - static_cast<float>(medium + medium / 2 + medium / 2));
    EXPECT_EQ(lines[21].text, u"Press Enter to continue");
    EXPECT_EQ(lines[21].at, V3(0.0f, -190.0f, 0.0f));
    // The ruler above the total spans the columns, inside the 700-wide panel.
    const Renderable* ruler = nullptr;
    for (const Renderable* r : childrenOf<Renderable>(panel()))
        if (r->pSkin == h.resources.findAs<Skin>(u"horizontalRuler:0")) ruler = r;
    ASSERT_NE(ruler, nullptr);
    const float rulerWidth = ruler->pSkin->width * ruler->scale.x;
    EXPECT_GE(rulerWidth, 600.0f);
    EXPECT_LE(rulerWidth, 700.0f - 2.0f * 36.0f);

    // The level stands still; a second press within the guard time does
    // not close the panel, one after it does.
    const int32_t frames = gc.playFrameCount;
    h.frame(3);
    h.tap(statsKey);
    h.frame(20);
    EXPECT_NE(panel(), nullptr);
    EXPECT_EQ(gc.playFrameCount, frames);
    h.tap(statsKey);
    ASSERT_TRUE(h.frameUntil([&] { return root.contextOverlay == nullptr; }, 10));

    // With the apple in, the figures are those of the new moment and a
    // perfect total is green. A click closes it.
    gc.currentResult.applesGathered = 1;
    h.tap(statsKey);
    ASSERT_NE(panel(), nullptr);
    lines = linesOf(*panel());
    EXPECT_EQ(lines[2].text, u"1/1");
    EXPECT_EQ(lines[3].text, u"60.0%");
    EXPECT_EQ(lines[1].colour, OverlayStatistics::PERFECT_COLOUR);
    EXPECT_EQ(lines[20].text, u"100.0%");
    EXPECT_EQ(lines[20].colour, OverlayStatistics::PERFECT_COLOUR);
    gc.currentResult.applesGathered = 0;
    h.frame(15);
    EXPECT_EQ(linesOf(*panel())[2].text, u"1/1");
    h.click(V3(100.0f, 100.0f, 0.0f));
    ASSERT_TRUE(h.frameUntil([&] { return root.contextOverlay == nullptr; }, 10));

    // Escape closes it too, and opens no pause menu in passing.
    h.tap(statsKey);
    h.frame(15);
    h.tap(input_codes::KEY_ESCAPE);
    ASSERT_TRUE(h.frameUntil([&] { return root.contextOverlay == nullptr; }, 10));
    h.frame(3);
    EXPECT_EQ(root.contextOverlay, nullptr);

    // In touch play its button opens it, and the footer asks for a tap.
    h.touchHud(1, V3(0.0f, -300.0f, 0.0f));
    h.frame();
    h.lift(1);
    h.frame();
    h.touchHud(2, gc.contextHUD->pStatsButton->position);
    h.frame();
    ASSERT_NE(panel(), nullptr);
    EXPECT_EQ(linesOf(*panel()).back().text, u"Tap to continue");
}
