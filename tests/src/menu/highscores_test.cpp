// The high-score page lists the configuration's table one season at a time,
// as stored (level order, "..." for an entry without a result), with the
// numbers written in the language's way.
#include <gtest/gtest.h>

#include "gui/MenuBackButton.h"
#include "gui/MenuItemChoice.h"
#include "menu/ContextHighscores.h"
#include "options_support.h"
#include "text/FadingText.h"
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

}  // namespace
