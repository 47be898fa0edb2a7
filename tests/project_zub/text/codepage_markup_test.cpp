// Code-point tables (the ".codepointLUT.bin" format and the built-in code
// pages) and colour markup.
#include <gtest/gtest.h>

#include "text/CodePointTable.h"
#include "text/CompositeChars.h"
#include "text/TextMarkup.h"

namespace {

TEST(CodePointTable, BuiltInTablesOfTheTwoCodePagesAndLatin1) {
    const CodePointTable w = CodePointTable::builtIn(u"1252");
    EXPECT_EQ(w.map(0), 0);
    EXPECT_EQ(w.map(1), 1);          // symbol codes stay
    EXPECT_EQ(w.map(0x80), 0x20AC);  // euro sign
    EXPECT_EQ(w.map(0x81), 0);       // unused
    EXPECT_EQ(w.map(0x9F), 0x0178);  // Y with diaeresis
    EXPECT_EQ(w.map(0xFF), 0x00FF);
    EXPECT_EQ(w.map(256), 0);
    EXPECT_EQ(w.map(-1), 0);
    const CodePointTable c = CodePointTable::builtIn(u"1250");
    EXPECT_EQ(c.map(0x83), 0);
    EXPECT_EQ(c.map(0x8C), 0x015A);  // S acute
    EXPECT_EQ(c.map(0xA3), 0x0141);  // L stroke
    EXPECT_EQ(c.map(0xF5), 0x0151);  // o double acute
    EXPECT_EQ(c.map(0xFF), 0x02D9);  // dot above
    EXPECT_EQ(c.find(0x0159), 0xF8);
    EXPECT_EQ(c.find(0x00E8), -1);                                  // e grave is not in 1250
    EXPECT_EQ(CodePointTable::builtIn(u"1251"), CodePointTable());  // any other: Latin-1
}

TEST(CodePointTable, FileFormatIs256LittleEndianUnitsInExactly512Bytes) {
    const CodePointTable t = CodePointTable::builtIn(u"1252");
    const std::string bytes = t.toBytes();
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2 * 0x41]), 0x41);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2 * 0x80]), 0xAC);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2 * 0x80 + 1]), 0x20);
    CodePointTable back = CodePointTable::builtIn(u"1250");
    ASSERT_TRUE(CodePointTable::parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), back));
    EXPECT_EQ(back, t);
    EXPECT_FALSE(CodePointTable::parse(reinterpret_cast<const uint8_t*>(bytes.data()), 511, back));
    EXPECT_FALSE(CodePointTable::parse(nullptr, 512, back));
    EXPECT_EQ(back, t);
}

TEST(CompositeChars, SetsCoverTheAccentedLettersOfBothCodePages) {
    EXPECT_EQ(composite_chars::forCodePage(u"1252").size(), 58u);
    EXPECT_EQ(composite_chars::forCodePage(u"1250").size(), 76u);
    EXPECT_TRUE(composite_chars::forCodePage(u"1251").empty());
    // Every composed character is a character of its code page.
    for (const char16_t* cp : {u"1252", u"1250"}) {
        const CodePointTable t = CodePointTable::builtIn(cp);
        for (const composite_chars::Entry& e : composite_chars::forCodePage(cp)) {
            EXPECT_GE(t.find(e.character), 0x80) << static_cast<int>(e.character);
            EXPECT_LT(e.base, 0x80);
        }
    }
}

TEST(Markup, SwitchesAreNineUnitsAndABrokenOneIsDroppedAlone) {
    const std::u16string s = u"a\x1E{0000ff}b\x1E{000001}c\x1E{FF8000}d";
    uint32_t colour = 0;
    bool ok = false;
    EXPECT_EQ(text_markup::readSwitch(s, 0, colour, ok), 0u);
    EXPECT_EQ(text_markup::readSwitch(s, 1, colour, ok), 9u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(colour, 0xFF0000FFu);
    EXPECT_EQ(text_markup::readSwitch(s, 11, colour, ok), 9u);
    EXPECT_EQ(colour, text_markup::DEFAULT_COLOUR);
    EXPECT_EQ(text_markup::strip(s), u"abcd");
    colour = 7;
    const std::u16string broken = u"\x1E{00zz00}x";
    EXPECT_EQ(text_markup::readSwitch(broken, 0, colour, ok), 1u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(colour, 7u);
    EXPECT_EQ(text_markup::strip(broken), u"{00zz00}x");
    EXPECT_EQ(text_markup::strip(u"ab\x1E{12"), u"ab{12");
}

TEST(Markup, SwitchesForColoursAndTheirResolution) {
    EXPECT_EQ(text_markup::switchFor(1), u"\x1E{000001}");
    EXPECT_EQ(text_markup::switchFor(0xFF12AB00), u"\x1E{12ab00}");
    EXPECT_EQ(text_markup::resolve(1, 0x80FFFFFF), 0x80FFFFFFu);
    EXPECT_EQ(text_markup::resolve(0xFF0000FF, 0x80000000), 0x800000FFu);
}

}  // namespace
