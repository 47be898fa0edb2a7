#pragma once
// Wide and narrow text.
//
// Wide text is UTF-16 everywhere (std::u16string, u"..." literals). Narrow
// text is 8-bit: UTF-8, except that wideToNarrow writes every UTF-16 unit on
// its own, so a character outside the BMP becomes two 3-byte sequences (one
// per surrogate, as CESU-8 does). narrowToWide reads both forms, which lets any
// wide text travel through narrow text and come back unchanged.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

using WString = std::u16string;

// Every UTF-16 unit by itself as 1 (below 0x80), 2 (below 0x800) or 3 bytes.
std::string wideToNarrow(std::u16string_view text);

// Standard UTF-8: a valid surrogate pair becomes one 4-byte sequence; a lone
// surrogate is written as wideToNarrow writes it. For logs and file names that
// other programs read.
std::string wideToUtf8(std::u16string_view text);

// Decodes UTF-8, including the 3-byte encodings of surrogates. A 4-byte
// sequence becomes a surrogate pair. Every byte that does not start a complete,
// valid, shortest-form sequence becomes U+FFFD and decoding goes on with the
// next byte.
WString narrowToWide(std::string_view text);

// narrowToWide of a NUL-terminated string; a null pointer gives empty text.
WString widen(const char* text);

// Replaces every occurrence of `from`, scanning left to right; replaced text is
// not scanned again. An empty `from` changes nothing.
void replaceAll(WString& text, std::u16string_view from, std::u16string_view to);

// Splits at '\n', dropping a '\r' right before each '\n'. Empty text gives one
// empty line, and a final '\n' gives a final empty line.
std::vector<WString> splitLines(std::u16string_view text);

// Removes spaces, tabs, carriage returns and line feeds from both ends.
void trimString(WString& text);

// Stores `text` as narrow text (wideToNarrow) in a fixed field of `size` bytes:
// the longest leading part of the text whose narrow form fits in size - 1 bytes
// is kept (so a multi-byte character is never cut, and a surrogate pair is kept
// or dropped whole), followed by a NUL; the rest of the field is zeroed so that
// records written from it are deterministic.
void copyToFixedString(char* field, size_t size, std::u16string_view text);

inline void copyToFixedString16(char (&field)[16], std::u16string_view text) {
    copyToFixedString(field, sizeof field, text);
}
inline void copyToFixedString32(char (&field)[32], std::u16string_view text) {
    copyToFixedString(field, sizeof field, text);
}
inline void copyToFixedString256(char (&field)[256], std::u16string_view text) {
    copyToFixedString(field, sizeof field, text);
}
