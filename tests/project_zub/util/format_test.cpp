#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "util/Format.h"
#include "util/WString.h"

namespace {

// What C's printf makes of the same format and value.
template <class T>
std::string cFormat(const char* fmt, T value) {
    char buffer[1024];
    const int n = std::snprintf(buffer, sizeof buffer, fmt, value);
    return n < 0 ? std::string("<error>") : std::string(buffer, static_cast<size_t>(n));
}

template <class... A>
std::string ours(const char* fmt, const A&... args) {
    return wideToNarrow(formatString(widen(fmt), args...));
}

bool isUnsignedConversion(const char* fmt) {
    const char c = fmt[std::char_traits<char>::length(fmt) - 1];
    return c == 'u' || c == 'x' || c == 'X' || c == 'o';
}

}  // namespace

TEST(Format, IntegersMatchPrintf) {
    const char* formats[] = {"%d",   "%i",    "%5d",      "%-5d|", "%05d", "%+d",   "% d",    "%+05d",
                             "%.3d", "%8.3d", "%-+8.3d|", "%.0d",  "%u",   "%x",    "%X",     "%#x",
                             "%#X",  "%o",    "%#o",      "%08x",  "%8x",  "%-8x|", "%#010x", "%4d",
                             "%hd",  "%ld",   "%lu",      "%I64d", "%zu",  "%lx",   "%-08d|", "% 05d"};
    const int values[] = {0, 1, -1, 7, 42, -42, 255, 123456, -123456, INT_MAX, INT_MIN};
    for (const char* f : formats) {
        for (int v : values) {
            // printf needs the type its conversion names; ours takes the int.
            std::string expected;
            std::string cf = f;
            for (const char* mod : {"h", "l", "I64", "z"}) {
                const size_t at = cf.find(mod);
                if (at != std::string::npos && at + std::string(mod).size() == cf.size() - 1) {
                    cf.erase(at, std::string(mod).size());
                }
            }
            if (isUnsignedConversion(f)) {
                expected = cFormat(cf.c_str(), static_cast<unsigned>(v));
            } else {
                expected = cFormat(cf.c_str(), v);
            }
            EXPECT_EQ(ours(f, v), expected) << f << " " << v;
        }
    }
}

TEST(Format, SixtyFourBitIntegersMatchPrintf) {
    const char* formats[] = {"%lld", "%llu", "%llx", "%llX", "%20lld", "%-20llx|", "%016llX", "%+lld", "%#llo"};
    const long long values[] = {0, -1, 1, LLONG_MIN, LLONG_MAX, 0x123456789abcLL, -0x123456789abcLL};
    for (const char* f : formats) {
        for (long long v : values) {
            const std::string expected =
                isUnsignedConversion(f) ? cFormat(f, static_cast<unsigned long long>(v)) : cFormat(f, v);
            EXPECT_EQ(ours(f, v), expected) << f << " " << v;
            EXPECT_EQ(ours(f, static_cast<int64_t>(v)), expected) << f << " " << v;
        }
    }
    EXPECT_EQ(ours("%llu", ULLONG_MAX), "18446744073709551615");
    EXPECT_EQ(ours("%d", ULLONG_MAX), "18446744073709551615");
}

TEST(Format, PointerSizedHex) {
    const uintptr_t big = static_cast<uintptr_t>(0x7f12deadbeefULL);
    const uintptr_t small = 0x1234;
    EXPECT_EQ(ours("%08lx", big), cFormat("%08lx", static_cast<unsigned long>(big)));
    EXPECT_EQ(ours("%08lx", small), "00001234");
    int object = 0;
    const void* p = &object;
    EXPECT_EQ(ours("%08lx", p), cFormat("%08lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(p))));
    EXPECT_EQ(ours("%p", p), cFormat("%p", p));
    EXPECT_EQ(ours("[%20p]", p), cFormat("[%20p]", p));
    EXPECT_EQ(ours("%p", nullptr), cFormat("%p", static_cast<void*>(nullptr)));
    // %x of a narrower negative value is its 32-bit two's complement, of a
    // 64-bit value the 64-bit one.
    EXPECT_EQ(ours("%x", -1), "ffffffff");
    EXPECT_EQ(ours("%x", static_cast<short>(-2)), "fffffffe");
    EXPECT_EQ(ours("%x", -1L), "ffffffffffffffff");
    EXPECT_EQ(ours("%u", -1), "4294967295");
    EXPECT_EQ(ours("%08x", 0xABCu), "00000abc");
    EXPECT_EQ(ours("%08X", 0xDEADBEEFu), "DEADBEEF");
}

TEST(Format, FloatsMatchPrintf) {
    const char* formats[] = {"%f",  "%.0f",  "%.1f", "%.1lf", "%.3f", "%10.3f",    "%-10.3f|", "%010.3f", "%+f", "% f",
                             "%e",  "%.2e",  "%E",   "%g",    "%.3g", "%G",        "%#g",      "%#.0f",   "%F",  "%a",
                             "%Lf", "%+.2e", "%12g", "%.10g", "%.0e", "%-+12.4f|", "%.20f",    "%5.1f"};
    const double values[] = {0.0,
                             -0.0,
                             1.0,
                             -1.5,
                             0.5,
                             2.5,
                             0.125,
                             3.14159265358979,
                             1.0 / 3.0,
                             1e-7,
                             123456789.125,
                             1e300,
                             -1e-300,
                             4.9e-324,
                             1.7976931348623157e308,
                             std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
    for (const char* f : formats) {
        std::string cf = f;
        if (cf == "%Lf") cf = "%f";
        for (double v : values) {
            EXPECT_EQ(ours(f, v), cFormat(cf.c_str(), v)) << f << " " << v;
        }
    }
    // A float argument prints as printf prints it after promotion.
    EXPECT_EQ(ours("%f", 1.1f), cFormat("%f", static_cast<double>(1.1f)));
    EXPECT_EQ(ours("%.1lf", 0.05), cFormat("%.1f", 0.05));
    EXPECT_EQ(ours("%.3lf sec.", 12.3456), "12.346 sec.");
}

TEST(Format, ArgumentTypesAreConverted) {
    // %d of a floating-point value truncates towards zero.
    EXPECT_EQ(ours("%d", 3.99), "3");
    EXPECT_EQ(ours("%d", -3.99), "-3");
    EXPECT_EQ(ours("%d", 2.5f), "2");
    EXPECT_EQ(ours("%d", std::numeric_limits<double>::quiet_NaN()), "0");
    EXPECT_EQ(ours("%d", 1e30), "18446744073709551615");
    EXPECT_EQ(ours("%d", -1e30), "-9223372036854775808");
    EXPECT_EQ(ours("%d", -std::numeric_limits<double>::infinity()), "-9223372036854775808");
    EXPECT_EQ(ours("%x", -1.0), "ffffffff");
    // %f of an integer converts it.
    EXPECT_EQ(ours("%f", 3), "3.000000");
    EXPECT_EQ(ours("%.2f", -7LL), "-7.00");
    // Every integer type prints its value.
    EXPECT_EQ(ours("%d", static_cast<unsigned char>(200)), "200");
    EXPECT_EQ(ours("%d", static_cast<signed char>(-100)), "-100");
    EXPECT_EQ(ours("%d", static_cast<short>(-5)), "-5");
    EXPECT_EQ(ours("%u", static_cast<unsigned short>(65535)), "65535");
    EXPECT_EQ(ours("%d", 4000000000u), "4000000000");
    EXPECT_EQ(ours("%d", true), "1");
    EXPECT_EQ(ours("%d", false), "0");
    EXPECT_EQ(ours("%d", size_t(12)), "12");
    EXPECT_EQ(ours("%d", u'A'), "65");
}

TEST(Format, Characters) {
    EXPECT_EQ(ours("%c", u'A'), "A");
    EXPECT_EQ(ours("%c", 'z'), "z");
    EXPECT_EQ(ours("%c", 0x20AC), wideToNarrow(u"\u20AC"));
    EXPECT_EQ(ours("[%3c]", u'x'), "[  x]");
    EXPECT_EQ(ours("[%-3c]", u'x'), "[x  ]");
    EXPECT_EQ(formatString(u"%c", 0x1F600), u"\U0001F600");
    EXPECT_EQ(formatString(u"%c", 0x110000), u"\uFFFD");
    EXPECT_EQ(formatString(u"%c", -1), u"\uFFFD");
    EXPECT_EQ(formatString(u"[%c]", 0), u"[]");
}

TEST(Format, Strings) {
    EXPECT_EQ(formatString(u"%S|%ls", u"wide", u"too"), u"wide|too");
    EXPECT_EQ(formatString(u"%-5s|", u"ab"), u"ab   |");
    EXPECT_EQ(formatString(u"%5s|", u"ab"), u"   ab|");
    EXPECT_EQ(formatString(u"%.2s|", u"abcdef"), u"ab|");
    EXPECT_EQ(formatString(u"%-6.3s|", u"abcdef"), u"abc   |");
    EXPECT_EQ(formatString(u"%s", WString(u"string")), u"string");
    EXPECT_EQ(formatString(u"%s", std::u16string_view(u"view")), u"view");
    EXPECT_EQ(formatString(u"%s", std::u16string_view(u"a\0b", 3)), WString(u"a\0b", 3));
    // Narrow text is UTF-8 and is widened.
    EXPECT_EQ(formatString(u"%s", "caf\xC3\xA9"), u"caf\u00E9");
    EXPECT_EQ(formatString(u"%s", std::string("narrow")), u"narrow");
    EXPECT_EQ(formatString(u"%s", std::string_view("view")), u"view");
    EXPECT_EQ(formatString(u"%s", "\xF0\x9F\x98\x80"), u"\U0001F600");
    // Numbers given to %s print in decimal.
    EXPECT_EQ(formatString(u"%s", 42), u"42");
    EXPECT_EQ(formatString(u"%s", -7LL), u"-7");
    EXPECT_EQ(formatString(u"%s", 1.5), u"1.5");
    EXPECT_EQ(formatString(u"%4s|", 7), u"   7|");
    EXPECT_EQ(formatString(u"%s", u'c'), u"c");
    // Null text pointers.
    EXPECT_EQ(formatString(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
    EXPECT_EQ(formatString(u"%s", static_cast<const char*>(nullptr)), u"(null)");
    EXPECT_EQ(formatString(u"%d", static_cast<const char*>(nullptr)), u"0");
}

TEST(Format, Mixed) {
    EXPECT_EQ(formatString(u"%%"), u"%");
    EXPECT_EQ(formatString(u"%d%s%d%%", 99, u",", 5), u"99,5%");
    EXPECT_EQ(formatString(u""), u"");
    EXPECT_EQ(formatString(u"\u00E9%s\U0001F600", u"\u4E2D"), u"\u00E9\u4E2D\U0001F600");
}

TEST(Format, StarWidthAndPrecision) {
    EXPECT_EQ(ours("%*d", 5, 42), cFormat("%5d", 42));
    EXPECT_EQ(ours("%-*d|", 4, 7), "7   |");
    EXPECT_EQ(ours("%*d|", -4, 7), "7   |");
    EXPECT_EQ(ours("%.*f", 2, 3.14159), "3.14");
    EXPECT_EQ(ours("%.*f", -1, 3.14159), "3.141590");
    EXPECT_EQ(ours("%*.*s|", 6, 2, u"abcdef"), "    ab|");
    EXPECT_EQ(ours("%*d", INT_MIN, 1).size(), 4096u);
}

TEST(Format, MissingAndExtraArguments) {
    EXPECT_EQ(formatString(u"%s and %s", u"x"), u"x and (null)");
    EXPECT_EQ(formatString(u"%d %i %u %x %f %c|"), u"0 0 0 0 0.000000 |");
    EXPECT_EQ(formatString(u"%s"), u"(null)");
    EXPECT_EQ(formatString(u"%5s|"), u"(null)|");
    EXPECT_EQ(formatString(u"%*d"), u"0");
    EXPECT_EQ(formatString(u"%d", 1, 2, 3), u"1");
    EXPECT_EQ(formatString(u"none", 1, u"two"), u"none");
    EXPECT_EQ(formatStringV(u"%d %s", nullptr, 5), u"0 (null)");
}

TEST(Format, UnknownConversionsAreCopied) {
    EXPECT_EQ(formatString(u"%y %d", 5), u"%y 5");
    EXPECT_EQ(formatString(u"%n%d", 5), u"%n5");
    EXPECT_EQ(formatString(u"%-08.3k", 5), u"%-08.3k");
    EXPECT_EQ(formatString(u"abc%"), u"abc%");
    EXPECT_EQ(formatString(u"%5"), u"%5");
    EXPECT_EQ(formatString(u"%ll"), u"%ll");
    EXPECT_EQ(formatString(u"%\u00E9%d", 1), u"%\u00E91");
}

TEST(Format, HugeWidthAndPrecisionAreLimited) {
    EXPECT_EQ(formatString(u"%99999999999999999999d", 1).size(), 4096u);
    EXPECT_EQ(formatString(u"%.99999999999f", 1.0).size(), 2u + 512u);
    EXPECT_EQ(formatString(u"%4096.512f", -1.7976931348623157e308).size(), 4096u);
    EXPECT_EQ(formatString(u"%.512f", -1.7976931348623157e308).size(), 1u + 309u + 1u + 512u);
    EXPECT_EQ(formatString(u"%.999999s", u"abc"), u"abc");
}

TEST(Format, IntoReplacesTarget) {
    WString target = u"old content";
    formatStringInto(target, u"%s=%d", u"a", 1);
    EXPECT_EQ(target, u"a=1");
    // The format may be the target itself.
    target = u"Hello %s";
    formatStringInto(target, target, u"Ann");
    EXPECT_EQ(target, u"Hello Ann");
    formatStringInto(target, u"");
    EXPECT_EQ(target, u"");
}

TEST(Format, NarrowFormat) {
    EXPECT_EQ(formatNarrow("%s=%d", "caf\xC3\xA9", 5), "caf\xC3\xA9=5");
    EXPECT_EQ(formatNarrow("%s", u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(formatNarrow("%.1f%%", 99.95), cFormat("%.1f%%", 99.95));
    EXPECT_EQ(formatNarrow("plain"), "plain");
}
