#include "records/FormatHelpers.h"

#include "engine/Zub.h"
#include "lang/Language.h"
#include "util/Format.h"

namespace {

std::u16string_view languageText(int32_t id, std::u16string_view fallback) {
    if (ZUB && ZUB->language) return ZUB->language->getText(id);
    return fallback;
}

}  // namespace

WString formatNumberGrouped(int32_t value) {
    return formatNumberGrouped(value, languageText(SID_THOUSANDSEPARATOR, u","));
}

WString formatNumberGrouped(int32_t value, std::u16string_view thousandsSeparator) {
    const int64_t wide = value;
    WString text = formatString(u"%d", wide < 0 ? -wide : wide);
    // Counting from the right: insert before the last three characters, then
    // before the three in front of that insertion, and so on.
    size_t behind = 3;
    while (text.size() > behind) {
        text.insert(text.size() - behind, thousandsSeparator);
        behind += 3 + thousandsSeparator.size();
    }
    if (wide < 0) text.insert(text.begin(), u'-');
    return text;
}

WString formatMinutesSeconds(double seconds) {
    int32_t s = 0;
    if (seconds > -2147483649.0 && seconds < 2147483648.0) s = static_cast<int32_t>(seconds);
    return formatString(u"%02d:%02d", s / 60, s % 60);
}

WString formatPercentTenths(int32_t tenths) {
    return formatPercentTenths(tenths, languageText(SID_DECIMALSEPARATOR, u"."));
}

WString formatPercentTenths(int32_t tenths, std::u16string_view decimalSeparator) {
    return formatString(u"%d%s%d%%", tenths / 10, decimalSeparator, tenths % 10);
}
