#pragma once
// Glyph pages rendered from an outline font.
//
// Page format (what FontQuad reads). A glyph page is an image file (32-bit
// TGA, white glyphs whose coverage is the alpha, optionally with a dark
// outline) and, next to it, a skin description with the same stem and
// ".ini" (Texture.h): one skin per character code in code order,
//
//   [sheet]
//   count=N
//   [skin0]
//   rect=x,y,w,h        ; pixels from the image's top left
//   ...
//
// Every cell is as tall as the font's line (ascender line to descender
// line, plus outline and padding) and as wide as the character's advance
// plus the style's cellExtra, widened where the ink with its outline needs
// more room; the ink sits in the cell so that the room left beside it is
// shared out as evenly as the advance allows. A text is its cells side by
// side, each moved on by its width plus the font's letter spacing, so a
// font drawn with letter spacing s and made with cellExtra e - s advances
// its characters by about their advance plus e. A 1 x 1 cell is an empty
// slot: a code the code page leaves unused, a character the font lacks, or
// one left to composition. Cells are packed in rows, one pixel apart, from
// the top left; a page holds the cells that fit into pageWidth x
// maxPageHeight and further cells go onto the next page (each page
// continues the codes of the one before).
//
// Files of a font for code page c and stem s:
//   <root>/gfx/font/c/s-n.tga + .ini            pages, n = 1, 2, ...: codes
//                                               33-255 through the table
//   <root>/gfx/font/c/extra-s-n.tga + .ini      extra pages: symbol codes
//                                               0, 1, ... taken as they are
//   <root>/gfx/font/c/c.codepointLUT.bin        the code page's table
//                                               (CodePointTable.h)
//
// The same font file, sizes and library give the same bytes on every run.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/CodePointTable.h"

namespace platform {
class FontRasterizer;
}

namespace glyph_pages {

struct Style {
    int pixelSize = 16;                    // em size in pixels
    int outline = 0;                       // width of the dark border around each glyph (0: none)
    int padding = 0;                       // transparent pixels added on each side of each cell
    int cellExtra = 0;                     // pixels a cell is wider than the character's advance
                                           // (negative: narrower), where the ink leaves room
    uint32_t fillColour = 0xFFFFFFFFu;     // the glyphs (white: text colours multiply it)
    uint32_t outlineColour = 0xFF000000u;  // the border
    int pageWidth = 512;                   // the widest a page may be (pixels); pages are as wide
                                           // and as tall as their cells need
    int maxPageHeight = 512;               // pixels; further cells go onto the next page
};

struct Page {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // ARGB words, rows top-down
    std::string description;       // the skin description text
    int cells = 0;                 // characters (skins) on this page
};

// A slot that takes the cell of a character but leaves it transparent: a
// blank exactly as wide as the character (blankAs(c)).
inline constexpr char32_t BLANK_SLOT = 0x80000000u;
constexpr char32_t blankAs(char32_t c) { return c | BLANK_SLOT; }

// One cell per slot, in order; a slot of 0 or a character the font lacks is
// an empty 1 x 1 cell. False with a reason when a cell is larger than a page.
bool renderPages(platform::FontRasterizer& font, const std::vector<char32_t>& slots, const Style& style,
                 std::vector<Page>& pages, std::string& error);

// The characters of a code page's codes first ... last through its table.
// With omitComposable the accented letters that FontQuad::buildCompositeChars
// can make from the same codes (their base letter and an accent glyph are
// among them) are left empty.
std::vector<char32_t> codePageSlots(const CodePointTable& table, std::u16string_view codePage,
                                    bool omitComposable = false, int first = 33, int last = 255);

// The symbol codes 0-10 of the extra pages: 0 none, 1 check mark, 2 cross,
// 3-6 arrows left, right, up and down, 7 and 8 small triangles left and
// right, 9 and 10 pointers left and right; each the first of its candidates
// the font has (0 when none).
std::vector<char32_t> symbolSlots(const platform::FontRasterizer& font);

// The symbol codes of a font that edit boxes draw their text in: as
// symbolSlots, but 1 is the caret (an upright bar) and 2 its blank phase (a
// blank as wide as the caret), so that a blinking caret shows and hides and
// the text after it stays in place.
std::vector<char32_t> caretSymbolSlots(const platform::FontRasterizer& font);

// An uncompressed 32-bit TGA (top-left origin, 8 alpha bits).
std::string encodeTga(int width, int height, const std::vector<uint32_t>& argb);

// A whole font: pages, optional extra symbol pages and the table.
struct FontJob {
    std::string fontFile;  // empty: platform::defaultGlyphFontFile()
    std::string root;      // folder the "gfx/font/..." tree goes into
    std::string codePage = "1252";
    std::string stem = "font-small";
    Style style;
    bool omitComposable = false;
    bool extraSymbols = false;  // also the extra pages with symbolSlots()
    bool writeTable = true;     // also "<cp>.codepointLUT.bin" (built-in table)
};
// Writes the files (creating folders); the paths written are appended to
// `written` when given. False with a reason on failure.
bool writeFont(const FontJob& job, std::vector<std::string>* written, std::string& error);

// A sheet of symbols drawn from a font: "<pathStem>.tga" and
// "<pathStem>.ini", one skin per slot; all must fit one page.
bool writeSymbolSheet(const std::string& pathStem, platform::FontRasterizer& font, const std::vector<char32_t>& slots,
                      const Style& style, std::string& error);

// Writes pages as "<folder>/<prefix><n>.tga" and ".ini", n from 1.
bool writePages(const std::string& folder, const std::string& prefix, const std::vector<Page>& pages,
                std::vector<std::string>* written, std::string& error);

}  // namespace glyph_pages
