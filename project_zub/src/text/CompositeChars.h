#pragma once
// The accented characters the atlas fonts compose from a base letter and an
// accent glyph, per code page.
//
// A composed character is drawn as its base glyph with the accent glyph
// placed above it (below for the cedilla and the ogonek). Each accent is
// taken from the first of its candidate characters that the font has (the
// spacing forms of the code pages: the acute U+00B4, the caron U+02C7, the
// ring falls back to the degree sign U+00B0, the circumflex and tilde to the
// ASCII ^ and ~).
#include <cstddef>
#include <span>
#include <string_view>

namespace composite_chars {

enum class Accent : int {
    Grave,
    Acute,
    Circumflex,
    Tilde,
    Diaeresis,
    Ring,
    Cedilla,
    Caron,
    Breve,
    Ogonek,
    DoubleAcute,
    DotAbove,
};

struct Entry {
    char16_t character;  // the composed character
    char16_t base;       // its base letter
    Accent accent;
};

// The set of a code page: "1250" and "1252"; empty for any other.
std::span<const Entry> forCodePage(std::u16string_view codePage);

// The accent glyph's candidates, best first (ends with 0).
const char16_t* accentCandidates(Accent accent);

// Accents drawn below the base letter.
inline bool isBelow(Accent a) { return a == Accent::Cedilla || a == Accent::Ogonek; }

}  // namespace composite_chars
