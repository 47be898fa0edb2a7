// The number, time and percentage texts of the statistics pages and the HUD.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/Zub.h"
#include "records/FormatHelpers.h"

TEST(FormatNumberGrouped, GroupsOfThreeFromTheRightWithTheSignInFront) {
    EXPECT_EQ(formatNumberGrouped(999, u","), u"999");
    EXPECT_EQ(formatNumberGrouped(1000, u","), u"1,000");
    EXPECT_EQ(formatNumberGrouped(0, u","), u"0");
    EXPECT_EQ(formatNumberGrouped(100000, u" "), u"100 000");
    EXPECT_EQ(formatNumberGrouped(std::numeric_limits<int32_t>::max(), u","), u"2,147,483,647");
    EXPECT_EQ(formatNumberGrouped(1234567, u""), u"1234567");
    EXPECT_EQ(formatNumberGrouped(1234567, u"''"), u"1''234''567");
    EXPECT_EQ(formatNumberGrouped(-1234, u","), u"-1,234");
    EXPECT_EQ(formatNumberGrouped(std::numeric_limits<int32_t>::min(), u","), u"-2,147,483,648");
    // Without an engine: English.
    ASSERT_EQ(ZUB, nullptr);
    EXPECT_EQ(formatNumberGrouped(1234567), u"1,234,567");
    EXPECT_EQ(formatPercentTenths(1000), u"100.0%");
}

TEST(FormatMinutesSeconds, WholeSecondsAsMinutesAndSeconds) {
    EXPECT_EQ(formatMinutesSeconds(59.999), u"00:59");
    EXPECT_EQ(formatMinutesSeconds(61.5), u"01:01");
    EXPECT_EQ(formatMinutesSeconds(3599.0), u"59:59");
    EXPECT_EQ(formatMinutesSeconds(6000.0), u"100:00");
    // Unrepresentable times count as zero.
    EXPECT_EQ(formatMinutesSeconds(std::nan("")), u"00:00");
    EXPECT_EQ(formatMinutesSeconds(1e300), u"00:00");
    EXPECT_EQ(formatMinutesSeconds(-std::numeric_limits<double>::infinity()), u"00:00");
}

TEST(FormatPercentTenths, WholeAndTenth) {
    EXPECT_EQ(formatPercentTenths(5, u"."), u"0.5%");
    EXPECT_EQ(formatPercentTenths(857, u"."), u"85.7%");
    EXPECT_EQ(formatPercentTenths(1000, u","), u"100,0%");
}
