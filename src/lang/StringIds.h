#pragma once
// The string identifiers: SID_<name> is the number of the text named <name>.
// Code fetches texts by these numbers (Language::getText); level files name
// them by their names (Language::getTextByString).
#include <cstdint>

enum StringId : int32_t {
#define STRING_ID(name, id) SID_##name = id,
#include "lang/StringIdList.inc"
#undef STRING_ID
};

// The number of string identifiers: every row of the text tables has this many entries.
inline constexpr int32_t NUM_STRING_IDS = 1174;

// The first identifier of each group that code steps through by number.
inline constexpr int32_t FIRST_KEY_NAME_ID = SID_DIK_NONE;    // 9: names of inputs
inline constexpr int32_t FIRST_COUNTRY_ID = SID_COUNTRYNONE;  // 199: "no country", then 240 countries
inline constexpr int32_t NUM_COUNTRY_IDS = 241;

static_assert(SID_IOS_HINTHAT == NUM_STRING_IDS - 1, "the identifier list must end at 1173");
static_assert(SID_CONFIRM == 440 && SID_COUNTRYZW == 439, "the menu texts follow the countries");
