// Atlas fonts: glyphs from pages through the code page, metrics, measuring,
// ellipsis and composite characters.
#include <gtest/gtest.h>

#include "gfx/Quad.h"
#include "sys/ErrorManager.h"
#include "text/CompositeChars.h"
#include "text_test_support.h"

using namespace texttest;

namespace {

using Fonts = FontTest;

TEST_F(Fonts, PagesGiveGlyphsFromCode33ThroughTheCodePage) {
    FontQuad* font = makeFont();
    ASSERT_EQ(font->pages.size(), 2u);  // one page and one extra page
    EXPECT_EQ(font->name, u"tex-font-test-1252");
    EXPECT_FALSE(font->hasGlyph(u' '));  // no page holds the space
    EXPECT_TRUE(font->hasGlyph(u'!'));
    EXPECT_TRUE(font->hasGlyph(0x0160));  // code 0x8A
    EXPECT_TRUE(font->hasGlyph(0x00FF));
    EXPECT_FALSE(font->hasGlyph(0x0081));  // unused in 1252: no glyph for the raw code
    EXPECT_FALSE(font->hasGlyph(0x007F));  // DejaVu Sans has no glyph for DEL: an empty slot
    EXPECT_FALSE(font->hasGlyph(0x0151));  // o double acute is not in 1252
    // The extra page's symbols, codes as they are from 0.
    for (char16_t c = 1; c <= 10; ++c) EXPECT_TRUE(font->hasGlyph(c)) << static_cast<int>(c);
    EXPECT_FALSE(font->hasGlyph(0));
    EXPECT_EQ(font->lastCode, 10);

    const FontQuad::Glyph a = font->getGlyph(u'A');
    ASSERT_NE(a.quad, nullptr);
    EXPECT_EQ(a.accent, nullptr);
    EXPECT_FLOAT_EQ(a.spacing, a.quad->width + 1.0f);  // letter spacing 1 by default
    EXPECT_EQ(font->getGlyph(u' ').quad, nullptr);
    // The code-page table came from the resources; 'A' is skin 'A' - 33 of page 1.
    Texture* page1 = font->pages[0];
    EXPECT_EQ(a.quad, page1->getSkin('A' - 33));
    EXPECT_EQ(font->getGlyph(0x20AC).quad, page1->getSkin(0x80 - 33));
}

TEST_F(Fonts, TheSameCodesMeanOtherCharactersIn1250) {
    FontQuad* font = makeFont(u"1250");
    EXPECT_TRUE(font->hasGlyph(0x0151));   // o double acute (0xF5)
    EXPECT_TRUE(font->hasGlyph(0x0141));   // L stroke
    EXPECT_FALSE(font->hasGlyph(0x00E8));  // e grave is not in 1250
    EXPECT_EQ(font->getGlyph(0x0159).quad, font->pages[0]->getSkin(0xF8 - 33));
}

TEST_F(Fonts, TheLineIsAsHighAsTheGlyphCells) {
    FontQuad* font = makeFont();
    const float cell = font->getGlyph(u'A').quad->height;
    EXPECT_EQ(font->height, static_cast<int>(cell));
    EXPECT_EQ(font->pixelHeight, font->height);  // no graphics: one unit per pixel
    EXPECT_GE(font->height, 18);
    EXPECT_LE(font->height, 20);
    // Every page glyph is a full line high.
    EXPECT_FLOAT_EQ(font->getGlyph(u'.').quad->height, cell);
    EXPECT_FLOAT_EQ(font->getGlyph(u'g').quad->height, cell);
}

TEST_F(Fonts, PagesOfOneFontContinueTheirCodes) {
    FontQuad* paged = makeFont(u"1252", u"font-paged");
    FontQuad* single = makeFont(u"1252", u"font-test");
    ASSERT_GT(paged->pages.size(), 2u);
    for (int code = 33; code < 256; ++code) {
        const char16_t u = CodePointTable::builtIn(u"1252").map(code);
        if (!u) continue;
        const FontQuad::Glyph p = paged->getGlyph(u), s = single->getGlyph(u);
        ASSERT_EQ(p.quad != nullptr, s.quad != nullptr) << code;
        if (s.quad) {
            EXPECT_FLOAT_EQ(p.quad->width, s.quad->width) << code;
        }
    }
    EXPECT_EQ(paged->lastCode, 255);
}

TEST_F(Fonts, AddSourceTextureFirstCodesRawCodesAndContinue) {
    loadPages(u"1252", u"font-test", u"t");
    Texture* page = resources.findAs<Texture>(u"t1");
    Texture* extra = resources.findAs<Texture>(u"tExtra1");
    FontQuad font;
    font.addSourceTexture(extra, 0x2190, true);  // arrows from U+2190
    EXPECT_TRUE(font.hasGlyph(0x2191));
    EXPECT_EQ(font.lastCode, 0x2190 + 10);
    font.addSourceTexture(extra, FontQuad::CONTINUE, true);
    EXPECT_FALSE(font.hasGlyph(0x2190 + 11));  // the empty slot 0
    EXPECT_TRUE(font.hasGlyph(0x2190 + 12));
    EXPECT_EQ(font.lastCode, 0x2190 + 21);
    // Raw pages set the height only while no code-page page is there.
    EXPECT_GT(font.height, 0);
    font.addSourceTexture(page, 33, false);
    EXPECT_EQ(font.height, static_cast<int>(font.getGlyph(u'A').quad->height));
    EXPECT_EQ(font.name, u"extra-font-test-1");
}

TEST_F(Fonts, AMappedTableResourceWinsOverTheBuiltInOne) {
    // A table that moves the letters: code 'A' stands for 'Z'.
    CodePointTable swapped = CodePointTable::builtIn(u"1252");
    swapped.units['A'] = u'Z';
    swapped.units['Z'] = u'A';
    loadPages(u"1252", u"font-test", u"t");
    scratch.write("gfx/font/9999/9999.codepointLUT.bin", swapped.toBytes());
    {
        FileManager other;
        other.baseFolder = scratch.path();
        auto* table = new FileData(0, u"gfx/font/9999/9999.codepointLUT.bin");
        owned.push_back(table);
        resources.addResource(u"9999.codepointLUT", table);
    }
    FontQuad::setCodePage(u"9999");
    EXPECT_EQ(FontQuad::currentCodePointTable().map('A'), u'Z');
    FontQuad font;
    font.addSourceTexture(resources.findAs<Texture>(u"t1"), 33);
    Texture* page1 = resources.findAs<Texture>(u"t1");
    EXPECT_EQ(font.getGlyph(u'Z').quad, page1->getSkin('A' - 33));
    EXPECT_EQ(font.getGlyph(u'A').quad, page1->getSkin('Z' - 33));
    // Without a resource the built-in table of the code page serves.
    FontQuad::setCodePage(u"1250");
    EXPECT_EQ(FontQuad::currentCodePointTable(), CodePointTable::builtIn(u"1250"));
}

TEST_F(Fonts, ATableOfTheWrongSizeIsFatal) {
    EXPECT_EXIT(
        {
            ErrorManager::bTestMode = true;
            scratch.write("bad.bin", std::string(100, '\0'));
            FileManager fm;
            fm.baseFolder = scratch.path();
            ResourceManager rm;
            FileData data(0, u"bad.bin");
            rm.addResource(u"1252.codepointLUT", &data);
            FontQuad::setCodePage(u"1252");
            (void)FontQuad::currentCodePointTable();
        },
        ::testing::ExitedWithCode(255), "Bad code-point table 'bad.bin': 100 bytes, 512 expected");
}

// --- measuring -------------------------------------------------------------------

TEST_F(Fonts, WidthsAreAdvancesPlusLetterSpacing) {
    FontQuad* font = makeFont();
    const float a = font->getGlyph(u'A').quad->width, b = font->getGlyph(u'b').quad->width;
    EXPECT_FLOAT_EQ(font->measureLine(u"Ab"), a + b + 2);
    EXPECT_FLOAT_EQ(font->measureLine(u"A b"), a + b + 2 + 4);  // the space: no glyph, 4
    font->letterSpacing = -1;
    font->defaultCharWidth = 6;
    EXPECT_FLOAT_EQ(font->measureLine(u"A b"), a + b - 2 + 6);
    // Colour switches have no width; a broken one is dropped by itself.
    EXPECT_FLOAT_EQ(font->measureLine(u"\x1E{0000ff}A\x1E{000001} b"), a + b - 2 + 6);
    EXPECT_FLOAT_EQ(font->measureLine(u""), 0.0f);
    EXPECT_FLOAT_EQ(font->measureLine(u"|"), font->getGlyph(u'|').quad->width - 1);
}

TEST_F(Fonts, MeasureTextIsTheWidestLineByTheLinesAndCountsWhatFits) {
    FontQuad* font = makeFont();
    const FontQuad::TextSize two = font->measureText(u"Hi\rHello there");
    EXPECT_FLOAT_EQ(two.width, font->measureLine(u"Hello there"));
    EXPECT_FLOAT_EQ(two.height, 2.0f * static_cast<float>(font->height));
    // '|' and U+000A are characters here, not breaks.
    EXPECT_FLOAT_EQ(font->measureText(u"a|b\nc").height, static_cast<float>(font->height));

    const std::u16string text = u"\x1E{ff0000}WWWW";
    const float w = font->advanceOf(u'W');
    EXPECT_EQ(font->measureText(text, 2 * w, 0).fit, 9 + 2);
    EXPECT_EQ(font->measureText(text, 2 * w - 0.5f, 0).fit, 9 + 1);
    EXPECT_EQ(font->measureText(text, 0, 0).fit, 9);  // the switch fits whole
    EXPECT_EQ(font->measureText(text, 1000, 0).fit, 13);
    EXPECT_FLOAT_EQ(font->measureText(text, 2 * w, 0).width, 4 * w);
}

TEST_F(Fonts, EllipsisCutsToTheWidth) {
    FontQuad* font = makeFont();
    const std::u16string text = u"A long caption that does not fit";
    const float full = font->measureLine(text);
    EXPECT_EQ(font->ellipsize(text, full), text);
    EXPECT_EQ(font->ellipsize(text, 9999), text);
    const float limit = full / 2;
    const std::u16string cut = font->ellipsize(text, limit);
    ASSERT_GE(cut.size(), 4u);
    EXPECT_EQ(cut.substr(cut.size() - 3), u"...");
    EXPECT_LE(font->measureLine(cut), limit);
    // The longest start: one more character would not fit.
    const std::u16string start = cut.substr(0, cut.size() - 3);
    EXPECT_EQ(text.rfind(start, 0), 0u);
    const std::u16string longer = text.substr(0, start.size() + 1) + u"...";
    EXPECT_GT(font->measureLine(longer), limit);
    // Nothing fits but the dots.
    EXPECT_EQ(font->ellipsize(text, font->measureLine(u"...")), u"...");
    // Switches are never cut in half.
    const std::u16string marked = u"\x1E{0000ff}WWWWWWWWWWWWWWWW";
    const std::u16string m = font->ellipsize(marked, font->measureLine(u"WW...") + 0.5f);
    EXPECT_EQ(m, u"\x1E{0000ff}WW...");
}

// --- composite characters -------------------------------------------------------

// The glyphs a code page's set has in a font.
int present(const FontQuad& font, std::u16string_view codePage) {
    int n = 0;
    for (const composite_chars::Entry& e : composite_chars::forCodePage(codePage)) n += font.hasGlyph(e.character);
    return n;
}

TEST_F(Fonts, FullPagesHaveEveryAccentedLetterOfBothCodePages) {
    for (const char16_t* cp : {u"1252", u"1250"}) {
        FontQuad* font = makeFont(cp);
        const int all = static_cast<int>(composite_chars::forCodePage(cp).size());
        EXPECT_EQ(present(*font, cp), all);
        // Nothing left to compose.
        EXPECT_EQ(font->buildCompositeChars(u"Yes", cp), 0);
        EXPECT_EQ(font->getGlyph(u'\u00E9').accent, nullptr);
    }
}

TEST_F(Fonts, CompositeCharactersAreMadeForBothCodePages) {
    for (const char16_t* cp : {u"1252", u"1250"}) {
        SCOPED_TRACE(std::string(cp == std::u16string_view(u"1252") ? "1252" : "1250"));
        FontQuad* font = makeFont(cp, u"font-bare");
        const int all = static_cast<int>(composite_chars::forCodePage(cp).size());
        const int before = present(*font, cp);
        EXPECT_LT(before, all / 4);
        // Only with "Yes", and only for a code page with a set.
        EXPECT_EQ(font->buildCompositeChars(u"No", cp), 0);
        EXPECT_EQ(font->buildCompositeChars(u"Yes", u"1251"), 0);
        EXPECT_EQ(present(*font, cp), before);
        const int made = font->buildCompositeChars(u"Yes", cp);
        EXPECT_EQ(made, all - before);
        EXPECT_EQ(present(*font, cp), all);
        for (const composite_chars::Entry& e : composite_chars::forCodePage(cp)) {
            const FontQuad::Glyph g = font->getGlyph(e.character);
            const FontQuad::Glyph base = font->getGlyph(e.base);
            ASSERT_NE(g.quad, nullptr) << static_cast<int>(e.character);
            if (!g.accent) continue;  // a letter of its own (1252's S caron)
            EXPECT_EQ(g.quad, base.quad);
            EXPECT_FLOAT_EQ(g.spacing, base.spacing);
            if (composite_chars::isBelow(e.accent)) {
                EXPECT_LT(g.accentY, 0.0f) << static_cast<int>(e.character);
            } else {
                EXPECT_GT(g.accentY, 0.0f) << static_cast<int>(e.character);
            }
        }
        // Composing again makes nothing new.
        EXPECT_EQ(font->buildCompositeChars(u"Yes", cp), 0);
    }
}

// The height of a composed glyph's accent bottom above its cell's top (0:
// the accent rests on the top of the line; negative: drawn lower).
float accentBottomBelowTop(const FontQuad::Glyph& g) {
    return g.quad->height * 0.5f - (g.accentY - g.accent->height * 0.5f);
}

TEST_F(Fonts, AccentsRestOnTheLineTopLessTheDrop) {
    FontQuad* plain = makeFont(u"1252", u"font-bare");
    plain->buildCompositeChars(u"Yes", u"1252");
    const FontQuad::Glyph e0 = plain->getGlyph(u'\u00E9'), E0 = plain->getGlyph(u'\u00C9');
    ASSERT_NE(e0.accent, nullptr);
    ASSERT_NE(E0.accent, nullptr);
    // Drops 0: the accents' ink rests on the top of the cell.
    EXPECT_FLOAT_EQ(accentBottomBelowTop(e0), 0.0f);
    EXPECT_FLOAT_EQ(accentBottomBelowTop(E0), 0.0f);
    // Centred over the letters (to a unit), made of the acute's ink only.
    EXPECT_NEAR(e0.accentX, 0.0f, 1.5f);
    EXPECT_LT(e0.accent->height, e0.quad->height / 2);
    EXPECT_EQ(e0.accent->texture, e0.quad->texture);

    // fontSmall's drops: 2 for capitals, 5 for small letters.
    FontQuad* small = makeFont(u"1252", u"font-bare");
    small->accentDropCapital = 2;
    small->accentDropSmall = 5;
    small->buildCompositeChars(u"Yes", u"1252");
    const FontQuad::Glyph e = small->getGlyph(u'\u00E9'), E = small->getGlyph(u'\u00C9');
    EXPECT_FLOAT_EQ(accentBottomBelowTop(E), 2.0f);
    EXPECT_GT(accentBottomBelowTop(e), 2.0f);
    EXPECT_LE(accentBottomBelowTop(e), 5.0f);
    EXPECT_GT(E.accentY, e.accentY);  // the capital's accent sits higher

    // A drop larger than the room stops one unit above the letter's ink.
    FontQuad* deep = makeFont(u"1252", u"font-bare");
    deep->accentDropCapital = deep->accentDropSmall = 50;
    deep->buildCompositeChars(u"Yes", u"1252");
    FontQuad* deeper = makeFont(u"1252", u"font-bare");
    deeper->accentDropCapital = deeper->accentDropSmall = 100;
    deeper->buildCompositeChars(u"Yes", u"1252");
    const FontQuad::Glyph d = deep->getGlyph(u'\u00E9');
    EXPECT_FLOAT_EQ(d.accentY, deeper->getGlyph(u'\u00E9').accentY);
    EXPECT_GE(accentBottomBelowTop(d), accentBottomBelowTop(e));
    EXPECT_LT(accentBottomBelowTop(d), d.quad->height * 0.5f);

    // A cedilla hangs below the letter.
    const FontQuad::Glyph c = small->getGlyph(u'\u00E7');
    ASSERT_NE(c.accent, nullptr);
    EXPECT_LT(c.accentY, -c.quad->height * 0.25f);
}

}  // namespace
