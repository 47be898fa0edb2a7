#pragma once
// Numbers, times and percentages as the statistics pages, the valley map, the
// HUD and the menus show them. The separators come from the current language
// (the engine's), or English when there is none; the overloads that take them
// serve tests and callers with a language of their own.
#include <cstdint>
#include <string_view>

#include "util/WString.h"

class Language;

// "%d" with the thousands separator between groups of three digits from the
// right: 1234567 -> "1,234,567". A negative value keeps its sign in front of
// the grouped digits.
WString formatNumberGrouped(int32_t value);
WString formatNumberGrouped(int32_t value, std::u16string_view thousandsSeparator);

// The seconds truncated toward zero to whole seconds s, as "%02d:%02d" with
// s / 60 and s mod 60: 59 -> "00:59", 600 -> "10:00". Values that do not fit in
// 32 bits (and NaN) count as 0.
WString formatMinutesSeconds(double seconds);

// Tenths of a percent as "%d%s%d%%" with tenths / 10, the decimal separator and
// tenths mod 10: 1000 -> "100.0%".
WString formatPercentTenths(int32_t tenths);
WString formatPercentTenths(int32_t tenths, std::u16string_view decimalSeparator);
