// The glyph-page generator: cells, pages, files and their bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/FontRasterizer.h"
#include "project_zub/gfx/gfx_test_support.h"
#include "text/GlyphPageGenerator.h"

namespace {

std::unique_ptr<platform::FontRasterizer> dejaVu(int size) {
    const std::string file = platform::defaultGlyphFontFile();
    if (file.empty()) return nullptr;
    std::string error;
    return platform::openFontRasterizer(file, size, error);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Skin rectangles of a page description, in order.
std::vector<std::array<int, 4>> rects(const std::string& description) {
    std::vector<std::array<int, 4>> out;
    size_t at = 0;
    while ((at = description.find("rect=", at)) != std::string::npos) {
        std::array<int, 4> r{};
        std::sscanf(description.c_str() + at, "rect=%d,%d,%d,%d", &r[0], &r[1], &r[2], &r[3]);
        out.push_back(r);
        at += 5;
    }
    return out;
}

class GlyphPages : public ::testing::Test {
protected:
    void SetUp() override {
        font = dejaVu(16);
        if (!font) GTEST_SKIP() << "DejaVu Sans is not installed";
    }
    std::unique_ptr<platform::FontRasterizer> font;
};

TEST(FontRasterizer, OpensDejaVuAndRendersCoverage) {
    std::string error;
    EXPECT_EQ(platform::openFontRasterizer("/nonexistent/font.ttf", 16, error), nullptr);
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    auto f = dejaVu(32);
    if (!f) GTEST_SKIP() << "DejaVu Sans is not installed";
    EXPECT_EQ(f->familyName(), "DejaVu Sans");
    const platform::FontFaceMetrics& m = f->metrics();
    EXPECT_GT(m.ascender, 20);
    EXPECT_EQ(m.lineHeight, m.ascender + m.descender);
    platform::GlyphImage g;
    ASSERT_TRUE(f->renderGlyph(U'H', g));
    EXPECT_GT(g.height, 20);
    EXPECT_GT(g.advance, g.width);
    EXPECT_EQ(g.coverage.size(), static_cast<size_t>(g.width * g.height));
    int full = 0;
    for (uint8_t c : g.coverage) full += c == 255;
    EXPECT_GT(full, 20);
    ASSERT_TRUE(f->renderGlyph(U' ', g));
    EXPECT_EQ(g.width, 0);
    EXPECT_GT(g.advance, 0);
    EXPECT_FALSE(f->renderGlyph(0xE000, g));  // private use
    // "Arial" is never installed here; the configuration names a substitute.
    const std::string arial = platform::findFontFile("Arial");
    if (!arial.empty()) {
        EXPECT_NE(platform::openFontRasterizer(arial, 12, error), nullptr) << error;
    }
}

TEST_F(GlyphPages, OneCellPerSlotEachALineHigh) {
    const std::vector<char32_t> slots = {U'A', U'i', 0, U'W', 0xE000};
    std::vector<glyph_pages::Page> pages;
    std::string error;
    ASSERT_TRUE(glyph_pages::renderPages(*font, slots, glyph_pages::Style(), pages, error)) << error;
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].cells, 5);
    const auto r = rects(pages[0].description);
    ASSERT_EQ(r.size(), 5u);
    const int line = font->metrics().lineHeight;
    platform::GlyphImage a, i, w;
    font->renderGlyph(U'A', a);
    font->renderGlyph(U'i', i);
    font->renderGlyph(U'W', w);
    EXPECT_EQ(r[0][3], line);
    // As wide as the advance (or the ink, where it overhangs).
    EXPECT_GE(r[0][2], a.advance);
    EXPECT_LE(r[0][2], a.advance + 2);
    EXPECT_EQ(r[1][2], i.advance);
    EXPECT_LE(r[3][2], w.advance + 2);
    // Empty slots: 1 x 1 (an unused code and a character the font lacks).
    EXPECT_EQ(r[2][2], 1);
    EXPECT_EQ(r[2][3], 1);
    EXPECT_EQ(r[4][2], 1);
    // Cells one pixel apart, left to right.
    EXPECT_EQ(r[1][0], r[0][0] + r[0][2] + 1);
    EXPECT_NE(pages[0].description.find("[sheet]\ncount=5\n[skin0]\nrect=0,0,"), std::string::npos);
    // White glyphs: every pixel is white or fully transparent black.
    int ink = 0;
    for (uint32_t p : pages[0].pixels) {
        if (p >> 24) {
            EXPECT_EQ(p & 0xFFFFFF, 0xFFFFFFu);
            ++ink;
        } else {
            EXPECT_EQ(p, 0u);
        }
    }
    EXPECT_GT(ink, 50);
}

TEST_F(GlyphPages, TheOutlineIsDarkAroundWhite) {
    glyph_pages::Style style;
    style.outline = 2;
    std::vector<glyph_pages::Page> pages;
    std::string error;
    ASSERT_TRUE(glyph_pages::renderPages(*font, {U'I'}, style, pages, error)) << error;
    platform::GlyphImage g;
    font->renderGlyph(U'I', g);
    const auto r = rects(pages[0].description);
    // The ink with its outline, or the advance where that is wider.
    EXPECT_EQ(r[0][2], std::max(g.advance, g.width + 4));
    EXPECT_EQ(r[0][3], font->metrics().lineHeight + 4);
    bool dark = false, white = false;
    for (uint32_t p : pages[0].pixels) {
        if ((p >> 24) == 255 && (p & 0xFFFFFF) == 0) dark = true;
        if ((p >> 24) == 255 && (p & 0xFFFFFF) == 0xFFFFFF) white = true;
    }
    EXPECT_TRUE(dark);
    EXPECT_TRUE(white);
}

// The columns of a cell that hold ink, as [first, last] (-1, -1 when none).
std::pair<int, int> inkColumns(const glyph_pages::Page& page, const std::array<int, 4>& r) {
    int first = -1, last = -1;
    for (int x = 0; x < r[2]; ++x)
        for (int y = 0; y < r[3]; ++y)
            if (page.pixels[static_cast<size_t>((r[1] + y) * page.width + r[0] + x)] >> 24) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}

TEST_F(GlyphPages, CellsAreTheAdvancePlusTheExtraRoomWhereTheInkLeavesIt) {
    const std::vector<char32_t> letters = {U'n', U'o', U'i', U'l', U'm', U'W', U'T', U'j'};
    for (const int outline : {0, 1, 2}) {
        for (const int extra : {-1, 0, 2, 4}) {
            glyph_pages::Style style;
            style.outline = outline;
            style.cellExtra = extra;
            std::vector<glyph_pages::Page> pages;
            std::string error;
            ASSERT_TRUE(glyph_pages::renderPages(*font, letters, style, pages, error)) << error;
            const auto r = rects(pages[0].description);
            ASSERT_EQ(r.size(), letters.size());
            for (size_t k = 0; k < letters.size(); ++k) {
                SCOPED_TRACE(testing::Message()
                             << "'" << char(letters[k]) << "' outline " << outline << " extra " << extra);
                platform::GlyphImage g;
                font->renderGlyph(letters[k], g);
                const int ink = g.width + 2 * outline;
                // The advance plus the extra room, or the ink where the ink needs more.
                EXPECT_EQ(r[k][2], std::max(g.advance + extra, ink));
                // The whole ink, outline and all, lies in the cell.
                const auto [first, last] = inkColumns(pages[0], r[k]);
                EXPECT_GE(first, 0);
                EXPECT_LE(last, r[k][2] - 1);
                if (outline > 0) {
                    EXPECT_EQ(last - first + 1, ink);
                }
            }
        }
    }
    // A cell as wide as the advance with no extra room: the plain layout.
    glyph_pages::Style plain;
    std::vector<glyph_pages::Page> pages;
    std::string error;
    ASSERT_TRUE(glyph_pages::renderPages(*font, {U'o'}, plain, pages, error)) << error;
    platform::GlyphImage o;
    font->renderGlyph(U'o', o);
    ASSERT_LE(o.width, o.advance);
    EXPECT_EQ(rects(pages[0].description)[0][2], o.advance);
}

TEST_F(GlyphPages, CellsThatDoNotFitGoOntoTheNextPage) {
    glyph_pages::Style style;
    style.pageWidth = 64;
    style.maxPageHeight = 40;  // two rows of 19-pixel cells
    const std::vector<char32_t> slots = glyph_pages::codePageSlots(CodePointTable::builtIn(u"1252"), u"1252");
    ASSERT_EQ(slots.size(), 223u);
    std::vector<glyph_pages::Page> pages;
    std::string error;
    ASSERT_TRUE(glyph_pages::renderPages(*font, slots, style, pages, error)) << error;
    EXPECT_GT(pages.size(), 5u);
    int total = 0;
    for (const auto& p : pages) {
        total += p.cells;
        EXPECT_LE(p.width, 64);
        EXPECT_LE(p.height, 40);
        for (const auto& r : rects(p.description)) {
            EXPECT_LE(r[0] + r[2], p.width);
            EXPECT_LE(r[1] + r[3], p.height);
        }
    }
    EXPECT_EQ(total, 223);

    style.pageWidth = 8;
    EXPECT_FALSE(glyph_pages::renderPages(*font, {U'W'}, style, pages, error));
    EXPECT_NE(error.find("does not fit"), std::string::npos);
    EXPECT_FALSE(glyph_pages::renderPages(*font, {}, glyph_pages::Style(), pages, error));
}

TEST_F(GlyphPages, CodePageSlotsCanLeaveComposableLettersOut) {
    const CodePointTable t = CodePointTable::builtIn(u"1252");
    const auto all = glyph_pages::codePageSlots(t, u"1252");
    EXPECT_EQ(all.front(), U'!');
    EXPECT_EQ(all[0x80 - 33], 0x20AC);
    EXPECT_EQ(all[0x81 - 33], 0u);
    const auto bare = glyph_pages::codePageSlots(t, u"1252", true);
    EXPECT_EQ(bare[0xE9 - 33], 0u);      // e acute: e and the acute accent are there
    EXPECT_EQ(bare[0xC7 - 33], 0u);      // C cedilla
    EXPECT_EQ(bare[0x8A - 33], 0x0160);  // S caron stays: 1252 has no caron accent
    EXPECT_EQ(bare[0xB4 - 33], 0x00B4);  // the accents themselves stay

    const CodePointTable t50 = CodePointTable::builtIn(u"1250");
    const auto bare50 = glyph_pages::codePageSlots(t50, u"1250", true);
    EXPECT_EQ(bare50[0x8A - 33], 0u);       // S caron: 1250 has the caron
    EXPECT_EQ(bare50[0xB9 - 33], 0u);       // a ogonek
    EXPECT_EQ(bare50[0xA3 - 33], 0x0141u);  // L stroke is not composed

    // The symbol slots: 0, then ten symbols the font has.
    const auto symbols = glyph_pages::symbolSlots(*font);
    ASSERT_EQ(symbols.size(), 11u);
    EXPECT_EQ(symbols[0], 0u);
    for (size_t i = 1; i < symbols.size(); ++i) EXPECT_TRUE(font->hasGlyph(symbols[i])) << i;

    // An edit box's font: the caret at 1, and at 2 a blank in a cell just as
    // wide; the rest as above.
    const auto caret = glyph_pages::caretSymbolSlots(*font);
    ASSERT_EQ(caret.size(), 11u);
    EXPECT_EQ(caret[1], U'|');
    EXPECT_EQ(caret[2], glyph_pages::blankAs(U'|'));
    EXPECT_TRUE(std::equal(caret.begin() + 3, caret.end(), symbols.begin() + 3));
    std::vector<glyph_pages::Page> pages;
    std::string error;
    ASSERT_TRUE(glyph_pages::renderPages(*font, caret, glyph_pages::Style(), pages, error)) << error;
    const auto r = rects(pages[0].description);
    EXPECT_EQ(r[2][2], r[1][2]);
    EXPECT_EQ(r[2][3], r[1][3]);
    EXPECT_GE(inkColumns(pages[0], r[1]).first, 0);
    EXPECT_EQ(inkColumns(pages[0], r[2]).first, -1);
}

TEST(Tga, HeaderAndPixelOrder) {
    const std::string t = glyph_pages::encodeTga(2, 1, {0x11223344u, 0xAABBCCDDu});
    ASSERT_EQ(t.size(), 18u + 8u);
    EXPECT_EQ(t.substr(12, 6), std::string("\x02\x00\x01\x00\x20\x28", 6));
    EXPECT_EQ(t.substr(18, 4), std::string("\x44\x33\x22\x11", 4));  // B, G, R, A
}

// (That every run writes the same bytes is checked over all the content.)
TEST(GlyphPageFiles, AFontIsItsPagesExtraPagesAndTable) {
    if (platform::defaultGlyphFontFile().empty()) GTEST_SKIP() << "DejaVu Sans is not installed";
    gfxtest::TempFolder a;
    glyph_pages::FontJob job;
    job.codePage = "1250";
    job.stem = "font-x";
    job.style.pixelSize = 20;
    job.style.maxPageHeight = 128;
    job.extraSymbols = true;
    std::vector<std::string> written;
    std::string error;
    job.root = a.path();
    ASSERT_TRUE(glyph_pages::writeFont(job, &written, error)) << error;

    const std::string folder = "gfx/font/1250/";
    EXPECT_EQ(written.front(), a.path() + folder + "font-x-1.tga");
    EXPECT_EQ(written.back(), a.path() + folder + "1250.codepointLUT.bin");
    bool second = false, extra = false;
    for (const std::string& w : written) {
        if (w.find("/font-x-2.ini") != std::string::npos) second = true;
        if (w.find("/extra-font-x-1.tga") != std::string::npos) extra = true;
        EXPECT_FALSE(readFile(w).empty()) << w;
    }
    EXPECT_TRUE(second);
    EXPECT_TRUE(extra);
    EXPECT_EQ(readFile(a / (folder + "1250.codepointLUT.bin")), CodePointTable::builtIn(u"1250").toBytes());

    // A symbol sheet is one page.
    auto font = dejaVu(16);
    ASSERT_TRUE(glyph_pages::writeSymbolSheet(a / "gui-symbols", *font, glyph_pages::symbolSlots(*font),
                                              glyph_pages::Style(), error))
        << error;
    EXPECT_NE(readFile(a / "gui-symbols.ini").find("count=11"), std::string::npos);
    EXPECT_GT(readFile(a / "gui-symbols.tga").size(), 18u);
}

}  // namespace
