// The language page and the start-up language rules: the availability mask,
// the single-language setting, detection, a flag's choice and the restart
// that asks again.
#include <gtest/gtest.h>

#include "MenuHarness.h"
#include "engine/ZubMain.h"
#include "menu/ContextLanguageSelect.h"
#include "menu/LanguageFlag.h"
#include "sys/Logger.h"
#include "sys/Settings.h"

namespace {

std::vector<std::pair<V3, Skin*>> flags(ContextLanguageSelect* page) {
    std::vector<std::pair<V3, Skin*>> out;
    for (LanguageFlag* f : childrenOf<LanguageFlag>(page)) out.emplace_back(f->position, f->pSkin);
    return out;
}

TEST(PlayersLanguage, FlagsOfTheAvailableLanguagesTheChoiceAndTheStartUpRules) {
    menutest::MenuHarness h;
    Settings settings;  // in memory only
    auto skin = [&h](const char16_t* name) { return zub_cast<Skin>(h.resources.find(name)); };
    h.language.setLanguageMask(u"01");
    auto* german = new ContextLanguageSelect(&settings);
    EXPECT_EQ(flags(german), (std::vector<std::pair<V3, Skin*>>{{V3(0, 0, 0), skin(u"languageFlags:2")}}));
    deleteObject(german);

    h.language.setLanguageMask(u"");
    settings.setDefaultLanguage(-1);
    ContextLanguageSelect* page = ContextLanguageSelect::settleDefaultLanguage(settings, *h.stack);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(flags(page), (std::vector<std::pair<V3, Skin*>>{{V3(0, 50, 0), skin(u"languageFlags:0")},
                                                              {V3(0, -50, 0), skin(u"languageFlags:2")}}));
    h.step();
    h.pressKey(1);  // no way back without a choice
    h.click(page->worldToScreen(V3(200, 0, 0)));
    ASSERT_EQ(h.top(), page);
    h.pressKey(208);  // key navigation reaches the lower flag ...
    h.step();
    h.pressKey(28);  // ... and its tap chooses
    h.step(2);
    EXPECT_EQ(h.depth(), 0);
    EXPECT_EQ(settings.getDefaultLanguage(), 1);

    settings.singleLanguage = 1;  // overrides what the user file says
    settings.setDefaultLanguage(-1);
    EXPECT_EQ(ContextLanguageSelect::settleDefaultLanguage(settings, *h.stack), nullptr);
    EXPECT_EQ(settings.getDefaultLanguage(), 1);

    EXPECT_EQ(ContextLanguageSelect::autodetectLanguage(u"de"), 1);
    EXPECT_EQ(ContextLanguageSelect::autodetectLanguage(u"fr"), 0);
    EXPECT_EQ(Logger::get().history().back(), u"ContextLanguageSelect::autodetectLanguage(): Not found.");
    h.language.setLanguageMask(u"10");  // German is not available
    EXPECT_EQ(ContextLanguageSelect::autodetectLanguage(u"de"), 0);

    // A mask that leaves nothing would give a page without flags: detection instead.
    h.language.setLanguageMask(u"00");
    settings.singleLanguage = -1;
    settings.setDefaultLanguage(-1);
    EXPECT_EQ(ContextLanguageSelect::settleDefaultLanguage(settings, *h.stack), nullptr);
    EXPECT_EQ(settings.getDefaultLanguage(), 0);

    ContextLanguageSelect::requestLanguageChoice(settings);  // the options menu's button
    EXPECT_EQ(settings.getDefaultLanguage(), -1);
    EXPECT_TRUE(restartRequested);
    restartRequested = false;

    EXPECT_EQ(ContextLanguageSelect::isoCode2skinIndex(u"nl"), 14);
    EXPECT_DEATH(ContextLanguageSelect::isoCode2skinIndex(u"EN"), "Could not find flag for ISO code 'EN'");
}

}  // namespace
