#include "menu/MenuItemCountry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gui/GuiEnvironment.h"
#include "input/ZubInput.h"
#include "lang/StringIds.h"
#include "records/GameConfiguration.h"
#include "util/Format.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(MenuItemCountry, MenuItemValue, u"MenuItemCountry")

static_assert(kNumCountryRows == NUM_COUNTRY_IDS);

int32_t countryOrder[kNumCountryRows];

void buildCountryOrder() {
    for (int32_t p = 0; p < kNumCountryRows; ++p) countryOrder[p] = p;
    // Position 0 stays "no country"; the others by code, the earlier row
    // first on equal codes.
    for (int32_t i = 1; i < kNumCountryRows - 1; ++i) {
        int32_t smallest = i;
        for (int32_t j = i + 1; j < kNumCountryRows; ++j)
            if (std::u16string_view(countryTable[countryOrder[j]].code) <
                std::u16string_view(countryTable[countryOrder[smallest]].code))
                smallest = j;
        std::swap(countryOrder[i], countryOrder[smallest]);
    }
}

V3 globeLocation(float latitude, float longitude) {
    const float phi = latitude / 90.0f * (std::numbers::pi_v<float> / 2.0f);
    const float lambda = longitude / 180.0f * std::numbers::pi_v<float>;
    return V3(std::cos(phi) * std::sin(lambda), std::sin(phi), -std::cos(phi) * std::cos(lambda));
}

MenuItemCountry::MenuItemCountry(float x, float y, float z, int32_t* v, std::u16string_view captionText,
                                 std::u16string_view hintText)
    : MenuItemValue(x, y, z, v, 0, kNumCountryRows - 1, 1, captionText, hintText) {
    setWidth(512);
    buildCountryOrder();
}

MenuItemCountry::~MenuItemCountry() = default;

int32_t MenuItemCountry::currentRow() const {
    // The bound value is the caller's and may have been changed since the
    // item clamped it.
    return countryOrder[std::clamp(*value, 0, kNumCountryRows - 1)];
}

WString MenuItemCountry::valueText() const {
    const int32_t row = currentRow();
    return formatString(u"%s (%s)", countryTable[row].code, gui::text(FIRST_COUNTRY_ID + row));
}

void MenuItemCountry::tick(double time, double dt) {
    MenuItemValue::tick(time, dt);

    const ZubInput* in = ZubInput::active();
    const char16_t typed = in ? in->typedChar : 0;
    if (bHovered && typed != 0) {
        // The next code after the shown one that starts with the letter,
        // round the list and back to the shown one, which is tried last.
        const int32_t start = std::clamp(*value, 0, kNumCountryRows - 1);
        int32_t p = start;
        do {
            p = p == kNumCountryRows - 1 ? 0 : p + 1;
            char16_t first = countryTable[countryOrder[p]].code[0];
            if (first >= u'A' && first <= u'Z') first = static_cast<char16_t>(first - u'A' + u'a');
            if (first == typed) {
                *value = p;
                break;
            }
        } while (p != start);
        bClicked = 1;
    }

    if (takeClick()) {
        // The item is its own reader of the click: the shown country is
        // written at once, whichever way the page is left.
        GameConfiguration* config = gui::environment().configuration;
        if (!config) return;
        const CountryRow& row = countryTable[currentRow()];
        const std::string code = wideToNarrow(row.code);
        config->countryCode[0] = code[0];
        config->countryCode[1] = code[1];
        const V3 at = globeLocation(row.latitude, row.longitude);
        config->location[0] = at.x;
        config->location[1] = at.y;
        config->location[2] = at.z;
    }
}

void MenuItemCountry::renderValue(float x, float y, float z) {
    const WString t = valueText();
    drawText(font, 0x14, t, V3(x, y, z), scale * fitFactor(t), captionCurrentColor);
}
