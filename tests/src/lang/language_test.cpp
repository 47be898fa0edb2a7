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

TEST(Language, ConstructionSelectsNoLanguage) {
    Language language;
    EXPECT_EQ(language.currentLanguage, -1);
    EXPECT_EQ(language.bRightToLeft, 0);
}

TEST(Language, GetTextBeforeSetLanguageReadsEnglish) {
    Language language;
    EXPECT_EQ(language.getText(SID_LANGUAGENAME), language.texts[Language::ENGLISH][SID_LANGUAGENAME]);
    EXPECT_EQ(view(language.getText(SID_LANGUAGENAME)), u"English");
}

TEST(Language, GetTextReadsTheCurrentRow) {
    Language language;
    language.setLanguage(Language::GERMAN);
    EXPECT_EQ(language.getText(SID_YES), language.texts[Language::GERMAN][SID_YES]);
    EXPECT_EQ(view(language.getText(SID_YES)), u"Ja");
    EXPECT_EQ(view(language.getText(SID_NULL)), u"");
}

TEST(Language, GetTextOutsideTheTableIsEmpty) {
    Language language;
    language.setLanguage(0);
    EXPECT_EQ(view(language.getText(-1)), u"");
    EXPECT_EQ(view(language.getText(Language::NUM_STRINGS)), u"");
}

TEST(Language, GetTextInIgnoresTheCurrentLanguage) {
    Language language;
    language.setLanguage(Language::GERMAN);
    EXPECT_EQ(view(language.getTextIn(Language::ENGLISH, SID_LANGUAGEISOCODE)), u"en");
    EXPECT_EQ(view(language.getTextIn(Language::GERMAN, SID_LANGUAGEISOCODE)), u"de");
    EXPECT_EQ(view(language.getTextIn(2, SID_LANGUAGEISOCODE)), u"");
    EXPECT_EQ(view(language.getTextIn(0, 5000)), u"");
}

TEST(Language, NamesAreRegisteredCaseSensitively) {
    Language language;
    EXPECT_TRUE(language.hasString(u"NULL"));
    EXPECT_TRUE(language.hasString(u"DIK_MOUSEBUTTON3"));
    EXPECT_TRUE(language.hasString(u"COUNTRYNONE"));
    EXPECT_TRUE(language.hasString(u"COUNTRYZW"));
    EXPECT_TRUE(language.hasString(u"LANGUAGENAME"));
    EXPECT_FALSE(language.hasString(u"languagename"));
    EXPECT_FALSE(language.hasString(u"COUNTRYYU"));
    EXPECT_FALSE(language.hasString(u""));
    EXPECT_FALSE(language.hasString(u"CONFIRM "));
}

TEST(Language, LookupByNameGivesTheSamePointerAsByNumber) {
    Language language;
    language.setLanguage(0);
    EXPECT_EQ(language.getTextByString(u"DIK_ESCAPE", false), language.getText(11));
    EXPECT_EQ(language.getTextByString(u"COUNTRYDE", true), language.getText(281));
    language.setLanguage(1);
    EXPECT_EQ(language.getTextByString(u"COUNTRYDE", true), language.getText(281));
    EXPECT_EQ(view(language.getText(281)), u"Deutschland");
}

TEST(Language, TheNullNameGivesTheEmptyText) {
    Language language;
    language.setLanguage(0);
    const char16_t* text = language.getTextByString(u"NULL", true);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(view(text), u"");
}

TEST(Language, AnUnknownNameWithoutTheFatalFlagGivesTheEmptyText) {
    Language language;
    language.setLanguage(0);
    const char16_t* text = language.getTextByString(u"NOSUCHTEXT", false);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(view(text), u"");
    EXPECT_EQ(view(language.getTextByString(u"hintmap", false)), u"");
}

TEST(LanguageDeathTest, AnUnknownNameWithTheFatalFlagEndsTheProgram) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            Language language;
            language.setLanguage(0);
            language.getTextByString(u"NOSUCHTEXT", true);
        },
        ::testing::ExitedWithCode(255), "Unknown string identifier 'NOSUCHTEXT'");
}

TEST(LanguageDeathTest, AMissingEntryEndsTheProgramAtConstruction) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            Language language([](Language::TextTable& texts) { texts[Language::GERMAN][SID_LANGUAGECOMPOSITECHARS] = nullptr; });
        },
        ::testing::ExitedWithCode(255), "String 5 \\('Yes'\\) is missing from language 1\\.");
}

TEST(LanguageDeathTest, AMissingEnglishEntryIsNamedNull) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            Language language([](Language::TextTable& texts) { texts[Language::ENGLISH][SID_CONFIRM] = nullptr; });
        },
        ::testing::ExitedWithCode(255), "String 440 \\('\\(null\\)'\\) is missing from language 0\\.");
}

TEST(LanguageDeathTest, TheFirstMissingEntryIsReported) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            Language language([](Language::TextTable& texts) {
                texts[Language::GERMAN][3] = nullptr;
                texts[Language::ENGLISH][900] = nullptr;
            });
        },
        ::testing::ExitedWithCode(255), "String 900 .* is missing from language 0\\.");
}

TEST(Language, AnEmptyMaskMakesEveryLanguageAvailable) {
    Language language;
    EXPECT_TRUE(language.isLanguageAvailable(0));
    EXPECT_TRUE(language.isLanguageAvailable(1));
    EXPECT_TRUE(language.isLanguageAvailable(7));
    EXPECT_TRUE(language.isLanguageAvailable(-1));
    language.setLanguage(1);
    EXPECT_EQ(language.currentLanguage, 1);
}

TEST(Language, MaskOneZeroSelectsEnglishForGerman) {
    Language language;
    language.setLanguageMask(u"10");
    EXPECT_TRUE(language.isLanguageAvailable(0));
    EXPECT_FALSE(language.isLanguageAvailable(1));
    language.setLanguage(1);
    EXPECT_EQ(language.currentLanguage, 0);
}

TEST(Language, AMaskShorterThanTheIndexRefusesIt) {
    Language language;
    language.setLanguageMask(u"1");
    EXPECT_TRUE(language.isLanguageAvailable(0));
    EXPECT_FALSE(language.isLanguageAvailable(1));
    EXPECT_FALSE(language.isLanguageAvailable(-1));
    language.setLanguage(1);
    EXPECT_EQ(language.currentLanguage, 0);
}

TEST(Language, EnglishIsTakenEvenWhenTheMaskRefusesIt) {
    Language language;
    language.setLanguageMask(u"01");
    EXPECT_FALSE(language.isLanguageAvailable(0));
    EXPECT_TRUE(language.isLanguageAvailable(1));
    language.setLanguage(0);
    EXPECT_EQ(language.currentLanguage, 0);
    language.setLanguage(1);
    EXPECT_EQ(language.currentLanguage, 1);
}

TEST(Language, OnlyTheCharacterOneMakesALanguageAvailable) {
    for (const char16_t* mask : {u"1Y", u"12", u"1 ", u"1y"}) {
        Language language;
        language.setLanguageMask(mask);
        EXPECT_FALSE(language.isLanguageAvailable(1)) << wideToNarrow(mask);
        language.setLanguage(1);
        EXPECT_EQ(language.currentLanguage, 0) << wideToNarrow(mask);
    }
}

TEST(Language, AnIndexOutOfRangeSelectsEnglish) {
    Language language;
    language.setLanguage(-1);
    EXPECT_EQ(language.currentLanguage, 0);
    language.setLanguage(1);
    language.setLanguage(2);
    EXPECT_EQ(language.currentLanguage, 0);
    language.setLanguage(1);
    language.setLanguage(-2147483647 - 1);
    EXPECT_EQ(language.currentLanguage, 0);
}

TEST(Language, TheMaskCanBeReadBack) {
    Language language;
    EXPECT_EQ(language.getLanguageMask(), u"");
    language.setLanguageMask(u"11");
    EXPECT_EQ(language.getLanguageMask(), u"11");
}

TEST(Language, BothBuiltInLanguagesReadLeftToRight) {
    Language language;
    language.setLanguage(0);
    EXPECT_EQ(language.bRightToLeft, 0);
    language.setLanguage(1);
    EXPECT_EQ(language.bRightToLeft, 0);
}

TEST(Language, OnlyTheExactTextRtlReadsRightToLeft) {
    {
        Language language(readingOrder(u"rtl"));
        language.setLanguage(1);
        EXPECT_EQ(language.bRightToLeft, 0);
    }
    {
        Language language(readingOrder(u"RTL "));
        language.setLanguage(1);
        EXPECT_EQ(language.bRightToLeft, 0);
    }
    {
        Language language(readingOrder(u"RTL"));
        language.setLanguage(1);
        EXPECT_EQ(language.bRightToLeft, 1);
        language.setLanguage(0);
        EXPECT_EQ(language.bRightToLeft, 1);
    }
}

TEST(Language, TheReadingOrderFollowsTheSelectedRow) {
    Language language([](Language::TextTable& texts) { texts[Language::GERMAN][SID_LANGUAGEREADINGORDER] = u"RTL"; });
    language.setLanguage(1);
    EXPECT_EQ(language.bRightToLeft, 1);
    language.setLanguage(0);
    EXPECT_EQ(language.bRightToLeft, 0);
    language.setLanguageMask(u"10");
    language.setLanguage(1);
    EXPECT_EQ(language.currentLanguage, 0);
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

TEST(Language, EndOfLevelTipsAreFoundByTheirFormedNames) {
    Language language;
    language.setLanguage(0);
    for (int level = 0; level < 32; ++level) {
        const WString name = formatString(u"HINTENDLEVEL%d", level);
        EXPECT_TRUE(language.hasString(name)) << level;
        EXPECT_EQ(language.getTextByString(name, false), language.getText(SID_HINTENDLEVEL0 + level));
    }
    EXPECT_EQ(view(language.getTextByString(u"HINTENDLEVEL30", false)), u"");
    EXPECT_EQ(view(language.getTextByString(u"HINTENDLEVEL31", false)), u"");
    EXPECT_FALSE(language.hasString(u"HINTENDLEVEL32"));
}

TEST(Language, TouchVariantsAreFoundByTheirFormedNames) {
    Language language;
    language.setLanguage(0);
    EXPECT_TRUE(language.hasString(formatString(u"IOS_%s", u"HINTMAP")));
    EXPECT_FALSE(language.hasString(formatString(u"IOS_%s", u"HINTWORM")));
    EXPECT_TRUE(language.hasString(u"IOS_HINTLETSGO"));
    EXPECT_EQ(view(language.getTextByString(u"IOS_HINTLETSGO", true)), u"");
    EXPECT_NE(view(language.getTextByString(u"HINTLETSGO", true)), u"");
}
