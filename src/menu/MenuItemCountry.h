#pragma once
// The country list of the network configuration: a value item whose value
// is a position in the alphabetical list of 241 entries (no country, then
// 240 countries and territories by their two-letter codes). It shows the
// code with the country's name in the current language, "DE (Germany)".
// Hovered, a typed letter jumps to the next code that starts with it (in
// lower case: "g" finds GA, GB...; typed upper case finds nothing), wrapping
// round the list. Each press on the item, and each typed letter, writes the
// shown country into the configuration: its code and its point on the globe.
#include <cstdint>

#include "gui/MenuItemValue.h"
#include "util/Math.h"

// One country: its code, and a point of it in degrees (north and east positive).
struct CountryRow {
    const char16_t* code;
    float latitude;
    float longitude;
};

inline constexpr int32_t kNumCountryRows = 241;

// Row r goes with the text of string identifier 199 + r ("COUNTRY" + code);
// row 0 is "no country", code "--".
extern const CountryRow countryTable[kNumCountryRows];

// Position p of the list shows row countryOrder[p]: row 0 first, then the
// others by code. Rebuilt by every MenuItemCountry.
extern int32_t countryOrder[kNumCountryRows];
void buildCountryOrder();

// The unit vector of a point on the globe: (0, 0, -1) turned by the
// latitude about x, then by minus the longitude about y.
V3 globeLocation(float latitude, float longitude);

class MenuItemCountry : public MenuItemValue {
    ZUB_DECLARE_CLASS(MenuItemCountry)
public:
    // Bound to a list position (0..240), 512 wide.
    MenuItemCountry(float x, float y, float z, int32_t* value, std::u16string_view caption, std::u16string_view hint);
    ~MenuItemCountry() override;

    void tick(double time, double dt) override;
    void renderValue(float x, float y, float z) override;

    // The row the list shows now.
    int32_t currentRow() const;
    // "%s (%s)": the row's code and its country's name.
    WString valueText() const;
};
