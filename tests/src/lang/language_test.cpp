// The language object: construction, lookups by number and by name, the
// availability mask, the choice of language and its reading order.
#include <gtest/gtest.h>

#include <string>

#include "lang/Language.h"
#include "sys/ErrorManager.h"
#include "util/Format.h"

namespace {

std::u16string_view view(const char16_t* text) {
    return text ? std::u16string_view(text) : std::u16string_view(u"<null>");
}

// Both rows read `order` as their reading order.
Language::FillHook readingOrder(const char16_t* order) {
    return [order](Language::TextTable& texts) {
        texts[Language::ENGLISH][SID_LANGUAGEREADINGORDER] = order;
        texts[Language::GERMAN][SID_LANGUAGEREADINGORDER] = order;
    };
}

}  // namespace

TEST(Language, LookupsByNumberAndByName) {
    Language language;
    EXPECT_EQ(language.currentLanguage, -1);
    EXPECT_EQ(language.bRightToLeft, 0);
    // Before a language is chosen, English is read.
    EXPECT_EQ(view(language.getText(SID_LANGUAGENAME)), u"English");
    language.setLanguage(Language::GERMAN);
    EXPECT_EQ(view(language.getText(SID_YES)), u"Ja");
    EXPECT_EQ(view(language.getText(SID_NULL)), u"");
    EXPECT_EQ(view(language.getText(-1)), u"");
    EXPECT_EQ(view(language.getText(Language::NUM_STRINGS)), u"");
    // getTextIn ignores the current language.
    EXPECT_EQ(view(language.getTextIn(Language::ENGLISH, SID_LANGUAGEISOCODE)), u"en");
    EXPECT_EQ(view(language.getTextIn(2, SID_LANGUAGEISOCODE)), u"");
    EXPECT_EQ(view(language.getTextIn(0, 5000)), u"");

    // Names are case sensitive and give the same pointer as their numbers.
    EXPECT_TRUE(language.hasString(u"DIK_MOUSEBUTTON3"));
    EXPECT_TRUE(language.hasString(u"COUNTRYZW"));
    EXPECT_FALSE(language.hasString(u"languagename"));
    EXPECT_FALSE(language.hasString(u"COUNTRYYU"));
    EXPECT_FALSE(language.hasString(u""));
    EXPECT_FALSE(language.hasString(u"CONFIRM "));
    EXPECT_EQ(language.getTextByString(u"COUNTRYDE", true), language.getText(281));
    EXPECT_EQ(view(language.getText(281)), u"Deutschland");
    language.setLanguage(0);
    EXPECT_EQ(language.getTextByString(u"DIK_ESCAPE", false), language.getText(11));
    // NULL and unknown names without the fatal flag give the empty text.
    EXPECT_EQ(view(language.getTextByString(u"NULL", true)), u"");
    EXPECT_EQ(view(language.getTextByString(u"NOSUCHTEXT", false)), u"");
    EXPECT_EQ(view(language.getTextByString(u"hintmap", false)), u"");
}

TEST(LanguageDeathTest, UnknownNamesAndMissingEntriesEndTheProgram) {
    ErrorManager::bTestMode = true;
    EXPECT_EXIT(
        {
            Language language;
            language.setLanguage(0);
            language.getTextByString(u"NOSUCHTEXT", true);
        },
        ::testing::ExitedWithCode(255), "Unknown string identifier 'NOSUCHTEXT'");
    EXPECT_EXIT(Language([](Language::TextTable& t) { t[Language::GERMAN][SID_LANGUAGECOMPOSITECHARS] = nullptr; }),
                ::testing::ExitedWithCode(255), "String 5 \\('Yes'\\) is missing from language 1\\.");
    EXPECT_EXIT(Language([](Language::TextTable& texts) { texts[Language::ENGLISH][SID_CONFIRM] = nullptr; }),
                ::testing::ExitedWithCode(255), "String 440 \\('\\(null\\)'\\) is missing from language 0\\.");
    // The first missing entry is reported.
    EXPECT_EXIT(Language([](Language::TextTable& texts) {
                    texts[Language::GERMAN][3] = nullptr;
                    texts[Language::ENGLISH][900] = nullptr;
                }),
                ::testing::ExitedWithCode(255), "String 900 .* is missing from language 0\\.");
}

TEST(Language, TheMaskDecidesWhichLanguageIsTaken) {
    struct Case {
        const char16_t* mask;
        bool english, german;
        int32_t germanGives;
    };
    // An empty mask allows all; a short mask refuses what it leaves out; only
    // the character '1' allows; English is taken even when refused.
    for (const Case& c : {Case{u"", true, true, 1}, Case{u"10", true, false, 0}, Case{u"1", true, false, 0},
                          Case{u"01", false, true, 1}, Case{u"1Y", true, false, 0}, Case{u"12", true, false, 0},
                          Case{u"1 ", true, false, 0}}) {
        Language language;
        language.setLanguageMask(c.mask);
        EXPECT_EQ(language.getLanguageMask(), c.mask);
        EXPECT_EQ(language.isLanguageAvailable(0), c.english) << wideToNarrow(c.mask);
        EXPECT_EQ(language.isLanguageAvailable(1), c.german) << wideToNarrow(c.mask);
        EXPECT_EQ(language.isLanguageAvailable(-1), c.mask[0] == 0) << wideToNarrow(c.mask);
        language.setLanguage(1);
        EXPECT_EQ(language.currentLanguage, c.germanGives) << wideToNarrow(c.mask);
        language.setLanguage(0);
        EXPECT_EQ(language.currentLanguage, 0);
    }
    // An index out of range selects English.
    Language language;
    for (int32_t index : {-1, 2, -2147483647 - 1}) {
        language.setLanguage(1);
        language.setLanguage(index);
        EXPECT_EQ(language.currentLanguage, 0) << index;
    }
}

TEST(Language, OnlyTheExactTextRtlReadsRightToLeft) {
    Language builtIn;
    for (int l : {0, 1}) {
        builtIn.setLanguage(l);
        EXPECT_EQ(builtIn.bRightToLeft, 0);
    }
    for (const char16_t* order : {u"rtl", u"RTL "}) {
        Language language(readingOrder(order));
        language.setLanguage(1);
        EXPECT_EQ(language.bRightToLeft, 0) << wideToNarrow(order);
    }
    // It follows the row selected (and the mask's choice).
    Language language([](Language::TextTable& texts) { texts[Language::GERMAN][SID_LANGUAGEREADINGORDER] = u"RTL"; });
    language.setLanguage(1);
    EXPECT_EQ(language.bRightToLeft, 1);
    language.setLanguage(0);
    EXPECT_EQ(language.bRightToLeft, 0);
    language.setLanguageMask(u"10");
    language.setLanguage(1);
    EXPECT_EQ(language.bRightToLeft, 0);
}

TEST(Language, NumbersAndNamesMatch) {
    Language language;
    for (int32_t id = 0; id < NUM_STRING_IDS; ++id) {
        const char16_t* name = Language::getStringIdName(id);
        ASSERT_NE(name, nullptr) << id;
        EXPECT_EQ(language.findStringId(name), id) << wideToNarrow(name);
    }
    EXPECT_EQ(Language::getStringIdName(-1), nullptr);
    EXPECT_EQ(Language::getStringIdName(NUM_STRING_IDS), nullptr);
    EXPECT_EQ(language.findStringId(u"NOSUCHTEXT"), -1);
}

TEST(Language, TipsAndTouchVariantsAreFoundByTheirFormedNames) {
    Language language;
    language.setLanguage(0);
    for (int level = 0; level < 32; ++level) {
        const WString name = formatString(u"HINTENDLEVEL%d", level);
        EXPECT_EQ(language.getTextByString(name, false), language.getText(SID_HINTENDLEVEL0 + level)) << level;
    }
    EXPECT_FALSE(language.hasString(u"HINTENDLEVEL32"));
    EXPECT_TRUE(language.hasString(formatString(u"IOS_%s", u"HINTMAP")));
    EXPECT_FALSE(language.hasString(formatString(u"IOS_%s", u"HINTWORM")));
    EXPECT_EQ(view(language.getTextByString(u"IOS_HINTLETSGO", true)), u"");
    EXPECT_NE(view(language.getTextByString(u"HINTLETSGO", true)), u"");
}
