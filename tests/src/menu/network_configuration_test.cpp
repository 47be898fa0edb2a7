// The network configuration page and its country list: the order of the
// list, its texts in both languages, choosing by the arrows and by typed
// letters, what is written into the configuration and saved with it.
#include <gtest/gtest.h>

#include <cmath>

#include "MenuHarness.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "lang/StringIds.h"
#include "menu/ContextNetworkConfiguration.h"
#include "menu/MenuItemCountry.h"
#include "records/GameConfiguration.h"

namespace {

struct ConfigurationRig {
    menutest::MenuHarness h;
    ContextMenu* below = h.push(new ContextMenu);

    ContextNetworkConfiguration* open() {
        auto* page = h.push(new ContextNetworkConfiguration);
        h.step(2);
        return page;
    }
    std::u16string_view shownCode(const MenuItemCountry* item) const { return countryTable[item->currentRow()].code; }
    std::string storedCode() const { return std::string(h.configuration->countryCode, 2); }
    V3 storedLocation() const {
        const float* l = h.configuration->location;
        return V3(l[0], l[1], l[2]);
    }
};

void expectNear(const V3& a, const V3& b) {
    EXPECT_NEAR(a.x, b.x, 1e-6f);
    EXPECT_NEAR(a.y, b.y, 1e-6f);
    EXPECT_NEAR(a.z, b.z, 1e-6f);
}

TEST(CountryList, RowsAreOrderedByCodeAndNamedInBothLanguages) {
    menutest::MenuHarness h;
    buildCountryOrder();
    EXPECT_EQ(countryOrder[0], 0);
    EXPECT_EQ(countryOrder[1], 5);  // AD, not AF (row 1)
    EXPECT_EQ(std::u16string_view(countryTable[countryOrder[54]].code), u"DE");
    EXPECT_EQ(countryOrder[54], 82);
    EXPECT_EQ(std::u16string_view(countryTable[countryOrder[224]].code), u"US");
    std::vector<bool> seen(kNumCountryRows, false);
    for (int32_t p = 0; p < kNumCountryRows; ++p) {
        const int32_t row = countryOrder[p];
        ASSERT_FALSE(seen[static_cast<size_t>(row)]) << "row " << row << " twice";
        seen[static_cast<size_t>(row)] = true;
        if (p >= 2) {
            EXPECT_LT(std::u16string_view(countryTable[countryOrder[p - 1]].code),
                      std::u16string_view(countryTable[row].code));
        }
        // Row r is the text of identifier 199 + r, named "COUNTRY" + its code.
        const WString code = countryTable[row].code;
        const int32_t id = FIRST_COUNTRY_ID + row;
        const WString name = row == 0 ? WString(u"COUNTRYNONE") : u"COUNTRY" + code;
        EXPECT_TRUE(h.language.hasString(name)) << wideToNarrow(name);
        EXPECT_EQ(WString(h.language.getTextByString(name, false)), WString(h.language.getText(id)));
        for (int32_t language : {Language::ENGLISH, Language::GERMAN})
            EXPECT_FALSE(WString(h.language.getTextIn(language, id)).empty()) << wideToNarrow(name) << " " << language;
        const CountryRow& c = countryTable[row];
        EXPECT_TRUE(c.latitude >= -90.0f && c.latitude <= 90.0f && c.longitude >= -180.0f && c.longitude <= 180.0f);
    }
    EXPECT_EQ(countryTable[0].latitude, 0.0f);
    EXPECT_EQ(countryTable[0].longitude, 0.0f);

    // The shown text in either language.
    int32_t position = 54;
    auto* page = h.push(new ContextMenu);
    auto* item = new MenuItemCountry(0.0f, 0.0f, 0.0f, &position, u"", u"");
    page->addItem(item);
    EXPECT_EQ(item->valueText(), u"DE (" + WString(h.language.getTextIn(Language::ENGLISH, SID_COUNTRYDE)) + u")");
    h.language.setLanguage(Language::GERMAN);
    EXPECT_EQ(item->valueText(), u"DE (" + WString(h.language.getTextIn(Language::GERMAN, SID_COUNTRYDE)) + u")");
    position = 0;
    EXPECT_EQ(item->valueText(), u"-- (" + WString(h.language.getTextIn(Language::GERMAN, SID_COUNTRYNONE)) + u")");
}

TEST(CountryList, PointsOnTheGlobeAreUnitVectors) {
    expectNear(globeLocation(0.0f, 0.0f), V3(0.0f, 0.0f, -1.0f));
    expectNear(globeLocation(0.0f, 90.0f), V3(1.0f, 0.0f, 0.0f));
    expectNear(globeLocation(90.0f, 0.0f), V3(0.0f, 1.0f, 0.0f));
    EXPECT_LT(globeLocation(10.0f, -45.0f).x, 0.0f);
    for (const CountryRow& c : countryTable) {
        const V3 v = globeLocation(c.latitude, c.longitude);
        EXPECT_NEAR(v.x * v.x + v.y * v.y + v.z * v.z, 1.0f, 1e-5f) << wideToNarrow(c.code);
    }
}

TEST(NetworkConfigurationPage, TheChosenCountryIsWrittenAtOnceAndSavedWithTheConfiguration) {
    ConfigurationRig r;
    auto* page = r.open();
    MenuItemCountry* item = page->countryItem;
    EXPECT_EQ(r.shownCode(item), u"--");
    EXPECT_EQ(r.storedCode(), "--");  // untouched until the list is used
    EXPECT_EQ(r.h.configuration->countryIndex, 0);

    r.h.click(item, 1);  // the right arrow
    EXPECT_EQ(r.h.configuration->countryIndex, 1);
    EXPECT_EQ(r.storedCode(), "AD");
    expectNear(r.storedLocation(), globeLocation(countryTable[5].latitude, countryTable[5].longitude));

    // Typed letters, lower case, on the hovered list.
    const V3 over = page->worldToScreen(item->position);
    r.h.moveMouse(over.x, over.y);
    r.h.step();
    std::vector<std::string> visited;
    for (int i = 0; i < 19; ++i) {
        r.h.type(u"g");
        r.h.step();
        visited.push_back(wideToNarrow(r.shownCode(item)));
        EXPECT_EQ(r.storedCode(), visited.back());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"GA", "GB", "GD", "GE", "GF", "GH", "GI", "GL", "GM", "GN", "GP", "GQ",
                                                 "GR", "GS", "GT", "GU", "GW", "GY", "GA"}));
    auto typeOne = [&](std::u16string_view c) {
        r.h.type(c);
        r.h.step();
        return WString(r.shownCode(item));
    };
    EXPECT_EQ(typeOne(u"d"), u"DE");  // round the end of the list
    EXPECT_EQ(typeOne(u"e"), u"EC");
    EXPECT_EQ(typeOne(u"d"), u"DE");
    const int32_t germany = r.h.configuration->countryIndex;
    EXPECT_EQ(germany, 54);
    // No code starts with x, nor with an upper-case letter: the value stays,
    // and the shown country is written again.
    r.h.configuration->countryCode[0] = '?';
    r.h.type(u"xG");
    r.h.step(2);
    EXPECT_EQ(r.h.configuration->countryIndex, germany);
    EXPECT_EQ(r.storedCode(), "DE");
    expectNear(r.storedLocation(), globeLocation(52.5f, 13.41f));
    EXPECT_EQ(typeOne(u"-"), u"--");
    EXPECT_EQ(r.storedCode(), "--");
    EXPECT_EQ(typeOne(u"d"), u"DE");

    // NEXT: configured, closed; saved with the configuration.
    r.h.click(page->nextButton);
    r.h.step();
    EXPECT_EQ(r.h.configuration->networkConfigured, 1);
    EXPECT_EQ(r.h.top(), r.below);
    ASSERT_TRUE(r.h.configuration->save());
    const auto loaded = std::make_unique<GameConfiguration>();
    EXPECT_EQ(loaded->countryIndex, 54);
    EXPECT_EQ(std::string(loaded->countryCode, 2), "DE");
    expectNear(V3(loaded->location[0], loaded->location[1], loaded->location[2]), globeLocation(52.5f, 13.41f));
    EXPECT_EQ(loaded->networkConfigured, 1);
}

TEST(NetworkConfigurationPage, CancelLeavesTheNetworkUnconfiguredAndABadIndexIsBroughtIntoTheList) {
    ConfigurationRig r;
    r.h.configuration->countryIndex = 5000;  // as a damaged file might hold
    auto* page = r.open();
    EXPECT_EQ(r.h.configuration->countryIndex, kNumCountryRows - 1);
    EXPECT_EQ(r.shownCode(page->countryItem), u"ZW");
    r.h.click(page->countryItem, 1);  // no further
    EXPECT_EQ(r.h.configuration->countryIndex, kNumCountryRows - 1);
    EXPECT_EQ(r.storedCode(), "ZW");
    r.h.configuration->countryIndex = -3;  // changed behind the item's back
    EXPECT_EQ(r.shownCode(page->countryItem), u"--");
    r.h.click(page->backButton);
    r.h.step();
    EXPECT_EQ(r.h.top(), r.below);
    EXPECT_EQ(r.h.configuration->networkConfigured, 0);
}

}  // namespace
