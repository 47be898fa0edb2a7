// Code-point tables (the ".codepointLUT.bin" format and the built-in code
// pages) and colour markup.
#include <gtest/gtest.h>

#include "text/CodePointTable.h"
#include "text/CompositeChars.h"
#include "text/TextMarkup.h"

namespace {

TEST(CodePointTable, BuiltIn1252IsWindowsWestern) {
    const CodePointTable t = CodePointTable::builtIn(u"1252");
    EXPECT_EQ(t.map(0), 0);
    EXPECT_EQ(t.map(1), 1);  // symbol codes stay
    EXPECT_EQ(t.map('A'), u'A');
    EXPECT_EQ(t.map(0x7F), 0x7F);
    EXPECT_EQ(t.map(0x80), 0x20AC);  // euro sign
    EXPECT_EQ(t.map(0x81), 0);       // unused
    EXPECT_EQ(t.map(0x8A), 0x0160);  // S with caron
    EXPECT_EQ(t.map(0x9F), 0x0178);  // Y with diaeresis
    EXPECT_EQ(t.map(0xE9), 0x00E9);
    EXPECT_EQ(t.map(0xFF), 0x00FF);
    EXPECT_EQ(t.map(256), 0);
    EXPECT_EQ(t.map(-1), 0);
}

TEST(CodePointTable, BuiltIn1250IsWindowsCentralEuropean) {
    const CodePointTable t = CodePointTable::builtIn(u"1250");
    EXPECT_EQ(t.map(0x80), 0x20AC);
    EXPECT_EQ(t.map(0x83), 0);
    EXPECT_EQ(t.map(0x8C), 0x015A);  // S acute
    EXPECT_EQ(t.map(0xA1), 0x02C7);  // caron
    EXPECT_EQ(t.map(0xA3), 0x0141);  // L stroke
    EXPECT_EQ(t.map(0xB9), 0x0105);  // a ogonek
    EXPECT_EQ(t.map(0xE8), 0x010D);  // c caron
    EXPECT_EQ(t.map(0xF5), 0x0151);  // o double acute
    EXPECT_EQ(t.map(0xFF), 0x02D9);  // dot above
    EXPECT_EQ(t.find(0x0159), 0xF8);
    EXPECT_EQ(t.find(0x00E8), -1);  // e grave is not in 1250
}

TEST(CodePointTable, OtherCodePagesAreLatin1) {
    const CodePointTable t = CodePointTable::builtIn(u"1251");
    for (int c = 0; c < 256; ++c) EXPECT_EQ(t.map(c), static_cast<char16_t>(c));
}

TEST(CodePointTable, FileFormatIs256LittleEndianUnits) {
    const CodePointTable t = CodePointTable::builtIn(u"1252");
    const std::string bytes = t.toBytes();
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2 * 0x41]), 0x41);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2 * 0x41 + 1]), 0x00);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2 * 0x80]), 0xAC);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2 * 0x80 + 1]), 0x20);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2 * 0x81]), 0x00);
    EXPECT_EQ(static_cast<uint8_t>(bytes[2 * 0x81 + 1]), 0x00);

    CodePointTable back = CodePointTable::builtIn(u"1250");
    ASSERT_TRUE(CodePointTable::parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), back));
    EXPECT_EQ(back, t);
}

TEST(CodePointTable, OnlyExactly512BytesParse) {
    const std::string bytes(511, '\x01');
    CodePointTable t;
    const CodePointTable before = t;
    EXPECT_FALSE(CodePointTable::parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), t));
    EXPECT_FALSE(CodePointTable::parse(nullptr, 512, t));
    EXPECT_EQ(t, before);
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

TEST(Markup, SwitchesAreNineUnits) {
    const std::u16string s = u"a\x1E{0000ff}b\x1E{000001}c\x1E{FF8000}d";
    uint32_t colour = 0;
    bool ok = false;
    EXPECT_EQ(text_markup::readSwitch(s, 0, colour, ok), 0u);
    EXPECT_EQ(text_markup::readSwitch(s, 1, colour, ok), 9u);
    EXPECT_TRUE(ok);
    EXPECT_EQ(colour, 0xFF0000FFu);
    EXPECT_EQ(text_markup::readSwitch(s, 11, colour, ok), 9u);
    EXPECT_EQ(colour, text_markup::DEFAULT_COLOUR);
    EXPECT_EQ(text_markup::readSwitch(s, 21, colour, ok), 9u);
    EXPECT_EQ(colour, 0xFFFF8000u);
    EXPECT_EQ(text_markup::strip(s), u"abcd");
}

TEST(Markup, ABrokenSwitchIsDroppedAlone) {
    uint32_t colour = 7;
    bool ok = true;
    const std::u16string s = u"\x1E{00zz00}x";
    EXPECT_EQ(text_markup::readSwitch(s, 0, colour, ok), 1u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(colour, 7u);
    EXPECT_EQ(text_markup::strip(s), u"{00zz00}x");
    EXPECT_EQ(text_markup::strip(u"ab\x1E{12"), u"ab{12");
}

TEST(Markup, SwitchesForColoursAndTheirResolution) {
    EXPECT_EQ(text_markup::switchFor(1), u"\x1E{000001}");
    EXPECT_EQ(text_markup::switchFor(0xFF12AB00), u"\x1E{12ab00}");
    EXPECT_EQ(text_markup::resolve(1, 0x80FFFFFF), 0x80FFFFFFu);
    EXPECT_EQ(text_markup::resolve(0xFF0000FF, 0x80000000), 0x800000FFu);
}

}  // namespace
