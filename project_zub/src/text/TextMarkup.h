#pragma once
// Colour markup in texts.
//
// U+001E followed by "{rrggbb}" (six hexadecimal digits, either case)
// switches the colour of the characters after it; "{000001}" switches back to
// the default colour (the colour of whatever draws the text). A colour
// switch is not drawn and has no width. A U+001E that is not followed by a
// well-formed "{rrggbb}" is dropped by itself and the characters after it are
// ordinary text.
//
// Colour values: 1 stands for the default colour; any other colour is
// 0xFF000000 | rrggbb (opaque; drawing takes the alpha of the carrier).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "util/WString.h"

namespace text_markup {

constexpr char16_t SWITCH = 0x1E;
constexpr uint32_t DEFAULT_COLOUR = 1;
// The length of a well-formed switch: U+001E, '{', six digits, '}'.
constexpr size_t SWITCH_LENGTH = 9;

// At text[i] == U+001E: the number of units the switch takes (9 when
// well-formed, else 1) and, when well-formed, its colour value in `colour`.
// Returns 0 when text[i] is not U+001E.
size_t readSwitch(std::u16string_view text, size_t i, uint32_t& colour, bool& wellFormed);

// The text without its colour switches.
WString strip(std::u16string_view text);

// The switch that selects a colour value: U+001E "{000001}" for the default,
// U+001E "{rrggbb}" for any other (its alpha is dropped).
WString switchFor(uint32_t colour);

// The colour a run is drawn in: the carrier's colour for the default, else
// the run's red, green and blue with the carrier's alpha.
inline uint32_t resolve(uint32_t colour, uint32_t carrier) {
    return colour == DEFAULT_COLOUR ? carrier : (carrier & 0xFF000000u) | (colour & 0x00FFFFFFu);
}

}  // namespace text_markup
