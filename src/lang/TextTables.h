#pragma once
// The fillers of the built-in text tables, one per range of identifiers and
// language, and the markup the texts are written with.
//
// Markup read by the text layout:
// - U+001E "{rrggbb}" switches the colour of what follows; "{000001}" switches
//   back to the normal colour. "{0000ff}" highlights, "{ff0000}" highlights
//   strongly. Every coloured run is closed.
// - "|" breaks the line, "||" leaves an empty line.
// - U+0001 and a space start a bullet line.
// - "#LEFT#", "#RIGHT#", "#UP#", "#FIRE#", "#ALTFIRE#", "#ESC#" and "#MAP#"
//   stand for the name of the key bound to that control (hint texts only).
#include "lang/Language.h"

#define TXT_HIGHLIGHT u"\u001E{0000ff}"
#define TXT_STRONG u"\u001E{ff0000}"
#define TXT_NORMAL u"\u001E{000001}"
#define TXT_BULLET u"\u0001 "

using TextRow = const char16_t * [Language::NUM_STRINGS];

// Identifiers 0 to 439: the header rows, the input names and the countries.
void fillEnglishBase(TextRow& t);
void fillGermanBase(TextRow& t);
// Identifiers 440 to 836: menus, options, network, intro, ending, credits, valley and level play.
// Shared by every language: the credits' names, and the empty texts of the
// numbers no text uses.
void fillCreditNames(TextRow& t);
void fillReservedIds(TextRow& t);

void fillEnglishMenus(TextRow& t);
void fillGermanMenus(TextRow& t);
// Identifiers 837 to 1031: level titles, end-of-level hints and the in-game hints.
void fillEnglishLevels(TextRow& t);
void fillGermanLevels(TextRow& t);
// Identifiers 1032 to 1173: the secret recipe and the touch-mode texts.
void fillEnglishRecipe(TextRow& t);
void fillGermanRecipe(TextRow& t);
