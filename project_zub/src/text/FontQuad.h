#pragma once
// The texture-atlas font.
//
// Glyph pages. A font's glyphs are the skins of its page textures, one skin
// per character code in code order (see GlyphPageGenerator.h for how pages
// are made). addSourceTexture gives the skins of a page consecutive codes from
// a first code; the codes go through the current code page's table
// (CodePointTable) to become UTF-16 units, unless the page's codes are taken
// as they are (symbol pages). A skin of 1 x 1 pixels is an empty slot; a code
// the table leaves unused (0) gets no glyph. A character with no glyph
// advances by defaultCharWidth (the space, which no page holds, among them).
//
// The code page is a process-wide setting (setCodePage; "1252" until set).
// Its table is the resource "<code page>.codepointLUT" (a FileData) when one
// is registered, else the built-in table of the code page.
//
// Metrics, in design units: a glyph advances by its skin's width plus
// letterSpacing; `height` is the line height, the tallest glyph skin of the
// pages added through the code page (scaled, see below). Glyphs shorter than
// the line are centred in it.
//
// Layout. Without flags the point a text is drawn at is the top left of its
// first line and the text runs to the right and downwards (y up). Flags:
//   4     centred on the point (each line by its own width)
//   8     right-aligned: the lines end at the point
//   0x10  moved up by half a line height (one line is centred vertically)
//   0x20  moved up by one line height (the text sits on the point)
//   0x200 drawn and measured with the system font (SystemFont) at the
//         font's line height, when there is one; its letters stand on the
//         row the font's own stand on (the bottom of an 'H', as
//         finishLoading read it from the glyph pages)
// Other bits (1, 2) do not move the text. A carriage return (U+000D) starts a
// new line; '|' and U+000A are ordinary characters here ('|' is a glyph, and
// the control codes U+0001-U+001D are the fonts' symbol codes). Colour
// switches (TextMarkup.h) colour the characters after them; the carrier's
// alpha applies to every colour. Line breaking at spaces and '|' is
// TextBlock's.
//
// Drawing: renderText places the text in a carrier Renderable's world
// transform (position, rotation, scale, parent transform) and draws it in the
// carrier's colour. The shadowed forms first draw a copy in the shadow colour
// (its alpha times the carrier's), moved by the shadow offset in world space,
// while the graphics object's text-shadow flag is on.
//
// Resolution scaling: a font with the scale-with-resolution flag draws at
// least at its glyph pages' pixel size: when the reference screen is shown
// in fewer window pixels than design units, the font's sizes grow by the
// design-per-pixel factor (ZubGraphics::pixelToDesign). `height` and every
// measure follow; onPresentationChange updates them (drawing and measuring
// check the factor themselves as well).
//
// Composite characters: buildCompositeChars gives the accented letters of a
// code page (CompositeChars.h) that have no glyph of their own a glyph made
// of the base letter's skin and the accent glyph's ink. An accent above is
// centred on the base letter's ink and placed with its ink bottom an accent
// drop below the top of the base letter's cell (accentDropSmall for a-z and
// code 0x7F, accentDropCapital for the rest), but never lower than one unit
// above the base letter's ink; an accent below (cedilla, ogonek) hangs from
// the bottom of the base letter's ink (the ogonek at its right edge). Ink is
// read from the page's source image (texture flag 8) or, before upload, its
// pixels; without either the whole skins are used.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "object/ZubBase.h"
#include "text/CodePointTable.h"
#include "text/TextLayout.h"
#include "util/Math.h"
#include "util/WString.h"

class Quad;
class Renderable;
class TextCache;
class Texture;

class FontQuad : public ZubBase {
    ZUB_DECLARE_CLASS(FontQuad)
public:
    enum TextFlags : int {
        TEXT_PLAIN = 1,
        TEXT_AT_X = 2,
        TEXT_CENTRE = 4,
        TEXT_RIGHT = 8,
        TEXT_HALF_LINE_UP = 0x10,
        TEXT_LINE_UP = 0x20,
        TEXT_SYSTEM_FONT = 0x200,
    };
    // addSourceTexture's first code that continues after the last code used.
    static constexpr uint16_t CONTINUE = 0xFFFF;
    static constexpr uint32_t DEFAULT_SHADOW_COLOUR = 0x80000000u;
    // The first codes addSourceTextures gives: the pages from 33 (through the
    // code page), the extra pages from 0 (codes as they are).
    static constexpr uint16_t FIRST_PAGE_CODE = 33;
    static constexpr uint16_t FIRST_EXTRA_CODE = 0;

    // A glyph: its skin (null: none), the accent of a composed character with
    // the offset of the accent's centre from the skin's centre (design units
    // at scale 1, y up), and its advance (skin width + letter spacing).
    struct Glyph {
        Quad* quad = nullptr;
        Quad* accent = nullptr;
        float accentX = 0, accentY = 0;
        float spacing = 0;
    };

    // Width and height of a text; with a width limit also how many UTF-16
    // units from its start fit within the limit (colour switches fit whole).
    struct TextSize {
        float width = 0;
        float height = 0;
        int fit = 0;
    };

    FontQuad();
    ~FontQuad() override;

    // --- loading ---------------------------------------------------------------
    // The texture's skins become the glyphs of consecutive codes from
    // firstCode (CONTINUE: after the last code used); rawCodes takes the
    // codes as UTF-16 units instead of through the code page's table. The
    // texture stays the caller's (a resource). A later glyph replaces an
    // earlier one of the same character.
    void addSourceTexture(Texture* texture, uint16_t firstCode, bool rawCodes = false);
    // The resources prefix + "1", "2", ... that exist (stopping at the first
    // missing one): the first from code 33, the others continuing, through
    // the code page; then prefix + "Extra1", "Extra2", ...: the first from
    // code 0, the others continuing, codes as they are.
    void addSourceTextures(std::u16string_view prefix);
    // Composes the accented characters of the code page ("1250" or "1252";
    // another composes nothing) when compositeFlag is "Yes" (the language's
    // LANGUAGECOMPOSITECHARS and LANGUAGECODEPAGE texts). Returns how many
    // characters got a composed glyph.
    int buildCompositeChars(std::u16string_view compositeFlag, std::u16string_view codePage);
    // Reads where the font's letters stand in its line: the bottom of the
    // ink of its 'H' (from the page's source image, or its pixels before
    // the upload; nothing is read when they are not at hand).
    void finishLoading();
    // Sets the scale-with-resolution flag when bAllowResolutionScaling allows it.
    void enableResolutionScaling();
    // Creates the font's text cache, named "%s%dpx" (name, pixel height),
    // with the cache flag.
    void attachFontCache();
    // Follows the display: the resolution scale, height and pixelHeight, and
    // the cache's name (its texts are dropped when the scale changed).
    void onPresentationChange();
    // onPresentationChange of every live font.
    static void presentationChanged();

    // --- glyphs ------------------------------------------------------------------
    // The glyph of a UTF-16 unit (quad null when the font has none).
    Glyph getGlyph(char16_t code) const;
    bool hasGlyph(char16_t code) const { return findGlyph(code) != nullptr; }
    // Whether a text drawn with these flags shows a glyph for the character:
    // the system font's when the flags draw with it (0x200 while one is
    // open), else one of the font's own.
    bool canDraw(char32_t code, int flags) const;
    // The advance of a unit at scale 1 (no glyph: defaultCharWidth).
    float advanceOf(char16_t code) const;
    int glyphCount() const { return glyphTotal; }

    // --- measuring ---------------------------------------------------------------
    // Width (widest line) and height (lines x line height) in design units.
    TextSize measureText(std::u16string_view text, int flags = 0) const;
    TextSize measureText(std::u16string_view text, float widthLimit, int flags) const;
    // The width of the text as one line (carriage returns measure as nothing).
    float measureLine(std::u16string_view text, int flags = 0) const;
    // The text cut to fit the width: the longest start that fits followed by
    // "..." when the whole text is wider, else the text itself.
    WString ellipsize(std::u16string_view text, float widthLimit, int flags = 0) const;

    // --- drawing -----------------------------------------------------------------
    // At the carrier's world transform and colour (no carrier: the origin, white).
    void renderText(Renderable* carrier, int flags, std::u16string_view text);
    // The same, moved by an offset in the carrier's local space first.
    void renderText(Renderable* carrier, int flags, std::u16string_view text, const V3& localOffset);
    // At a point of the world, unrotated and unscaled.
    void drawText(float x, float y, float z, uint32_t colour, int flags, std::u16string_view text);
    void drawText(const V3& position, uint32_t colour, int flags, std::u16string_view text);
    // A shadow copy (while the text-shadow flag is on), then the text.
    void drawTextShadowed(Renderable* carrier, int flags, std::u16string_view text,
                          const V3& shadowOffset = V3(0.0f, -4.0f, 0.0f),
                          uint32_t shadowColour = DEFAULT_SHADOW_COLOUR);
    void drawTextShadowed(Renderable* carrier, int flags, std::u16string_view text, const V3& shadowOffset,
                          uint32_t shadowColour, const V3& localOffset);
    // drawTextShadowed at a point with the flags 0x24.
    void drawTextShadowedAt(float x, float y, float z, uint32_t colour, const V3& shadowOffset, uint32_t shadowColour,
                            std::u16string_view text);
    // renderText of ellipsize(text, widthLimit).
    void drawTextEllipsis(Renderable* carrier, int flags, std::u16string_view text, float widthLimit);

    // Lays a text out in its local space (alignment applied) at the current
    // scale.
    void layoutText(std::u16string_view text, int flags, TextLayout& out) const;

    // --- code page ---------------------------------------------------------------
    static void setCodePage(std::u16string_view codePage);
    // The current code page's table (its resource, else built in).
    static CodePointTable currentCodePointTable();
    // The engine option that lets fonts scale with the resolution.
    static bool bAllowResolutionScaling;

    // The scale the font draws at now (1 without resolution scaling).
    float currentScale() const;

    // --- fields --------------------------------------------------------------------
    WString name;                   // for the cache's name (the first page prefix or texture)
    int32_t height = 0;             // line height in design units, scaled
    int32_t baseHeight = 0;         // line height of the glyph pages (scale 1)
    int32_t pixelHeight = 0;        // line height in window pixels
    int32_t defaultCharWidth = 4;   // advance of a code without glyph
    int32_t letterSpacing = 1;      // added to every glyph's advance
    int32_t accentDropCapital = 0;  // accent drops when composing (see above)
    int32_t accentDropSmall = 0;
    uint8_t bAllowTextCache = 1;  // draws through its text cache when caches are enabled
    uint8_t bCacheFlag = 0;       // handed to the text cache
    uint8_t bScaleWithResolution = 0;
    float resolutionScale = 1.0f;
    int lastCode = -1;            // the last code given by addSourceTexture
    std::vector<Texture*> pages;  // the textures added, in order (not owned)

    TextCache* getTextCache() const { return cache.get(); }

private:
    struct Slot {
        Glyph glyph;
        bool used = false;
    };
    const Glyph* findGlyph(char16_t code) const;
    Slot& slotFor(char16_t code);
    void updateMetrics();
    void refreshScale();
    void drawCore(const M44& world, uint32_t colour, int flags, std::u16string_view text, bool shadowed,
                  const V3& shadowOffset, uint32_t shadowColour);
    void drawBatches(const TextLayout& layout, VertexBuffer& vb, const M44& world);
    bool usesSystemFont(int flags) const;
    float lineWidth(std::u16string_view line, int flags, float scale) const;

    std::vector<std::unique_ptr<Slot[]>> blocks;  // 256 blocks of 256 slots, made on demand
    std::vector<Quad*> ownedQuads;                // accent skins of composed glyphs
    std::unique_ptr<TextCache> cache;
    VertexBuffer scratch;
    int glyphTotal = 0;
    // The bottom of the ink of 'H' below the top of its cell, and the
    // cell's height (design units at scale 1; a negative bottom: not read).
    float letterBottom = -1.0f;
    float letterCellHeight = 0;
    float codePageHeight = 0;  // tallest glyph of the pages added through the code page
    float rawHeight = 0;       // tallest glyph of the pages with raw codes
    float lastFactor = -1.0f;  // the design-per-pixel factor onPresentationChange saw
};
