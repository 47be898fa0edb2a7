// The high-score page lists the configuration's table one season at a time,
// as stored (level order, "..." for an entry without a result), with the
// numbers written in the language's way.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "OffscreenPicture.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuItemChoice.h"
#include "menu/ContextHighscores.h"
#include "options_support.h"
#include "text/FadingText.h"
#include "text/SystemFont.h"
#include "util/KeyCodes.h"

using optionstest::OptionsRig;

namespace {

using Row = ContextHighscores::Row;

std::vector<WString> texts(const Row& r) { return {r.level, r.name, r.points, r.time, r.score}; }

TEST(Highscores, ThePageShowsEachSeasonsEntriesAsTheRecordsHoldThemInBothLanguages) {
    OptionsRig r;
    GameConfiguration& cfg = *r.h.configuration;
    ASSERT_EQ(cfg.submitHighScore(12345, 0, 75, 1000, true, u"Ann"), 0);
    ASSERT_EQ(cfg.submitHighScore(7, 7, 3599, 5, true, u"Bob"), 7);
    ASSERT_EQ(cfg.submitHighScore(1234567, 24, 600, 987, false, u"Zo\u00eb"), 24);
    ASSERT_EQ(cfg.submitHighScore(3, 31, 59, 1, true, u"Eve"), 31);

    auto* page = r.h.push(new ContextHighscores);
    r.h.step();
    EXPECT_EQ(page->titleText->text, u"High scores");
    auto* seasons = optionstest::firstItemOf<MenuItemChoice>(page);
    ASSERT_NE(seasons, nullptr);
    EXPECT_EQ(seasons->position, V3(0, 768 / 2 - 125, 0));
    EXPECT_EQ(seasons->choiceText(), u"Spring");

    EXPECT_EQ(texts(page->row(0)), (std::vector<WString>{u"1", u"Ann", u"12,345", u"01:15", u"100.0%"}));
    EXPECT_EQ(texts(page->row(1)), (std::vector<WString>{u"2", u"...", u"0", u"00:00", u"0.0%"}));
    EXPECT_EQ(texts(page->row(7)), (std::vector<WString>{u"8", u"Bob", u"7", u"59:59", u"0.5%"}));
    // Rows 30 apart from 90 down, shading toward the next season's colour.
    EXPECT_EQ(page->row(0).y, 90.0f);
    EXPECT_EQ(page->row(7).y, -120.0f);
    EXPECT_EQ(page->row(0).colour, 0xffffff00u);
    EXPECT_EQ(page->row(7).colour, lerpColor(0xffffff00u, 0xff00ff00u, 7.0f / 8.0f));

    // The choice's arrow moves through the seasons and stops at winter.
    for (int i = 0; i < 4; ++i) r.h.click(seasons, 1);
    EXPECT_EQ(page->season, 3);
    EXPECT_EQ(seasons->choiceText(), u"Winter");
    EXPECT_EQ(texts(page->row(0)), (std::vector<WString>{u"25", u"Zo\u00eb", u"1,234,567", u"10:00", u"98.7%"}));
    EXPECT_EQ(texts(page->row(7)), (std::vector<WString>{u"32", u"Eve", u"3", u"00:59", u"0.1%"}));
    EXPECT_EQ(page->row(7).colour, lerpColor(0xffff8000u, 0xff80ffffu, 7.0f / 8.0f));
    r.h.draw();

    // A page built in German writes the numbers the German way.
    r.h.language.setLanguage(Language::GERMAN);
    auto* german = r.h.push(new ContextHighscores);
    r.h.step();
    EXPECT_EQ(german->titleText->text, u"Bestenliste");
    german->season = 3;
    EXPECT_EQ(texts(german->row(0)), (std::vector<WString>{u"25", u"Zo\u00eb", u"1 234 567", u"10:00", u"98,7%"}));
    EXPECT_EQ(optionstest::firstItemOf<MenuItemChoice>(german)->choiceText(), u"Winter");
    german->season = 0;
    EXPECT_EQ(optionstest::firstItemOf<MenuItemChoice>(german)->choiceText(), u"Fr\u00fchling");

    // Escape closes it; OK closes the one below, which kept its season.
    r.h.pressKey(input_codes::KEY_ESCAPE);
    r.h.step();
    EXPECT_EQ(r.h.top(), page);
    EXPECT_EQ(page->season, 3);
    r.h.click(optionstest::firstItemOf<MenuBackButton>(page));
    r.h.step();
    EXPECT_EQ(r.h.depth(), 0);
}

// The page drawn by the real OpenGL device off-screen at 1024 x 768 with
// the game's fonts and the system font that draws the names (a typed name
// may hold any character): in every row the name's letters, or the dots of
// an empty entry, stand on the same row of pixels as the level number and
// the time beside them, within a pixel.
TEST(HighscoresPixels, EveryRowsNameStandsOnTheLineOfItsNumbers) {
    constexpr int W = 1024, H = 768;
    constexpr uint32_t kBackdrop = 0xFF000000u;
    OptionsRig r;
    picturetest::OffscreenWindow window;  // made after the harness, so its graphics object is the active one
    if (!window.open("Highscores", W, H)) return;
    SystemFont system(u"Arial");
    if (!system.isOpen()) GTEST_SKIP() << "no installed font answers for Arial";
    GameConfiguration& cfg = *r.h.configuration;
    for (int i = 0; i < 8; ++i)
        if (i != 2)
            cfg.submitHighScore(100 + 111 * i, i, 50 + 17 * i, 500 + 61 * i, true, i % 3 ? u"Tester" : u"Anna Lee");
    auto* page = r.h.push(new ContextHighscores);
    r.h.drawEveryFrame = false;
    r.h.moveMouse(1010.0f, 10.0f);
    r.h.step(2);
    window.beginFrame(kBackdrop);
    r.h.stack->renderContext();
    const std::vector<uint32_t> frame = window.readFrame();

    // The lowest row of pixels with ink between two columns of a row (rows stand 30 apart).
    auto inkBottom = [&](int left, int right, int top) {
        int bottom = -1;
        for (int y = top; y < top + 30; ++y)
            for (int x = left; x < right; ++x)
                if (picturetest::difference(frame[static_cast<size_t>(y * W + x)], kBackdrop) > 60) bottom = y;
        return bottom;
    };
    for (int32_t i = 0; i < 8; ++i) {
        const ContextHighscores::Row row = page->row(i);
        SCOPED_TRACE(testing::Message() << "row " << i + 1 << ", " << wideToNarrow(row.name));
        const int top = H / 2 - static_cast<int>(row.y);
        // The level right-aligned at -300, the name from -290, the time
        // right-aligned at 200 (the points may carry a comma below the line).
        const int level = inkBottom(W / 2 - 340, W / 2 - 300, top);
        const int name = inkBottom(W / 2 - 290, W / 2 - 100, top);
        const int time = inkBottom(W / 2 + 120, W / 2 + 200, top);
        ASSERT_GE(level, 0);
        ASSERT_GE(name, 0);
        ASSERT_GE(time, 0);
        EXPECT_EQ(level, time);
        EXPECT_NEAR(name, level, 1) << "the name's letters stand " << level - name << " pixels above the number's";
        if (i == 0) std::printf("row 1: the name's ink ends on row %d, the number's on row %d\n", name, level);
    }
}

}  // namespace
