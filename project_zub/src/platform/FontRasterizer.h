#pragma once
// Outline fonts turned into coverage bitmaps, and fonts found by family name.
//
// The engine's text code never sees the font library: it opens a face at a
// pixel size, asks for its vertical metrics and renders one character at a
// time into an 8-bit coverage bitmap placed relative to the pen and the
// baseline. Rendering is deterministic for a given font file, size and
// library version (light hinting, grey-level anti-aliasing).
//
// Back-end: FreeType for rasterising, fontconfig for family names
// (freetype/FreeTypeRasterizer.cpp).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Vertical metrics of a face at its pixel size, whole pixels.
struct FontFaceMetrics {
    int ascender = 0;    // from the baseline up to the top of the line
    int descender = 0;   // from the baseline down to the bottom of the line (positive)
    int lineHeight = 0;  // ascender + descender
};

// One rendered character.
struct GlyphImage {
    int width = 0, height = 0;      // bitmap size in pixels (0 x 0 for blank characters)
    int left = 0;                   // from the pen position right to the bitmap's left column
    int top = 0;                    // from the baseline up to the bitmap's top row
    int advance = 0;                // pen movement to the next character, whole pixels
    std::vector<uint8_t> coverage;  // width x height, rows top-down, 0 (empty) ... 255 (covered)
};

class FontRasterizer {
public:
    virtual ~FontRasterizer() = default;

    virtual const FontFaceMetrics& metrics() const = 0;
    // The size the face was opened at (pixels per em).
    virtual int pixelSize() const = 0;
    // The face's family name as the font file gives it.
    virtual const std::string& familyName() const = 0;
    // Whether the face maps the character to a glyph of its own.
    virtual bool hasGlyph(char32_t code) const = 0;
    // Renders the character; false (out cleared) when the face has no glyph
    // for it or the library fails.
    virtual bool renderGlyph(char32_t code, GlyphImage& out) = 0;
};

// Opens the face in a font file (TrueType, OpenType) at pixelSize pixels per
// em. Null with a reason when the file cannot be used.
std::unique_ptr<FontRasterizer> openFontRasterizer(const std::string& path, int pixelSize, std::string& error);

// The file of the installed font that best matches a family name (a family
// that is not installed yields its configured substitute, so "Arial" finds a
// metric-compatible font). Empty when the font configuration finds nothing.
std::string findFontFile(const std::string& family);

// The same, remembered in a small text file at `memoPath` from one run to
// the next: reading the font configuration takes several milliseconds. A
// remembered answer is used while the font file, the font configuration, the
// font configuration's caches and the usual font folders are as they were
// when it was found (their inodes and change times); otherwise the family is
// looked up again and the file rewritten. An unreadable or damaged memo file
// is only a reason to look again. An empty memo path remembers nothing.
std::string findFontFile(const std::string& family, const std::string& memoPath);

// How many times this process has read the font configuration (for tests).
int fontConfigurationReads();

// The font file the generated glyph pages are rendered from: DejaVu Sans
// (fonts-dejavu-core), by its family name or its usual path. Empty when it is
// not installed.
std::string defaultGlyphFontFile();

}  // namespace platform
